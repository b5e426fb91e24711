#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "analysis/WeightingWindow.h"
#include "analysis/levels/WindowLeakage.h"

namespace {

// The reach by walking out line by line: the first distance whose leakage
// lies below the threshold.
int32_t ReachByWalking(const WindowLeakage& leakage, double power, double threshold,
                       int32_t lines) {
  for (int32_t distance = 1; distance < lines; ++distance)
    if (power * leakage.EnvelopePower(distance) < threshold) return distance;
  return lines;
}

}  // namespace

// Within the table and beyond it (where the envelope is a power of the
// distance), for tones from just above the threshold to 300 dB above it,
// every window and spectra from 4 to 131072 lines.
TEST(WindowLeakageTest, ReachIsTheFirstDistanceBelowTheThreshold) {
  for (int32_t window = 0; window < kWindowCount; ++window) {
    const WindowLeakage leakage(WindowTable[window]);
    for (const int32_t lines : {4, 511, 512, 513, 2048, 131072})
      for (double aboveDb = 0.5; aboveDb < 300.0; aboveDb *= 1.7) {
        const double power = std::pow(10.0, aboveDb / 10.0);
        const double threshold = 1.0;
        EXPECT_EQ(leakage.ReachBelow(power, threshold, lines),
                  ReachByWalking(leakage, power, threshold, lines))
            << "window " << window << ", " << lines << " lines, " << aboveDb << " dB";
      }
  }
}
