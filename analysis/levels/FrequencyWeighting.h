#pragma once

#include <cstdint>

#include "analysis/levels/LevelChoice.h"

// The A and C frequency weightings of sound level meters (IEC 61672-1), from
// their defining poles: two at f1 (about 20.6 Hz) and two at f4 (about
// 12194 Hz) for C; A adds one at f2 (107.7 Hz) and one at f3 (737.9 Hz).
// Each pole is derived from the standard's defining constants, not typed in,
// and each curve is normalised to 0 dB at 1 kHz. Portable.
class FrequencyWeighting {
 public:
  explicit FrequencyWeighting(int32_t weighting);

  // The weighting's gain at that frequency, in decibels: 0 for
  // kWeightingNone, falling towards 0 Hz without bound (0 Hz itself gives
  // kZeroHertzDb, far below anything shown).
  double GainDb(double frequencyHz) const;

  static constexpr double kZeroHertzDb = -300.0;

 private:
  double UnnormalisedDb(double frequencyHz) const;

  int32_t Weighting;
  double PoleHz[4] = {};  // f1, f2, f3, f4
  double AtOneKilohertzDb = 0.0;
};
