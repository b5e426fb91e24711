#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "analysis/AnalysisWorker.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/PowerAverager.h"
#include "analysis/WeightingWindow.h"
#include "settings/SettingsTable.h"
#include "tests/analysis/AnalysisFixture.h"

namespace {

// The average after the powers `x` (oldest first) as a sum with explicit
// weights: the plain mean up to the length N, then each later spectrum with
// 1/N and everything before it shrinking by (1 - 1/N) per spectrum.
double ModelAverage(const std::vector<double>& x, int32_t length) {
  const size_t k = x.size();
  const size_t equal =
      length == PowerAverager::kContinuous ? k : std::min(k, static_cast<size_t>(length));
  double mean = 0.0;
  for (size_t i = 0; i < equal; ++i) mean += x[i];
  mean /= static_cast<double>(equal);
  if (equal == k) return mean;
  const double a = 1.0 / length;
  double sum = std::pow(1.0 - a, static_cast<double>(k - equal)) * mean;
  for (size_t i = equal; i < k; ++i)
    sum += a * std::pow(1.0 - a, static_cast<double>(k - 1 - i)) * x[i];
  return sum;
}

TEST(PowerAveragerTest, AveragesAgainstExplicitWeightsAndRestarts) {
  const struct {
    int32_t Length;
    int32_t RestartAt;  // the spectrum begun with a restart, or -1
  } cases[] = {{1, -1}, {4, -1}, {16, -1}, {PowerAverager::kContinuous, -1}, {4, 9}, {16, 30}};
  std::mt19937 random(32);
  std::exponential_distribution<double> powers(1.0);
  auto averager = std::make_unique<PowerAverager>();
  for (const auto& c : cases) {
    std::vector<std::vector<double>> seen(2);  // since the restart, lines 0 and 1000 of the left
    averager->BeginSpectrum(PowerAverager::kOff, false);  // each case starts afresh
    for (int32_t spectrum = 0; spectrum < 40; ++spectrum) {
      const bool restart = spectrum == c.RestartAt;
      averager->BeginSpectrum(c.Length, restart);
      if (restart) seen.assign(2, {});
      for (int32_t i = 0; i < 2; ++i) {
        const double power = powers(random);
        seen[i].push_back(power);
        const double average = averager->Add(i * 1000, 0, power);
        ASSERT_NEAR(average, ModelAverage(seen[i], c.Length), 1e-12 * average)
            << "length " << c.Length << ", spectrum " << spectrum;
      }
      const int32_t expectedCount = c.Length == PowerAverager::kContinuous
                                        ? static_cast<int32_t>(seen[0].size())
                                        : std::min<int32_t>(seen[0].size(), c.Length);
      ASSERT_EQ(averager->Count(), expectedCount);
    }
  }
}

class AveragingWorkerTest : public AnalysisTest {
 protected:
  void Noise(int32_t n) {
    for (int32_t j = 0; j < n; ++j)
      for (int32_t channel = 0; channel < 2; ++channel)
        Block.Set(j, channel, static_cast<int32_t>(std::lround(Gauss(Random))));
  }
  // The standard deviation of lines first .. last - 1 of the left channel, in dB.
  double ScatterDb(int32_t first, int32_t last) const {
    double sum = 0.0, squares = 0.0;
    for (int32_t j = first; j < last; ++j) {
      const double db = Analyser->WorkLevels()[j][0] / 100.0;
      sum += db;
      squares += db * db;
    }
    const double count = last - first;
    return std::sqrt((squares - sum * sum / count) / (count - 1));
  }

