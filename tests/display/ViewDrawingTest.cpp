#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <vector>

#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "display/ReferenceTrace.h"
#include "display/TraceVertices.h"
#include "display/ViewPainter.h"
#include "display/ViewRange.h"
#include "measurement/ShownMeasurementBuilder.h"
#include "tests/display/DrawingColours.h"
#include "tests/display/TBitmapDC.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TGdiObject.h"
#include "windowing/TPen.h"

namespace {

constexpr int kViewWidthPx = 601;
constexpr int kViewHeightPx = 301;
// The bitmap reaches past the view on the right and below, where only the
// grid columns beyond 20 kHz may be drawn.
constexpr int kBitmapWidthPx = 640;
constexpr int kBitmapHeightPx = 340;
constexpr int32_t kShownSize = 2048;
// Where the unit stands: its text begins at (7, 7), about 11 pixels high.
constexpr int kUnitLeftPx = 7;
constexpr int kUnitTopPx = 7;
constexpr int kUnitRightPx = 40;
constexpr int kUnitBottomPx = 20;

void SetX87ControlWord(uint16_t word) {
  __asm__ volatile("fldcw %0" : : "m"(word));
}

class SpectrumDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    Settings.ShowLeft = Settings.ShowRight = Settings.ShowMaximum = 1;
    Settings.ShowPeaks = 0;
    Settings.ShowDistortion = 0;
    Dc.Fill(kUntouched);
  }
  void TearDown() override { EXPECT_EQ(TGdiObject::LiveCount(), 0); }

  void Rescale(int32_t shownSize) { View->Rescale(kViewWidthPx, kViewHeightPx, shownSize, true); }
  void SetLevels(int32_t left, int32_t right) {
    for (LevelPair& line : *Levels) line = {left, right};
  }
  void Draw() { Painter->DrawSpectrum(Dc, *View, Shaped()); }
  // The test's levels as the program shows them: analysed with `Window` at
  // the view's size, in the scale and weighting chosen, with `Calibration`.
  const ShownMeasurement& Shaped() {
    AnalysedLevels analysed;
    analysed.Size = 2 * View->BinCount();
    analysed.Window = Window;
    analysed.Levels = Levels.get();
    Builder.Build(analysed, {Settings.LevelScale, Settings.FrequencyWeighting, Calibration},
                  *Shown);
    return *Shown;
  }

  // Black view with the grey grid over it and the unit ("dB") in the top
  // left corner, nothing outside the view but the grid columns that lie
  // right of it: in the 601 x 301 view the 29 columns of 10 Hz to 20 kHz and
  // that of 30 kHz, and the rows of 0 to -140 dB.
  void ExpectGridOnly() {
    int unitPixels = 0;
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
        if (x >= kUnitLeftPx && x < kUnitRightPx && y >= kUnitTopPx && y < kUnitBottomPx) {
          unitPixels += Dc.Pixel(x, y) == kLabelGrey;
          continue;
        }
        if (Dc.Pixel(x, y) != expected && ++mismatches <= 5) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << Dc.Pixel(x, y)
                        << ", expected " << expected;
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(unitPixels, 0);
  }

  std::unique_ptr<ViewGeometry> View = std::make_unique<ViewGeometry>();
  std::unique_ptr<SpectrumLevels> Levels = std::make_unique<SpectrumLevels>();
  std::unique_ptr<ViewPainter> Painter = std::make_unique<ViewPainter>();
  ShownMeasurementBuilder Builder;
  std::unique_ptr<ShownMeasurement> Shown = std::make_unique<ShownMeasurement>();
  int32_t Window = kWindowOff;
  std::optional<int32_t> Calibration;
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

// A reference of a 16-point transform behind the live traces of 2048 points:
// its lines 1 to 6 on columns 437 to 577 (see above), the left channel at
// -20 dB (row 42) and the right one at -60 dB (row 128), line 3 at -100 dB
// (row 214), where the live traces lie and cover it.
TEST_F(SpectrumDrawingTest, AReferenceIsDrawnOnItsOwnLinesBehindTheTraces) {
  Rescale(kShownSize);
  SetLevels(-10000, -10000);
  std::vector<double> frequencies;
  for (int32_t line = 0; line < 8; ++line) frequencies.push_back(2756.25 * line);
  std::vector<LevelPair> levels(8, {-2000, -6000});
  levels[3] = {-10000, -10000};
  ReferenceTrace reference(frequencies, levels);
  Painter->SetReference(&reference);
  Draw();
  for (const int x : {437, 491, 563, 577}) {
    EXPECT_EQ(Dc.Pixel(x, 42), kLeftReferenceGreen) << x;
    EXPECT_EQ(Dc.Pixel(x, 128), kRightReferenceRed) << x;
  }
  EXPECT_EQ(Dc.Pixel(200, 42), kLeftReferenceGreen);  // from the DC line, left of the view
  EXPECT_EQ(Dc.Pixel(545, 214), kRightRed);           // the live trace over it
  EXPECT_EQ(TGdiObject::LiveCount(), 0);
  // A lower view: -20 dB on row 21 of 151.
  View->Rescale(kViewWidthPx, 151, kShownSize, true);
  Draw();
  EXPECT_EQ(Dc.Pixel(437, 21), kLeftReferenceGreen);

  Rescale(kShownSize);
  Painter->SetReference(nullptr);
  Draw();
  EXPECT_EQ(Dc.Pixel(437, 128), kGridGrey);  // -60 dB is a grid row
}

