#include "recording/RecordingLevels.h"

#include <algorithm>
#include <limits>

#include "analysis/PowerAverager.h"

AnalysedLevels LevelsOfRecording(const RecordingResult& spectrum, const std::string& name) {
  AnalysedLevels levels;
  levels.Size = spectrum.FftSize;
  levels.SampleRateHz = spectrum.SampleRateHz;
  levels.Window = spectrum.Weighting;
  levels.Levels = spectrum.Average.get();
  levels.Held = spectrum.Held.get();
  levels.FloorPowers = spectrum.FloorPowers.get();
  levels.HeldValid = spectrum.Held != nullptr;
  levels.AverageCount = static_cast<int32_t>(
      std::min<int64_t>(spectrum.BlockCount, std::numeric_limits<int32_t>::max()));
  levels.AverageLength = PowerAverager::kContinuous;
  levels.Input = name;
  return levels;
}
