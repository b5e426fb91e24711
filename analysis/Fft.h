#pragma once

#include <cstdint>

// Complex radix-2 FFT of n points (n a power of two, n >= 1).
//
// forward: X[k] = sum x[n] e^(+2 pi i n k / N)   (note the positive exponent)
// inverse: X[k] = (1/N) sum x[n] e^(-2 pi i n k / N)
//
// imagIn may be null (all zero). The outputs must not alias the inputs. Keeps
// no state and no table between calls; allocates nothing.
void Fft(uint32_t n, int32_t inverse, const double* realIn, const double* imagIn, double* realOut,
         double* imagOut);
