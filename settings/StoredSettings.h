#pragma once

#include <cstdint>
#include <optional>

#include "analysis/MeasurementSettings.h"
#include "settings/InputChoice.h"
#include "settings/ScreenRect.h"

// The frame's place on the desktop as the system reports it: the rectangle
// of the restored (normal) window and whether it is maximised.
struct StoredPlacement {
  ScreenRect Normal;
  bool Maximized = false;
};

// Everything the program remembers between runs, in plain values; a freshly
// made one holds the first start's defaults (no input chosen, no placement).
struct StoredSettings {
  int32_t FftSize = kDefaultFftSize;
  int32_t Weighting = kDefaultWeighting;
  int32_t AutoOffset = kDefaultAutoOffset;
  int32_t IntervalMs = kDefaultIntervalMs;
  int32_t ShowMaximum = kDefaultShowMaximum;
  int32_t ShowLeft = kDefaultShowLeft;
  int32_t ShowRight = kDefaultShowRight;
  int32_t ShowPeaks = kDefaultShowPeaks;
  RememberedInput Input;
  std::optional<StoredPlacement> Placement;
};
