#include "analysis/ChannelAnalysis.h"

#include <cmath>

#include "analysis/DisplayRange.h"
#include "analysis/Fft.h"
#include "analysis/FftWorkArrays.h"
#include "analysis/PowerAverager.h"

namespace {

constexpr double kSampleScale = 0.000030517578125;  // 2^-15: 32768 sample units are 1.0
constexpr double kOffsetScale = 32768.0;
constexpr double kMagnitudeFloor = 1e-7;
constexpr int32_t kInt16Min = -32768;
constexpr int32_t kInt16Max = 32767;

}  // namespace

int32_t LevelFromMagnitude(double magnitude) {
  if (magnitude > kMagnitudeFloor)
    return static_cast<int32_t>(20.0 * std::log10(magnitude) * 100.0);
  return kAnalysisFloorHundredthsDb;
}

int16_t UpdatedDcOffset(int16_t oldOffset, double line0Real, int32_t n) {
  // The mean lies within the sample range for every window; the clamp only
  // guards the conversion against a last-bit excursion beyond it.
  const double updated = oldOffset + line0Real * kOffsetScale / n;
  int32_t value = static_cast<int32_t>(updated);
  if (value < kInt16Min) value = kInt16Min;
  if (value > kInt16Max) value = kInt16Max;
  return static_cast<int16_t>(value);
}

void WeightedSamples(const int16_t* frames, int32_t channel, int32_t n, const double* weights,
                     int16_t dcOffset, double* input) {
  const int32_t offset = dcOffset;
  for (int32_t j = 0; j < n; ++j) {
    input[j] = (frames[2 * j + channel] - offset) * kSampleScale;
    input[j] *= weights[j];
  }
}

void WeightedSamples(const double* samples, int32_t stride, int32_t n, const double* weights,
                     int16_t dcOffset, double* input) {
  const double offset = dcOffset * kSampleScale;
  for (int32_t j = 0; j < n; ++j) {
    input[j] = samples[static_cast<size_t>(j) * stride] - offset;
    input[j] *= weights[j];
  }
}

void AnalyseChannel(const int16_t* frames, int32_t channel, int32_t n, const double* weights,
                    const std::atomic<int32_t>& autoOffset, int16_t& dcOffset,
                    PowerAverager* averager, SpectrumLevels& levels,
                    SpectrumFloorPowers& floorPowers) {
  WeightedSamples(frames, channel, n, weights, dcOffset, FftInput);
  Fft(static_cast<uint32_t>(n), 0, FftInput, nullptr, FftRe, FftIm);

  dcOffset =
      autoOffset.load(std::memory_order_relaxed) ? UpdatedDcOffset(dcOffset, FftRe[0], n) : 0;

  const int32_t lines = n / 2;
  if (averager == nullptr) {
    for (int32_t j = 0; j < lines; ++j) {
      const double magnitude = LineMagnitude(FftRe[j], FftIm[j], j, n);
      const int32_t level = LevelFromMagnitude(magnitude);
      levels[j][channel] = level;
      floorPowers[j][channel] = FloorPower(level, magnitude * magnitude);
    }
    return;
  }
  for (int32_t j = 0; j < lines; ++j) {
    const double power = averager->Add(j, channel, LinePower(FftRe[j], FftIm[j], j, n));
    const int32_t level = LevelFromMagnitude(std::sqrt(power));
    levels[j][channel] = level;
    floorPowers[j][channel] = FloorPower(level, power);
  }
}
