#include "analysis/levels/WindowGain.h"

WindowGain MeasureWindowGain(WindowFunction window, int32_t n) {
  double sum = 0.0;
  double squares = 0.0;
  for (int32_t j = 0; j < n; ++j) {
    const double weight = window(j, n);
    sum += weight;
    squares += weight * weight;
  }
  return {sum / n, n * squares / (sum * sum)};
}
