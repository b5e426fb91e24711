#pragma once

#include <benchmark/benchmark.h>

// Every transform size the program offers, 1024 to 262144 points in powers of
// two, each measured in repetitions whose median goes into the summary table.
void ForEachFftSize(benchmark::internal::Benchmark* benchmark);
