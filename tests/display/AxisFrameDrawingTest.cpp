#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "analysis/DisplayRange.h"
#include "display/AxisPainter.h"
#include "display/FrequencyDecades.h"
#include "display/LevelSteps.h"
#include "display/ViewRange.h"
#include "tests/display/DrawingColours.h"
#include "tests/display/TBitmapDC.h"
#include "windowing/TGdiObject.h"

namespace {

// The axis frame of 641 x 341 pixels, whose view measures 600 x 310.
constexpr int kFrameWidthPx = 641;
constexpr int kFrameHeightPx = 341;
constexpr int kViewLeft = 40;
constexpr int kViewTop = 10;
constexpr int kTickTopRow = 319;
constexpr int kTickBottomRow = 322;
constexpr int kLabelTopRow = 323;

bool IsGreyShade(COLORREF colour) {
  return GetRValue(colour) == GetGValue(colour) && GetGValue(colour) == GetBValue(colour);
}

// The box around the label pixels (neither black nor the ticks' grey) in an area.
struct TextBox {
  int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
  int fullColourPixels = 0;
  int brightest = 0;      // of the red, green and blue values
  int foreignPixels = 0;  // neither black, nor a grey shade
  bool Empty() const { return right < 0; }
};

TextBox FindText(const TBitmapDC& dc, const RECT& area) {
  TextBox box;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF pixel = dc.Pixel(x, y);
      if (pixel == kBlack || pixel == kGridGrey) continue;
      if (!IsGreyShade(pixel)) ++box.foreignPixels;
      box.fullColourPixels += pixel == kLabelGrey;
      box.brightest = std::max<int>(box.brightest, GetRValue(pixel));
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

class AxisFrameDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    Paint(310);
  }
  void TearDown() override { EXPECT_EQ(TGdiObject::LiveCount(), 0); }

  void Paint(int viewHeightPx) {
    Frame = std::make_unique<TBitmapDC>(kFrameWidthPx, viewHeightPx + 31);
    Frame->Fill(kUntouched);
    View->Rescale(kFrameWidthPx - 41, viewHeightPx, 0, true);
    PaintAxisFrame(*Frame, *View, RECT{0, 0, Frame->Width(), Frame->Height()});
  }
  int TickX(double frequencyHz) const { return View->FreqToX(frequencyHz) + kViewLeft; }
  int TickY(double levelDb) const { return View->LevelToY(levelDb) + kViewTop; }

  std::unique_ptr<ViewGeometry> View = std::make_unique<ViewGeometry>();
  std::unique_ptr<TBitmapDC> Frame;
};

TEST_F(AxisFrameDrawingTest, FrequencyTicksHangBelowThePlot) {
  int visible = 0;
  for (int decade = 1; decade < kDecadeCount; ++decade) {
    for (int mark = 1; mark <= kMarksPerDecade; ++mark) {
      const int x = TickX(mark * kDecadeStartHz[decade]);
      if (x >= kFrameWidthPx) continue;
      ++visible;
      for (int y = kTickTopRow; y <= kTickBottomRow; ++y) {
        EXPECT_EQ(Frame->Pixel(x, y), kGridGrey) << x << ", " << y;
        if (y == kTickTopRow) continue;  // the -140 dB tick ends on this row at x = 40
        EXPECT_EQ(Frame->Pixel(x - 1, y), kBlack) << x - 1 << ", " << y;
        EXPECT_EQ(Frame->Pixel(x + 1, y), kBlack) << x + 1 << ", " << y;
      }
      EXPECT_EQ(Frame->Pixel(x, kTickTopRow - 1), kBlack) << x;
    }
  }
  EXPECT_EQ(visible, 29);  // 10 Hz to 20 kHz
  for (const int x : {40, 219, 398, 577}) EXPECT_EQ(Frame->Pixel(x, 320), kGridGrey) << x;
}

