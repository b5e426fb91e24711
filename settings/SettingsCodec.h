#pragma once

#include "settings/SettingsStorage.h"
#include "settings/StoredSettings.h"

// The names of the stored values. Channels holds 1 for the left channel
// alone, 2 for the right alone, 3 for both.
constexpr const char* kFftSizeValue = "FftSize";
constexpr const char* kWeightingValue = "Weighting";
constexpr const char* kAutoOffsetValue = "AutoOffset";
constexpr const char* kIntervalMsValue = "IntervalMs";
constexpr const char* kShowMaximumValue = "ShowMaximum";
constexpr const char* kChannelsValue = "Channels";
constexpr const char* kShowPeaksValue = "ShowPeaks";
constexpr const char* kInputNameValue = "InputName";
constexpr const char* kInputNumberValue = "InputNumber";
constexpr const char* kWindowLeftValue = "WindowLeft";
constexpr const char* kWindowTopValue = "WindowTop";
constexpr const char* kWindowRightValue = "WindowRight";
constexpr const char* kWindowBottomValue = "WindowBottom";
constexpr const char* kWindowMaximizedValue = "WindowMaximized";

// The range a stored coordinate of the window may have, in pixels.
constexpr int32_t kMaxWindowCoordinatePx = 32767;
// Device numbers a remembered input's hint may have.
constexpr int32_t kMaxInputNumber = 255;

// Reads what was stored. Each value that is missing, of another kind, out of
// range or not one of the menu's values gives its own default and nothing
// else: the input's name and number fall back one by one, the placement
// (its four edges and the maximised flag) as a whole.
StoredSettings LoadSettings(SettingsStorage& storage);

// Stores the measurement choices and the chosen input (its name empty when
// none was chosen).
void SaveChoices(SettingsStorage& storage, const StoredSettings& settings);

// Stores the frame's placement.
void SavePlacement(SettingsStorage& storage, const StoredPlacement& placement);
