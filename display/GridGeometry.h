#pragma once

#include <array>
#include <cstdint>

#include "display/FrequencyDecades.h"
#include "display/LevelSteps.h"
#include "display/ViewGeometry.h"

// The grey grid of the spectrum view, in view pixels: one column per mark of
// every decade from 1 Hz to 90 kHz (each drawn over the view's full height,
// also those outside the plot), one row per level step (each drawn over the
// view's full width).
class GridGeometry {
 public:
  static constexpr int32_t kColumnCount = kDecadeCount * kMarksPerDecade;

  explicit GridGeometry(const ViewGeometry& view);

  // Decade by decade, 1 to 9 times the decade's first frequency.
  const std::array<int32_t, kColumnCount>& Columns() const { return ColumnX; }
  int32_t RowCount() const { return Rows; }
  // From LevelMin (bottom) up to LevelMax (top); index below RowCount().
  int32_t Row(int32_t index) const { return RowY[index]; }

 private:
  std::array<int32_t, kColumnCount> ColumnX{};
  std::array<int32_t, LevelSteps::kCapacity> RowY{};
  int32_t Rows = 0;
};