TEST_F(AxisFrameDrawingTest, LevelTicksLeftOfThePlot) {
  const LevelSteps levels;
  for (int32_t i = 0; i < levels.Count(); ++i) {
    const int y = TickY(levels.Level(i));
    for (int x = kViewLeft - 3; x <= kViewLeft; ++x) EXPECT_EQ(Frame->Pixel(x, y), kGridGrey) << y;
    EXPECT_EQ(Frame->Pixel(kViewLeft - 4, y), kBlack) << y;
    EXPECT_EQ(Frame->Pixel(kViewLeft + 1, y), kBlack) << y;
  }
  EXPECT_EQ(TickY(0.0), 10);
  EXPECT_EQ(TickY(-140.0), 319);
}

TEST_F(AxisFrameDrawingTest, DecadeLabelsAreCentredBelowTheirTicks) {
  for (int decade = 1; decade < kDecadeCount; ++decade) {
    const int centre = TickX(kDecadeStartHz[decade]);
    const TextBox text =
        FindText(*Frame, RECT{std::max(centre - 20, 0), kLabelTopRow, centre + 20, kFrameHeightPx});
    SCOPED_TRACE(centre);
    ASSERT_FALSE(text.Empty());
    EXPECT_GT(text.fullColourPixels, 0);
    EXPECT_EQ(text.foreignPixels, 0);
    EXPECT_GE(text.top, kLabelTopRow);
    EXPECT_LT(text.bottom, kLabelTopRow + 11);  // within the 11-pixel cell
    EXPECT_LE(std::abs((text.left + text.right) / 2 - centre), 2);
  }
}

TEST_F(AxisFrameDrawingTest, LevelLabelsEndLeftOfTheirTicks) {
  const LevelSteps levels;
  for (int32_t i = 0; i < levels.Count(); ++i) {
    const int tick = TickY(levels.Level(i));
    SCOPED_TRACE(tick);
    // Neighbouring ticks lie at least 21 rows apart, and the frequency labels
    // begin at row 323.
    const TextBox text = FindText(
        *Frame, RECT{0, std::max(tick - 9, 0), kViewLeft - 4, std::min(tick + 9, kLabelTopRow)});
    ASSERT_FALSE(text.Empty());
    // Smoothed glyphs: no pixel brighter than the label colour, some near it.
    EXPECT_GE(text.brightest, 160);
    EXPECT_LE(text.brightest, 192);
    EXPECT_EQ(text.foreignPixels, 0);
    EXPECT_LE(text.right, 33);  // right-aligned at x = 33
    EXPECT_GE(text.right, 29);
    EXPECT_LE(std::abs((text.top + text.bottom) / 2 - tick), 3);  // about centred on the tick
  }
}

TEST_F(AxisFrameDrawingTest, TheLabelsGrowWithTheView) {
  const TextBox small = FindText(*Frame, RECT{560, kLabelTopRow, 600, kFrameHeightPx});
  Paint(500);  // font 15 instead of 11
  const int labelTop = TickY(-140.0) + 4;
  const TextBox large = FindText(*Frame, RECT{560, labelTop, 600, Frame->Height()});
  ASSERT_FALSE(small.Empty());
  ASSERT_FALSE(large.Empty());
  EXPECT_GT(large.bottom - large.top, small.bottom - small.top);
  EXPECT_GT(large.right - large.left, small.right - small.left);
  EXPECT_LT(large.bottom, labelTop + 15);
}

TEST_F(AxisFrameDrawingTest, OnlyTheUpdateRectangleIsBlackened) {
  Frame->Fill(kUntouched);
  const RECT update{100, 100, 200, 150};  // inside the view's area: no tick, no label
  PaintAxisFrame(*Frame, *View, update);
  EXPECT_EQ(Frame->Pixel(398, 320), kGridGrey);  // ticks and labels are drawn whole
  for (int y = 0; y < kFrameHeightPx; y += 7) {
    for (int x = 0; x < kFrameWidthPx; x += 7) {
      const POINT point{x, y};
      const COLORREF pixel = Frame->Pixel(x, y);
      EXPECT_EQ(pixel == kBlack, PtInRect(&update, point) != FALSE) << x << ", " << y;
    }
  }
}

