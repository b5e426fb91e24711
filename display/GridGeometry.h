#pragma once

#include <cstdint>
#include <vector>

#include "display/FrequencyDecades.h"
#include "display/LevelSteps.h"
#include "display/ViewGeometry.h"

// The grey grid of the spectrum view, in view pixels, for the range the view
// shows (FrequencySteps, LevelSteps, with the axis labels' font and widths):
// its columns (each drawn over the view's full height, also those outside
// the plot) and its rows (each drawn over the view's full width). At the
// full range one column per mark of every decade from 1 Hz to 90 kHz and one
// row per 10 dB.
class GridGeometry {
 public:
  // The full range's columns.
  static constexpr int32_t kColumnCount = kDecadeCount * kMarksPerDecade;

  explicit GridGeometry(const ViewGeometry& view);

  // In increasing order: with decades, decade by decade, 1 to 9 times the
  // decade's first frequency.
  const std::vector<int32_t>& Columns() const { return ColumnX; }
  int32_t RowCount() const { return static_cast<int32_t>(RowY.size()); }
  // From the bottom of the range up to its top; index below RowCount().
  int32_t Row(int32_t index) const { return RowY[static_cast<size_t>(index)]; }

 private:
  std::vector<int32_t> ColumnX;
  std::vector<int32_t> RowY;
};