  std::mt19937 Random{64};
  std::normal_distribution<double> Gauss{0.0, 3000.0};
};

// White noise, no window (independent lines), 2048 points. One spectrum's
// line levels scatter like 10 log10 of an exponential variable: 10 / ln 10 *
// pi / sqrt(6) = 5.570 dB; a mean of 64 like 10 log10 of a gamma(64) / 64
// variable: 10 / ln 10 * sqrt(trigamma(64)) = 0.545 dB, a ratio of 0.0979.
// Estimated from 16 single spectra of 1000 lines each (standard error 0.8 %)
// and one average of 1000 lines (2.2 %), the bounds are about four standard
// errors.
TEST_F(AveragingWorkerTest, SixtyFourSpectraShrinkANoiseFloorsScatterByTheory) {
  constexpr int32_t kPoints = 2048;
  constexpr int32_t kSingles = 16;
  double single = 0.0;
  for (int32_t spectrum = 0; spectrum < kSingles; ++spectrum) {
    Noise(kPoints);
    Analyse(kPoints);
    single += ScatterDb(10, 1010) / kSingles;
  }
  Write(Settings.AverageLength, 64);
  for (int32_t spectrum = 0; spectrum < 64; ++spectrum) {
    Noise(kPoints);
    Analyse(kPoints);
  }
  ASSERT_EQ(Analyser->CycleAverageCount(), 64);
  const double averaged = ScatterDb(10, 1010);
  std::printf("noise floor scatter: 1 spectrum %.3f dB, 64 spectra %.3f dB, ratio %.4f\n", single,
              averaged, averaged / single);
  EXPECT_NEAR(single, 5.570, 5.570 * 0.035);
  EXPECT_NEAR(averaged / single, 0.0979, 0.0979 * 0.09);
}

// A steady tone keeps its level under averaging; what changes what a line
// means, and every restart of the average, restarts the held maximum, the
// rate does not; the held maximum is the running maximum of the levels
// shown, and a restart asked for while a capture is out holds nothing of it.
TEST_F(AveragingWorkerTest, RestartRulesAndTheHeldMaximum) {
  constexpr int32_t kPoints = 2048;
  Block.Sine(0, kPoints, 100.0, 16000.0);
  Analyse(kPoints);
  const int32_t toneLevel = Analyser->WorkLevels()[100][0];
  Write(Settings.AverageLength, 16);
  for (int32_t i = 0; i < 5; ++i) Analyse(kPoints);
  EXPECT_NEAR(Analyser->WorkLevels()[100][0], toneLevel, 1);
  EXPECT_EQ(Analyser->CycleAverageCount(), 5);
  Write(Settings.AverageLength, 2);  // settled from its second spectrum on

  const struct {
    const char* Change;
    std::function<void(AnalysisWorker&)> Apply;
    int32_t Frames;
    bool RestartsAverage;
    bool RestartsHold;
  } changes[] = {
      {"rate", [](AnalysisWorker&) { Write(Settings.IntervalMs, 1000); }, kPoints, false, false},
      {"display", [](AnalysisWorker&) { Settings.ShowMaximum = 0; }, kPoints, false, false},
      {"size", [](AnalysisWorker&) {}, 4096, true, true},
      {"window", [](AnalysisWorker&) { Write(Settings.Weighting, kWindowHanning); }, 4096, true,
       true},
      {"offset", [](AnalysisWorker&) { Write(Settings.AutoOffset, 1); }, 4096, true, true},
      {"user, average", [](AnalysisWorker& w) { w.RecordRestarts(true, false); }, 4096, true, true},
      {"user, hold", [](AnalysisWorker& w) { w.AskHoldRestart(); }, 4096, false, true},
      {"input", [](AnalysisWorker& w) { w.RecordRestarts(true, true); }, 4096, true, true},
      {"averaging", [](AnalysisWorker&) { Write(Settings.AverageLength, 3); }, 4096, true, true},
  };
  int32_t frames = kPoints;
  for (const auto& c : changes) {
    Noise(frames);  // a louder spectrum than any before raises the held maximum
    Analyse(frames);
    Analyse(frames);
    Block.Constant(0, c.Frames, 0);
    Block.Constant(1, c.Frames, 0);
    Analyse(frames);
    const SpectrumLevels heldBefore = Analyser->HeldLevels();
    const int32_t heldSpectraBefore = Analyser->HeldSpectra();
    c.Apply(*Analyser);
    Analyse(c.Frames);
    EXPECT_EQ(Analyser->CycleAverageCount() == 1, c.RestartsAverage) << c.Change;
    // A restarted average holds nothing until it has settled again.
    int32_t unsettled = 0;
    for (; !Analyser->HasHeldLevels() && unsettled < 3; ++unsettled) Analyse(c.Frames);
    EXPECT_EQ(unsettled, c.RestartsAverage ? Analyser->CycleAverageLength() - 1 : 0) << c.Change;
    EXPECT_EQ(Analyser->HeldSpectra(), c.RestartsHold ? 1 : heldSpectraBefore + 1) << c.Change;
    // Silence shown after noise: a restarted maximum holds only the silence.
    bool heldIsShown = true, heldIsRunningMax = true;
    for (int32_t j = 1; j < c.Frames / 2; ++j) {
      for (int32_t channel = 0; channel < 2; ++channel) {
        const int32_t shown = Analyser->WorkLevels()[j][channel];
        const int32_t held = Analyser->HeldLevels()[j][channel];
        heldIsShown = heldIsShown && held == shown;
        heldIsRunningMax = heldIsRunningMax && held == std::max(shown, heldBefore[j][channel]);
      }
    }
    EXPECT_EQ(heldIsShown, c.RestartsHold) << c.Change;
    EXPECT_TRUE(c.RestartsHold || heldIsRunningMax) << c.Change;
    frames = c.Frames;
  }

  // Asked for while a capture is out: that capture's spectrum is not held,
  // the next one's is the first.
  Analyser->RecordQueuedFrames(frames);
  Analyser->AskHoldRestart();
  Analyser->AnalyseCapture();
  EXPECT_FALSE(Analyser->HasHeldLevels());
  Analyse(frames);
  EXPECT_TRUE(Analyser->HasHeldLevels());
  EXPECT_EQ(Analyser->HeldSpectra(), 1);
}

// White noise, Hanning, 2048 points, per averaging choice: the held maximum
// holds nothing until the average has settled, and then stays close to the
// average, since it takes only settled averages. Its excess over the
// average (the mean over lines 10 to 1010 of held minus shown, in dB) after
// three times the settling count: 1.63, 0.92, 0.52 and 0.31 dB (bounds
// about a quarter above, 0.6 dB for 64); held from the first spectrum on,
// it exceeded the average by 1.8 dB with 64 spectra.
TEST_F(AveragingWorkerTest, TheHeldMaximumOfSettledAveragesStaysNearTheAverage) {
  constexpr int32_t kPoints = 2048;
  const struct {
    int32_t Length;
    double MaxExcessDb;
  } choices[] = {{4, 2.0}, {16, 1.15}, {64, 0.6}, {PowerAverager::kContinuous, 0.4}};
  Write(Settings.Weighting, kWindowHanning);
  for (const auto& choice : choices) {
    Write(Settings.AverageLength, choice.Length);
    Analyser->RecordRestarts(true, false);
    const int32_t settled = choice.Length == PowerAverager::kContinuous
                                ? PowerAverager::kSettledContinuous
                                : choice.Length;
    for (int32_t spectrum = 1; spectrum <= 3 * settled; ++spectrum) {
      Noise(kPoints);
      Analyse(kPoints);
      ASSERT_EQ(Analyser->HasHeldLevels(), spectrum >= settled) << choice.Length << " " << spectrum;
    }
    double excess = 0.0;
    for (int32_t j = 10; j < 1010; ++j)
      excess += (Analyser->HeldLevels()[j][0] - Analyser->WorkLevels()[j][0]) / 100.0 / 1000;
    std::printf("averaging %d: held maximum %.2f dB above the average\n", choice.Length, excess);
    EXPECT_GE(excess, 0.0) << choice.Length;
    EXPECT_LT(excess, choice.MaxExcessDb) << choice.Length;
  }
}

}  // namespace
