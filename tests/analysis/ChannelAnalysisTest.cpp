#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "analysis/AnalysisWorker.h"
#include "analysis/ChannelAnalysis.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/WeightingWindow.h"
#include "settings/SettingsTable.h"
#include "tests/analysis/AnalysisFixture.h"
#include "tests/analysis/TestSignals.h"

namespace {

TEST(LevelFromMagnitude, FloorOneAndHalf) {
  Range = kFixedDisplayRange;
  EXPECT_EQ(LevelFromMagnitude(1e-7), -14000);  // at the floor: no logarithm taken
  EXPECT_EQ(LevelFromMagnitude(0.0), -14000);
  EXPECT_EQ(LevelFromMagnitude(1.0000001e-7), -13999);
  EXPECT_EQ(LevelFromMagnitude(1.0), 0);
  EXPECT_EQ(LevelFromMagnitude(0.5), -602);  // -602.06 truncated toward zero
  EXPECT_EQ(LevelFromMagnitude(2.0), 602);   // above full scale is not clamped
}

TEST(UpdatedDcOffset, TruncatesTheMeanTowardZero) {
  EXPECT_EQ(UpdatedDcOffset(0, 1000.9 * 2048 / 32768.0, 2048), 1000);
  EXPECT_EQ(UpdatedDcOffset(0, -1000.9 * 2048 / 32768.0, 2048), -1000);
  EXPECT_EQ(UpdatedDcOffset(100, 0.0, 1024), 100);
  EXPECT_EQ(UpdatedDcOffset(32767, -2.0 * 1024, 1024), -32768);
}

// Window gains at N = 2048, a sine of peak 32767 exactly on line 100.
TEST_F(AnalysisTest, WindowGainTableForASineOnLineHundred) {
  const int32_t n = 2048;
  Block.Sine(0, n, 100, 32767);
  Block.Sine(1, n, 100, 32767);
  const int32_t expected[kWindowCount] = {0, -602, -602, -351, -535, -753, -601};
  for (int32_t k = 0; k < kWindowCount; ++k) {
    Write(Settings.Weighting, k);
    const auto& levels = Analyse(n);
    EXPECT_EQ(levels[100][0], expected[k]) << "window " << k;
    EXPECT_EQ(levels[100][1], expected[k]) << "window " << k;
  }
}

TEST_F(AnalysisTest, ToneShowsInItsOwnLineAndChannelOnly) {
  const int32_t n = 4096;
  Block.Sine(0, n, 300, 16384);  // -6 dB on line 300, left only
  const auto& levels = Analyse(n);
  EXPECT_EQ(levels[300][0], -602);
  EXPECT_EQ(levels[300][1], -14000);
  for (int32_t j = 0; j < n / 2; ++j) {
    if (j != 300) {
      EXPECT_LT(levels[j][0], -9000) << j;
    }
  }
}

TEST_F(AnalysisTest, ConstantInputIsRemovedFromTheSecondCycleWithWindowOff) {
  const int32_t n = 2048, v = 1000;
  Write(Settings.AutoOffset, 1);
  Block.Constant(0, n, v);
  Block.Constant(1, n, -v);
  const int32_t first = static_cast<int32_t>(2000 * std::log10(v / 32768.0));
  EXPECT_EQ(Analyse(n)[0][0], first);
  EXPECT_EQ(Analyser->WorkLevels()[0][1], first);
  EXPECT_EQ(Analyser->DcOffset(0), v);
  EXPECT_EQ(Analyser->DcOffset(1), -v);
  const auto& second = Analyse(n);
  for (int32_t j = 0; j < n / 2; ++j) {
    ASSERT_EQ(second[j][0], -14000) << j;
    ASSERT_EQ(second[j][1], -14000) << j;
  }
}

TEST_F(AnalysisTest, OffsetConvergesOverSeveralCyclesUnderAWindow) {
  const int32_t n = 2048, v = -3000;
  Write(Settings.AutoOffset, 1);
  Write(Settings.Weighting, kWindowHanning);
  Block.Constant(0, n, v);
  int previousGap = 1 << 20;
  for (int cycle = 0; cycle < 40; ++cycle) {
    Analyse(n);
    const int gap = std::abs(Analyser->DcOffset(0) - v);
    EXPECT_LE(gap, previousGap) << "cycle " << cycle;
    previousGap = gap;
  }
  // Truncation toward zero stops the halving steps a unit or two short.
  EXPECT_LE(previousGap, 2);
  EXPECT_EQ(Analyser->DcOffset(1), 0);  // silent right channel stays at 0
}

TEST_F(AnalysisTest, WithoutAutoOffsetTheDcComponentStaysInLineZero) {
  const int32_t n = 1024;
  Block.Constant(0, n, 16384);
  for (int cycle = 0; cycle < 3; ++cycle) {
    EXPECT_EQ(Analyse(n)[0][0], -602);
    EXPECT_EQ(Analyser->DcOffset(0), 0);
  }
}

TEST_F(AnalysisTest, FullScaleSquareAndNegativeRailStayAboveTheFloorAndInCapacity) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int32_t> sample(-32768, 32767);
  for (int32_t n = kMinFftSize; n <= kMaxFftSize; n *= 2) {
    for (int32_t j = 0; j < kMaxFftSize; ++j) {
      Block.Set(j, 0, ((j / 7) % 2) ? 32767 : -32768);
      Block.Set(j, 1, sample(rng));
    }
    Write(Settings.Weighting, (n / kMinFftSize) % kWindowCount);
    Write(Settings.AutoOffset, 1);
    const auto& levels = Analyse(n);
    for (int32_t j = 0; j < n / 2; ++j)
      for (int c = 0; c < 2; ++c) ASSERT_GE(levels[j][c], -14000) << "n " << n << " j " << j;
  }
  Block.Samples.assign(Block.Samples.size(), -32768);
  Write(Settings.Weighting, kWindowOff);
  Write(Settings.AutoOffset, 0);
  const auto& rail = Analyse(kMaxFftSize);
  EXPECT_EQ(rail[0][0], 0);  // -32768 is exactly full scale
  for (int32_t j = 1; j < kMaxSpectrumLines; ++j) ASSERT_EQ(rail[j][1], -14000) << j;
}

TEST_F(AnalysisTest, SilenceMatchingTheOffsetGivesTheFloorEverywhere) {
  const int32_t n = 8192;
  Write(Settings.AutoOffset, 1);
  Block.Constant(0, n, 250);
  Block.Constant(1, n, -17);
  Analyse(n);  // window Off: the offset is found in one cycle
  Write(Settings.Weighting, kWindowBlackman);
  const auto& levels = Analyse(n);
  for (int32_t j = 0; j < n / 2; ++j) {
    ASSERT_EQ(levels[j][0], -14000) << j;
    ASSERT_EQ(levels[j][1], -14000) << j;
  }
}

}  // namespace
