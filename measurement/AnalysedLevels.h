#pragma once

#include <cstdint>
#include <string>

#include "analysis/LevelTypes.h"

// One analysed spectrum as its source left it, before it is scaled for
// showing: `Size` points sampled at `SampleRateHz` (the wave input's 44100
// Hz, or a recording's rate) analysed with weighting window `Window`; the first
// Size / 2 lines of `Levels` (the average of `AverageCount` spectra when
// averaging with `AverageLength`) and of `Held` (each line's held maximum,
// where HeldValid) are valid. Stored levels: hundredths of a decibel as
// analysed, floor -14000. `FloorPowers`, where known, holds the power of
// each of the Levels' lines at the floor (a file's levels have none).
struct AnalysedLevels {
  int32_t Size = 0;
  int32_t SampleRateHz = kSampleRateHz;
  int32_t Window = 0;
  const SpectrumLevels* Levels = nullptr;
  const SpectrumLevels* Held = nullptr;
  const SpectrumFloorPowers* FloorPowers = nullptr;
  bool HeldValid = false;
  int32_t AverageCount = 0;
  int32_t AverageLength = 0;
  // The product name of the input that recorded it; empty when unknown.
  std::string Input;
};
