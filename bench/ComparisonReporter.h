#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

// The console report, plus a summary table per transform size: our Fft's time,
// FFTW's, their ratio and the time of a full two-channel analysis. Takes the
// median of the repetitions (a single run when there is no repetition), in
// CPU time, which on a shared machine is less disturbed than wall time.
class ComparisonReporter : public benchmark::ConsoleReporter {
 public:
  explicit ComparisonReporter(OutputOptions options) : ConsoleReporter(options) {}
  void ReportRuns(const std::vector<Run>& runs) override;
  void PrintTable(std::ostream& out) const;

 private:
  // Microseconds by benchmark function name, then by transform size.
  std::map<std::string, std::map<int64_t, double>> MedianMicroseconds;
};
