#pragma once

#include <cstdint>
#include <string>

#include "analysis/LevelTypes.h"

// One analysed spectrum as the worker left it: `Size` points analysed with
// weighting window `Weighting`; the first Size / 2 lines of `Levels` (the
// average of `AverageCount` spectra when averaging with `AverageLength`)
// are valid, and those of `Held` (each line's held maximum) where `HasHeld`:
// without it the held maximum holds nothing since its last restart.
// `FloorPowers` holds the power of each of the Levels' lines at the floor.
struct AnalysedSpectrum {
  int32_t Size;
  int32_t Weighting;
  const SpectrumLevels& Levels;
  const SpectrumFloorPowers& FloorPowers;
  const SpectrumLevels& Held;
  int32_t AverageCount;
  int32_t AverageLength;
  // Without it the held maximum holds nothing since its last restart.
  bool HasHeld;
  // The input that recorded it (CaptureRing::kNoDevice when not known).
  int32_t Device;
};

// What the capture driver needs of its owner: a spectrum to show and a box
// to open, and whom to tell of inputs opened and of the picture held or
// measured again. Called on the GUI thread only.
class AnalysisDisplay {
 public:
  virtual ~AnalysisDisplay() = default;

  // Drawn before the call returns, since the driver queues the next capture
  // right after: the worker's levels are then written again.
  virtual void ShowSpectrum(const AnalysedSpectrum& spectrum) = 0;

  // The held maximum restarts: draw none until a spectrum brings one.
  virtual void ForgetHeldLevels() = 0;

  // The modal "Error" box with `text`; returns once the user has closed it.
  virtual void ShowErrorBox(const char* text) = 0;

  // Input `device`, of product name `name` (empty if it could not be read),
  // was opened, or the picture is now held or measured again: told once the
  // ring's handling of the event has returned, so that the owner may call
  // the driver again.
  virtual void InputOpened(int32_t device, const std::string& name) = 0;
  virtual void PictureHeldChanged(bool held) = 0;
};
