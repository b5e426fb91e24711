#include "bench/TransformAgreement.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/Fft.h"
#include "bench/FftwRealTransform.h"
#include "bench/TestSignal.h"

double TransformDifference(int32_t n) {
  const std::vector<double> input = TestChannel(n);
  std::vector<double> re(n);
  std::vector<double> im(n);
  Fft(static_cast<uint32_t>(n), 0, input.data(), nullptr, re.data(), im.data());

  FftwRealTransform transform(n);
  std::copy(input.begin(), input.end(), transform.Input());
  transform.Execute();
  const fftw_complex* reference = transform.Output();

  double largestMagnitude = 0.0;
  double largestDifference = 0.0;
  for (int32_t k = 0; k <= n / 2; ++k) {
    const double referenceRe = reference[k][0];
    const double referenceIm = -reference[k][1];
    largestMagnitude = std::max(largestMagnitude, std::hypot(referenceRe, referenceIm));
    largestDifference =
        std::max(largestDifference, std::hypot(re[k] - referenceRe, im[k] - referenceIm));
  }
  return largestDifference / largestMagnitude;
}
