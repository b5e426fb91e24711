#include "analysis/Fft.h"

#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;

uint32_t LowestSetBit(uint32_t n) {
  uint32_t bit = 0;
  while (((n >> bit) & 1u) == 0) ++bit;
  return bit;
}

uint32_t ReverseBits(uint32_t i, uint32_t bits) {
  uint32_t r = 0;
  for (uint32_t b = 0; b < bits; ++b) {
    r = 2 * r + (i % 2);
    i /= 2;
  }
  return r;
}

void BitReversedCopy(uint32_t n, const double* realIn, const double* imagIn, double* realOut,
                     double* imagOut) {
  const uint32_t bits = LowestSetBit(n);
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t r = ReverseBits(i, bits);
    realOut[r] = realIn[i];
    imagOut[r] = imagIn ? imagIn[i] : 0.0;
  }
}

// The twiddle factors come from the three-term recurrence
// cos((m+1)d) = 2 cos d cos(md) - cos((m-1)d), restarted from the library's
// values at every block so that rounding errors never accumulate across blocks.
void ButterflyStages(uint32_t n, double angle, double* re, double* im) {
  uint32_t blockEnd = 1;
  for (uint32_t blockSize = 2; blockSize <= n; blockSize <<= 1) {
    const double delta = angle / blockSize;
    const double sm2 = std::sin(-2 * delta);
    const double sm1 = std::sin(-delta);
    const double cm2 = std::cos(-2 * delta);
    const double cm1 = std::cos(-delta);
    const double w = 2 * cm1;
    for (uint32_t s = 0; s < n; s += blockSize) {
      double ar2 = cm2, ar1 = cm1, ai2 = sm2, ai1 = sm1;
      for (uint32_t m = 0; m < blockEnd; ++m) {
        const uint32_t j = s + m;
        const uint32_t k = j + blockEnd;
        const double ar0 = w * ar1 - ar2;
        ar2 = ar1;
        ar1 = ar0;
        const double ai0 = w * ai1 - ai2;
        ai2 = ai1;
        ai1 = ai0;
        const double tr = ar0 * re[k] - ai0 * im[k];
        const double ti = ar0 * im[k] + ai0 * re[k];
        re[k] = re[j] - tr;
        im[k] = im[j] - ti;
        re[j] += tr;
        im[j] += ti;
      }
    }
    blockEnd = blockSize;
  }
}

}  // namespace

void Fft(uint32_t n, int32_t inverse, const double* realIn, const double* imagIn, double* realOut,
         double* imagOut) {
  const double angle = inverse ? -kTwoPi : kTwoPi;
  BitReversedCopy(n, realIn, imagIn, realOut, imagOut);
  ButterflyStages(n, angle, realOut, imagOut);
  if (inverse) {
    const double scale = static_cast<double>(n);
    for (uint32_t i = 0; i < n; ++i) {
      realOut[i] /= scale;
      imagOut[i] /= scale;
    }
  }
}
