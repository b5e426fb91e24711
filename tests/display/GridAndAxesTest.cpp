#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analysis/DisplayRange.h"
#include "display/AxisFont.h"
#include "display/FrequencyAxis.h"
#include "display/GridGeometry.h"
#include "display/LevelAxis.h"
#include "display/ViewPlacement.h"
#include "tests/windowing/ExpectRect.h"

namespace {

TEST(ViewPlacement, LeavesTheAxisMarginsFree) {
  ExpectRect(PlaceChild(kViewConstraints, 641, 341), 40, 10, 600, 310);
  ExpectRect(PlaceChild(kViewConstraints, 1000, 700), 40, 10, 959, 669);
  ExpectRect(PlaceChild(kViewConstraints, 42, 32), 40, 10, 1, 1);
}

TEST(ViewPlacement, TooSmallAFrameGivesAnEmptyView) {
  ExpectRect(PlaceChild(kViewConstraints, 41, 341), 40, 10, 0, 0);
  ExpectRect(PlaceChild(kViewConstraints, 641, 31), 40, 10, 0, 0);
  ExpectRect(PlaceChild(kViewConstraints, 0, 0), 40, 10, 0, 0);
}

// An axis frame of 641 x 341 pixels with its view laid out and rescaled.
class AxisFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    const LayoutRect placed = PlaceChild(kViewConstraints, 641, 341);
    View->Rescale(placed.width, placed.height, 2048, false);
  }
  std::unique_ptr<ViewGeometry> View = std::make_unique<ViewGeometry>();
};

TEST_F(AxisFrameTest, GridColumnsAndRows) {
  const GridGeometry grid(*View);
  // Decade by decade from 1 Hz: 10 Hz is the 10th column, 10 kHz the 37th.
  EXPECT_EQ(grid.Columns()[9], 0);
  EXPECT_EQ(grid.Columns()[36], View->FreqToX(10000.0));
  EXPECT_LT(grid.Columns()[8], 0);                   // 9 Hz, left of the plot
  EXPECT_GE(grid.Columns()[38], View->ViewWidth());  // 30 kHz, right of it
  for (int32_t i = 1; i < GridGeometry::kColumnCount; ++i) {
    EXPECT_LT(grid.Columns()[i - 1], grid.Columns()[i]) << i;
  }
  ASSERT_EQ(grid.RowCount(), 15);
  EXPECT_EQ(grid.Row(0), 309);  // -140 dB on the last row
  EXPECT_EQ(grid.Row(7), View->LevelToY(-70.0));
  EXPECT_EQ(grid.Row(14), 0);
}

TEST_F(AxisFrameTest, FrequencyTicksHangBelowThePlot) {
  const FrequencyAxis axis(*View);
  for (const AxisTick& tick : axis.Ticks()) {
    EXPECT_EQ(tick.from.y, 319);
    EXPECT_EQ(tick.to.y, 323);  // the end point stays undrawn: rows 319 to 322
    EXPECT_EQ(tick.from.x, tick.to.x);
  }
  EXPECT_EQ(axis.Ticks()[0].from.x, 40);
  EXPECT_EQ(axis.Ticks()[1].from.x, View->FreqToX(20.0) + 40);
  EXPECT_EQ(axis.Ticks()[35].from.x, View->FreqToX(90000.0) + 40);
}

TEST_F(AxisFrameTest, DecadeLabelsCentredUnderTheirFirstTick) {
  const FrequencyAxis axis(*View);
  const char* texts[] = {"10", "100", "1k", "10k"};
  const int32_t centres[] = {40, 219, 398, 577};
  for (int32_t k = 0; k < FrequencyAxis::kLabelCount; ++k) {
    EXPECT_EQ(std::string(axis.Labels()[k].text), texts[k]);
    EXPECT_EQ(axis.Labels()[k].anchor, (PixelPoint{centres[k], 323}));
    EXPECT_EQ(axis.Labels()[k].anchor.x, axis.Ticks()[9 * k].from.x);
  }
}

TEST_F(AxisFrameTest, LevelTicksAndLabels) {
  const int32_t textHeightPx = 13;  // baseline 13 / 2 - 3 = 3 below the tick
  const LevelAxis axis(*View, textHeightPx);
  ASSERT_EQ(axis.Count(), 15);
  EXPECT_EQ(std::string(axis.Label(0).text), "-140");
  EXPECT_EQ(axis.Tick(0).from, (PixelPoint{40, 319}));
  EXPECT_EQ(axis.Tick(0).to, (PixelPoint{36, 319}));
  EXPECT_EQ(axis.Label(0).anchor, (PixelPoint{33, 322}));
  EXPECT_EQ(std::string(axis.Label(14).text), "0");
  EXPECT_EQ(axis.Tick(14).from, (PixelPoint{40, 10}));
  EXPECT_EQ(std::string(axis.Label(9).text), "-50");
  EXPECT_EQ(axis.Tick(9).from.y, View->LevelToY(-50.0) + 10);

  const LevelAxis smallText(*View, 4);  // the baseline may lie above the tick
  EXPECT_EQ(smallText.Label(14).anchor.y, 10 - 1);
}

TEST(AxisFont, HeightGrowsWithTheView) {
  EXPECT_EQ(AxisFontHeightPx(0), 7);
  EXPECT_EQ(AxisFontHeightPx(149), 7);
  EXPECT_EQ(AxisFontHeightPx(150), 8);
  EXPECT_EQ(AxisFontHeightPx(310), 11);
  EXPECT_EQ(AxisFontHeightPx(500), 15);
}

TEST(LevelSteps, FollowTheDisplayRange) {
  Range = kFixedDisplayRange;
  Range.LevelMin = -45.0;  // the last step must not pass LevelMax
  const LevelSteps steps;
  ASSERT_EQ(steps.Count(), 5);
  EXPECT_EQ(steps.Level(4), -5.0);
  Range.LevelMin = -1000.0;  // more steps than the axis has room for
  EXPECT_EQ(LevelSteps().Count(), LevelSteps::kCapacity);
  Range = kFixedDisplayRange;
}

}  // namespace
