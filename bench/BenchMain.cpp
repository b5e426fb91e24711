// Runs the benchmarks with the console report, then prints how far the two
// transforms agree and the summary table.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "analysis/LevelTypes.h"
#include "bench/ComparisonReporter.h"
#include "bench/TransformAgreement.h"

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  // A reporter passed in keeps its own options: colour only on a terminal.
  ComparisonReporter reporter(isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                     : benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nLargest difference between Fft and FFTW, relative to the largest line:\n");
  for (int32_t n = kMinFftSize; n <= kMaxFftSize; n *= 2)
    std::printf("%8d  %.2e\n", n, TransformDifference(n));
  reporter.PrintTable(std::cout);
  return 0;
}
