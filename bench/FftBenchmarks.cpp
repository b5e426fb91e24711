// The program's transform against FFTW's, both forward on the same real input.
// Ours is a complex transform fed a zero imaginary part and writes all n lines;
// FFTW's r2c transform is specialised for real input and writes n / 2 + 1.
#include <algorithm>
#include <vector>

#include "analysis/Fft.h"
#include "bench/BenchmarkSizes.h"
#include "bench/FftwRealTransform.h"
#include "bench/TestSignal.h"

namespace {

void FreloxFft(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  const std::vector<double> input = TestChannel(n);
  std::vector<double> re(n);
  std::vector<double> im(n);
  for (auto _ : state) {
    Fft(static_cast<uint32_t>(n), 0, input.data(), nullptr, re.data(), im.data());
    benchmark::DoNotOptimize(re.data());
    benchmark::DoNotOptimize(im.data());
    benchmark::ClobberMemory();
  }
}

void FftwR2c(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  FftwRealTransform transform(n);
  const std::vector<double> input = TestChannel(n);
  std::copy(input.begin(), input.end(), transform.Input());
  for (auto _ : state) {
    transform.Execute();
    benchmark::DoNotOptimize(transform.Output());
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(FreloxFft)->Apply(ForEachFftSize);
BENCHMARK(FftwR2c)->Apply(ForEachFftSize);
