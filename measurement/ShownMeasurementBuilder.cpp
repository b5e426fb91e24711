#include "measurement/ShownMeasurementBuilder.h"

#include <algorithm>

namespace {

// Numbers the levels of every spectrum built, so that a cache never takes
// one spectrum's levels for another's. GUI thread only.
uint64_t LevelsBuilt = 0;

}  // namespace

const LevelScale& ShownMeasurementBuilder::ScaleFor(const LevelChoice& choice, int32_t window,
                                                    int32_t size, int32_t sampleRateHz) {
  if (!CurrentScale || choice.Scale != ScaleChoice.Scale ||
      choice.Weighting != ScaleChoice.Weighting ||
      choice.CalibrationHundredthsDb != ScaleChoice.CalibrationHundredthsDb ||
      window != ScaleWindow || size != ScaleSize || sampleRateHz != ScaleRateHz) {
    CurrentScale = std::make_unique<LevelScale>(choice, window, size, sampleRateHz);
    ScaleChoice = choice;
    ScaleWindow = window;
    ScaleSize = size;
    ScaleRateHz = sampleRateHz;
  }
  return *CurrentScale;
}

const LevelScale* ShownMeasurementBuilder::NoiseWeightingFor(const LevelChoice& choice,
                                                             int32_t window, int32_t size,
                                                             int32_t sampleRateHz) {
  if (choice.Weighting == kWeightingNone) return nullptr;
  if (!NoiseWeighting || choice.Weighting != NoiseWeightingKind || window != NoiseWeightingWindow ||
      size != NoiseWeightingSize || sampleRateHz != NoiseWeightingRateHz) {
    NoiseWeighting = std::make_unique<LevelScale>(
        LevelChoice{kScaleUncorrected, choice.Weighting, std::nullopt}, window, size, sampleRateHz);
    NoiseWeightingKind = choice.Weighting;
    NoiseWeightingWindow = window;
    NoiseWeightingSize = size;
    NoiseWeightingRateHz = sampleRateHz;
  }
  return NoiseWeighting.get();
}

void ShownMeasurementBuilder::Build(const AnalysedLevels& analysed, const LevelChoice& choice,
                                    ShownMeasurement& shown, bool withDistortion) {
  WithDistortion = withDistortion;
  const int32_t size = analysed.Levels ? analysed.Size : 0;
  const int32_t rate = analysed.SampleRateHz;
  const LevelScale& scale = ScaleFor(choice, analysed.Window, size, rate);
  const bool heldValid = analysed.HeldValid && analysed.Held != nullptr && size >= 2;
  bool heldChanged =
      heldValid != shown.HeldValid || size != shown.Size || rate != shown.SampleRateHz;
  shown.Size = size;
  shown.SampleRateHz = rate;
  shown.Window = analysed.Window;
  shown.AverageCount = analysed.AverageCount;
  shown.AverageLength = analysed.AverageLength;
  shown.Input = analysed.Input;
  shown.Choice = choice;
  shown.Unit = scale.Unit();
  shown.AxisShiftHundredthsDb = scale.AxisShiftHundredthsDb();
  shown.HeldValid = heldValid;
  const int32_t lines = std::min(size / 2, kMaxSpectrumLines);
  SpectrumLevels& levels = *shown.Levels;
  SpectrumLevels& held = *shown.Held;
  auto& floors = *shown.Floors;
  for (int32_t line = 0; line < lines; ++line) {
    uint8_t floor = 0;
    for (int32_t channel = 0; channel < 2; ++channel) {
      const int32_t stored = (*analysed.Levels)[line][channel];
      levels[line][channel] = scale.ScaledLevel(stored, line);
      if (scale.IsFloor(stored, line))
        floor |= channel == 0 ? ShownMeasurement::kFloorLeft : ShownMeasurement::kFloorRight;
      if (!shown.HeldValid) continue;
      const int32_t storedHeld = (*analysed.Held)[line][channel];
      const int32_t heldLevel = scale.ScaledLevel(storedHeld, line);
      heldChanged = heldChanged || held[line][channel] != heldLevel;
      held[line][channel] = heldLevel;
      if (scale.IsFloor(storedHeld, line))
        floor |=
            channel == 0 ? ShownMeasurement::kHeldFloorLeft : ShownMeasurement::kHeldFloorRight;
    }
    floors[static_cast<size_t>(line)] = floor;
  }
  shown.LevelsNumber = ++LevelsBuilt;
  if (heldChanged) shown.HeldNumber = ++LevelsBuilt;
  const LevelScale sine({kScaleSine, kWeightingNone, std::nullopt}, analysed.Window, size, rate);
  for (int32_t channel = 0; channel < 2; ++channel)
    shown.SinePeaks[channel] =
        size >= 2 ? Peaks.Find(*analysed.Levels, channel, size, analysed.Window, &sine, rate)
                  : SpectralPeak{};
  FindPeaks(analysed, shown);
}

void ShownMeasurementBuilder::FindPeaks(const AnalysedLevels& analysed, ShownMeasurement& shown) {
  const int32_t size = shown.Size;
  const int32_t rate = shown.SampleRateHz;
  const LevelChoice& choice = shown.Choice;
  const LevelScale& scale = ScaleFor(choice, analysed.Window, size, rate);
  shown.PeaksInBand = Band.has_value();
  shown.PeakFrequencies = Band.value_or(PeakBand{});
  for (int32_t channel = 0; channel < 2; ++channel) {
    shown.Peaks[channel] = size >= 2 ? Peaks.Find(*analysed.Levels, channel, size, analysed.Window,
                                                  &scale, rate, shown.PeakFrequencies)
                                     : SpectralPeak{};
    shown.Distortion[channel] =
        size >= 2 && WithDistortion
            ? Distortion.Analyse(*analysed.Levels, analysed.FloorPowers, channel, size,
                                 analysed.Window, shown.Peaks[channel],
                                 NoiseWeightingFor(choice, analysed.Window, size, rate),
                                 choice.Weighting)
            : ChannelDistortion{};
  }
}
