#pragma once

#include <array>
#include <cstdint>

#include "analysis/WeightingWindow.h"

// The main lobe of one weighting window's spectrum, for refining a steady
// tone's frequency between two spectral lines. A tone δ lines above line k
// (0 <= δ <= 1/2) gives line k+1 the amplitude ratio r(δ) = A(1 - δ) / A(δ)
// to line k, where A(d) is the window's amplitude response d lines off its
// centre; r grows from A(1) / A(0) to 1. The table holds r, computed once
// from the window's own weights; OffsetForRatio inverts it. Portable.
class MainLobe {
 public:
  explicit MainLobe(WindowFunction window);

  // The offset δ in lines, 0 to 1/2, of a tone from the stronger of two
  // neighbouring lines, given the weaker one's amplitude as a fraction of the
  // stronger one's. Ratios outside the table's range give its ends.
  double OffsetForRatio(double amplitudeRatio) const;

  // The amplitude response d lines off the centre, relative to the centre's.
  double RelativeAmplitude(double offsetLines) const;

 private:
  static constexpr int32_t kStepsPerLine = 128;
  static constexpr int32_t kRatioSteps = kStepsPerLine / 2;

  WindowFunction Window;
  std::array<double, kRatioSteps + 1> Ratios{};  // r(i / kStepsPerLine)
};
