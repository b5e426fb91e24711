#pragma once

#include "settings/SettingsStorage.h"
#include "settings/StoredSettings.h"

// The names of the stored values besides the menu's settings, whose names
// are in their rows of the settings table.
constexpr const char* kInputNameValue = "InputName";
constexpr const char* kInputNumberValue = "InputNumber";
constexpr const char* kReferenceFileValue = "ReferenceFile";
constexpr const char* kWindowLeftValue = "WindowLeft";
constexpr const char* kWindowTopValue = "WindowTop";
constexpr const char* kWindowRightValue = "WindowRight";
constexpr const char* kWindowBottomValue = "WindowBottom";
constexpr const char* kWindowMaximizedValue = "WindowMaximized";

// The range a stored coordinate of the window may have, in pixels.
constexpr int32_t kMaxWindowCoordinatePx = 32767;
// Device numbers a remembered input's hint may have.
constexpr int32_t kMaxInputNumber = 255;
// The group of the inputs' calibrations, one number per input's name.
constexpr const char* kCalibrationGroup = "Calibration";
// The calibrations a stored value may give, in hundredths of a decibel: a
// full-scale sine between -500 and +500 dB SPL.
constexpr int32_t kMaxCalibrationHundredthsDb = 50000;

// Reads what was stored. Each value that is missing, of another kind, out of
// range or not one of its setting's legal values gives its own default and
// nothing else: the input's name and number fall back one by one, the placement
// (its four edges and the maximised flag) as a whole, and a calibration that
// is no number in range is left out.
StoredSettings LoadSettings(SettingsStorage& storage);

// Stores the measurement choices, the chosen input (its name empty when
// none was chosen) and the reference's file (empty when none is shown).
void SaveChoices(SettingsStorage& storage, const StoredSettings& settings);

// Stores the frame's placement.
void SavePlacement(SettingsStorage& storage, const StoredPlacement& placement);

// Stores one input's calibration, or forgets it.
void SaveCalibration(SettingsStorage& storage, const std::string& input, int32_t hundredthsDb);
void ForgetCalibration(SettingsStorage& storage, const std::string& input);
// Stores every calibration (after the settings were forgotten).
void SaveCalibrations(SettingsStorage& storage, const InputCalibrations& calibrations);
