#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "analysis/levels/LevelChoice.h"
#include "analysis/levels/LevelScale.h"
#include "analysis/levels/PeakFinder.h"
#include "measurement/AnalysedLevels.h"
#include "measurement/ShownMeasurement.h"

// The one place where stored levels become shown levels: each analysed
// spectrum, in the scale and weighting chosen and with the calibration of
// the input that recorded it, into a ShownMeasurement with its floors, unit
// and peaks. Portable; keeps the scale and the windows' lobes it was last
// asked for. GUI thread only.
class ShownMeasurementBuilder {
 public:
  // Rebuilds `shown` from `analysed` as `choice` asks (its calibration is
  // that of analysed.Input, or none). Without `withDistortion` the tones'
  // distortion is not measured (each shown.Distortion reads not Measured):
  // nothing shows it, and it costs a share of each spectrum.
  void Build(const AnalysedLevels& analysed, const LevelChoice& choice, ShownMeasurement& shown,
             bool withDistortion = true);

  // The frequencies each later Build and FindPeaks looks for the peak tones
  // (Peaks, Distortion) in; none: the whole spectrum. The sine peaks
  // (SinePeaks, which a calibration takes) are always the whole spectrum's.
  void SetPeakBand(std::optional<PeakBand> band) { Band = band; }
  // Finds the peak tones and their distortion (where the last Build
  // measured it) of `shown`, built from `analysed` by the last Build, anew
  // in the band set now.
  void FindPeaks(const AnalysedLevels& analysed, ShownMeasurement& shown);

  // The scale that Build applied last.
  const LevelScale& Scale() const { return *CurrentScale; }

 private:
  const LevelScale& ScaleFor(const LevelChoice& choice, int32_t window, int32_t size,
                             int32_t sampleRateHz);

  // The uncorrected levels with the chosen weighting, which the noise takes;
  // null without a weighting.
  const LevelScale* NoiseWeightingFor(const LevelChoice& choice, int32_t window, int32_t size,
                                      int32_t sampleRateHz);

  bool WithDistortion = true;  // as the last Build was asked
  PeakFinder Peaks;
  std::optional<PeakBand> Band;
  DistortionAnalyser Distortion;
  std::unique_ptr<LevelScale> NoiseWeighting;
  int32_t NoiseWeightingKind = -1;
  int32_t NoiseWeightingWindow = -1;
  int32_t NoiseWeightingSize = -1;
  int32_t NoiseWeightingRateHz = -1;
  std::unique_ptr<LevelScale> CurrentScale;
  LevelChoice ScaleChoice;
  int32_t ScaleWindow = -1;
  int32_t ScaleSize = -1;
  int32_t ScaleRateHz = -1;
};
