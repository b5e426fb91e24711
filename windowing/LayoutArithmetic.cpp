#include "windowing/LayoutArithmetic.h"

namespace {

// Edges in the order of Edge: left, top, right, bottom.
using EdgeSet = std::array<int32_t, 4>;

int32_t Index(Edge edge) {
  return static_cast<int32_t>(edge);
}

int32_t PlacedEdge(const LayoutConstraint& constraint, const EdgeSet& parent) {
  const int32_t other = parent[Index(constraint.parentEdge)];
  const int32_t distance = constraint.margin + 1;
  switch (constraint.relation) {
    case Relation::RightOf:
    case Relation::Below:
      return other + distance;
    case Relation::LeftOf:
    case Relation::Above:
      return other - distance;
  }
  return other;
}

}  // namespace

LayoutRect PlaceChild(const ChildConstraints& constraints, int32_t parentWidth,
                      int32_t parentHeight) {
  const EdgeSet parent{0, 0, parentWidth - 1, parentHeight - 1};
  EdgeSet child = parent;
  for (const LayoutConstraint& constraint : constraints) {
    child[Index(constraint.edge)] = PlacedEdge(constraint, parent);
  }
  const int32_t left = child[Index(Edge::Left)];
  const int32_t top = child[Index(Edge::Top)];
  const int32_t width = child[Index(Edge::Right)] - left + 1;
  const int32_t height = child[Index(Edge::Bottom)] - top + 1;
  if (width < 1 || height < 1) return {left, top, 0, 0};
  return {left, top, width, height};
}
