#pragma once

#include <array>

#include "display/ViewRange.h"
#include "settings/SettingsStorage.h"

// The range the view shows as the settings keep it: the frequencies
// (ViewLowHz, ViewHighHz, in thousandths of a hertz) and each scale's
// levels (LevelTop... and LevelBottom... per ScaleLevelRanges slot, plot
// levels in hundredths of a decibel, signed). Portable.
struct ViewLimits {
  double LowHz = ViewRange::kLowestHz;
  double HighHz = ViewRange::kHighestHz;
  std::array<ScaleLevelRanges::Levels, ScaleLevelRanges::kSlotCount> Slots;

  // The first start's: the full frequencies and each slot's first levels.
  ViewLimits();
};

// What `storage` holds; the frequencies fall back to the full range unless
// both are stored, within 10 Hz to 22050 Hz and rising, and each slot's
// levels to its first ones unless both are stored, within
// ViewRange::kLowestDb to kHighestDb and the top above the bottom.
ViewLimits LoadViewLimits(SettingsStorage& storage);
void SaveViewLimits(SettingsStorage& storage, const ViewLimits& limits);
