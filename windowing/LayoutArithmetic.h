#pragma once

#include <array>
#include <cstdint>

// Placement of a child window by edge constraints relative to its parent's
// client area. Edges are inclusive pixel coordinates: the parent's are left 0,
// top 0, right width - 1, bottom height - 1.

enum class Edge { Left, Top, Right, Bottom };

// RightOf and Below put the edge margin + 1 pixels past the other edge;
// LeftOf and Above put it margin + 1 pixels before it.
enum class Relation { RightOf, Below, LeftOf, Above };

struct LayoutConstraint {
  Edge edge;  // the child's edge being placed
  Relation relation;
  Edge parentEdge;  // the parent's edge it is placed against
  int32_t margin;   // pixels
};

using ChildConstraints = std::array<LayoutConstraint, 4>;

// Position and size of a child in the parent's client coordinates.
struct LayoutRect {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

// Places a child by its constraints in a parent client area of
// parentWidth x parentHeight pixels. An edge without a constraint lies on the
// parent's edge of the same name; of two constraints on one edge the later
// wins. A child whose edges cross (too small a parent) is empty: size 0 x 0 at
// its left and top edge.
LayoutRect PlaceChild(const ChildConstraints& constraints, int32_t parentWidth,
                      int32_t parentHeight);
