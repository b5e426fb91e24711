#pragma once

#include <cstdint>

#include "analysis/LevelTypes.h"

// What the capture driver needs of the window that shows its spectra: a
// spectrum to show and a box to open. Called on the GUI thread only.
class SpectrumDisplay {
 public:
  virtual ~SpectrumDisplay() = default;

  // A spectrum of `cycleSize` points, analysed with weighting window
  // `weighting`: its first cycleSize / 2 lines of `levels`. Drawn before the
  // call returns, since the driver queues the next capture right after.
  virtual void ShowSpectrum(int32_t cycleSize, int32_t weighting, const SpectrumLevels& levels) = 0;

  // The modal "Error" box with `text`; returns once the user has closed it.
  virtual void ShowErrorBox(const char* text) = 0;
};
