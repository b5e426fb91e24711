#include "bench/ComparisonReporter.h"

#include <cstdio>
#include <set>

#include "bench/FftwRealTransform.h"

namespace {

constexpr double kMicrosecondsPerSecond = 1e6;
constexpr const char* kMedianAggregate = "median";
constexpr const char* kOurFft = "FreloxFft";
constexpr const char* kFftw = "FftwR2c";
constexpr const char* kAnalysis = "TwoChannelAnalysis";
constexpr const char* kAveragingStage = "AveragingStage";

bool IsSummaryRun(const benchmark::BenchmarkReporter::Run& run) {
  if (run.error_occurred) return false;
  if (run.repetitions > 1)
    return run.run_type == benchmark::BenchmarkReporter::Run::RT_Aggregate &&
           run.aggregate_name == kMedianAggregate;
  return run.run_type == benchmark::BenchmarkReporter::Run::RT_Iteration;
}

double CpuMicroseconds(const benchmark::BenchmarkReporter::Run& run) {
  return run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) *
         kMicrosecondsPerSecond;
}

std::string Cell(const std::map<int64_t, double>* column, int64_t size, const char* format) {
  if (!column) return "-";
  const auto found = column->find(size);
  if (found == column->end()) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, found->second);
  return text;
}

}  // namespace

void ComparisonReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (!IsSummaryRun(run)) continue;
    const int64_t size = std::stoll(run.run_name.args);
    MedianMicroseconds[run.run_name.function_name][size] = CpuMicroseconds(run);
  }
}

void ComparisonReporter::PrintTable(std::ostream& out) const {
  const auto column = [this](const char* name) -> const std::map<int64_t, double>* {
    const auto found = MedianMicroseconds.find(name);
    return found == MedianMicroseconds.end() ? nullptr : &found->second;
  };
  const auto* ours = column(kOurFft);
  const auto* fftw = column(kFftw);
  const auto* analysis = column(kAnalysis);
  const auto* averaging = column(kAveragingStage);

  std::map<int64_t, double> ratio;
  if (ours && fftw)
    for (const auto& [size, fftwTime] : *fftw) {
      const auto found = ours->find(size);
      if (found != ours->end()) ratio[size] = found->second / fftwTime;
    }

  std::set<int64_t> sizes;
  for (const auto& [name, times] : MedianMicroseconds)
    for (const auto& entry : times) sizes.insert(entry.first);

  char line[200];
  out << "\nMedian CPU time per call in microseconds; FFTW planner flag "
      << FftwRealTransform::kPlannerFlagName << ".\n";
  std::snprintf(line, sizeof line, "%8s  %12s  %14s  %10s  %26s  %21s\n", "points", "Fft (us)",
                "FFTW r2c (us)", "Fft/FFTW", "two-channel analysis (us)", "averaging stage (us)");
  out << line;
  for (const int64_t size : sizes) {
    std::snprintf(line, sizeof line, "%8lld  %12s  %14s  %10s  %26s  %21s\n",
                  static_cast<long long>(size), Cell(ours, size, "%.1f").c_str(),
                  Cell(fftw, size, "%.1f").c_str(), Cell(&ratio, size, "%.2f").c_str(),
                  Cell(analysis, size, "%.1f").c_str(), Cell(averaging, size, "%.1f").c_str());
    out << line;
  }
}
