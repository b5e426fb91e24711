#pragma once

#include <algorithm>
#include <cstdint>

// Cell height in pixels of the axis labels' font: grows by one pixel per 50
// pixels of view height, from 7 for views lower than 150 pixels.
constexpr int32_t kAxisFontSmallestViewHeightPx = 100;
constexpr int32_t kAxisFontViewPxPerFontPx = 50;
constexpr int32_t kAxisFontBaseHeightPx = 5;

constexpr int32_t AxisFontHeightPx(int32_t viewHeightPx) {
  return std::max(viewHeightPx, kAxisFontSmallestViewHeightPx) / kAxisFontViewPxPerFontPx +
         kAxisFontBaseHeightPx;
}
