// One full analysis cycle as the worker runs it: both channels of a capture,
// offset removal, scaling, Hanning window, transform, offset update, levels.
// The weights are computed on the first cycle of a size and reused after it,
// as in the program; the pause and the hand-over are not part of the cycle.
#include <memory>

#include "analysis/AnalysisWorker.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "settings/SettingsTable.h"
#include "analysis/WeightingWindow.h"
#include "bench/BenchmarkSizes.h"
#include "bench/TestSignal.h"

namespace {

constexpr int32_t kOffsetCorrectionOn = 1;

void AnalysisCycles(benchmark::State& state, int32_t averageLength) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  Range = kFixedDisplayRange;
  StoreDefaultSettings();
  Write(Settings.Weighting, kWindowHanning);
  Write(Settings.AutoOffset, kOffsetCorrectionOn);
  Write(Settings.AverageLength, averageLength);

  auto analyser = std::make_unique<AnalysisWorker>(TestCaptureFrames().data());
  analyser->RecordQueuedFrames(n);
  analyser->AnalyseCapture();
  for (auto _ : state) {
    analyser->AnalyseCapture();
    benchmark::DoNotOptimize(analyser->WorkLevels().data());
    benchmark::ClobberMemory();
  }
}

void TwoChannelAnalysis(benchmark::State& state) {
  AnalysisCycles(state, 0);
}

// The same cycle averaging 64 spectra: the difference is the averaging
// stage's cost (powers averaged per line and channel).
void TwoChannelAnalysisAveraged(benchmark::State& state) {
  AnalysisCycles(state, 64);
}

}  // namespace

BENCHMARK(TwoChannelAnalysis)->Apply(ForEachFftSize);
BENCHMARK(TwoChannelAnalysisAveraged)->Apply(ForEachFftSize);
