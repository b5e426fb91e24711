#pragma once

#include <array>
#include <cstdint>

// The levels of the horizontal grid and the level axis: LevelMin, then steps
// of 10 dB while not above LevelMax; the 15 levels -140 to 0 dB of the fixed
// range. Reads the process-wide DisplayRange.
class LevelSteps {
 public:
  static constexpr int32_t kCapacity = 15;

  LevelSteps();

  int32_t Count() const { return Size; }
  double Level(int32_t index) const { return Levels[index]; }

 private:
  std::array<double, kCapacity> Levels{};
  int32_t Size = 0;
};