// What a painter keeps from one drawing to the next is drawn anew once what
// it was drawn from changed: after each change the painter that drew every
// step before paints what a fresh painter paints, pixel for pixel, with the
// held maximum, a reference and the readouts on.
TEST_F(SpectrumDrawingTest, KeptTracesDrawAsAFreshPainterDoesAfterEveryChange) {
  Settings.HoldMaximum = 1;
  Settings.ShowPeaks = 1;
  auto held = std::make_unique<SpectrumLevels>();
  std::mt19937 random(5);
  for (int32_t i = 0; i < kMaxSpectrumLines; ++i) {
    (*Levels)[i] = {-9000 - static_cast<int32_t>(random() % 3000), -11000};
    (*held)[i] = {(*Levels)[i][0] + 500, -10500};
  }
  std::vector<double> frequencies;
  for (int32_t line = 0; line < 64; ++line) frequencies.push_back(344.53125 * line);
  auto reference =
      std::make_unique<ReferenceTrace>(frequencies, std::vector<LevelPair>(64, {-4000, -5000}));
  Painter->SetReference(reference.get());
  const auto shaped = [&] {
    AnalysedLevels analysed;
    analysed.Size = 2 * View->BinCount();
    analysed.Levels = Levels.get();
    analysed.Held = held.get();
    analysed.HeldValid = true;
    Builder.Build(analysed, {Settings.LevelScale, Settings.FrequencyWeighting, Calibration},
                  *Shown);
    return std::cref(*Shown);
  };
  View->Rescale(kViewWidthPx, kViewHeightPx, 8192, true);
  const ShownMeasurement& shown = shaped();
  const struct {
    const char* Change;
    std::function<void()> Apply;
  } changes[] = {
      {"nothing", [] {}},
      {"the range",
       [&] {
         ViewRange range;
         range.SetFrequencies(200.0, 3000.0, 0.0);
         range.SetLevels(-60.0, -130.0);
         View->SetRange(range);
         View->Rescale(kViewWidthPx, kViewHeightPx, 8192, false);
       }},
      {"the view's size", [&] { View->Rescale(kViewWidthPx - 90, kViewHeightPx, 8192, false); }},
      {"the held levels",
       [&] {
         for (int32_t i = 100; i < 900; ++i) (*held)[i][0] = -7000;
         shaped();
       }},
      {"the live levels",
       [&] {
         for (int32_t i = 300; i < 700; ++i) (*Levels)[i][1] = -8000;
         shaped();
       }},
      {"the reference",
       [&] {
         reference = std::make_unique<ReferenceTrace>(frequencies,
                                                      std::vector<LevelPair>(64, {-10000, -9500}));
         Painter->SetReference(reference.get());
       }},
      {"the maximum drawing", [&] { Settings.ShowMaximum = 0; }},
      {"nothing again", [] {}},
  };
  TBitmapDC fresh(kBitmapWidthPx, kBitmapHeightPx);
  for (const auto& change : changes) {
    SCOPED_TRACE(change.Change);
    change.Apply();
    Dc.Fill(kUntouched);
    fresh.Fill(kUntouched);
    Painter->ShowReadoutAt({300, 150});
    Painter->DrawSpectrum(Dc, *View, shown);
    ViewPainter freshPainter;
    freshPainter.SetReference(reference.get());
    freshPainter.ShowReadoutAt({300, 150});
    freshPainter.DrawSpectrum(fresh, *View, shown);
    POINT first{};
    EXPECT_EQ(Dc.DifferingPixels(fresh, &first), 0) << first.x << ", " << first.y;
  }
  Painter->SetReference(nullptr);
  Settings.HoldMaximum = 0;
  Settings.ShowPeaks = 0;
}