TEST_F(AxisFrameDrawingTest, PaintingLeavesTheContextAsItFoundIt) {
  const HDC dc = Frame->GetHandle();
  const HGDIOBJ pen = GetStockObject(WHITE_PEN);
  const HGDIOBJ font = GetStockObject(ANSI_FIXED_FONT);
  SelectObject(dc, pen);
  SelectObject(dc, font);
  SetTextColor(dc, RGB(10, 20, 30));
  SetBkMode(dc, OPAQUE);
  SetTextAlign(dc, TA_LEFT | TA_BOTTOM);

  PaintAxisFrame(*Frame, *View, RECT{0, 0, kFrameWidthPx, kFrameHeightPx});

  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
  EXPECT_EQ(GetTextColor(dc), RGB(10, 20, 30));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_LEFT | TA_BOTTOM));
  EXPECT_EQ(TGdiObject::LiveCount(), 0);
  EXPECT_EQ(Frame->Pixel(398, 320), kGridGrey);  // it did draw
}

// The left margin makes room for the widest level label of the range and
// scale shown: drawn into a frame that lies right of a strip of its own,
// no label reaches into the strip (none is clipped), and every label ends
// left of its tick. At the full range uncalibrated the 310-pixel view's
// margin stays 40 (a 600-pixel view's font may need more for "-140").
TEST_F(AxisFrameDrawingTest, TheLeftMarginHoldsTheWidestLevelLabel) {
  constexpr int kStripPx = 60;
  const struct {
    int FrameHeight;
    double TopDb;
    double BottomDb;
    int32_t ShiftHundredthsDb;
    bool Default;
  } cases[] = {
      {341, 0.0, -140.0, 0, true},      {631, 0.0, -140.0, 0, false},
      {341, 10.0, -160.0, 0, false},    {341, 10.0, -140.0, 10000, false},
      {631, 10.0, -140.0, 9750, false}, {631, 2.0, -3.0, 10475, false},
      {1031, -150.0, -160.0, 0, false}, {1031, 10.0, -140.0, 12000, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.FrameHeight << " px, " << c.TopDb << " to " << c.BottomDb
                                    << " dB, shift " << c.ShiftHundredthsDb);
    TBitmapDC frame(kStripPx + kFrameWidthPx, c.FrameHeight);
    frame.Fill(kBlack);
    ViewRange range;
    range.SetLevels(c.TopDb, c.BottomDb);
    const int viewHeight = c.FrameHeight - 31;
    const int margin = LevelLabelMarginPx(frame, range, viewHeight, c.ShiftHundredthsDb);
    if (c.Default) {
      EXPECT_EQ(margin, kViewLeft);
    }
    EXPECT_GE(margin, kViewLeft);
    View->SetRange(range);
    View->Rescale(kFrameWidthPx - margin - 1, viewHeight, 0, true);
    SetViewportOrgEx(frame.GetHandle(), kStripPx, 0, nullptr);
    PaintAxisFrame(frame, *View, RECT{0, 0, kFrameWidthPx, c.FrameHeight}, c.ShiftHundredthsDb,
                   margin);
    SetViewportOrgEx(frame.GetHandle(), 0, 0, nullptr);
    EXPECT_TRUE(FindText(frame, RECT{0, 0, kStripPx, c.FrameHeight}).Empty());
    const TextBox labels =
        FindText(frame, RECT{kStripPx, 0, kStripPx + margin - 4, c.FrameHeight - 21});
    ASSERT_FALSE(labels.Empty());
    EXPECT_LT(labels.right, kStripPx + margin - 4);
    // Not wider than it needs: the widest label starts within a few pixels of the edge.
    if (margin > kViewLeft) {
      EXPECT_LE(labels.left - kStripPx, 3);
    }
  }
  View->SetRange(ViewRange());
}

}  // namespace
