#include "display/LevelAxis.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "display/AxisLabelWidth.h"
#include "display/ViewPlacement.h"

namespace {

constexpr int32_t kTickLengthPx = 4;
constexpr int32_t kLabelRightPx = kViewLeftPx - 7;
// The baseline lies this much above half a cell below the tick.
constexpr int32_t kBaselineRaisePx = 3;
constexpr int32_t kHundredthsPerTenth = 10;
constexpr int32_t kTenthsPerDb = 10;

// A label's level in tenths: whole decibels as "%d", others as "%d,%d".
void WriteLabel(char* text, int32_t tenths) {
  if (tenths % kTenthsPerDb == 0) {
    std::snprintf(text, AxisLabel::kTextCapacity, "%d", tenths / kTenthsPerDb);
    return;
  }
  const int32_t magnitude = tenths < 0 ? -tenths : tenths;
  std::snprintf(text, AxisLabel::kTextCapacity, "%s%d,%d", tenths < 0 ? "-" : "",
                magnitude / kTenthsPerDb, magnitude % kTenthsPerDb);
}

}  // namespace

LevelAxis::LevelAxis(const ViewGeometry& view, int32_t textHeightPx, int32_t shiftHundredthsDb) {
  const int32_t half = kHundredthsPerTenth / 2;
  const int32_t shiftTenths =
      (shiftHundredthsDb >= 0 ? shiftHundredthsDb + half : shiftHundredthsDb - half) /
      kHundredthsPerTenth;
  const int32_t baselineOffset = textHeightPx / 2 - kBaselineRaisePx;
  const int32_t cellHeight = AxisFontHeightPx(view.ViewHeight());
  const LevelSteps levels(view, cellHeight);
  for (int32_t row = 0; row < levels.Count(); ++row) {
    const double level = levels.Level(row);
    const int32_t y = view.LevelToY(level) + kViewTopPx;
    TickLines.push_back({{kViewLeftPx, y}, {kViewLeftPx - kTickLengthPx, y}});
    AxisLabel label{{kLabelRightPx, y + baselineOffset}, {}};
    WriteLabel(label.text, static_cast<int32_t>(level) * kTenthsPerDb + shiftTenths);
    Widest = std::max(Widest, AxisLabelWidthPx(label.text, cellHeight));
    LevelLabels.push_back(label);
  }
}
