#pragma once

#include <array>
#include <cstdint>

#include "display/AxisMarks.h"
#include "display/FrequencyDecades.h"
#include "display/ViewGeometry.h"

// The frequency axis below the plot, in axis-frame pixels: a short downward
// tick under every grid column from 10 Hz to 90 kHz, and each decade's label
// ("10", "100", "1k", "10k") under its first tick. Labels are anchored at the
// centre of their top edge.
class FrequencyAxis {
 public:
  static constexpr int32_t kLabelCount = kDecadeCount - 1;
  static constexpr int32_t kTickCount = kLabelCount * kMarksPerDecade;

  explicit FrequencyAxis(const ViewGeometry& view);

  const std::array<AxisTick, kTickCount>& Ticks() const { return TickLines; }
  const std::array<AxisLabel, kLabelCount>& Labels() const { return DecadeLabels; }

 private:
  std::array<AxisTick, kTickCount> TickLines{};
  std::array<AxisLabel, kLabelCount> DecadeLabels{};
};
