#pragma once

#include <cstdint>

// The decades of the frequency grid and axis: 1 Hz to 10 kHz, each marked at
// 1 to 9 times its first frequency. Decade 0 (1 to 9 Hz) lies left of the
// plot; the axis labels start at decade 1 (10 Hz).
constexpr int32_t kDecadeCount = 5;
constexpr int32_t kMarksPerDecade = 9;
constexpr double kDecadeStartHz[kDecadeCount] = {1.0, 10.0, 100.0, 1000.0, 10000.0};
