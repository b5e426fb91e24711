#pragma once

#include <cstdint>

// Largest difference between the program's forward transform of the test
// channel and the complex conjugate of FFTW's (ours carries the positive
// exponent), over lines 0 .. n/2, relative to the largest line magnitude.
// Shows that both benchmarks compute the same spectrum.
double TransformDifference(int32_t n);
