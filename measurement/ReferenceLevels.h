#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/LevelTypes.h"
#include "analysis/levels/LevelChoice.h"

struct LevelTable;
struct ShownMeasurement;

// What is known of the levels a reference holds: the scale, weighting and
// calibration they were shown in, and the window and size of the spectrum
// they came from, where known.
struct ReferenceFacts {
  // The unit its levels were shown in, as the program names it.
  std::string Unit;
  // False for a unit the program does not show (another program's file):
  // then Choice means nothing.
  bool ChoiceKnown = false;
  LevelChoice Choice;
  // False where the levels are calibrated by an amount not known (a file in
  // dB SPL that does not state its calibration).
  bool CalibrationKnown = true;
  int32_t Window = -1;  // -1: not known
  int32_t Size = 0;     // 0: not known
};

// A reference's levels as a view in another choice shows them, or, where
// they cannot be converted, as kept, with their own unit.
struct ConvertedReference {
  // True when the levels are in the view's scale and may be compared with its levels.
  bool Comparable = false;
  std::string Unit;  // the unit of Levels
  std::vector<LevelPair> Levels;
  // Per line, ShownMeasurement's kFloorLeft and kFloorRight bits.
  std::vector<uint8_t> Floors;
};

// A spectrum kept to compare the live one with: its lines' frequencies and
// levels as shown when it was kept, which of them lay at the analysis
// floor, and what is known of their scale. Portable.
class ReferenceLevels {
 public:
  // REQUIRES: as many levels and floors as frequencies, the frequencies
  // non-negative and strictly increasing.
  ReferenceLevels(std::vector<double> frequenciesHz, std::vector<LevelPair> levels,
                  std::vector<uint8_t> floors, ReferenceFacts facts);

  // The spectrum shown, as kept by "Als Referenz übernehmen".
  static ReferenceLevels FromShown(const ShownMeasurement& shown);
  // A spectrum file's rows; its header's level scale, calibration, window
  // and size tell what its levels are, where they name them as the program does.
  static ReferenceLevels FromTable(LevelTable table);

  const std::vector<double>& FrequenciesHz() const { return Frequencies; }
  const ReferenceFacts& Facts() const { return Known; }

  // The levels in the view's choice `view` (its calibration that of the
  // input measured): converted where the facts for it are at hand (the
  // same unit; or the reference's window and size, and its calibration
  // where it is calibrated, are known), otherwise as kept, not comparable.
  ConvertedReference ConvertedFor(const LevelChoice& view) const;

 private:
  std::vector<double> Frequencies;
  std::vector<LevelPair> Levels;
  std::vector<uint8_t> Floors;
  ReferenceFacts Known;
};

// The choice whose unit `unit` is, as LevelScale names units; calibrated
// choices carry a calibration of 0. False for a unit the program does not show.
bool ChoiceOfUnit(const std::string& unit, LevelChoice& choice);
