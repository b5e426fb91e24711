#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "analysis/LevelTypes.h"
#include "analysis/levels/DistortionAnalyser.h"
#include "analysis/levels/LevelChoice.h"
#include "analysis/levels/PeakFinder.h"

// One spectrum as every view, file and readout shows it: the levels in the
// chosen scale, weighting and calibration of the input that recorded it,
// which lines lie at the analysis floor, the unit, and the facts a file's
// header or a readout names. Made in one place (ShownMeasurementBuilder); its
// receivers read it and never scale a level again. Large (several MiB):
// make it once and rebuild it in place. GUI thread only.
struct ShownMeasurement {
  static constexpr uint8_t kFloorLeft = 1;
  static constexpr uint8_t kFloorRight = 2;
  static constexpr uint8_t kHeldFloorLeft = 4;
  static constexpr uint8_t kHeldFloorRight = 8;

  ShownMeasurement();

  // Points analysed; 0 before the first spectrum. Lines 0 to Size / 2 - 1
  // of Levels, Held and Floors are valid.
  int32_t Size = 0;
  // The rate the spectrum's samples were taken at: line j lies at j *
  // SampleRateHz / Size.
  int32_t SampleRateHz = kSampleRateHz;
  int32_t Window = 0;
  // How many spectra the levels average, of how many (PowerAverager's lengths).
  int32_t AverageCount = 0;
  int32_t AverageLength = 0;
  // The product name of the input that recorded it; empty when unknown.
  std::string Input;
  // What the levels are: scale, weighting and the recording input's calibration.
  LevelChoice Choice;
  std::string Unit;
  // How much the level axis's labels read more than the plot's levels: a
  // level L is drawn on the row of L minus this.
  int32_t AxisShiftHundredthsDb = 0;

  // Hundredths of a decibel as shown; left channel first.
  std::unique_ptr<SpectrumLevels> Levels;
  // Each line's held maximum as shown; valid only where HeldValid.
  std::unique_ptr<SpectrumLevels> Held;
  bool HeldValid = false;
  // Numbers for caches of what is drawn from the levels and from the held
  // maximum: a new one, unique among all spectra, at every build that may
  // have changed Levels (every build) or Held (one where a held level, its
  // validity or the size changed); 0 before the first.
  uint64_t LevelsNumber = 0;
  uint64_t HeldNumber = 0;
  // Per line the kFloor bits: the true level lies at or below the one shown.
  std::unique_ptr<std::array<uint8_t, kMaxSpectrumLines>> Floors;

  // Each channel's strongest line as a tone, in the shown scale: among the
  // lines of PeakFrequencies only where PeaksInBand (the frequency range a
  // zoomed view shows), otherwise among all.
  SpectralPeak Peaks[2];
  bool PeaksInBand = false;
  PeakBand PeakFrequencies;
  // The same as a sine level (dBFS) without calibration or weighting: what
  // a calibration compares with the calibrator's level.
  SpectralPeak SinePeaks[2];
  // The distortion and noise of each channel's peak tone (Peaks), whose
  // harmonics and noise are those of the whole spectrum, the noise weighted
  // as the levels are.
  ChannelDistortion Distortion[2];

  bool HasLines() const { return Size >= 2; }
  int32_t LineCount() const { return Size / 2; }
  double LineFrequencyHz(int32_t line) const {
    return static_cast<double>(SampleRateHz) * line / Size;
  }
  bool AtFloor(int32_t line, int32_t channel) const {
    return ((*Floors)[static_cast<size_t>(line)] & (channel == 0 ? kFloorLeft : kFloorRight)) != 0;
  }
  bool HeldAtFloor(int32_t line, int32_t channel) const {
    return ((*Floors)[static_cast<size_t>(line)] &
            (channel == 0 ? kHeldFloorLeft : kHeldFloorRight)) != 0;
  }
};
