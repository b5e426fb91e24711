#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <vector>

#include "display/TraceThinning.h"

void PrintTo(const PixelPoint& point, std::ostream* out) {
  *out << "(" << point.x << ", " << point.y << ")";
}

namespace {

struct Run {
  int32_t x;
  std::vector<int32_t> rows;
};

// The polyline of runs of vertices on one column each: x and the rows in order.
std::vector<PixelPoint> Polyline(std::initializer_list<Run> runs) {
  std::vector<PixelPoint> vertices;
  for (const Run& run : runs) {
    for (const int32_t y : run.rows) vertices.push_back({run.x, y});
  }
  return vertices;
}

std::vector<PixelPoint> Thinned(std::vector<PixelPoint> vertices) {
  vertices.resize(ThinColumnRuns(vertices.data(), static_cast<int32_t>(vertices.size())));
  return vertices;
}

TEST(TraceThinningTest, ARunWithinTheTraceKeepsItsEndsAndItsHighestAndLowestRows) {
  EXPECT_EQ(Thinned(Polyline({{0, {50}},
                              {1, {40, 10, 70, 30, 60, 20}},  // ends between its extremes
                              {2, {40, 10, 70, 30, 70}},      // ends on its lowest row
                              {3, {35, 35}},
                              {4, {5}}})),
            Polyline({{0, {50}},
                      {1, {40, 10, 70, 20}},
                      {2, {40, 10, 70}},  // the line to column 3 starts on (2, 70)
                      {3, {35}},
                      {4, {5}}}));
}

TEST(TraceThinningTest, TheTracesLastRunDrawsItsLastPixelOnlyWhereEveryVertexWould) {
  // The path stood on row 0 and moved on: (5, 0) is drawn.
  EXPECT_EQ(Thinned(Polyline({{0, {50}}, {5, {30, 60, 0, 20, 0}}})),
            Polyline({{0, {50}}, {5, {30, 0, 60, 0}}}));
  // Row 0 is reached only at the end: (5, 0) stays undrawn.
  EXPECT_EQ(Thinned(Polyline({{0, {50}}, {5, {30, 60, 10, 0}}})),
            Polyline({{0, {50}}, {5, {30, 60, 0}}}));
  // Followed by another column, the line leaving it draws (5, 0).
  EXPECT_EQ(Thinned(Polyline({{0, {50}}, {5, {30, 60, 0, 20, 0}}, {6, {0}}})),
            Polyline({{0, {50}}, {5, {30, 60, 0}}, {6, {0}}}));
}

}  // namespace
