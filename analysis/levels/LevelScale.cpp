#include "analysis/levels/LevelScale.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "analysis/DisplayRange.h"
#include "analysis/LevelTypes.h"
#include "analysis/levels/WindowGain.h"

namespace {

constexpr double kHundredthsPerDb = 100.0;
constexpr double kDbPerAmplitudeDecade = 20.0;
constexpr double kDbPerPowerDecade = 10.0;
// The DC line's one-sided density: a line of the upper half holds the power
// of its mirror line too, the DC line has none.
constexpr double kSidesOfALine = 2.0;

int32_t Hundredths(double db) {
  return static_cast<int32_t>(std::lround(db * kHundredthsPerDb));
}

// Computed once per window and size, as the main lobes are. GUI thread only.
const WindowGain& GainOf(int32_t window, int32_t size) {
  static std::map<std::pair<int32_t, int32_t>, WindowGain> gains;
  const auto key = std::make_pair(window, size);
  auto found = gains.find(key);
  if (found == gains.end())
    found = gains.emplace(key, MeasureWindowGain(WindowTable[window], size)).first;
  return found->second;
}

}  // namespace

LevelScale::LevelScale(const LevelChoice& choice, int32_t window, int32_t shownSize,
                       int32_t sampleRateHz)
    : Kind(choice.Scale),
      Weighting(choice.Weighting),
      Calibrated((choice.Scale == kScaleSine || choice.Scale == kScaleNoiseDensity) &&
                 choice.CalibrationHundredthsDb.has_value()),
      Curve(choice.Weighting) {
  if (shownSize >= 2 && window >= 0 && window < kWindowCount) {
    LineSpacingHz = static_cast<double>(sampleRateHz) / shownSize;
    const WindowGain& gain = GainOf(window, shownSize);
    if (Kind == kScaleSine || Kind == kScaleNoiseDensity)
      ScaleDb = -kDbPerAmplitudeDecade * std::log10(gain.CoherentGain);
    if (Kind == kScaleNoiseDensity)
      ScaleDb -= kDbPerPowerDecade * std::log10(gain.NoiseBandwidthLines * LineSpacingHz);
  }
  if (Calibrated) AxisShift = *choice.CalibrationHundredthsDb;
  Offset = Hundredths(ScaleDb) + AxisShift;
  DcOffset = Offset;
  if (Kind == kScaleNoiseDensity && LineSpacingHz > 0.0)
    DcOffset = Hundredths(ScaleDb + kDbPerPowerDecade * std::log10(kSidesOfALine)) + AxisShift;
  if (Weighting != kWeightingNone && LineSpacingHz > 0.0) {
    LineWeighting.resize(static_cast<size_t>(std::min(shownSize / 2, kMaxSpectrumLines)));
    for (size_t line = 0; line < LineWeighting.size(); ++line)
      LineWeighting[line] = Hundredths(Curve.GainDb(static_cast<double>(line) * LineSpacingHz));
  }
}

int32_t LevelScale::ScaledLevelAt(int32_t storedHundredths, double frequencyHz) const {
  const int32_t offset = frequencyHz == 0.0 ? DcOffset : Offset;
  if (Weighting == kWeightingNone) return storedHundredths + offset;
  return std::max(storedHundredths + Hundredths(Curve.GainDb(frequencyHz)), kFloor) + offset;
}

bool LevelScale::IsFloorAt(int32_t storedHundredths, double frequencyHz) const {
  if (storedHundredths <= kFloor) return true;
  return Weighting != kWeightingNone &&
         storedHundredths + Hundredths(Curve.GainDb(frequencyHz)) <= kFloor;
}

std::string LevelScale::Unit() const {
  const char* weighted = Weighting == kWeightingA ? "A" : "C";
  if (Calibrated) {
    const std::string unit =
        Weighting == kWeightingNone ? "dB SPL" : std::string("dB(") + weighted + ")";
    return Kind == kScaleNoiseDensity ? unit + "/Hz" : unit;
  }
  if (Kind == kScaleUncorrected)
    return Weighting == kWeightingNone ? "dB" : std::string("dB, ") + weighted + "-bewertet";
  const std::string unit = Kind == kScaleSine ? "dBFS" : "dB/Hz";
  return Weighting == kWeightingNone ? unit : unit + "(" + weighted + ")";
}
