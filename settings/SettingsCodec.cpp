#include "settings/SettingsCodec.h"

#include <initializer_list>

namespace {

std::optional<int32_t> ReadNumber(SettingsStorage& storage, const char* name) {
  const std::optional<StoredValue> value = storage.Read(name);
  if (!value || value->ValueKind != StoredValue::Kind::Number) return std::nullopt;
  return static_cast<int32_t>(value->Number);
}

int32_t ReadInRange(SettingsStorage& storage, const char* name, int32_t low, int32_t high,
                    int32_t fallback) {
  const std::optional<int32_t> value = ReadNumber(storage, name);
  return (value && *value >= low && *value <= high) ? *value : fallback;
}

std::optional<int32_t> ReadCoordinate(SettingsStorage& storage, const char* name) {
  const std::optional<int32_t> value = ReadNumber(storage, name);
  if (!value || *value < -kMaxWindowCoordinatePx || *value > kMaxWindowCoordinatePx)
    return std::nullopt;
  return value;
}

std::optional<StoredPlacement> ReadPlacement(SettingsStorage& storage) {
  const std::optional<int32_t> left = ReadCoordinate(storage, kWindowLeftValue);
  const std::optional<int32_t> top = ReadCoordinate(storage, kWindowTopValue);
  const std::optional<int32_t> right = ReadCoordinate(storage, kWindowRightValue);
  const std::optional<int32_t> bottom = ReadCoordinate(storage, kWindowBottomValue);
  const std::optional<int32_t> maximized = ReadNumber(storage, kWindowMaximizedValue);
  if (!left || !top || !right || !bottom || !maximized) return std::nullopt;
  if (*right <= *left || *bottom <= *top || (*maximized != 0 && *maximized != 1))
    return std::nullopt;
  return StoredPlacement{{*left, *top, *right, *bottom}, *maximized == 1};
}

}  // namespace

StoredSettings LoadSettings(SettingsStorage& storage) {
  StoredSettings loaded;
  for (size_t i = 0; i < kSettingCount; ++i) {
    const std::optional<int32_t> value = ReadNumber(storage, kSettings[i].StoredName);
    if (value && kSettings[i].IsLegal(*value)) loaded.Choices[i] = *value;
  }

  const std::optional<StoredValue> name = storage.Read(kInputNameValue);
  if (name && name->ValueKind == StoredValue::Kind::Text) loaded.Input.Name = name->Text;
  loaded.Input.NumberHint = ReadInRange(storage, kInputNumberValue, 0, kMaxInputNumber, 0);
  const std::optional<StoredValue> reference = storage.Read(kReferenceFileValue);
  if (reference && reference->ValueKind == StoredValue::Kind::Text)
    loaded.ReferenceFile = reference->WideText;

  loaded.Placement = ReadPlacement(storage);

  for (const auto& [input, value] : storage.ReadGroup(kCalibrationGroup)) {
    const auto hundredths = static_cast<int32_t>(value.Number);
    if (value.ValueKind == StoredValue::Kind::Number &&
        hundredths >= -kMaxCalibrationHundredthsDb && hundredths <= kMaxCalibrationHundredthsDb)
      loaded.Calibrations[input] = hundredths;
  }
  return loaded;
}

void SaveChoices(SettingsStorage& storage, const StoredSettings& settings) {
  for (size_t i = 0; i < kSettingCount; ++i)
    storage.WriteNumber(kSettings[i].StoredName, static_cast<uint32_t>(settings.Choices[i]));
  storage.WriteText(kInputNameValue, settings.Input.Name);
  storage.WriteNumber(kInputNumberValue, static_cast<uint32_t>(settings.Input.NumberHint));
  storage.WriteWideText(kReferenceFileValue, settings.ReferenceFile);
}

void SavePlacement(SettingsStorage& storage, const StoredPlacement& placement) {
  const ScreenRect& normal = placement.Normal;
  for (const auto& [name, value] :
       {std::pair{kWindowLeftValue, normal.Left}, std::pair{kWindowTopValue, normal.Top},
        std::pair{kWindowRightValue, normal.Right}, std::pair{kWindowBottomValue, normal.Bottom}})
    storage.WriteNumber(name, static_cast<uint32_t>(value));
  storage.WriteNumber(kWindowMaximizedValue, placement.Maximized ? 1 : 0);
}

void SaveCalibration(SettingsStorage& storage, const std::string& input, int32_t hundredthsDb) {
  storage.WriteGroupNumber(kCalibrationGroup, input, static_cast<uint32_t>(hundredthsDb));
}

void ForgetCalibration(SettingsStorage& storage, const std::string& input) {
  storage.RemoveFromGroup(kCalibrationGroup, input);
}

void SaveCalibrations(SettingsStorage& storage, const InputCalibrations& calibrations) {
  for (const auto& [input, hundredthsDb] : calibrations)
    SaveCalibration(storage, input, hundredthsDb);
}
