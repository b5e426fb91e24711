#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>

#include "analysis/DisplayRange.h"
#include "analysis/LevelTypes.h"

class PowerAverager;

// The level of every line whose magnitude is 1e-7 or less.
constexpr int32_t kAnalysisFloorHundredthsDb =
    static_cast<int32_t>(kFixedDisplayRange.LevelMin * 100.0);

// Level in hundredths of a decibel of a normalised line magnitude:
// 2000 log10(m), truncated toward zero; the floor, the fixed range's
// LevelMin * 100, for m <= 1e-7. Not the range the view sets: an analysis
// without a view (a recording analysed from the command line) has it too.
int32_t LevelFromMagnitude(double magnitude);

// The normalisation of line `line` of an n-point transform: n for line 0, n / 2
// for every other line, so that a full-scale sine on a line has magnitude 1.
inline double LineNorm(int32_t line, int32_t n) {
  return (line == 0) ? static_cast<double>(n) : static_cast<double>(n / 2);
}
// The normalised magnitude of a line whose transform is re + i im.
inline double LineMagnitude(double re, double im, int32_t line, int32_t n) {
  double m = std::sqrt(re * re + im * im);
  m /= LineNorm(line, n);
  return m;
}
// Its square, as the averages take it.
inline double LinePower(double re, double im, int32_t line, int32_t n) {
  const double norm = LineNorm(line, n);
  return (re * re + im * im) / (norm * norm);
}

// The transform's input for one channel: input[j] = (sample j - dcOffset)
// * 2^-15 * weights[j] for the n samples of channel `channel` of the first n
// interleaved stereo frames.
void WeightedSamples(const int16_t* frames, int32_t channel, int32_t n, const double* weights,
                     int16_t dcOffset, double* input);
// The same for samples in full-scale units, `stride` values apart (the
// offset still in 2^-15 units): for 16-bit samples delivered as s * 2^-15,
// bit for bit the values above, since both subtractions are exact.
void WeightedSamples(const double* samples, int32_t stride, int32_t n, const double* weights,
                     int16_t dcOffset, double* input);

// The DC offset estimate after a cycle: the old estimate plus the mean of the
// windowed, offset-corrected samples (line 0 of the forward transform * 32768 / n),
// truncated toward zero.
int16_t UpdatedDcOffset(int16_t oldOffset, double line0Real, int32_t n);

// One channel of one cycle: takes channel `channel` (0 left, 1 right) of the
// first n interleaved stereo frames, subtracts dcOffset, scales by 2^-15,
// applies the weights, transforms, updates dcOffset (or sets it to 0 when
// autoOffset, read after the transform, is 0) and writes the levels of lines 0 .. n/2 - 1 into
// element `channel` of `levels`: with an `averager`, the levels of the
// averaged powers, the spectrum begun there taking this one's; and the
// power of each line at the floor into `floorPowers` (0 for the others).
// Uses the process-wide FFT work arrays: worker thread only.
void AnalyseChannel(const int16_t* frames, int32_t channel, int32_t n, const double* weights,
                    const std::atomic<int32_t>& autoOffset, int16_t& dcOffset,
                    PowerAverager* averager, SpectrumLevels& levels,
                    SpectrumFloorPowers& floorPowers);

// The entry of `floorPowers` for a line of power `power` whose level is `level`.
inline float FloorPower(int32_t level, double power) {
  return level <= kAnalysisFloorHundredthsDb ? static_cast<float>(power) : 0.0f;
}
