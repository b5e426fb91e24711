#include "analysis/levels/FrequencyWeighting.h"

#include <algorithm>
#include <cmath>

namespace {

// The defining constants: the reference frequency, the frequencies at which
// the C curve lies D^2 = 1/2 below its plateau, and the A curve's high-pass
// frequency.
constexpr double kReferenceHz = 1000.0;
constexpr double kLowCornerExponent = 1.5;   // fL = 10^1.5 Hz
constexpr double kHighCornerExponent = 3.9;  // fH = 10^3.9 Hz
constexpr double kCornerDepthSquared = 0.5;
constexpr double kHighPassExponent = 2.45;  // fA = 10^2.45 Hz
constexpr double kDbPerPowerDecade = 10.0;

}  // namespace

FrequencyWeighting::FrequencyWeighting(int32_t weighting) : Weighting(weighting) {
  if (Weighting == kWeightingNone) return;
  const double low = std::pow(10.0, kLowCornerExponent);
  const double high = std::pow(10.0, kHighCornerExponent);
  const double depth = std::sqrt(kCornerDepthSquared);
  const double c = low * low * high * high;
  const double b = (kReferenceHz * kReferenceHz + c / (kReferenceHz * kReferenceHz) -
                    depth * (low * low + high * high)) /
                   (1.0 - depth);
  const double root = std::sqrt(b * b - 4.0 * c);
  const double sqrtFive = std::sqrt(5.0);
  const double highPass = std::pow(10.0, kHighPassExponent);
  PoleHz[0] = std::sqrt((-b - root) / 2.0);
  PoleHz[1] = (3.0 - sqrtFive) / 2.0 * highPass;
  PoleHz[2] = (3.0 + sqrtFive) / 2.0 * highPass;
  PoleHz[3] = std::sqrt((-b + root) / 2.0);
  AtOneKilohertzDb = UnnormalisedDb(kReferenceHz);
}

// C: f4^2 f^2 / ((f^2 + f1^2) (f^2 + f4^2)) in amplitude; A multiplies it by
// f^2 / sqrt((f^2 + f2^2) (f^2 + f3^2)). Summed as powers in decibels.
double FrequencyWeighting::UnnormalisedDb(double frequencyHz) const {
  const double f2 = frequencyHz * frequencyHz;
  const double p1 = PoleHz[0] * PoleHz[0];
  const double p4 = PoleHz[3] * PoleHz[3];
  double power = (p4 * f2 / ((f2 + p1) * (f2 + p4)));
  power *= power;
  if (Weighting == kWeightingA) {
    const double p2 = PoleHz[1] * PoleHz[1];
    const double p3 = PoleHz[2] * PoleHz[2];
    power *= f2 * f2 / ((f2 + p2) * (f2 + p3));
  }
  return kDbPerPowerDecade * std::log10(power);
}

double FrequencyWeighting::GainDb(double frequencyHz) const {
  if (Weighting == kWeightingNone) return 0.0;
  if (!(frequencyHz > 0.0)) return kZeroHertzDb;
  return std::max(UnnormalisedDb(frequencyHz) - AtOneKilohertzDb, kZeroHertzDb);
}
