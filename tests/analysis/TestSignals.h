#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/LevelTypes.h"

// The double nearest to 2 pi; M_PI is not standard C++ and MinGW hides it.
constexpr double kTestTwoPi = 6.283185307179586;

// A capture block of exactly the program's size, so that AddressSanitizer
// catches any read beyond the largest capture.
struct StereoBlock {
  std::vector<int16_t> Samples = std::vector<int16_t>(2 * kMaxFftSize, 0);

  void Set(int32_t frame, int32_t channel, int32_t value) {
    Samples[2 * frame + channel] = static_cast<int16_t>(value);
  }
  // A sine of `peak` sample units with `cycles` periods in n frames.
  void Sine(int32_t channel, int32_t n, double cycles, double peak) {
    for (int32_t j = 0; j < n; ++j)
      Set(j, channel,
          static_cast<int32_t>(std::lround(peak * std::sin(kTestTwoPi * cycles * j / n))));
  }
  void Constant(int32_t channel, int32_t n, int32_t value) {
    for (int32_t j = 0; j < n; ++j) Set(j, channel, value);
  }
};
