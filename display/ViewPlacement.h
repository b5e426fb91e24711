#pragma once

#include <cstdint>

#include "windowing/LayoutArithmetic.h"

// Where the spectrum view lies in the axis frame's client area: margins for
// the level labels on the left and the frequency labels below, one free
// column on the right. A point (x, y) of the view is (x + kViewLeftPx,
// y + kViewTopPx) of the axis frame.
constexpr int32_t kViewLeftPx = 40;
constexpr int32_t kViewTopPx = 10;
constexpr int32_t kFrameColumnsRightOfViewPx = 1;
constexpr int32_t kFrameRowsBelowViewPx = 21;

// The view's layout constraints, relative to the axis frame.
constexpr ChildConstraints kViewConstraints{{
    {Edge::Left, Relation::RightOf, Edge::Left, kViewLeftPx - 1},
    {Edge::Top, Relation::Below, Edge::Top, kViewTopPx - 1},
    {Edge::Right, Relation::LeftOf, Edge::Right, kFrameColumnsRightOfViewPx - 1},
    {Edge::Bottom, Relation::Above, Edge::Bottom, kFrameRowsBelowViewPx - 1},
}};
