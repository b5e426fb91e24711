#include "analysis/WeightingWindow.h"

#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 12.566370614359172;

}  // namespace

double WindowOffWeight(int32_t, int32_t) {
  return 1.0;
}

double TriangleWeight(int32_t j, int32_t n) {
  const double a = 0.5 * (n - 1);
  const double q = (j - a) / a;
  return 1.0 - std::fabs(q);
}

double HanningWeight(int32_t j, int32_t n) {
  return 0.5 - 0.5 * std::cos((kTwoPi * j) / (n - 1));
}

double WelchWeight(int32_t j, int32_t n) {
  const double q = (j - 0.5 * (n - 1)) / (0.5 * (n + 1));
  return 1.0 - q * q;
}

double HammingWeight(int32_t j, int32_t n) {
  return 0.54 - 0.46 * std::cos((kTwoPi * j) / (n - 1));
}

double BlackmanWeight(int32_t j, int32_t n) {
  const double t = 0.42 - 0.5 * std::cos((kTwoPi * j) / (n - 1));
  return 0.08 * std::cos((kFourPi * j) / (n - 1)) + t;
}

double ParzenWeight(int32_t j, int32_t n) {
  const double a = 0.5 * (n - 1);
  const double b = 0.5 * (n + 1);
  const double q = (j - a) / b;
  return 1.0 - std::fabs(q);
}

const WindowFunction WindowTable[kWindowCount] = {
    WindowOffWeight, TriangleWeight, HanningWeight, WelchWeight,
    HammingWeight,   BlackmanWeight, ParzenWeight,
};
