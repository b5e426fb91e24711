#pragma once

#include <cstdint>
#include <optional>

// The scales the levels are shown in; Settings.LevelScale holds one of these.
enum LevelScaleKind : int32_t {
  // As analysed: the magnitude of each line over N / 2, the window's gain in it.
  kScaleUncorrected = 0,
  // Each window's coherent gain removed: a full-scale sine on a line reads 0 dB.
  kScaleSine = 1,
  // The sine scale's power per hertz: white noise reads the same at every size
  // and window.
  kScaleNoiseDensity = 2,
};

// The frequency weightings; Settings.FrequencyWeighting holds one of these.
enum FrequencyWeightingKind : int32_t {
  kWeightingNone = 0,
  kWeightingA = 1,
  kWeightingC = 2,
};

// How the user wants the levels shown: the scale, the weighting and, for the
// input measured, its calibration (the level in dB SPL of a full-scale sine,
// in hundredths of a decibel), if it has one.
struct LevelChoice {
  int32_t Scale = kScaleUncorrected;
  int32_t Weighting = kWeightingNone;
  std::optional<int32_t> CalibrationHundredthsDb;
};
