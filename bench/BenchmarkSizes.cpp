#include "bench/BenchmarkSizes.h"

#include "analysis/LevelTypes.h"

namespace {

constexpr int kSizeFactor = 2;
constexpr int kRepetitions = 3;
constexpr double kMinTimePerRepetitionSeconds = 0.3;

}  // namespace

void ForEachFftSize(benchmark::internal::Benchmark* benchmark) {
  benchmark->RangeMultiplier(kSizeFactor)
      ->Range(kMinFftSize, kMaxFftSize)
      ->Unit(benchmark::kMicrosecond)
      ->MinTime(kMinTimePerRepetitionSeconds)
      ->Repetitions(kRepetitions)
      ->ReportAggregatesOnly(true);
}
