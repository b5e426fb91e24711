#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "analysis/DisplayRange.h"
#include "display/AxisFont.h"
#include "display/AxisLabelWidth.h"
#include "display/FrequencyAxis.h"
#include "display/FrequencySteps.h"
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

// The frequency a label names, read back as a user would: "1,02k" is 1020 Hz.
double LabelledHz(std::string text) {
  double factor = 1.0;
  if (!text.empty() && text.back() == 'k') {
    text.pop_back();
    factor = 1000.0;
  }
  for (char& c : text)
    if (c == ',') c = '.';
  return std::stod(text) * factor;
}

// From 3.3 decades down to a few hertz, at the widths of a small and a large
// window: the labels lie inside the range at the frequency they name, in
// order, each once, apart by the gap, never past the frame's right end, at
// least two of them; the grid holds every labelled frequency.
TEST(FrequencySteps, LabelsReadAtEveryRange) {
  const struct {
    double lowHz, highHz;
  } ranges[] = {{10, 22050}, {20, 20000},  {100, 1000}, {1000, 10000}, {200, 900},
                {15, 80},    {1000, 1100}, {995, 1010}, {1234, 1236},  {21000, 22050},
                {10, 12},    {5000, 5001}, {440, 441.5}};
  for (const auto& r : ranges) {
    for (const int32_t width : {200, 600, 1500}) {
      auto view = std::make_unique<ViewGeometry>();
      ViewRange range;
      range.SetFrequencies(r.lowHz, r.highHz, 0.0);
      view->SetRange(range);
      view->Rescale(width, 300, 0, true);
      const auto widthOf = AxisLabelWidth(*view);
      const FrequencySteps steps(*view, widthOf);
      SCOPED_TRACE(std::to_string(r.lowHz) + " to " + std::to_string(r.highHz) + " at " +
                   std::to_string(width));
      ASSERT_GE(steps.Labels().size(), 2u);
      std::set<std::string> texts;
      std::optional<int32_t> previousRight;
      for (const FrequencySteps::Label& label : steps.Labels()) {
        EXPECT_TRUE(texts.insert(label.Text).second) << label.Text;
        EXPECT_GE(label.FrequencyHz, range.LowHz() * (1 - 1e-9));
        EXPECT_LE(label.FrequencyHz, range.HighHz() * (1 + 1e-9));
        EXPECT_NEAR(LabelledHz(label.Text), label.FrequencyHz, 1e-6 * label.FrequencyHz)
            << label.Text;
        const int32_t centre = view->FreqToX(label.FrequencyHz);
        const int32_t left = centre - widthOf(label.Text) / 2;
        if (previousRight) {
          EXPECT_GE(left - *previousRight, FrequencySteps::kLabelGapPx) << label.Text;
        }
        previousRight = left + widthOf(label.Text);
        EXPECT_LE(centre + (widthOf(label.Text) + 1) / 2, width + 1) << label.Text;
        bool gridded = false;
        for (const double gridHz : steps.GridHz())
          gridded = gridded || std::abs(gridHz - label.FrequencyHz) < 1e-9 * gridHz;
        EXPECT_TRUE(gridded) << label.Text;
      }
    }
  }
}

