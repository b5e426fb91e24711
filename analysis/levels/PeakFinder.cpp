#include "analysis/levels/PeakFinder.h"

#include <algorithm>
#include <cmath>

#include "analysis/DisplayRange.h"
#include "analysis/levels/LevelScale.h"

namespace {

constexpr double kAccuracyLinesWithoutWindow = 0.5;
constexpr double kAccuracyLinesWithWindow = 0.1;
constexpr double kAccuracyLinesUnrefined = 1.0;
constexpr double kPeakAboveFloorDb = 20.0;
constexpr double kHundredthsPerDb = 100.0;
// Stored levels are hundredths of a decibel; amplitude = 10^(dB / 20).
constexpr double kHundredthsPerAmplitudeDecade = 2000.0;

}  // namespace

PeakFinder::PeakFinder() = default;
PeakFinder::~PeakFinder() = default;

const MainLobe& PeakFinder::Lobe(int32_t window) {
  const int32_t index = std::clamp(window, 0, kWindowCount - 1);
  if (!Lobes[index]) Lobes[index] = std::make_unique<MainLobe>(WindowTable[index]);
  return *Lobes[index];
}

SpectralPeak PeakFinder::Find(const SpectrumLevels& levels, int32_t channel, int32_t shownSize,
                              int32_t window, const LevelScale* scale) {
  SpectralPeak peak;
  const int32_t lines = std::min(shownSize / 2, kMaxSpectrumLines);
  if (lines < 2) return peak;
  peak.LineSpacingHz = static_cast<double>(kSampleRateHz) / shownSize;
  const int32_t lowest =
      std::max(1, static_cast<int32_t>(std::ceil(Range.FreqMin / peak.LineSpacingHz)));
  if (lowest >= lines) return peak;

  const auto shown = [&](int32_t line) {
    const int32_t stored = levels[line][channel];
    return scale ? scale->ScaledLevel(stored, line) : stored;
  };
  int32_t strongest = lowest;
  int32_t strongestShown = shown(lowest);
  for (int32_t i = lowest + 1; i < lines; ++i) {
    const int32_t level = shown(i);
    if (level > strongestShown) {
      strongest = i;
      strongestShown = level;
    }
  }

  const int32_t level = levels[strongest][channel];
  const bool hasLower = strongest - 1 >= 1;
  const bool hasUpper = strongest + 1 < lines;
  const auto threshold =
      static_cast<int32_t>(std::lround((Range.LevelMin + kPeakAboveFloorDb) * kHundredthsPerDb));
  // The search leaves no stronger line above; the one below may lie below FreqMin.
  if (level < threshold || (hasLower && shown(strongest - 1) > strongestShown)) return peak;

  peak.Found = true;
  peak.FrequencyHz = strongest * peak.LineSpacingHz;
  peak.LevelHundredthsDb = strongestShown;
  if (!hasLower || !hasUpper) {
    peak.AccuracyLines = kAccuracyLinesUnrefined;
    return peak;
  }
  const bool upper = levels[strongest + 1][channel] >= levels[strongest - 1][channel];
  const int32_t neighbour = upper ? strongest + 1 : strongest - 1;
  const double ratio =
      std::pow(10.0, (levels[neighbour][channel] - level) / kHundredthsPerAmplitudeDecade);
  const MainLobe& lobe = Lobe(window);
  const double offsetLines = lobe.OffsetForRatio(ratio);
  peak.FrequencyHz += (upper ? offsetLines : -offsetLines) * peak.LineSpacingHz;
  const int32_t toneLevel =
      level + static_cast<int32_t>(std::lround(lobe.LossDb(offsetLines) * kHundredthsPerDb));
  peak.LevelHundredthsDb = scale ? scale->ScaledLevelAt(toneLevel, peak.FrequencyHz) : toneLevel;
  peak.AccuracyLines =
      window == kWindowOff ? kAccuracyLinesWithoutWindow : kAccuracyLinesWithWindow;
  return peak;
}
