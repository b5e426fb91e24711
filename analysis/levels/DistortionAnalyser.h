#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/LevelTypes.h"
#include "analysis/levels/PeakFinder.h"
#include "analysis/levels/WindowGain.h"
#include "analysis/levels/WindowLeakage.h"

class LevelScale;

// One harmonic of a channel's strongest tone.
struct HarmonicReading {
  enum class Reading {
    Measured,  // clearly above the floor near it: LevelHundredthsDb is its level
    Below,     // not clearly above it: the harmonic lies below LevelHundredthsDb
    Masked,    // the fundamental's leakage through the window lies above it
  };
  int32_t Order = 0;  // 2 to 10
  Reading State = Reading::Below;
  double FrequencyHz = 0.0;       // refined where measured, else Order times the fundamental's
  int32_t LevelHundredthsDb = 0;  // relative to the fundamental
};

// The distortion and noise of one channel's strongest tone. Ratios in
// decibels relative to the fundamental's power.
struct ChannelDistortion {
  bool Measured = false;  // a fundamental was found: the rest is valid
  double FundamentalHz = 0.0;
  double BandLowHz = 0.0;  // the band THD+N and SNR are taken in
  double BandHighHz = 0.0;

  // THD: the harmonics' total amplitude relative to the fundamental's.
  bool ThdMasked = false;  // a harmonic read is the window's leakage
  bool ThdBelow = false;   // harmonics below the floor may add: THD lies below ThdDb
  double ThdDb = 0.0;
  double ThdPercent = 0.0;

  // THD+N: everything but the fundamental in the band; SNR: the fundamental
  // over the same without the harmonics. Weighted with NoiseWeighting.
  bool NoiseMasked = false;  // the window's leakage lies above the noise
  bool NoiseBounded =
      false;  // lines at the floor, their powers unknown, hold a share: THD+N <=, SNR >=
  int32_t NoiseWeighting = 0;  // a FrequencyWeightingKind
  double ThdPlusNoiseDb = 0.0;
  double SnrDb = 0.0;

  int32_t HarmonicCount = 0;  // below the spectrum's top
  std::array<HarmonicReading, 9> Harmonics{};
};

// THD, THD+N, SNR and the harmonics 2 to 10 of a channel's strongest tone,
// from the stored levels of its spectrum (hundredths of a decibel as
// analysed, floor -14000). Portable; keeps the windows' lobes, leakage and
// gains met so far. GUI thread only.
//
// The fundamental is the tone of `peak` (the peak values' strongest line),
// refined at that line in the stored levels. Each harmonic k is the
// strongest line within k times the fundamental's frequency accuracy of k
// times its frequency, refined as the peak is; it is measured where that
// line lies kPeakAboveNoiseDb above the noise floor near it (PeakFinder's
// floor), else it lies below the highest line there plus the window's
// scalloping loss. Powers are summed over the lines from 20 Hz to 20 kHz
// (those below the top; a line at the analysis floor with its power, where
// the analysis gives it, else with the floor's): each line's power over the window's equivalent
// noise bandwidth is the power of the noise it holds, each tone's level its
// power; the lines of the fundamental's main lobe and of its leakage above
// a hundredth of the noise, and for the SNR those of the harmonics, are
// replaced by the mean of the lines counted as noise.
class DistortionAnalyser {
 public:
  DistortionAnalyser();
  ~DistortionAnalyser();

  // `floorPowers`: the powers of the lines at the floor, or null where
  // unknown. `weighting`: a scale of the uncorrected levels with the
  // frequency weighting the noise takes, or null for none (weightingKind 0).
  ChannelDistortion Analyse(const SpectrumLevels& levels, const SpectrumFloorPowers* floorPowers,
                            int32_t channel, int32_t shownSize, int32_t window,
                            const SpectralPeak& peak, const LevelScale* weighting,
                            int32_t weightingKind);

  static constexpr double kBandLowHz = 20.0;
  static constexpr double kBandHighHz = 20000.0;
  static constexpr int32_t kHighestHarmonic = 10;
  // Leakage below this share of the mean noise line is not excluded.
  static constexpr double kLeakageShareOfNoise = 0.01;
  // The figures are the window's where its leakage into the lines counted
  // reaches this share of their power (0.4 dB), or where the fundamental's
  // leakage excludes more than three quarters of the band.
  static constexpr double kMaskingShare = 0.1;
  // The noise floor's median is taken of at least this many of the band's lines.
  static constexpr int32_t kMedianSampleLines = 64;

 private:
  const WindowLeakage& Leakage(int32_t window);
  // The window's loss for a tone halfway between lines, hundredths of a decibel.
  int32_t ScallopLoss(int32_t window);
  const WindowGain& Gain(int32_t window, int32_t size);
  // Each line's weighting as a factor of its power, all 1 without one.
  const std::vector<double>& WeightFactors(const LevelScale* weighting, int32_t kind, int32_t lines,
                                           int32_t rateHz);
  double Power(int32_t hundredths) const;

  PeakFinder Peaks;
  std::array<std::unique_ptr<WindowLeakage>, kWindowCount> Leakages;
  int32_t ScallopWindow = -1;
  int32_t ScallopHundredths = 0;
  WindowGain CurrentGain;
  int32_t GainWindow = -1;
  int32_t GainSize = -1;
  std::vector<double> Powers;      // of stored hundredths from the floor up
  std::vector<int32_t> Histogram;  // the band's sampled levels, for the median
  // The band's sampled lines below the floor by their powers' binary exponent.
  std::vector<int32_t> FloorHistogram;
  bool FloorHistogramUsed = true;
  std::vector<double> Factors;
  int32_t FactorsKind = -1;
  int32_t FactorsLines = -1;
  int32_t FactorsRateHz = -1;
};
