#pragma once

#include <cstdint>
#include <memory>

#include "analysis/WeightingWindow.h"

// The weights of one window for one cycle size, computed once and reused
// while neither changes. Holds the same values as calling the window function
// for every sample, without a cosine per sample in every cycle.
// Used by the worker thread only.
class WeightTable {
 public:
  WeightTable();

  // The n weights of `window`; valid until the next call. REQUIRES: 2 <= n <= kMaxFftSize.
  const double* Weights(WindowFunction window, int32_t n);

 private:
  std::unique_ptr<double[]> Values;
  WindowFunction Window = nullptr;
  int32_t Size = 0;
};
