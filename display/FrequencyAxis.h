#pragma once

#include <cstdint>
#include <vector>

#include "display/AxisMarks.h"
#include "display/FrequencyDecades.h"
#include "display/ViewGeometry.h"
#include "display/ViewPlacement.h"

// The frequency axis below the plot, in axis-frame pixels: a short downward
// tick under every grid column and the labels FrequencySteps chooses for the
// range shown, each under its tick. At the full range: a tick under every
// grid column from 10 Hz to 90 kHz and each decade's label ("10", "100",
// "1k", "10k") under its first tick; zoomed, the ticks of the columns within
// the range. Labels are anchored at the centre of their top edge.
class FrequencyAxis {
 public:
  // The full range's labels and ticks.
  static constexpr int32_t kLabelCount = kDecadeCount - 1;
  static constexpr int32_t kTickCount = kLabelCount * kMarksPerDecade;

  // viewLeftPx: the view's left margin in the axis frame.
  explicit FrequencyAxis(const ViewGeometry& view, int32_t viewLeftPx = kViewLeftPx);

  const std::vector<AxisTick>& Ticks() const { return TickLines; }
  const std::vector<AxisLabel>& Labels() const { return FrequencyLabels; }

 private:
  std::vector<AxisTick> TickLines;
  std::vector<AxisLabel> FrequencyLabels;
};
