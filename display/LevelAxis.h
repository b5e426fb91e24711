#pragma once

#include <array>
#include <cstdint>

#include "display/AxisMarks.h"
#include "display/LevelSteps.h"
#include "display/ViewGeometry.h"

// The level axis left of the plot, in axis-frame pixels: a short tick at
// every grid row and the row's level in whole decibels ("%d"), from LevelMin
// (bottom) to LevelMax (top), each moved by a calibration's shift: to the
// tenth with a decimal comma where the shift is no whole decibel ("40,3").
// Labels are anchored at the right end of their baseline, which lies so that
// the text is about centred on its tick.
class LevelAxis {
 public:
  // textHeightPx: the character cell height of the labels' font as the
  // device reports it. shiftHundredthsDb: what the labels read more than
  // the plot's levels (LevelScale::AxisShiftHundredthsDb).
  LevelAxis(const ViewGeometry& view, int32_t textHeightPx, int32_t shiftHundredthsDb = 0);

  int32_t Count() const { return Size; }
  const AxisTick& Tick(int32_t index) const { return TickLines[index]; }
  const AxisLabel& Label(int32_t index) const { return LevelLabels[index]; }

 private:
  std::array<AxisTick, LevelSteps::kCapacity> TickLines{};
  std::array<AxisLabel, LevelSteps::kCapacity> LevelLabels{};
  int32_t Size = 0;
};
