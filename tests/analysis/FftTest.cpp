#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "analysis/Fft.h"

namespace {

using Complex = std::complex<long double>;
const long double kPiL = 3.141592653589793238462643383279502884L;

// The oracle: a direct DFT in long double with the program's sign convention
// (forward carries the positive exponent, inverse is scaled by 1/N).
std::vector<Complex> DirectDft(const std::vector<double>& re, const std::vector<double>& im,
                               bool inverse) {
  const size_t n = re.size();
  const long double sign = inverse ? -1.0L : 1.0L;
  std::vector<Complex> out(n);
  for (size_t k = 0; k < n; ++k) {
    Complex sum = 0;
    for (size_t m = 0; m < n; ++m) {
      const long double angle = sign * 2 * kPiL * static_cast<long double>((m * k) % n) / n;
      sum += Complex(re[m], im[m]) * Complex(std::cos(angle), std::sin(angle));
    }
    out[k] = inverse ? sum / static_cast<long double>(n) : sum;
  }
  return out;
}

struct Spectrum {
  std::vector<double> re, im;
};

Spectrum Transform(const std::vector<double>& re, const std::vector<double>* im, bool inverse) {
  Spectrum out{std::vector<double>(re.size()), std::vector<double>(re.size())};
  Fft(static_cast<uint32_t>(re.size()), inverse ? 1 : 0, re.data(), im ? im->data() : nullptr,
      out.re.data(), out.im.data());
  return out;
}

std::vector<double> RandomSignal(size_t n, std::mt19937& rng) {
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> v(n);
  for (auto& x : v) x = dist(rng);
  return v;
}

// Largest deviation from the oracle, relative to the RMS of the oracle's
// output. A wrong twiddle, sign or bit reversal gives errors of order 1.
long double RelativeError(const Spectrum& got, const std::vector<Complex>& want) {
  long double worst = 0, power = 0;
  for (size_t k = 0; k < want.size(); ++k) {
    worst = std::max(worst, std::abs(Complex(got.re[k], got.im[k]) - want[k]));
    power += std::norm(want[k]);
  }
  return worst / std::sqrt(power / want.size());
}

// The twiddle recurrence runs up to N/2 steps within a block, and its
// rounding error grows with the square of the step count: about 1e-17 N^2.
double ErrorBound(size_t n) {
  return std::max(1e-14, 4e-17 * double(n) * double(n));
}

TEST(FftOracle, ForwardMatchesDirectDftOnRandomComplexInput) {
  std::mt19937 rng(12345);
  for (size_t n : {2u, 4u, 8u, 16u, 64u, 256u, 1024u, 2048u}) {
    const auto re = RandomSignal(n, rng), im = RandomSignal(n, rng);
    EXPECT_LT(RelativeError(Transform(re, &im, false), DirectDft(re, im, false)), ErrorBound(n))
        << "n=" << n;
  }
}

TEST(FftOracle, InverseMatchesDirectDftOnRandomComplexInput) {
  std::mt19937 rng(777);
  for (size_t n : {2u, 32u, 512u, 4096u}) {
    const auto re = RandomSignal(n, rng), im = RandomSignal(n, rng);
    EXPECT_LT(RelativeError(Transform(re, &im, true), DirectDft(re, im, true)), ErrorBound(n))
        << "n=" << n;
  }
}

TEST(FftOracle, RealInputWithoutImaginaryArrayMatchesDirectDft) {
  std::mt19937 rng(99);
  for (size_t n : {8u, 1024u}) {
    const auto re = RandomSignal(n, rng);
    const std::vector<double> zero(n, 0.0);
    EXPECT_LT(RelativeError(Transform(re, nullptr, false), DirectDft(re, zero, false)),
              ErrorBound(n));
  }
}

TEST(FftKnownInputs, SinglePointIsCopied) {
  const std::vector<double> re{0.375}, im{-2.5};
  const auto out = Transform(re, &im, false);
  EXPECT_EQ(out.re[0], 0.375);
  EXPECT_EQ(out.im[0], -2.5);
}

TEST(FftKnownInputs, ImpulseGivesFlatSpectrum) {
  std::vector<double> re(1024, 0.0);
  re[0] = 1.0;
  const auto out = Transform(re, nullptr, false);
  for (size_t k = 0; k < re.size(); ++k) {
    EXPECT_EQ(out.re[k], 1.0) << k;
    EXPECT_EQ(out.im[k], 0.0) << k;
  }
}

TEST(FftKnownInputs, ConstantLandsInLineZero) {
  const size_t n = 4096;
  const std::vector<double> re(n, 0.25);
  const auto out = Transform(re, nullptr, false);
  EXPECT_NEAR(out.re[0], n * 0.25, 1e-9);
  for (size_t k = 0; k < n; ++k) {
    if (k > 0) {
      EXPECT_NEAR(out.re[k], 0.0, 1e-9) << k;
    }
    EXPECT_NEAR(out.im[k], 0.0, 1e-9) << k;
  }
}

// The forward transform has the positive exponent: e^(+2 pi i n/N) lands in
// the last element, e^(-2 pi i n/N) in element 1.
TEST(FftKnownInputs, ComplexExponentialsLandInTheEdgeLines) {
  const size_t n = 2048;
  for (int sign : {+1, -1}) {
    std::vector<double> re(n), im(n);
    for (size_t m = 0; m < n; ++m) {
      const long double angle = sign * 2 * kPiL * m / n;
      re[m] = static_cast<double>(std::cos(angle));
      im[m] = static_cast<double>(std::sin(angle));
    }
    const auto out = Transform(re, &im, false);
    const size_t peak = sign > 0 ? n - 1 : 1;
    for (size_t k = 0; k < n; ++k) {
      EXPECT_NEAR(out.re[k], k == peak ? double(n) : 0.0, 1e-7) << "sign " << sign << " k " << k;
      EXPECT_NEAR(out.im[k], 0.0, 1e-7) << "sign " << sign << " k " << k;
    }
  }
}

TEST(FftKnownInputs, NyquistAlternationLandsInTheMiddleLine) {
  const size_t n = 1024;
  std::vector<double> re(n);
  for (size_t m = 0; m < n; ++m) re[m] = (m % 2) ? -1.0 : 1.0;
  const auto out = Transform(re, nullptr, false);
  for (size_t k = 0; k < n; ++k) EXPECT_NEAR(out.re[k], k == n / 2 ? double(n) : 0.0, 1e-7) << k;
}

TEST(FftRoundTrip, InverseOfForwardGivesBackTheInput) {
  std::mt19937 rng(4242);
  for (size_t n : {1024u, 65536u, 262144u}) {
    const auto re = RandomSignal(n, rng), im = RandomSignal(n, rng);
    const auto forward = Transform(re, &im, false);
    const auto back = Transform(forward.re, &forward.im, true);
    double worst = 0;
    for (size_t m = 0; m < n; ++m)
      worst = std::max({worst, std::fabs(back.re[m] - re[m]), std::fabs(back.im[m] - im[m])});
    EXPECT_LT(worst, ErrorBound(n)) << "n=" << n;
  }
}

}  // namespace
