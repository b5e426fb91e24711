#pragma once

#include <cstdint>

#include "analysis/WeightingWindow.h"

// What a weighting window does to the levels, from its n weights w(j).
// A sine right on a line reads its amplitude times the coherent gain, the
// mean weight sum(w) / n. White noise reads as if it passed an ideal filter
// NoiseBandwidthLines lines wide, n sum(w^2) / sum(w)^2, relative to the
// sine's reading.
struct WindowGain {
  double CoherentGain = 1.0;
  double NoiseBandwidthLines = 1.0;
};

// The gain of `window` over n points, summed from its own weights.
// REQUIRES: n >= 2.
WindowGain MeasureWindowGain(WindowFunction window, int32_t n);
