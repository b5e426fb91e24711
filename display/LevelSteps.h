#pragma once

#include <cstdint>
#include <vector>

#include "display/ViewGeometry.h"

// The levels of the horizontal grid and the level axis, in plot decibels.
class LevelSteps {
 public:
  // The fixed range's count: 15 levels, -140 to 0 dB.
  static constexpr int32_t kCapacity = 15;
  // The steps offered, in decibels, finest first.
  static constexpr double kStepsDb[] = {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0};
  // Rows always allowed, however low the view: the full range's 10-dB steps.
  static constexpr int32_t kRowsAlwaysAllowed = kCapacity - 1;

  // The process-wide DisplayRange's: LevelMin, then steps of 10 dB while not
  // above LevelMax, at most kCapacity of them.
  LevelSteps();
  // The range the view shows: every multiple of the finest step from
  // kStepsDb for which the rows lie at least two text heights apart (or
  // which gives no more than kRowsAlwaysAllowed steps), from the bottom up.
  // At the full range of 0 to -140 dB these are the fixed range's 15
  // levels at every view height.
  LevelSteps(const ViewGeometry& view, int32_t textHeightPx);
  // The same for `range` in a view viewHeightPx high, of any width.
  LevelSteps(const ViewRange& range, int32_t viewHeightPx, int32_t textHeightPx);

  int32_t Count() const { return static_cast<int32_t>(Levels.size()); }
  double Level(int32_t index) const { return Levels[static_cast<size_t>(index)]; }
  double StepDb() const { return Step; }

 private:
  std::vector<double> Levels;
  double Step = 10.0;
};
