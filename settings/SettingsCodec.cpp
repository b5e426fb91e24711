#include "settings/SettingsCodec.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr int32_t kChannelLeftBit = 1;
constexpr int32_t kChannelRightBit = 2;

constexpr int32_t kFftSizes[] = {1024, 2048, 4096, 8192, 16384, 32768, 65536, 131072, 262144};
constexpr int32_t kIntervalsMs[] = {1000, 500, 200, 100, 50};
constexpr int32_t kFirstWeighting = 0;
constexpr int32_t kLastWeighting = 6;  // Parzen

std::optional<int32_t> ReadNumber(SettingsStorage& storage, const char* name) {
  const std::optional<StoredValue> value = storage.Read(name);
  if (!value || value->ValueKind != StoredValue::Kind::Number) return std::nullopt;
  return static_cast<int32_t>(value->Number);
}

template <size_t N>
int32_t ReadOneOf(SettingsStorage& storage, const char* name, const int32_t (&legal)[N],
                  int32_t fallback) {
  const std::optional<int32_t> value = ReadNumber(storage, name);
  if (value && std::find(std::begin(legal), std::end(legal), *value) != std::end(legal))
    return *value;
  return fallback;
}

int32_t ReadInRange(SettingsStorage& storage, const char* name, int32_t low, int32_t high,
                    int32_t fallback) {
  const std::optional<int32_t> value = ReadNumber(storage, name);
  return (value && *value >= low && *value <= high) ? *value : fallback;
}

int32_t ReadSwitch(SettingsStorage& storage, const char* name, int32_t fallback) {
  return ReadInRange(storage, name, 0, 1, fallback);
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
  loaded.FftSize = ReadOneOf(storage, kFftSizeValue, kFftSizes, loaded.FftSize);
  loaded.IntervalMs = ReadOneOf(storage, kIntervalMsValue, kIntervalsMs, loaded.IntervalMs);
  loaded.Weighting =
      ReadInRange(storage, kWeightingValue, kFirstWeighting, kLastWeighting, loaded.Weighting);
  loaded.AutoOffset = ReadSwitch(storage, kAutoOffsetValue, loaded.AutoOffset);
  loaded.ShowMaximum = ReadSwitch(storage, kShowMaximumValue, loaded.ShowMaximum);
  loaded.ShowPeaks = ReadSwitch(storage, kShowPeaksValue, loaded.ShowPeaks);
  const int32_t channels = ReadInRange(
      storage, kChannelsValue, kChannelLeftBit, kChannelLeftBit | kChannelRightBit,
      (loaded.ShowLeft ? kChannelLeftBit : 0) | (loaded.ShowRight ? kChannelRightBit : 0));
  loaded.ShowLeft = (channels & kChannelLeftBit) ? 1 : 0;
  loaded.ShowRight = (channels & kChannelRightBit) ? 1 : 0;

  const std::optional<StoredValue> name = storage.Read(kInputNameValue);
  if (name && name->ValueKind == StoredValue::Kind::Text) loaded.Input.Name = name->Text;
  loaded.Input.NumberHint = ReadInRange(storage, kInputNumberValue, 0, kMaxInputNumber, 0);

  loaded.Placement = ReadPlacement(storage);
  return loaded;
}

void SaveChoices(SettingsStorage& storage, const StoredSettings& settings) {
  storage.WriteNumber(kFftSizeValue, static_cast<uint32_t>(settings.FftSize));
  storage.WriteNumber(kIntervalMsValue, static_cast<uint32_t>(settings.IntervalMs));
  storage.WriteNumber(kWeightingValue, static_cast<uint32_t>(settings.Weighting));
  storage.WriteNumber(kAutoOffsetValue, static_cast<uint32_t>(settings.AutoOffset));
  storage.WriteNumber(kShowMaximumValue, static_cast<uint32_t>(settings.ShowMaximum));
  storage.WriteNumber(kShowPeaksValue, static_cast<uint32_t>(settings.ShowPeaks));
  const int32_t channels =
      (settings.ShowLeft ? kChannelLeftBit : 0) | (settings.ShowRight ? kChannelRightBit : 0);
  storage.WriteNumber(kChannelsValue, static_cast<uint32_t>(channels));
  storage.WriteText(kInputNameValue, settings.Input.Name);
  storage.WriteNumber(kInputNumberValue, static_cast<uint32_t>(settings.Input.NumberHint));
}

void SavePlacement(SettingsStorage& storage, const StoredPlacement& placement) {
  const ScreenRect& normal = placement.Normal;
  for (const auto& [name, value] :
       {std::pair{kWindowLeftValue, normal.Left}, std::pair{kWindowTopValue, normal.Top},
        std::pair{kWindowRightValue, normal.Right}, std::pair{kWindowBottomValue, normal.Bottom}})
    storage.WriteNumber(name, static_cast<uint32_t>(value));
  storage.WriteNumber(kWindowMaximizedValue, placement.Maximized ? 1 : 0);
}
