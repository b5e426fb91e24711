#include "display/LevelAxis.h"

#include <cstdio>

#include "display/ViewPlacement.h"

namespace {

constexpr int32_t kTickLengthPx = 4;
constexpr int32_t kLabelRightPx = kViewLeftPx - 7;
// The baseline lies this much above half a cell below the tick.
constexpr int32_t kBaselineRaisePx = 3;

}  // namespace

LevelAxis::LevelAxis(const ViewGeometry& view, int32_t textHeightPx) {
  const int32_t baselineOffset = textHeightPx / 2 - kBaselineRaisePx;
  const LevelSteps levels;
  for (Size = 0; Size < levels.Count(); ++Size) {
    const double level = levels.Level(Size);
    const int32_t y = view.LevelToY(level) + kViewTopPx;
    TickLines[Size] = {{kViewLeftPx, y}, {kViewLeftPx - kTickLengthPx, y}};
    AxisLabel& label = LevelLabels[Size];
    label.anchor = {kLabelRightPx, y + baselineOffset};
    std::snprintf(label.text, AxisLabel::kTextCapacity, "%d", static_cast<int32_t>(level));
  }
}
