#pragma once

#include <cstdint>

#include "windowing/LayoutArithmetic.h"

// Where the spectrum view lies in the axis frame's client area: margins for
// the level labels on the left and the frequency labels below, one free
// column on the right. A point (x, y) of the view is (x + left margin,
// y + kViewTopPx) of the axis frame. The left margin is kViewLeftPx, or
// wider where the widest level label of the range and scale shown needs
// more (LevelLabelMarginPx).
constexpr int32_t kViewLeftPx = 40;
// Between a level label's right end and the view: its tick and a gap.
constexpr int32_t kLevelLabelGapPx = 7;
constexpr int32_t kViewTopPx = 10;
constexpr int32_t kFrameColumnsRightOfViewPx = 1;
constexpr int32_t kFrameRowsBelowViewPx = 21;

// The view's layout constraints, relative to the axis frame, with a left
// margin of viewLeftPx.
constexpr ChildConstraints ViewConstraints(int32_t viewLeftPx) {
  return {{
      {Edge::Left, Relation::RightOf, Edge::Left, viewLeftPx - 1},
      {Edge::Top, Relation::Below, Edge::Top, kViewTopPx - 1},
      {Edge::Right, Relation::LeftOf, Edge::Right, kFrameColumnsRightOfViewPx - 1},
      {Edge::Bottom, Relation::Above, Edge::Bottom, kFrameRowsBelowViewPx - 1},
  }};
}
constexpr ChildConstraints kViewConstraints = ViewConstraints(kViewLeftPx);

// The view's height in an axis frame `frameHeightPx` high, whatever its left margin.
constexpr int32_t ViewHeightInFrame(int32_t frameHeightPx) {
  return frameHeightPx > kViewTopPx + kFrameRowsBelowViewPx
             ? frameHeightPx - kViewTopPx - kFrameRowsBelowViewPx
             : 0;
}
