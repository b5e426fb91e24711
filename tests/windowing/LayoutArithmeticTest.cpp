#include <gtest/gtest.h>

#include "tests/windowing/ExpectRect.h"

namespace {

TEST(PlaceChild, RelatesAnyEdgeToAnyParentEdge) {
  // A 10-pixel strip along the parent's bottom, 5 pixels in from either side.
  const ChildConstraints strip{{
      {Edge::Top, Relation::Above, Edge::Bottom, 8},
      {Edge::Bottom, Relation::Above, Edge::Bottom, -1},
      {Edge::Left, Relation::RightOf, Edge::Left, 4},
      {Edge::Right, Relation::LeftOf, Edge::Right, 4},
  }};
  ExpectRect(PlaceChild(strip, 200, 100), 5, 90, 190, 10);
}

TEST(PlaceChild, UnconstrainedEdgesFollowTheParentAndTheLastConstraintWins) {
  const ChildConstraints leftOnly{{
      {Edge::Left, Relation::RightOf, Edge::Left, 0},
      {Edge::Left, Relation::RightOf, Edge::Left, 19},
      {Edge::Top, Relation::Below, Edge::Top, 4},
      {Edge::Top, Relation::Below, Edge::Top, -1},
  }};
  ExpectRect(PlaceChild(leftOnly, 100, 50), 20, 0, 80, 50);
}

}  // namespace