// Sine levels lift the traces by the window's loss (Hanning over 16 points,
// a mean weight of 15/32: 6.58 dB, -20 dB to row 28); a calibration moves
// the axis labels, not the traces.
TEST_F(SpectrumDrawingTest, TracesLieAtTheChosenScaleAndACalibrationLeavesThem) {
  Rescale(16);
  SetLevels(-2000, -10000);
  Window = kWindowHanning;
  Settings.LevelScale = kScaleSine;
  for (const std::optional<int32_t> calibration :
       {std::optional<int32_t>{}, std::optional{10002}}) {
    Calibration = calibration;
    Draw();
    EXPECT_EQ(Dc.Pixel(200, 28), kLeftGreen);
    EXPECT_EQ(Dc.Pixel(200, 42), kGridGrey);  // the -20 dB row, no trace on it
  }
  Settings.LevelScale = kScaleUncorrected;
  Calibration.reset();
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
  Painter->DrawSpectrum(tall, *View, Shaped());
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

// The readout and the peak values change only the pixels of their areas (the
// area the view invalidates for the readout is the one it is drawn in), and
// hiding them gives back the picture without them.
TEST_F(SpectrumDrawingTest, ReadoutAndPeaksStayInTheirAreasOverTheTraces) {
  Rescale(kShownSize);
  SetLevels(-9000, -11000);
  (*Levels)[57] = {-1270, -9000};
  (*Levels)[201] = {-9000, -2660};
  Draw();
  TBitmapDC plain{kBitmapWidthPx, kBitmapHeightPx};
  BitBlt(plain.GetHandle(), 0, 0, kBitmapWidthPx, kBitmapHeightPx, Dc.GetHandle(), 0, 0, SRCCOPY);

  Settings.ShowPeaks = 1;
  Window = kWindowHanning;
  Painter->ShowReadoutAt({300, 150});
  const ReadoutArea area = Painter->MeasureReadout(Dc, *View, Shaped());
  Draw();
  const auto inside = [](const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
  };
  // The peak box sits in the top right corner, above row 60.
  const RECT peakCorner{kViewWidthPx / 2, 0, kViewWidthPx, 60};
  int changedInBox = 0;
  for (int y = 0; y < kBitmapHeightPx; ++y) {
    for (int x = 0; x < kBitmapWidthPx; ++x) {
      if (Dc.Pixel(x, y) == plain.Pixel(x, y)) continue;
      if (inside(area.Box, x, y)) ++changedInBox;
      ASSERT_TRUE(inside(area.Box, x, y) || inside(area.Marker, x, y) || inside(peakCorner, x, y))
          << "pixel (" << x << ", " << y << ") changed outside the readouts";
    }
  }
  EXPECT_GT(changedInBox, 0);
  EXPECT_FALSE(inside(area.Box, 300, 150));
  EXPECT_EQ(Dc.Pixel(300, kViewHeightPx - 1), RGB(0, 160, 255));  // the pointer's column
  EXPECT_EQ(Dc.Pixel(area.Box.left, area.Box.top), kLabelGrey);   // the box's frame
  EXPECT_EQ(TGdiObject::LiveCount(), 0);

  // The distortion's boxes, one per channel, under the peak box on the right.
  Settings.ShowDistortion = 1;
  Draw();
  int changedBelowPeaks = 0;
  for (int y = peakCorner.bottom; y < kBitmapHeightPx; ++y)
    for (int x = kViewWidthPx / 2; x < kViewWidthPx; ++x)
      if (Dc.Pixel(x, y) != plain.Pixel(x, y) && !inside(area.Box, x, y) &&
          !inside(area.Marker, x, y))
        ++changedBelowPeaks;
  EXPECT_GT(changedBelowPeaks, 0);
  EXPECT_EQ(TGdiObject::LiveCount(), 0);
  Settings.ShowDistortion = 0;

  Painter->HideReadout();
  Settings.ShowPeaks = 0;
  Draw();
  for (int y = 0; y < kBitmapHeightPx; ++y)
    for (int x = 0; x < kBitmapWidthPx; ++x) ASSERT_EQ(Dc.Pixel(x, y), plain.Pixel(x, y));
}

// Level arrays that a trace with fewer vertices than lines could get wrong:
// columns whose last line is their highest or lowest, reached before or only
// at the end, ties, flat stretches, levels beyond the plot.
enum class LevelPattern {
  kRandom,  // -150 dB to +10 dB
  kThreeLevels,
  kSteps,
  kSpikes,  // the floor with a loud line here and there
  kAlternatingExtremes,
  kRisingRamp,  // every column's last line its loudest
  kFallingRamp,
  kFloor,
};
constexpr int kLevelPatternCount = 8;

void FillChannel(SpectrumLevels& levels, int32_t channel, LevelPattern pattern, int32_t lines,
                 std::mt19937& random) {
  constexpr int32_t kFloorHundredthsDb = -14000;
  constexpr int32_t kLongestStepLines = 4096;
  constexpr uint32_t kSpikeEveryLines = 64;
  const auto draw = [&](int32_t from, int32_t to) {  // uniform enough for a test
    return from + static_cast<int32_t>(random() % static_cast<uint32_t>(to - from + 1));
  };
  int32_t step = kFloorHundredthsDb;
  int32_t stepLinesLeft = 0;
  for (int32_t i = 0; i < lines; ++i) {
    int32_t level = kFloorHundredthsDb;
    switch (pattern) {
      case LevelPattern::kRandom:
        level = draw(-15000, 1000);
        break;
      case LevelPattern::kThreeLevels:
        level = -2000 - 4000 * draw(0, 2);
        break;
      case LevelPattern::kSteps:
        if (stepLinesLeft-- == 0) {
          step = draw(kFloorHundredthsDb, 0);
          stepLinesLeft = draw(0, kLongestStepLines);
        }
        level = step;
        break;
      case LevelPattern::kSpikes:
        if (random() % kSpikeEveryLines == 0) level = draw(-3000, 0);
        break;
      case LevelPattern::kAlternatingExtremes:
        level = i % 2 ? kFloorHundredthsDb : 0;
        break;
      case LevelPattern::kRisingRamp:
        level = kFloorHundredthsDb - static_cast<int32_t>(int64_t{kFloorHundredthsDb} * i / lines);
        break;
      case LevelPattern::kFallingRamp:
        level = static_cast<int32_t>(int64_t{kFloorHundredthsDb} * i / lines);
        break;
      case LevelPattern::kFloor:
        break;
    }
    levels[i][channel] = level;
  }
}

class ThinnedTraceTest : public SpectrumDrawingTest {
 protected:
  // The view as it looks when every spectral line is a vertex of its trace:
  // the black area and the grid of a drawing without traces, then each
  // channel's vertices joined by LineTo, the right channel last.
  void DrawEveryLine(TBitmapDC& dc) {
    const int32_t showLeft = Settings.ShowLeft;
    const int32_t showRight = Settings.ShowRight;
    Settings.ShowLeft = Settings.ShowRight = 0;
    Painter->DrawSpectrum(dc, *View, Shaped());
    Settings.ShowLeft = showLeft;
    Settings.ShowRight = showRight;
    const TPen leftPen(kLeftGreen);
    const TPen rightPen(kRightRed);
    for (int32_t channel = 0; channel < 2; ++channel) {
      dc.SelectPen(channel == 0 ? leftPen : rightPen);
      const int32_t count = Trace->Build(*View, *Levels, channel, false);
      const PixelPoint* points = Trace->Points();
      MoveToEx(dc.GetHandle(), points[0].x, points[0].y, nullptr);
      for (int32_t i = 1; i < count; ++i) LineTo(dc.GetHandle(), points[i].x, points[i].y);
    }
    dc.RestoreObjects();
  }

  std::unique_ptr<TraceVertices> Trace = std::make_unique<TraceVertices>();
};

TEST_F(ThinnedTraceTest, WithoutTheMaximumEveryPixelIsThatOfEveryLineDrawn) {
  Settings.ShowMaximum = 0;
  std::mt19937 random(22);
  // The usual view, a narrow one with hundreds of lines on a column, and one
  // of a single column, where the whole trace is one run.
  constexpr SIZE kViews[] = {{601, 301}, {80, 120}, {1, 240}};
  constexpr int kPatternPairs = kLevelPatternCount / 2;
  for (const SIZE view : kViews) {
    // Room below the view for levels under -140 dB.
    TBitmapDC thinned(view.cx + 8, view.cy + view.cy / 8 + 2);
    TBitmapDC everyLine(thinned.Width(), thinned.Height());
    bool swapped = false;
    for (int32_t size = kMinFftSize; size <= kMaxFftSize; size *= 2, swapped = !swapped) {
      View->Rescale(view.cx, view.cy, size, true);
      // Each pattern beside another, in the left channel at one size and in
      // the right one at the next.
      for (int pair = 0; pair < kPatternPairs; ++pair) {
        const auto first = static_cast<LevelPattern>(pair);
        const auto second = static_cast<LevelPattern>(pair + kPatternPairs);
        FillChannel(*Levels, 0, swapped ? second : first, size / 2, random);
        FillChannel(*Levels, 1, swapped ? first : second, size / 2, random);
        thinned.Fill(kUntouched);
        everyLine.Fill(kUntouched);
        Painter->DrawSpectrum(thinned, *View, Shaped());
        DrawEveryLine(everyLine);
        POINT firstDifference{};
        const int differing = thinned.DifferingPixels(everyLine, &firstDifference);
        ASSERT_EQ(differing, 0) << "view " << view.cx << " x " << view.cy << ", " << size
                                << " points, patterns " << pair << " and " << pair + kPatternPairs
                                << ": first at (" << firstDifference.x << ", " << firstDifference.y
                                << ")";
      }
    }
  }
}

}  // namespace
