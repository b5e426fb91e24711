#include "analysis/FftWorkArrays.h"

double FftInput[kMaxFftSize];
double FftRe[kMaxFftSize];
double FftIm[kMaxFftSize];
