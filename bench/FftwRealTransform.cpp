#include "bench/FftwRealTransform.h"

FftwRealTransform::FftwRealTransform(int32_t n)
    : In(fftw_alloc_real(n)),
      Out(fftw_alloc_complex(n / 2 + 1)),
      Plan(fftw_plan_dft_r2c_1d(n, In, Out, kPlannerFlag)) {}

FftwRealTransform::~FftwRealTransform() {
  fftw_destroy_plan(Plan);
  fftw_free(Out);
  fftw_free(In);
}
