// One full analysis cycle as the worker runs it: both channels of a capture,
// offset removal, scaling, Hanning window, transform, offset update, levels.
// The weights are computed on the first cycle of a size and reused after it,
// as in the program; the pause and the hand-over are not part of the cycle.
#include <memory>
#include <optional>

#include "analysis/AnalysisWorker.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/PowerAverager.h"
#include "analysis/WeightingWindow.h"
#include "analysis/levels/DistortionAnalyser.h"
#include "analysis/levels/LevelScale.h"
#include "analysis/levels/PeakFinder.h"
#include "bench/BenchmarkSizes.h"
#include "bench/TestSignal.h"
#include "settings/SettingsTable.h"

namespace {

constexpr int32_t kOffsetCorrectionOn = 1;

// The worker with the test capture of n frames analysed once, Hanning-windowed.
std::unique_ptr<AnalysisWorker> AnalysedTestCapture(int32_t n) {
  Range = kFixedDisplayRange;
  StoreDefaultSettings();
  Write(Settings.Weighting, kWindowHanning);
  Write(Settings.AutoOffset, kOffsetCorrectionOn);
  auto analyser = std::make_unique<AnalysisWorker>(TestCaptureFrames().data());
  analyser->RecordQueuedFrames(n);
  analyser->AnalyseCapture();
  return analyser;
}

void TwoChannelAnalysis(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  const auto analyser = AnalysedTestCapture(n);
  for (auto _ : state) {
    analyser->AnalyseCapture();
    benchmark::DoNotOptimize(analyser->WorkLevels().data());
    benchmark::ClobberMemory();
  }
}

// The averaging stage alone: one spectrum's powers, both channels, into an
// exponential average of 64.
void AveragingStage(benchmark::State& state) {
  const int32_t lines = static_cast<int32_t>(state.range(0)) / 2;
  auto averager = std::make_unique<PowerAverager>();
  double power = 1e-6;
  for (auto _ : state) {
    averager->BeginSpectrum(64, false);
    double sum = 0.0;
    for (int32_t j = 0; j < lines; ++j) {
      sum += averager->Add(j, 0, power);
      sum += averager->Add(j, 1, power);
    }
    power *= 1.0000001;
    benchmark::DoNotOptimize(sum);
  }
}

// Finding one channel's peak in the levels of a Hanning-windowed test
// capture, in sine levels: the search, the walk down its lobe, the noise
// floor's median and the refinement.
void PeakOfOneChannel(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  const auto analyser = AnalysedTestCapture(n);
  const LevelScale scale({kScaleSine, kWeightingA, std::nullopt}, kWindowHanning, n);
  PeakFinder finder;
  for (auto _ : state) {
    const SpectralPeak peak = finder.Find(analyser->WorkLevels(), 0, n, kWindowHanning, &scale);
    benchmark::DoNotOptimize(peak.LevelHundredthsDb);
  }
}

// The distortion and noise of both channels' peak tones, as each shown
// spectrum takes them, with the noise A-weighted (the dearer case: each
// line's weighting is looked up): the harmonics, the band's median, the
// exclusions and the sums; compared with TwoChannelAnalysis for the cost.
void DistortionOfBothChannels(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  const auto analyser = AnalysedTestCapture(n);
  const LevelScale weighting({kScaleUncorrected, kWeightingA, std::nullopt}, kWindowHanning, n);
  PeakFinder finder;
  DistortionAnalyser distortion;
  SpectralPeak peaks[2];
  for (int32_t channel = 0; channel < 2; ++channel)
    peaks[channel] = finder.Find(analyser->WorkLevels(), channel, n, kWindowHanning);
  distortion.Analyse(analyser->WorkLevels(), &analyser->WorkFloorPowers(), 0, n, kWindowHanning,
                     peaks[0], &weighting, kWeightingA);
  for (auto _ : state) {
    for (int32_t channel = 0; channel < 2; ++channel) {
      const ChannelDistortion d =
          distortion.Analyse(analyser->WorkLevels(), &analyser->WorkFloorPowers(), channel, n,
                             kWindowHanning, peaks[channel], &weighting, kWeightingA);
      benchmark::DoNotOptimize(d.SnrDb);
    }
  }
}

}  // namespace

BENCHMARK(DistortionOfBothChannels)->Apply(ForEachFftSize);
BENCHMARK(PeakOfOneChannel)->Apply(ForEachFftSize);
BENCHMARK(AveragingStage)->Apply(ForEachFftSize);
BENCHMARK(TwoChannelAnalysis)->Apply(ForEachFftSize);
