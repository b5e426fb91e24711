#include "measurement/ShownMeasurementBuilder.h"

#include <algorithm>

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
  const int32_t size = analysed.Levels ? analysed.Size : 0;
  const int32_t rate = analysed.SampleRateHz;
  const LevelScale& scale = ScaleFor(choice, analysed.Window, size, rate);
  shown.Size = size;
  shown.SampleRateHz = rate;
  shown.Window = analysed.Window;
  shown.AverageCount = analysed.AverageCount;
  shown.AverageLength = analysed.AverageLength;
  shown.Input = analysed.Input;
  shown.Choice = choice;
  shown.Unit = scale.Unit();
  shown.AxisShiftHundredthsDb = scale.AxisShiftHundredthsDb();
  shown.HeldValid = analysed.HeldValid && analysed.Held != nullptr && size >= 2;
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
      held[line][channel] = scale.ScaledLevel(storedHeld, line);
      if (scale.IsFloor(storedHeld, line))
        floor |=
            channel == 0 ? ShownMeasurement::kHeldFloorLeft : ShownMeasurement::kHeldFloorRight;
    }
    floors[static_cast<size_t>(line)] = floor;
  }
  const LevelScale sine({kScaleSine, kWeightingNone, std::nullopt}, analysed.Window, size, rate);
  for (int32_t channel = 0; channel < 2; ++channel) {
    shown.Peaks[channel] =
        size >= 2 ? Peaks.Find(*analysed.Levels, channel, size, analysed.Window, &scale, rate)
                  : SpectralPeak{};
    shown.SinePeaks[channel] =
        size >= 2 ? Peaks.Find(*analysed.Levels, channel, size, analysed.Window, &sine, rate)
                  : SpectralPeak{};
    shown.Distortion[channel] =
        size >= 2 && withDistortion
            ? Distortion.Analyse(*analysed.Levels, analysed.FloorPowers, channel, size,
                                 analysed.Window, shown.Peaks[channel],
                                 NoiseWeightingFor(choice, analysed.Window, size, rate),
                                 choice.Weighting)
            : ChannelDistortion{};
  }
}
