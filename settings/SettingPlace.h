#pragma once

#include <atomic>
#include <cstdint>

#include "analysis/MeasurementSettings.h"

// Where a setting lives in the process-wide MeasurementSettings: a field the
// worker shares with the GUI thread (written and read relaxed), a field of
// the GUI thread alone, or, for a setting spread over several fields, a pair
// of functions that read and write them. Get and Set are called on the GUI
// thread only. The constructors convert implicitly, so that a table row
// names just the field.
class SettingPlace {
 public:
  using Reader = int32_t (*)();
  using Writer = void (*)(int32_t value);

  constexpr SettingPlace(std::atomic<int32_t> MeasurementSettings::*shared) : SharedField(shared) {}
  constexpr SettingPlace(int32_t MeasurementSettings::*guiOnly) : GuiField(guiOnly) {}
  constexpr SettingPlace(Reader read, Writer write) : ReadFields(read), WriteFields(write) {}

  int32_t Get() const {
    if (SharedField) return Read(Settings.*SharedField);
    if (GuiField) return Settings.*GuiField;
    return ReadFields();
  }

  void Set(int32_t value) const {
    if (SharedField)
      Write(Settings.*SharedField, value);
    else if (GuiField)
      Settings.*GuiField = value;
    else
      WriteFields(value);
  }

 private:
  std::atomic<int32_t> MeasurementSettings::*SharedField = nullptr;
  int32_t MeasurementSettings::*GuiField = nullptr;
  Reader ReadFields = nullptr;
  Writer WriteFields = nullptr;
};
