#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/AxisMarks.h"
#include "display/LevelSteps.h"
#include "display/ViewGeometry.h"
#include "display/ViewPlacement.h"

// The level axis left of the plot, in axis-frame pixels: a short tick at
// every grid row of the range shown (LevelSteps) and the row's level in
// whole decibels ("%d"), from the bottom up, each moved by a calibration's
// shift: to the tenth with a decimal comma where the shift is no whole
// decibel ("40,3").
// Labels are anchored at the right end of their baseline, which lies so that
// the text is about centred on its tick.
class LevelAxis {
 public:
  // textHeightPx: the character cell height of the labels' font as the
  // device reports it. shiftHundredthsDb: what the labels read more than
  // the plot's levels (LevelScale::AxisShiftHundredthsDb). viewLeftPx: the
  // view's left margin in the axis frame; the labels end kLevelLabelGapPx
  // left of it.
  LevelAxis(const ViewGeometry& view, int32_t textHeightPx, int32_t shiftHundredthsDb = 0,
            int32_t viewLeftPx = kViewLeftPx);

  // The labels' texts, bottom up, for `range` in a view viewHeightPx high:
  // what a margin must make room for before the view's width is known.
  static std::vector<std::string> LabelTexts(const ViewRange& range, int32_t viewHeightPx,
                                             int32_t shiftHundredthsDb);

  int32_t Count() const { return static_cast<int32_t>(TickLines.size()); }
  const AxisTick& Tick(int32_t index) const { return TickLines[static_cast<size_t>(index)]; }
  const AxisLabel& Label(int32_t index) const { return LevelLabels[static_cast<size_t>(index)]; }
  // The widest label's estimated width in pixels (AxisLabelWidthPx).
  int32_t WidestLabelPx() const { return Widest; }

 private:
  std::vector<AxisTick> TickLines;
  std::vector<AxisLabel> LevelLabels;
  int32_t Widest = 0;
};
