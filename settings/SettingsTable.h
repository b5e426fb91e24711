#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "analysis/MeasurementSettings.h"
#include "analysis/PowerAverager.h"
#include "analysis/WeightingWindow.h"
#include "analysis/levels/LevelChoice.h"
#include "resources/ResourceIds.h"
#include "settings/ChoiceList.h"
#include "settings/SettingPlace.h"

// How the menu chooses a setting.
enum class SettingKind {
  // A group of items, each standing for one value; the item of the current
  // value carries the check mark.
  OneOf,
  // One item, checked while the setting is 1 and unchecked while it is 0.
  // Its command flips the mark, and the setting follows the mark.
  Switch,
};

// When a change of the setting shows.
enum class SettingEffect {
  // At the measurement's next use of the setting.
  AtNextUse,
  // It changes only what is drawn: the plot is repainted at once.
  Repaint,
};

// One setting that the user chooses in the menu and the program keeps
// between runs, stored as a 32-bit number.
struct SettingDefinition {
  const char* StoredName;
  SettingKind Kind;
  // The first start's value; "&Standardeinstellungen" brings it back.
  int32_t Default;
  // A Switch has one item, standing for 1.
  ChoiceList Choices;
  SettingEffect Effect;
  SettingPlace Place;

  // A value the menu can set: one of the items' values, or 0 for a Switch.
  constexpr bool IsLegal(int32_t value) const {
    if (Kind == SettingKind::Switch && value == 0) return true;
    for (const MenuChoice& choice : Choices)
      if (choice.Value == value) return true;
    return false;
  }
};

// The channels shown, as one setting: the left one's bit and the right one's.
constexpr int32_t kChannelLeftBit = 1;
constexpr int32_t kChannelRightBit = 2;

inline int32_t ShownChannels() {
  return (Settings.ShowLeft ? kChannelLeftBit : 0) | (Settings.ShowRight ? kChannelRightBit : 0);
}
inline void ShowChannels(int32_t channels) {
  Settings.ShowLeft = (channels & kChannelLeftBit) ? 1 : 0;
  Settings.ShowRight = (channels & kChannelRightBit) ? 1 : 0;
}

// Every setting of the menu. A new one takes a row here, its field in
// MeasurementSettings, its menu items in the resources, and its use; the
// stored values, their checks, the check marks, the commands and the
// defaults all follow from the row.
inline constexpr SettingDefinition kSettings[] = {
    {"FftSize",
     SettingKind::OneOf,
     2048,
     {{CMD_SIZE_1024, 1024},
      {CMD_SIZE_2048, 2048},
      {CMD_SIZE_4096, 4096},
      {CMD_SIZE_8192, 8192},
      {CMD_SIZE_16384, 16384},
      {CMD_SIZE_32768, 32768},
      {CMD_SIZE_65536, 65536},
      {CMD_SIZE_131072, 131072},
      {CMD_SIZE_262144, 262144}},
     SettingEffect::AtNextUse,
     &MeasurementSettings::FftSize},
    {"Weighting",
     SettingKind::OneOf,
     kWindowHanning,
     {{CMD_WINDOW_OFF, kWindowOff},
      {CMD_WINDOW_TRIANGLE, kWindowTriangle},
      {CMD_WINDOW_HANNING, kWindowHanning},
      {CMD_WINDOW_WELCH, kWindowWelch},
      {CMD_WINDOW_HAMMING, kWindowHamming},
      {CMD_WINDOW_BLACKMAN, kWindowBlackman},
      {CMD_WINDOW_PARZEN, kWindowParzen}},
     SettingEffect::AtNextUse,
     &MeasurementSettings::Weighting},
    {"AutoOffset",
     SettingKind::Switch,
     1,
     {{CMD_AUTO_OFFSET, 1}},
     SettingEffect::AtNextUse,
     &MeasurementSettings::AutoOffset},
    {"IntervalMs",
     SettingKind::OneOf,
     200,
     {{CMD_RATE_1, 1000},
      {CMD_RATE_2, 500},
      {CMD_RATE_5, 200},
      {CMD_RATE_10, 100},
      {CMD_RATE_20, 50}},
     SettingEffect::AtNextUse,
     &MeasurementSettings::IntervalMs},
    {"ShowMaximum",
     SettingKind::Switch,
     1,
     {{CMD_SHOW_MAXIMUM, 1}},
     SettingEffect::Repaint,
     &MeasurementSettings::ShowMaximum},
    {"Channels",
     SettingKind::OneOf,
     kChannelLeftBit | kChannelRightBit,
     {{CMD_CHANNEL_LEFT, kChannelLeftBit},
      {CMD_CHANNEL_RIGHT, kChannelRightBit},
      {CMD_CHANNEL_BOTH, kChannelLeftBit | kChannelRightBit}},
     SettingEffect::Repaint,
     {&ShownChannels, &ShowChannels}},
    {"ShowPeaks",
     SettingKind::Switch,
     0,
     {{CMD_SHOW_PEAKS, 1}},
     SettingEffect::Repaint,
     &MeasurementSettings::ShowPeaks},
    {"ShowDistortion",
     SettingKind::Switch,
     0,
     {{CMD_SHOW_DISTORTION, 1}},
     SettingEffect::Repaint,
     &MeasurementSettings::ShowDistortion},
    {"Averaging",
     SettingKind::OneOf,
     PowerAverager::kOff,
     {{CMD_AVERAGE_OFF, PowerAverager::kOff},
      {CMD_AVERAGE_4, 4},
      {CMD_AVERAGE_16, 16},
      {CMD_AVERAGE_64, 64},
      {CMD_AVERAGE_CONTINUOUS, PowerAverager::kContinuous}},
     SettingEffect::AtNextUse,
     &MeasurementSettings::AverageLength},
    {"HoldMaximum",
     SettingKind::Switch,
     0,
     {{CMD_HOLD_MAXIMUM, 1}},
     SettingEffect::Repaint,
     &MeasurementSettings::HoldMaximum},
    {"LevelScale",
     SettingKind::OneOf,
     kScaleUncorrected,
     {{CMD_SCALE_UNCORRECTED, kScaleUncorrected},
      {CMD_SCALE_SINE, kScaleSine},
      {CMD_SCALE_DENSITY, kScaleNoiseDensity}},
     SettingEffect::Repaint,
     &MeasurementSettings::LevelScale},
    {"FrequencyWeighting",
     SettingKind::OneOf,
     kWeightingNone,
     {{CMD_WEIGHTING_NONE, kWeightingNone},
      {CMD_WEIGHTING_A, kWeightingA},
      {CMD_WEIGHTING_C, kWeightingC}},
     SettingEffect::Repaint,
     &MeasurementSettings::FrequencyWeighting},
};

