#include "measurement/ReferenceLevels.h"

#include <utility>

#include "analysis/WeightingWindow.h"
#include "analysis/levels/LevelScale.h"
#include "export/HeaderTexts.h"
#include "export/LevelTable.h"
#include "measurement/ShownMeasurement.h"

namespace {

constexpr int32_t kFloorStoredHundredths = -14000;

bool IsCalibrated(const LevelChoice& choice) {
  return choice.CalibrationHundredthsDb.has_value();
}

// The window of a file's header, by its menu name; -1 for none the program knows.
int32_t WindowOfName(const std::string& name) {
  for (int32_t window = 0; window < kWindowCount; ++window)
    if (WindowName(window) == name) return window;
  return -1;
}

}  // namespace

bool ChoiceOfUnit(const std::string& unit, LevelChoice& choice) {
  const int32_t scales[] = {kScaleUncorrected, kScaleSine, kScaleNoiseDensity};
  const int32_t weightings[] = {kWeightingNone, kWeightingA, kWeightingC};
  for (const bool calibrated : {false, true})
    for (const int32_t scale : scales)
      for (const int32_t weighting : weightings) {
        LevelChoice candidate{scale, weighting, std::nullopt};
        if (calibrated) candidate.CalibrationHundredthsDb = 0;
        // A unit depends on the choice alone, not on a window or size.
        if (LevelScale(candidate, -1, 0).Unit() != unit) continue;
        choice = candidate;
        return true;
      }
  return false;
}

ReferenceLevels::ReferenceLevels(std::vector<double> frequenciesHz, std::vector<LevelPair> levels,
                                 std::vector<uint8_t> floors, ReferenceFacts facts)
    : Frequencies(std::move(frequenciesHz)),
      Levels(std::move(levels)),
      Floors(std::move(floors)),
      Known(std::move(facts)) {}

ReferenceLevels ReferenceLevels::FromShown(const ShownMeasurement& shown) {
  const int32_t lines = shown.LineCount();
  std::vector<double> frequencies(static_cast<size_t>(lines));
  std::vector<LevelPair> levels(static_cast<size_t>(lines));
  std::vector<uint8_t> floors(static_cast<size_t>(lines));
  constexpr uint8_t kLiveFloors = ShownMeasurement::kFloorLeft | ShownMeasurement::kFloorRight;
  for (int32_t line = 0; line < lines; ++line) {
    frequencies[line] = shown.LineFrequencyHz(line);
    levels[line] = (*shown.Levels)[line];
    floors[line] = (*shown.Floors)[line] & kLiveFloors;
  }
  ReferenceFacts facts;
  facts.Unit = shown.Unit;
  facts.ChoiceKnown = true;
  facts.Choice = shown.Choice;
  facts.Window = shown.Window;
  facts.Size = shown.Size;
  return ReferenceLevels(std::move(frequencies), std::move(levels), std::move(floors),
                         std::move(facts));
}

ReferenceLevels ReferenceLevels::FromTable(LevelTable table) {
  ReferenceFacts facts;
  facts.Unit = table.Header.LevelScale;
  facts.ChoiceKnown = ChoiceOfUnit(facts.Unit, facts.Choice);
  // A calibrated unit's calibration is known where the file states it.
  const std::optional<int32_t>& calibration = table.Header.CalibrationHundredthsDb;
  facts.CalibrationKnown = !IsCalibrated(facts.Choice) || calibration.has_value();
  if (IsCalibrated(facts.Choice) && calibration) facts.Choice.CalibrationHundredthsDb = calibration;
  facts.Window = WindowOfName(table.Header.Window);
  facts.Size = table.Header.FftSize;
  // A file's floor rows lie at the floor of its own scale, where that is known.
  std::vector<uint8_t> floors(table.FrequenciesHz.size(), 0);
  if (facts.ChoiceKnown && facts.CalibrationKnown && facts.Window >= 0 && facts.Size >= 2) {
    const LevelScale scale(facts.Choice, facts.Window, facts.Size);
    for (size_t row = 0; row < floors.size(); ++row) {
      const int32_t floor = scale.ScaledLevelAt(kFloorStoredHundredths, table.FrequenciesHz[row]);
      for (int32_t channel = 0; channel < 2; ++channel)
        if (table.Levels[row][channel] <= floor)
          floors[row] |=
              channel == 0 ? ShownMeasurement::kFloorLeft : ShownMeasurement::kFloorRight;
    }
  }
  return ReferenceLevels(std::move(table.FrequenciesHz), std::move(table.Levels), std::move(floors),
                         std::move(facts));
}

ConvertedReference ReferenceLevels::ConvertedFor(const LevelChoice& view) const {
  ConvertedReference converted;
  converted.Levels = Levels;
  converted.Floors = Floors;
  converted.Unit = Known.Unit;
  const std::string viewUnit = LevelScale(view, -1, 0).Unit();
  // The same unit: the same quantity, whatever window or calibration made it.
  if (Known.Unit == viewUnit) {
    converted.Comparable = true;
    return converted;
  }
  const bool calibrationAtHand = Known.CalibrationKnown || !IsCalibrated(Known.Choice);
  if (!Known.ChoiceKnown || !calibrationAtHand || Known.Window < 0 || Known.Size < 2)
    return converted;
  // Both scales for the reference's own window and size: the difference is
  // what the view's scale adds to a stored level less what the reference's did.
  const LevelScale from(Known.Choice, Known.Window, Known.Size);
  const LevelScale to(view, Known.Window, Known.Size);
  for (size_t line = 0; line < Frequencies.size(); ++line) {
    const double frequencyHz = Frequencies[line];
    const int32_t shift = to.ScaledLevelAt(0, frequencyHz) - from.ScaledLevelAt(0, frequencyHz);
    for (int32_t channel = 0; channel < 2; ++channel) {
      const bool floor = (Floors[line] & (channel == 0 ? ShownMeasurement::kFloorLeft
                                                       : ShownMeasurement::kFloorRight)) != 0;
      converted.Levels[line][channel] = floor
                                            ? to.ScaledLevelAt(kFloorStoredHundredths, frequencyHz)
                                            : Levels[line][channel] + shift;
    }
  }
  converted.Unit = viewUnit;
  converted.Comparable = true;
  return converted;
}
