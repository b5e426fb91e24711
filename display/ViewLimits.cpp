#include "display/ViewLimits.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace {

constexpr double kThousandthsPerHz = 1000.0;
constexpr double kHundredthsPerDb = 100.0;
constexpr const char* kLowName = "ViewLowHz";
constexpr const char* kHighName = "ViewHighHz";
constexpr const char* kSlotNames[ScaleLevelRanges::kSlotCount] = {
    "Uncorrected", "Sine", "Density", "CalibratedSine", "CalibratedDensity"};

std::optional<uint32_t> ReadNumber(SettingsStorage& storage, const std::string& name) {
  const std::optional<StoredValue> value = storage.Read(name.c_str());
  if (!value || value->ValueKind != StoredValue::Kind::Number) return std::nullopt;
  return value->Number;
}

uint32_t Stored(double value, double unitsPerOne) {
  return static_cast<uint32_t>(static_cast<int32_t>(std::lround(value * unitsPerOne)));
}

double Loaded(uint32_t stored, double unitsPerOne) {
  return static_cast<int32_t>(stored) / unitsPerOne;
}

}  // namespace

ViewLimits::ViewLimits() {
  for (int32_t slot = 0; slot < ScaleLevelRanges::kSlotCount; ++slot)
    Slots[static_cast<size_t>(slot)] = ScaleLevelRanges::Default(slot);
}

ViewLimits LoadViewLimits(SettingsStorage& storage) {
  ViewLimits limits;
  const std::optional<uint32_t> low = ReadNumber(storage, kLowName);
  const std::optional<uint32_t> high = ReadNumber(storage, kHighName);
  if (low && high) {
    const double lowHz = Loaded(*low, kThousandthsPerHz);
    const double highHz = Loaded(*high, kThousandthsPerHz);
    if (lowHz >= ViewRange::kLowestHz && highHz <= ViewRange::kHighestHz && lowHz < highHz) {
      limits.LowHz = lowHz;
      limits.HighHz = highHz;
    }
  }
  for (int32_t slot = 0; slot < ScaleLevelRanges::kSlotCount; ++slot) {
    const std::string name = kSlotNames[slot];
    const std::optional<uint32_t> top = ReadNumber(storage, "LevelTop" + name);
    const std::optional<uint32_t> bottom = ReadNumber(storage, "LevelBottom" + name);
    if (!top || !bottom) continue;
    const double topDb = Loaded(*top, kHundredthsPerDb);
    const double bottomDb = Loaded(*bottom, kHundredthsPerDb);
    if (topDb <= ViewRange::kHighestDb && bottomDb >= ViewRange::kLowestDb && topDb > bottomDb)
      limits.Slots[static_cast<size_t>(slot)] = {topDb, bottomDb};
  }
  return limits;
}

void SaveViewLimits(SettingsStorage& storage, const ViewLimits& limits) {
  storage.WriteNumber(kLowName, Stored(limits.LowHz, kThousandthsPerHz));
  storage.WriteNumber(kHighName, Stored(limits.HighHz, kThousandthsPerHz));
  for (int32_t slot = 0; slot < ScaleLevelRanges::kSlotCount; ++slot) {
    const std::string name = kSlotNames[slot];
    const ScaleLevelRanges::Levels& levels = limits.Slots[static_cast<size_t>(slot)];
    storage.WriteNumber(("LevelTop" + name).c_str(), Stored(levels.TopDb, kHundredthsPerDb));
    storage.WriteNumber(("LevelBottom" + name).c_str(), Stored(levels.BottomDb, kHundredthsPerDb));
  }
}
