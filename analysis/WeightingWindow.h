#pragma once

#include <cstdint>

// The weighting windows in menu order; Settings.Weighting holds one of these.
enum WeightingWindow : int32_t {
  kWindowOff = 0,
  kWindowTriangle = 1,
  kWindowHanning = 2,
  kWindowWelch = 3,
  kWindowHamming = 4,
  kWindowBlackman = 5,
  kWindowParzen = 6,
};

constexpr int32_t kWindowCount = 7;

// Weight w(j) of sample j of an n-point cycle, 0 <= j < n, n >= 2. The windows
// are not normalised: their gain shows in the levels. Each is evaluated in a
// fixed order of operations so that results agree to the last bit everywhere.
using WindowFunction = double (*)(int32_t j, int32_t n);

double WindowOffWeight(int32_t j, int32_t n);
double TriangleWeight(int32_t j, int32_t n);
double HanningWeight(int32_t j, int32_t n);
double WelchWeight(int32_t j, int32_t n);
double HammingWeight(int32_t j, int32_t n);
double BlackmanWeight(int32_t j, int32_t n);
double ParzenWeight(int32_t j, int32_t n);

// Entry k is the weight function of window k.
extern const WindowFunction WindowTable[kWindowCount];
