#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/LevelTypes.h"

// Averages successive spectra line by line and channel by channel in the
// power domain (the squared magnitudes), so that a steady tone keeps its
// level while the scatter of a noise floor shrinks with the square root of
// the number of spectra averaged.
//
// A length of N averages exponentially with weight 1/N, after a start in
// which the first N spectra are averaged with equal weights, so that an
// average never leans towards its first spectrum: once settled, its scatter
// is that of a plain mean of 2N - 1 spectra (the variance of an exponential
// average of weight a is a / (2 - a) of one spectrum's). kContinuous takes
// the plain mean of every spectrum since the restart. The owner restarts it
// whenever what a line means changes. Worker thread only.
//
// Large (2 MiB): create it on the heap or inside a heap object.
class PowerAverager {
 public:
  static constexpr int32_t kOff = 0;
  static constexpr int32_t kContinuous = -1;

  PowerAverager();

  // The next spectrum averages with `length` (kOff, kContinuous or N >= 1).
  // A restart, or another length than the last spectrum's, starts afresh.
  void BeginSpectrum(int32_t length, bool restart);

  // Line `line` of channel `channel` of the spectrum begun measured `power`;
  // answers the average power including it. REQUIRES: length not kOff.
  double Add(int32_t line, int32_t channel, double power) {
    double& average = Averages[line][channel];
    average += (power - average) * Weight;
    return average;
  }

  bool Active() const { return Length != kOff; }
  // Whether the average has settled: it holds N spectra (kSettledContinuous
  // for the plain mean), so that its scatter no longer shrinks with each
  // spectrum as it does at the start. Always when off.
  bool Settled() const {
    if (Length == kOff) return true;
    return Counted >= (Length == kContinuous ? kSettledContinuous : Length);
  }
  // The plain mean counts as settled from as many spectra as the longest
  // exponential average holds.
  static constexpr int32_t kSettledContinuous = 64;
  // How many spectra the average holds: at most the length for exponential
  // averaging, where it counts up to the length and stays there.
  int32_t Count() const { return Counted; }
  int32_t AverageLength() const { return Length; }

 private:
  std::vector<std::array<double, 2>> Averages;  // per line, left then right
  int32_t Length = kOff;
  int32_t Counted = 0;
  // The weight of the spectrum begun: 1 for the first, so the old averages
  // are never read after a restart.
  double Weight = 1.0;
};
