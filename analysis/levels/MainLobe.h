#pragma once

#include <array>
#include <cstdint>

#include "analysis/WeightingWindow.h"

// The main lobe of one weighting window's spectrum, for refining a steady
// tone's frequency and level between two spectral lines. A tone δ lines above
// line k (0 <= δ <= 1/2) gives line k the amplitude A(δ) and line k+1 the
// amplitude A(1 - δ), relative to the tone's, where A(d) is the window's
// amplitude response d lines off its centre; their ratio r(δ) = A(1 - δ) / A(δ)
// grows from A(1) / A(0) to 1. A is tabulated once from the window's own
// weights; OffsetForRatio inverts r, LossDb gives what line k misses of the
// tone. Portable.
class MainLobe {
 public:
  explicit MainLobe(WindowFunction window);

  // The offset δ in lines, 0 to 1/2, of a tone from the stronger of two
  // neighbouring lines, given the weaker one's amplitude as a fraction of the
  // stronger one's. Ratios outside the table's range give its ends.
  double OffsetForRatio(double amplitudeRatio) const;

  // How many decibels a line δ lines off a steady tone reads below the tone,
  // -20 log10 A(δ), for 0 <= δ <= 1/2 (clamped to that range): 0 on the line,
  // the window's scalloping loss half-way between two lines.
  double LossDb(double offsetLines) const;

  // The amplitude response d lines off the centre, relative to the centre's.
  double RelativeAmplitude(double offsetLines) const;

 private:
  static constexpr int32_t kStepsPerLine = 128;
  static constexpr int32_t kRatioSteps = kStepsPerLine / 2;

  // Between table steps δ is interpolated linearly; A bends so little over
  // 1/128 line that the loss found so is off by less than 0.001 dB.
  double InterpolatedAmplitude(double offsetLines) const;

  WindowFunction Window;
  std::array<double, kStepsPerLine + 1> Amplitudes{};  // A(i / kStepsPerLine)
  std::array<double, kRatioSteps + 1> Ratios{};        // r(i / kStepsPerLine)
};
