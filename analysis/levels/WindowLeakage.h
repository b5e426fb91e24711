#pragma once

#include <array>
#include <cstdint>

#include "analysis/WeightingWindow.h"

// How far a weighting window lets a steady tone leak into lines away from
// it: the envelope of the window's side lobes, the highest amplitude
// response, relative to the centre's, that a tone anywhere within half a
// line of a distance d (in lines) can give a line d lines off. Tabulated
// once from the window's own weights out to kTabulatedLines lines; beyond,
// the side lobes fall as the power of the distance the table ends with (1
// without a window, 3 for Hanning). What the distortion figures check
// against: a harmonic or a noise floor below the leakage of the fundamental
// is the window's, not the signal's. Portable.
class WindowLeakage {
 public:
  explicit WindowLeakage(WindowFunction window);

  // The envelope's power (its amplitude squared) d lines off the tone.
  double EnvelopePower(double distanceLines) const;

  // The sum of EnvelopePower over the distances fromLines, fromLines + 1,
  // ... without end: what a tone leaks, at most, into every line from there
  // on, relative to its power. REQUIRES: fromLines >= 1.
  double PowerBeyond(int32_t fromLines) const;

  // The smallest whole distance from 1 to `lines` at which `power` times
  // EnvelopePower lies below `threshold`, or `lines` where none does: how
  // far a tone of that power leaks above the threshold. REQUIRES: lines >= 1.
  int32_t ReachBelow(double power, double threshold, int32_t lines) const;

  static constexpr int32_t kTabulatedLines = 512;

 private:
  // The response is taken at this size; the side lobes' shape in lines
  // changes little with the size, and the images of the sampled window's
  // response lie kReferencePoints lines apart, far beyond the table.
  static constexpr int32_t kReferencePoints = 4096;
  static constexpr int32_t kStepsPerLine = 4;

  std::array<double, kTabulatedLines + 1> Envelope{};  // power per whole line, non-increasing
  std::array<double, kTabulatedLines + 2> TailSums{};  // sums of Envelope from a line on
  double DecayPower = 1.0;                             // of the amplitude, beyond the table
};
