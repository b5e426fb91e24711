#include "display/LevelSteps.h"

#include "analysis/DisplayRange.h"

namespace {

constexpr double kLevelStepDb = 10.0;

static_assert((kFixedDisplayRange.LevelMax - kFixedDisplayRange.LevelMin) / kLevelStepDb + 1 ==
                  LevelSteps::kCapacity,
              "one step per 10 dB of the plot range");

}  // namespace

LevelSteps::LevelSteps() {
  for (double level = Range.LevelMin; level <= Range.LevelMax && Size < kCapacity;
       level += kLevelStepDb) {
    Levels[Size++] = level;
  }
}
