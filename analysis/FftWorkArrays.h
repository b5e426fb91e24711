#pragma once

#include "analysis/LevelTypes.h"

// The transform's work arrays, with room for the largest transform. Used only
// by the worker thread during an analysis cycle, overwritten for each channel.
extern double FftInput[kMaxFftSize];  // windowed, scaled samples of one channel
extern double FftRe[kMaxFftSize];     // real parts of the transform
extern double FftIm[kMaxFftSize];     // imaginary parts of the transform
