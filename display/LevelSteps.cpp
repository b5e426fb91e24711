#include "display/LevelSteps.h"

#include <algorithm>
#include <cmath>

#include "analysis/DisplayRange.h"

namespace {

constexpr double kLevelStepDb = 10.0;
// Rows at least this many text heights apart leave a free row between labels.
constexpr int32_t kTextHeightsPerRow = 2;
// Levels this close to the range's ends still belong to it (dB).
constexpr double kEdgeToleranceDb = 1e-9;

static_assert((kFixedDisplayRange.LevelMax - kFixedDisplayRange.LevelMin) / kLevelStepDb + 1 ==
                  LevelSteps::kCapacity,
              "one step per 10 dB of the plot range");

}  // namespace

LevelSteps::LevelSteps() {
  for (double level = Range.LevelMin; level <= Range.LevelMax && Count() < kCapacity;
       level += kLevelStepDb) {
    Levels.push_back(level);
  }
}

LevelSteps::LevelSteps(const ViewGeometry& view, int32_t textHeightPx)
    : LevelSteps(view.Range(), view.ViewHeight(), textHeightPx) {}

LevelSteps::LevelSteps(const ViewRange& range, int32_t viewHeightPx, int32_t textHeightPx) {
  const double spanDb = range.TopDb() - range.BottomDb();
  const int32_t rowsWithRoom = (viewHeightPx - 1) / std::max(kTextHeightsPerRow * textHeightPx, 1);
  const int32_t rows = std::max(rowsWithRoom, kRowsAlwaysAllowed);
  Step = kStepsDb[std::size(kStepsDb) - 1];
  for (const double step : kStepsDb) {
    if (spanDb / step <= rows + kEdgeToleranceDb) {
      Step = step;
      break;
    }
  }
  const double first = std::ceil(range.BottomDb() / Step - kEdgeToleranceDb);
  const double last = std::floor(range.TopDb() / Step + kEdgeToleranceDb);
  for (double multiple = first; multiple <= last; ++multiple) Levels.push_back(multiple * Step);
}