TEST(FrequencySteps, DecadesAtTheFullRangeThenOneTwoFiveThenSteps) {
  auto view = std::make_unique<ViewGeometry>();
  view->Rescale(600, 310, 0, true);
  const FrequencySteps full(*view, AxisLabelWidth(*view));
  EXPECT_TRUE(full.Decades());
  ASSERT_EQ(full.Labels().size(), 4u);
  EXPECT_EQ(full.Labels()[2].Text, "1k");
  EXPECT_EQ(full.GridHz().size(), static_cast<size_t>(GridGeometry::kColumnCount));

  ViewRange range;
  // One decade: narrow, 1-2-5 over the decade's grid ("1k" would reach
  // past the frame); wide, every mark.
  range.SetFrequencies(100.0, 1000.0, 0.0);
  view->SetRange(range);
  view->Rescale(200, 310, 0, true);
  const FrequencySteps narrow(*view, AxisLabelWidth(*view));
  EXPECT_TRUE(narrow.DecadeGrid());
  std::vector<std::string> texts;
  for (const auto& label : narrow.Labels()) texts.push_back(label.Text);
  EXPECT_EQ(texts, (std::vector<std::string>{"100", "200", "500"}));
  view->Rescale(600, 310, 0, true);
  const FrequencySteps wide(*view, AxisLabelWidth(*view));
  EXPECT_EQ(wide.StepHz(), 100.0);
  EXPECT_EQ(wide.Labels().size(), 9u);

  range.SetFrequencies(1000.0, 2000.0, 0.0);
  view->SetRange(range);
  view->Rescale(600, 310, 0, true);
  const FrequencySteps octave(*view, AxisLabelWidth(*view));
  EXPECT_FALSE(octave.DecadeGrid());
  EXPECT_EQ(octave.StepHz(), 100.0);
  EXPECT_EQ(octave.Labels()[2].Text, "1,2k");
}

TEST(FrequencySteps, LabelTexts) {
  EXPECT_EQ(FrequencySteps::LabelText(1200.0, 100.0), "1,2k");
  EXPECT_EQ(FrequencySteps::LabelText(1000.0, 100.0), "1k");
  EXPECT_EQ(FrequencySteps::LabelText(1020.0, 20.0), "1,02k");
  EXPECT_EQ(FrequencySteps::LabelText(1234.5, 0.5), "1,2345k");
  EXPECT_EQ(FrequencySteps::LabelText(440.5, 0.5), "440,5");
  EXPECT_EQ(FrequencySteps::LabelText(15.0, 5.0), "15");
  EXPECT_EQ(FrequencySteps::LabelText(10000.0, 0.0), "10k");
}

// From 200 dB to 2 dB: steps of the 1-2-5 series, the labels' rows two text
// heights apart (or no more than the full range's 14 steps), each level once.
TEST(LevelSteps, SpacedAtEveryRangeAndHeight) {
  for (const double spanDb : {200.0, 140.0, 100.0, 60.0, 30.0, 12.0, 5.0, 2.0}) {
    for (const int32_t height : {100, 310, 700, 1400}) {
      auto view = std::make_unique<ViewGeometry>();
      ViewRange range;
      range.SetLevels(-17.3, -17.3 - spanDb);
      view->SetRange(range);
      view->Rescale(600, height, 0, true);
      const int32_t text = AxisFontHeightPx(height);
      const LevelSteps steps(*view, text);
      SCOPED_TRACE(std::to_string(spanDb) + " dB at " + std::to_string(height));
      ASSERT_GE(steps.Count(), 2);
      const double step = steps.StepDb();
      EXPECT_TRUE(step == 1 || step == 2 || step == 5 || step == 10 || step == 20) << step;
      const double rowsApart = step * view->YScale();
      EXPECT_TRUE(rowsApart >= 2 * text || spanDb / step <= 14) << rowsApart;
      // The next finer step would crowd: the densest that reads.
      if (step > 1 && spanDb / step < 14) {
        EXPECT_LT(step / 2.5 * view->YScale(), 2 * text);
      }
      for (int32_t i = 0; i < steps.Count(); ++i) {
        EXPECT_GE(steps.Level(i), range.BottomDb() - 1e-9);
        EXPECT_LE(steps.Level(i), range.TopDb() + 1e-9);
        if (i > 0) {
          EXPECT_DOUBLE_EQ(steps.Level(i) - steps.Level(i - 1), step);
        }
      }
      EXPECT_LT(steps.Level(0) - step, range.BottomDb());  // none missing below
      EXPECT_GT(steps.Level(steps.Count() - 1) + step, range.TopDb());
    }
  }
}

}  // namespace