constexpr size_t kSettingCount = std::size(kSettings);

// One value per setting, in the table's order.
using SettingValues = std::array<int32_t, kSettingCount>;

constexpr SettingValues DefaultSettingValues() {
  SettingValues values = {};
  for (size_t i = 0; i < kSettingCount; ++i) values[i] = kSettings[i].Default;
  return values;
}

// The row of the setting stored under that name. A name of no setting is the
// caller's fault: it throws std::out_of_range (and does not compile where
// the index is a constant).
constexpr size_t SettingIndex(std::string_view storedName) {
  for (size_t i = 0; i < kSettingCount; ++i)
    if (storedName == kSettings[i].StoredName) return i;
  throw std::out_of_range("no setting of that name");
}

// The setting a menu command chooses, and its item; both null for a command
// of no setting.
struct SettingCommand {
  const SettingDefinition* Setting = nullptr;
  const MenuChoice* Choice = nullptr;
};

constexpr SettingCommand FindSettingCommand(uint32_t command) {
  for (const SettingDefinition& setting : kSettings)
    for (const MenuChoice& choice : setting.Choices)
      if (choice.Command == command) return {&setting, &choice};
  return {};
}

// The table itself must hold: every default is legal, a switch has its one
// item for 1, and no name or command is used twice (a command of two settings
// would only ever reach the first).
constexpr bool EachRowIsWellFormed() {
  for (const SettingDefinition& setting : kSettings) {
    if (!setting.IsLegal(setting.Default)) return false;
    if (setting.Kind == SettingKind::Switch &&
        (setting.Choices.size() != 1 || setting.Choices.begin()->Value != 1))
      return false;
  }
  return true;
}
constexpr bool NamesAndCommandsAreUnique() {
  for (size_t i = 0; i < kSettingCount; ++i) {
    if (SettingIndex(kSettings[i].StoredName) != i) return false;
    for (const MenuChoice& choice : kSettings[i].Choices)
      if (FindSettingCommand(choice.Command).Choice != &choice) return false;
  }
  return true;
}
static_assert(EachRowIsWellFormed(),
              "a default is no menu value, or a switch is not one item for 1");
static_assert(NamesAndCommandsAreUnique(), "a stored name or a menu command is used twice");

// The settings as they are now. GUI thread only.
inline SettingValues CurrentSettingValues() {
  SettingValues values = {};
  for (size_t i = 0; i < kSettingCount; ++i) values[i] = kSettings[i].Place.Get();
  return values;
}

// Puts the values into MeasurementSettings. GUI thread only.
inline void StoreSettingValues(const SettingValues& values) {
  for (size_t i = 0; i < kSettingCount; ++i) kSettings[i].Place.Set(values[i]);
}

// Puts every setting's default into MeasurementSettings. GUI thread only.
inline void StoreDefaultSettings() {
  StoreSettingValues(DefaultSettingValues());
}
