#include "display/FrequencyAxis.h"

#include <cstring>

#include "display/AxisLabelWidth.h"
#include "display/FrequencySteps.h"
#include "display/ViewPlacement.h"

namespace {

constexpr int32_t kTickLengthPx = 4;
constexpr int32_t kFirstTickedDecade = 1;

}  // namespace

FrequencyAxis::FrequencyAxis(const ViewGeometry& view, int32_t viewLeftPx) {
  // The plot's bottom row in frame pixels: the ticks start on it (the view
  // covers that pixel when it paints) and hang below it.
  const int32_t plotBottom = view.LevelToY(view.Range().BottomDb()) + kViewTopPx;
  const int32_t labelTop = plotBottom + kTickLengthPx;
  const auto tickAt = [&](double frequencyHz) {
    const int32_t x = view.FreqToX(frequencyHz) + viewLeftPx;
    TickLines.push_back({{x, plotBottom}, {x, labelTop}});
  };
  const FrequencySteps steps(view, AxisLabelWidth(view));
  if (view.Range().FullFrequencies()) {
    // From 10 Hz on; those beyond the plot's right end are clipped.
    for (int32_t decade = kFirstTickedDecade; decade < kDecadeCount; ++decade)
      for (int32_t mark = 1; mark <= kMarksPerDecade; ++mark) tickAt(mark * kDecadeStartHz[decade]);
  } else {
    // Only under the plot: the margins either side hold the other axis and nothing.
    for (const double frequencyHz : steps.GridHz()) {
      const int32_t x = view.FreqToX(frequencyHz);
      if (x >= 0 && x < view.ViewWidth()) tickAt(frequencyHz);
    }
  }
  for (const FrequencySteps::Label& label : steps.Labels()) {
    AxisLabel axisLabel{{view.FreqToX(label.FrequencyHz) + viewLeftPx, labelTop}, {}};
    std::strncpy(axisLabel.text, label.Text.c_str(), AxisLabel::kTextCapacity - 1);
    FrequencyLabels.push_back(axisLabel);
  }
}
