#include "display/LevelAxis.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "display/AxisLabelWidth.h"
#include "display/ViewPlacement.h"

namespace {

constexpr int32_t kTickLengthPx = 4;
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

// The shift rounded to tenths, halves away from zero.
int32_t ShiftTenths(int32_t shiftHundredthsDb) {
  const int32_t half = kHundredthsPerTenth / 2;
  return (shiftHundredthsDb >= 0 ? shiftHundredthsDb + half : shiftHundredthsDb - half) /
         kHundredthsPerTenth;
}

}  // namespace

std::vector<std::string> LevelAxis::LabelTexts(const ViewRange& range, int32_t viewHeightPx,
                                               int32_t shiftHundredthsDb) {
  const int32_t shiftTenths = ShiftTenths(shiftHundredthsDb);
  const LevelSteps levels(range, viewHeightPx, AxisFontHeightPx(viewHeightPx));
  std::vector<std::string> texts;
  for (int32_t row = 0; row < levels.Count(); ++row) {
    char text[AxisLabel::kTextCapacity];
    WriteLabel(text, static_cast<int32_t>(levels.Level(row)) * kTenthsPerDb + shiftTenths);
    texts.emplace_back(text);
  }
  return texts;
}

LevelAxis::LevelAxis(const ViewGeometry& view, int32_t textHeightPx, int32_t shiftHundredthsDb,
                     int32_t viewLeftPx) {
  const int32_t shiftTenths = ShiftTenths(shiftHundredthsDb);
  const int32_t labelRightPx = viewLeftPx - kLevelLabelGapPx;
  const int32_t baselineOffset = textHeightPx / 2 - kBaselineRaisePx;
  const int32_t cellHeight = AxisFontHeightPx(view.ViewHeight());
  const LevelSteps levels(view, cellHeight);
  for (int32_t row = 0; row < levels.Count(); ++row) {
    const double level = levels.Level(row);
    const int32_t y = view.LevelToY(level) + kViewTopPx;
    TickLines.push_back({{viewLeftPx, y}, {viewLeftPx - kTickLengthPx, y}});
    AxisLabel label{{labelRightPx, y + baselineOffset}, {}};
    WriteLabel(label.text, static_cast<int32_t>(level) * kTenthsPerDb + shiftTenths);
    Widest = std::max(Widest, AxisLabelWidthPx(label.text, cellHeight));
    LevelLabels.push_back(label);
  }
}
