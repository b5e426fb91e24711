#pragma once

#include <atomic>
#include <cstdint>

#include "analysis/LevelTypes.h"

class PowerAverager;

// Level in hundredths of a decibel of a normalised line magnitude:
// 2000 log10(m), truncated toward zero; the floor LevelMin * 100 for m <= 1e-7.
int32_t LevelFromMagnitude(double magnitude);

// The DC offset estimate after a cycle: the old estimate plus the mean of the
// windowed, offset-corrected samples (line 0 of the forward transform * 32768 / n),
// truncated toward zero.
int16_t UpdatedDcOffset(int16_t oldOffset, double line0Real, int32_t n);

// One channel of one cycle: takes channel `channel` (0 left, 1 right) of the
// first n interleaved stereo frames, subtracts dcOffset, scales by 2^-15,
// applies the weights, transforms, updates dcOffset (or sets it to 0 when
// autoOffset, read after the transform, is 0) and writes the levels of lines 0 .. n/2 - 1 into
// element `channel` of `levels`: with an `averager`, the levels of the
// averaged powers, the spectrum begun there taking this one's. Uses the
// process-wide FFT work arrays: worker thread only.
void AnalyseChannel(const int16_t* frames, int32_t channel, int32_t n, const double* weights,
                    const std::atomic<int32_t>& autoOffset, int16_t& dcOffset,
                    PowerAverager* averager, SpectrumLevels& levels);
