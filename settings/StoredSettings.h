#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "settings/InputChoice.h"
#include "settings/ScreenRect.h"
#include "settings/SettingsTable.h"

// The frame's place on the desktop as the system reports it: the rectangle
// of the restored (normal) window and whether it is maximised.
struct StoredPlacement {
  ScreenRect Normal;
  bool Maximized = false;
};

// Each input's calibration by its product name: the level in dB SPL of a
// full-scale sine, in hundredths of a decibel.
using InputCalibrations = std::map<std::string, int32_t>;

// Everything the program remembers between runs, in plain values; a freshly
// made one holds the first start's defaults (no input chosen, no placement,
// no calibration).
struct StoredSettings {
  SettingValues Choices = DefaultSettingValues();
  RememberedInput Input;
  // The file of the reference spectrum shown; empty for none.
  std::wstring ReferenceFile;
  std::optional<StoredPlacement> Placement;
  InputCalibrations Calibrations;

  // The choice of the setting stored under that name (see SettingIndex).
  int32_t& Choice(std::string_view storedName) { return Choices[SettingIndex(storedName)]; }
  int32_t Choice(std::string_view storedName) const { return Choices[SettingIndex(storedName)]; }
};
