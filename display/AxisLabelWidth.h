#pragma once

#include <cstdint>
#include <string>

#include "display/AxisFont.h"
#include "display/ViewGeometry.h"

// How wide an axis label's text is drawn, in pixels, as the grid and both
// axes reckon it: a little more than the labels' font gives digits (about
// 0.56 of the cell height in its face), so that labels spaced by it never
// touch, and the same on every machine.
constexpr int32_t kAxisCharWidthPer10CellPx = 6;

inline int32_t AxisLabelWidthPx(const std::string& text, int32_t cellHeightPx) {
  const int32_t charWidth = (cellHeightPx * kAxisCharWidthPer10CellPx + 9) / 10;
  return static_cast<int32_t>(text.size()) * charWidth;
}

// The measure for FrequencySteps with the font of `view`'s axes.
inline auto AxisLabelWidth(const ViewGeometry& view) {
  const int32_t cell = AxisFontHeightPx(view.ViewHeight());
  return [cell](const std::string& text) { return AxisLabelWidthPx(text, cell); };
}
