#pragma once

#include <fftw3.h>

#include <cstdint>

// FFTW's real-input transform of one size with its own aligned arrays: the
// plan is made once, in the constructor, and Execute only runs it.
class FftwRealTransform {
 public:
  // FFTW_MEASURE: the planner times several algorithms and keeps the fastest
  // (FFTW_ESTIMATE would guess without timing). Wisdom gathered for a size is
  // reused by later plans of that size in the same process.
  static constexpr unsigned kPlannerFlag = FFTW_MEASURE;
  static constexpr const char* kPlannerFlagName = "FFTW_MEASURE";

  explicit FftwRealTransform(int32_t n);
  ~FftwRealTransform();
  FftwRealTransform(const FftwRealTransform&) = delete;
  FftwRealTransform& operator=(const FftwRealTransform&) = delete;

  // n real samples; planning overwrites them, so fill them afterwards.
  double* Input() { return In; }
  // n / 2 + 1 complex lines, valid after Execute.
  const fftw_complex* Output() const { return Out; }
  void Execute() { fftw_execute(Plan); }

 private:
  double* In;
  fftw_complex* Out;
  fftw_plan Plan;
};
