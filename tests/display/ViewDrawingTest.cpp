#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "display/ViewPainter.h"
#include "tests/display/DrawingColours.h"
#include "tests/display/TBitmapDC.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TGdiObject.h"

namespace {

constexpr int kViewWidthPx = 601;
constexpr int kViewHeightPx = 301;
// The bitmap reaches past the view on the right and below, where only the
// grid columns beyond 20 kHz may be drawn.
constexpr int kBitmapWidthPx = 640;
constexpr int kBitmapHeightPx = 340;
constexpr int32_t kShownSize = 2048;

void SetX87ControlWord(uint16_t word) {
  __asm__ volatile("fldcw %0" : : "m"(word));
}

class SpectrumDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    Settings.ShowLeft = Settings.ShowRight = Settings.ShowMaximum = 1;
    Dc.Fill(kUntouched);
  }
  void TearDown() override { EXPECT_EQ(TGdiObject::LiveCount(), 0); }

  void Rescale(int32_t shownSize) { View->Rescale(kViewWidthPx, kViewHeightPx, shownSize, true); }
  void SetLevels(int32_t left, int32_t right) {
    for (LevelPair& line : *Levels) line = {left, right};
  }
  void Draw() { Painter->DrawSpectrum(Dc, *View, *Levels); }

  // Black view with the grey grid over it, nothing outside the view but the
  // grid columns that lie right of it: in the 601 x 301 view the 29 columns of
  // 10 Hz to 20 kHz and that of 30 kHz, and the rows of 0 to -140 dB.
  void ExpectGridOnly() {
    const std::set<int32_t> columns{0,   54,  85,  108, 125, 139, 151, 162, 171, 179,
                                    233, 265, 287, 304, 319, 331, 341, 350, 358, 412,
                                    444, 466, 484, 498, 510, 520, 530, 538, 592, 623};
    const std::set<int32_t> rows{0,   21,  42,  64,  85,  107, 128, 149,
                                 171, 192, 214, 235, 257, 278, 299};
    int mismatches = 0;
    for (int y = 0; y < Dc.Height(); ++y) {
      for (int x = 0; x < Dc.Width(); ++x) {
        const bool inView = x < kViewWidthPx && y < kViewHeightPx;
        const bool onColumn = columns.count(x) && y <= kViewHeightPx - 1;
        const bool onRow = rows.count(y) && x < kViewWidthPx;
        const COLORREF expected = (onColumn || onRow) ? kGridGrey : (inView ? kBlack : kUntouched);
        if (Dc.Pixel(x, y) != expected && ++mismatches <= 5) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << Dc.Pixel(x, y)
                        << ", expected " << expected;
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }

  std::unique_ptr<ViewGeometry> View = std::make_unique<ViewGeometry>();
  std::unique_ptr<SpectrumLevels> Levels = std::make_unique<SpectrumLevels>();
  std::unique_ptr<ViewPainter> Painter = std::make_unique<ViewPainter>();
  TBitmapDC Dc{kBitmapWidthPx, kBitmapHeightPx};
};

TEST_F(SpectrumDrawingTest, WithoutASpectrumOnlyTheBlackAreaAndTheGridAreDrawn) {
  SetLevels(-2000, -3000);
  for (const int32_t shownSize : {0, 2}) {  // no line, or the DC line alone
    SCOPED_TRACE(shownSize);
    Dc.Fill(kUntouched);
    Rescale(shownSize);
    Draw();
    ExpectGridOnly();
  }
  // The decades of the 601-pixel view, and its rows of 0, -70 and -140 dB.
  for (const int x : {0, 179, 358, 538, 592}) EXPECT_EQ(Dc.Pixel(x, 200), kGridGrey) << x;
  for (const int y : {0, 149, 299}) EXPECT_EQ(Dc.Pixel(300, y), kGridGrey) << y;
  EXPECT_EQ(Dc.Pixel(300, 150), kBlack);
  EXPECT_EQ(Dc.Pixel(300, 300), kBlack);  // the last row is no grid row
}

TEST_F(SpectrumDrawingTest, BothChannelsOffLeavesTheGridOnly) {
  Rescale(kShownSize);
  SetLevels(-2000, -3000);
  Settings.ShowLeft = Settings.ShowRight = 0;
  Draw();
  ExpectGridOnly();
}

TEST_F(SpectrumDrawingTest, TheGridRowsAreComputedWithExtendedPrecision) {
  // A thread at 53-bit precision would put -70 dB on row 150.
  Rescale(0);
  const uint16_t original = X87ControlWord();
  SetX87ControlWord(static_cast<uint16_t>((original & ~kX87PrecisionMask) | 0x0200));
  Draw();
  const uint16_t afterDrawing = X87ControlWord();
  SetX87ControlWord(original);
  EXPECT_EQ(afterDrawing & kX87PrecisionMask, kX87Precision64);
  EXPECT_EQ(Dc.Pixel(300, 149), kGridGrey);
  EXPECT_EQ(Dc.Pixel(300, 150), kBlack);
}

TEST_F(SpectrumDrawingTest, TracesLieOnTheirVerticesWithTheRightOverTheLeft) {
  // Eight lines of 2756.25 Hz spacing: line 0 on column -358, lines 1 to 7 on
  // 437, 491, 523, 545, 563, 577 and 589. The left channel at -20 dB (row 42),
  // the right one at -100 dB (row 214), both at -60 dB (row 128) on lines 3 and 4.
  Rescale(16);
  SetLevels(-2000, -10000);
  (*Levels)[3] = (*Levels)[4] = {-6000, -6000};
  Draw();

  const int32_t columns[] = {437, 491, 523, 545, 563, 577, 589};
  const int32_t leftRows[] = {42, 42, 128, 128, 42, 42, 42};
  const int32_t rightRows[] = {214, 214, 128, 128, 214, 214, 214};
  // Each vertex but the last is drawn; the last ends a line and stays undrawn.
  for (int v = 0; v + 1 < 7; ++v) {
    const bool shared = leftRows[v] == rightRows[v];
    EXPECT_EQ(Dc.Pixel(columns[v], leftRows[v]), shared ? kRightRed : kLeftGreen) << v;
    EXPECT_EQ(Dc.Pixel(columns[v], rightRows[v]), kRightRed) << v;
  }
  EXPECT_EQ(Dc.Pixel(589, 42), kGridGrey);  // -20 dB is a grid row
  EXPECT_EQ(Dc.Pixel(589, 214), kGridGrey);
  // From line 0, left of the view, both traces enter at the left edge.
  for (const int x : {0, 200, 436}) {
    EXPECT_EQ(Dc.Pixel(x, 42), kLeftGreen) << x;
    EXPECT_EQ(Dc.Pixel(x, 214), kRightRed) << x;
  }
  EXPECT_EQ(Dc.Pixel(534, 128), kRightRed);  // the right trace over the left
  EXPECT_EQ(Dc.Pixel(200, 43), kBlack);
}

TEST_F(SpectrumDrawingTest, MaximumDrawingGivesOneVertexPerColumn) {
  Rescale(kShownSize);
  SetLevels(-9500, -9500);  // row 203
  Settings.ShowRight = 0;
  // A column that holds at least three lines, not the last one: its middle
  // line is the only loud one.
  const int32_t* columns = View->BinX();
  int32_t first = 500;
  while (!(columns[first] == columns[first + 2] && columns[first - 1] != columns[first])) ++first;
  ASSERT_LT(columns[first], columns[View->BinCount() - 1]);
  (*Levels)[first + 1][0] = -2500;  // row 53
  const int column = columns[first];

  Settings.ShowMaximum = 1;
  Draw();
  EXPECT_EQ(Dc.Pixel(column, 53), kLeftGreen);
  EXPECT_NE(Dc.Pixel(column, 203), kLeftGreen);  // the column's vertex is its loudest line

  Settings.ShowMaximum = 0;
  Draw();
  for (int y = 53; y <= 203; ++y) {  // the trace runs up and down within the column
    EXPECT_EQ(Dc.Pixel(column, y), kLeftGreen) << y;
  }
}

TEST_F(SpectrumDrawingTest, LevelsBeyondTheRangeAreDrawnOutsideTheView) {
  constexpr int kMarginPx = 50;
  TBitmapDC tall(kViewWidthPx, kViewHeightPx + 2 * kMarginPx);
  tall.Fill(kUntouched);
  SetViewportOrgEx(tall.GetHandle(), 0, kMarginPx, nullptr);
  Rescale(kShownSize);
  SetLevels(1000, -16000);  // +10 dB on row -21, -160 dB on row 342
  Painter->DrawSpectrum(tall, *View, *Levels);
  constexpr int kColumn = 300;  // between two grid columns
  EXPECT_EQ(tall.Pixel(kColumn, kMarginPx - 21), kLeftGreen);
  EXPECT_EQ(tall.Pixel(kColumn, kMarginPx + 342), kRightRed);
  EXPECT_EQ(tall.Pixel(kColumn, kMarginPx), kGridGrey);  // the top and bottom rows keep the grid
  EXPECT_EQ(tall.Pixel(kColumn, kMarginPx + 299), kGridGrey);
  EXPECT_EQ(tall.Pixel(kColumn, kMarginPx + 300), kBlack);
}

TEST_F(SpectrumDrawingTest, DrawingPutsBackWhatItSelectedAndDeletesWhatItMade) {
  const HDC dc = Dc.GetHandle();
  SelectObject(dc, GetStockObject(WHITE_PEN));
  const HGDIOBJ penBefore = GetCurrentObject(dc, OBJ_PEN);
  const HGDIOBJ brushBefore = GetCurrentObject(dc, OBJ_BRUSH);
  Rescale(kShownSize);
  SetLevels(-2000, -4000);
  Draw();
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), penBefore);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brushBefore);
  EXPECT_EQ(TGdiObject::LiveCount(), 0);
  EXPECT_EQ(Dc.Pixel(59, 42), kLeftGreen);  // it did draw
}

}  // namespace
