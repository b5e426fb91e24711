#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <initializer_list>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/AnalysisWorker.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/levels/FrequencyWeighting.h"
#include "analysis/levels/LevelScale.h"
#include "analysis/levels/WindowGain.h"
#include "tests/analysis/TestSignals.h"

namespace {

// Each window's gain summed from its weights, against the closed forms of
// the continuous window (the weights' means over n points differ from them
// by O(1/n): at most 6.6e-6 at 262144 points, the bound a quarter above) and, for Hanning, against
// the exact sums 0.5 (n - 1) / n and 1.5 n / (n - 1) at every size.
TEST(LevelScaleTest, WindowGainsMatchTheirClosedForms) {
  constexpr double kHammingPower = 0.54 * 0.54 + 0.46 * 0.46 / 2;
  constexpr double kBlackmanPower = 0.42 * 0.42 + 0.5 * 0.5 / 2 + 0.08 * 0.08 / 2;
  const struct {
    double CoherentGain, NoiseBandwidthLines;
  } continuous[kWindowCount] = {{1.0, 1.0},
                                {0.5, 4.0 / 3},
                                {0.5, 1.5},
                                {2.0 / 3, 1.2},
                                {0.54, kHammingPower / (0.54 * 0.54)},
                                {0.42, kBlackmanPower / (0.42 * 0.42)},
                                {0.5, 4.0 / 3}};
  std::printf("| window | coherent gain (dB) at 2048 | noise bandwidth, lines, at 2048 |\n");
  for (int32_t window = 0; window < kWindowCount; ++window) {
    const WindowGain at2048 = MeasureWindowGain(WindowTable[window], 2048);
    std::printf("| %d | %.5f (%+.3f) | %.4f |\n", window, at2048.CoherentGain,
                20 * std::log10(at2048.CoherentGain), at2048.NoiseBandwidthLines);
    const WindowGain gain = MeasureWindowGain(WindowTable[window], kMaxFftSize);
    EXPECT_NEAR(gain.CoherentGain, continuous[window].CoherentGain, 8.5e-6) << window;
    EXPECT_NEAR(gain.NoiseBandwidthLines, continuous[window].NoiseBandwidthLines, 8.5e-6) << window;
  }
  for (int32_t n = kMinFftSize; n <= kMaxFftSize; n *= 2) {
    const WindowGain hanning = MeasureWindowGain(WindowTable[kWindowHanning], n);
    EXPECT_NEAR(hanning.CoherentGain, 0.5 * (n - 1) / n, 1e-12) << n;
    EXPECT_NEAR(hanning.NoiseBandwidthLines, 1.5 * n / (n - 1), 1e-11) << n;
  }
}

// The scales through the analysis itself, per window: a full-scale sine on
// a line reads 0 dBFS (within 0.011 dB: stored levels are truncated to
// hundredths, and a sine of 16-bit samples peaks at 32767), and white noise
// reads the same noise density at 2048 and 16384 points: 10 log10(4 s^2 /
// 44100) dB/Hz for noise of variance s^2 relative to full scale, the power
// of a full-scale sine per hertz. The noise's reading, a mean of 2^16
// lines' powers, scattered by at most 0.021 dB with this seed; the bound is
// a quarter above. A window's noise bandwidth taken as 1 line misses by
// 0.8 dB (Triangle) to 2.4 dB (Blackman).
TEST(LevelScaleTest, AFullScaleSineReadsZeroAndWhiteNoiseOneDensityWhateverTheWindow) {
  constexpr int32_t kNoiseLinesAveraged = 65536;
  constexpr int32_t kNoiseHalfWidth = 4000;  // uniform integers from -4000 to +4000
  const double variance =
      ((2.0 * kNoiseHalfWidth + 1) * (2.0 * kNoiseHalfWidth + 1) - 1) / 12 / (32768.0 * 32768.0);
  const double densityDb = 10 * std::log10(4 * variance / kSampleRateHz);
  Range = kFixedDisplayRange;
  Write(Settings.AutoOffset, 0);
  Write(Settings.AverageLength, 0);
  auto block = std::make_unique<StereoBlock>();
  auto worker = std::make_unique<AnalysisWorker>(block->Samples.data());
  std::mt19937 random(61);
  std::uniform_int_distribution<int32_t> noise(-kNoiseHalfWidth, kNoiseHalfWidth);
  const LevelChoice sine{kScaleSine, kWeightingNone, std::nullopt};
  const LevelChoice density{kScaleNoiseDensity, kWeightingNone, std::nullopt};
  double largestNoiseError = 0.0;
  std::printf(
      "| window | sine of 32767 on line 100, dBFS | white noise, dB/Hz at 2048 / 16384 |\n");
  for (int32_t window = 0; window < kWindowCount; ++window) {
    Write(Settings.Weighting, window);
    Write(Settings.FftSize, 2048);
    block->Sine(0, 2048, 100.0, 32767.0);
    worker->RecordQueuedFrames(2048);
    worker->AnalyseCapture();
    const double sineDb =
        LevelScale(sine, window, 2048).ScaledLevel(worker->WorkLevels()[100][0], 100) / 100.0;
    EXPECT_NEAR(sineDb, 0.0, 0.011) << window;
    double readDb[2] = {};
    for (int32_t sizeIndex = 0; sizeIndex < 2; ++sizeIndex) {
      const int32_t n = sizeIndex == 0 ? 2048 : 16384;
      Write(Settings.FftSize, n);
      const LevelScale scale(density, window, n);
      double power = 0.0;
      for (int32_t captured = 0; captured < kNoiseLinesAveraged / (n / 2); ++captured) {
        for (int32_t j = 0; j < n; ++j) block->Set(j, 0, noise(random));
        worker->RecordQueuedFrames(n);
        worker->AnalyseCapture();
        for (int32_t line = 1; line < n / 2; ++line)
          power += std::pow(10.0, scale.ScaledLevel(worker->WorkLevels()[line][0], line) / 1000.0);
      }
      readDb[sizeIndex] = 10 * std::log10(power / kNoiseLinesAveraged);
      largestNoiseError = std::max(largestNoiseError, std::fabs(readDb[sizeIndex] - densityDb));
      EXPECT_NEAR(readDb[sizeIndex], densityDb, 0.027) << window << " " << n;
    }
    std::printf("| %d | %+.3f | %.2f / %.2f |\n", window, sineDb, readDb[0], readDb[1]);
  }
  std::printf("  noise density expected %.2f dB/Hz, largest error %.3f dB\n", densityDb,
              largestNoiseError);
}

// The noise density of the DC line and of two others, per window, against
// a one-sided density of the same samples computed in long double: the
// power of line k, |sum w(j) x(j) e^(-2 pi i j k / n)|^2, per hertz of the
// window's noise bandwidth, fs sum w(j)^2, doubled for k > 0 (the mirror
// line above half the rate), relative to a full-scale sine's power 1/2.
// Levels are stored truncated to hundredths and the offsets rounded to
// them: 0.016 dB at most. The DC line divided by n and given the noise
// bandwidth like the others read 3.01 dB low.
TEST(LevelScaleTest, TheDcLineHasTheOneSidedDensityOfItsSamples) {
  constexpr int32_t kPoints = 2048;
  constexpr int32_t kLines[] = {0, 1, 300};
  Range = kFixedDisplayRange;
  Write(Settings.AutoOffset, 0);
  Write(Settings.AverageLength, 0);
  auto block = std::make_unique<StereoBlock>();
  auto worker = std::make_unique<AnalysisWorker>(block->Samples.data());
  std::mt19937 random(7);
  std::uniform_int_distribution<int32_t> noise(-3000, 3000);
  for (int32_t window = 0; window < kWindowCount; ++window) {
    for (int32_t j = 0; j < kPoints; ++j) block->Set(j, 0, noise(random) + 500);
    Write(Settings.Weighting, window);
    worker->RecordQueuedFrames(kPoints);
    worker->AnalyseCapture();
    const LevelScale density({kScaleNoiseDensity, kWeightingNone, std::nullopt}, window, kPoints);
    for (const int32_t line : kLines) {
      long double re = 0, im = 0, squares = 0;
      for (int32_t j = 0; j < kPoints; ++j) {
        const long double w = WindowTable[window](j, kPoints);
        const long double x = block->Samples[2 * j] / 32768.0L;
        const long double phase = 2 * 3.14159265358979323846L * j * line / kPoints;
        re += w * x * std::cos(phase);
        im -= w * x * std::sin(phase);
        squares += w * w;
      }
      const long double sides = line == 0 ? 1 : 2;
      const long double oneSided = sides * (re * re + im * im) / (kSampleRateHz * squares) / 0.5L;
      const double expectedDb = static_cast<double>(10 * std::log10(oneSided));
      const double shownDb = density.ScaledLevel(worker->WorkLevels()[line][0], line) / 100.0;
      EXPECT_NEAR(shownDb, expectedDb, 0.016) << "window " << window << " line " << line;
    }
  }
}

// The A and C weightings against the standard's table at the frequencies
// 1000 * 10^(k / 10) Hz it is computed at (nominally 10 Hz to 20 kHz), given
// to a tenth of a decibel: within its rounding.
TEST(FrequencyWeightingTest, TheCurvesMatchTheStandardsTableWithinItsRounding) {
  const double a[] = {-70.4, -63.4, -56.7, -50.5, -44.7, -39.4, -34.6, -30.2, -26.2,
                      -22.5, -19.1, -16.1, -13.4, -10.9, -8.6,  -6.6,  -4.8,  -3.2,
                      -1.9,  -0.8,  0.0,   0.6,   1.0,   1.2,   1.3,   1.2,   1.0,
                      0.5,   -0.1,  -1.1,  -2.5,  -4.3,  -6.6,  -9.3};
  const double c[] = {-14.3, -11.2, -8.5, -6.2, -4.4, -3.0, -2.0, -1.3, -0.8, -0.5, -0.3, -0.2,
                      -0.1,  0.0,   0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  -0.1, -0.2,
                      -0.3,  -0.5,  -0.8, -1.3, -2.0, -3.0, -4.4, -6.2, -8.5, -11.2};
  const FrequencyWeighting aCurve(kWeightingA), cCurve(kWeightingC), none(kWeightingNone);
  for (int32_t k = -20; k <= 13; ++k) {
    const double hz = 1000.0 * std::pow(10.0, k / 10.0);
    EXPECT_NEAR(aCurve.GainDb(hz), a[k + 20], 0.05) << hz;
    EXPECT_NEAR(cCurve.GainDb(hz), c[k + 20], 0.05) << hz;
    EXPECT_EQ(none.GainDb(hz), 0.0);
  }
  EXPECT_EQ(aCurve.GainDb(0.0), FrequencyWeighting::kZeroHertzDb);
}

// What each scale adds, its unit and where the calibration counts; the
// weighting is taken at each line's own frequency.
TEST(LevelScaleTest, OffsetsUnitsAndTheCalibrationPerScale) {
  Range = kFixedDisplayRange;
  const double hanningSineDb = -20 * std::log10(0.5 * 2047 / 2048);  // 6.025 dB
  const double lineSpacingHz = 44100.0 / 2048;
  const double hanningDensityDb =
      hanningSineDb - 10 * std::log10(1.5 * 2048 / 2047 * lineSpacingHz);
  const std::optional<int32_t> calibrated = 10002;
  const struct {
    LevelChoice Choice;
    int32_t Offset;  // hundredths, at line 46 (990.5 Hz: A -0.03 dB, C 0.00 dB)
    int32_t Shift;
    const char* Unit;
  } cases[] = {
      {{kScaleUncorrected, kWeightingNone, calibrated}, 0, 0, "dB"},
      {{kScaleSine, kWeightingNone, std::nullopt}, 602, 0, "dBFS"},
      {{kScaleSine, kWeightingNone, calibrated}, 602 + 10002, 10002, "dB SPL"},
      {{kScaleNoiseDensity, kWeightingNone, std::nullopt}, -907, 0, "dB/Hz"},
      {{kScaleNoiseDensity, kWeightingNone, calibrated}, -907 + 10002, 10002, "dB SPL/Hz"},
      {{kScaleNoiseDensity, kWeightingA, calibrated}, -907 - 3 + 10002, 10002, "dB(A)/Hz"},
      {{kScaleUncorrected, kWeightingA, std::nullopt}, -3, 0, "dB, A-bewertet"},
      {{kScaleSine, kWeightingA, std::nullopt}, 602 - 3, 0, "dBFS(A)"},
      {{kScaleSine, kWeightingC, calibrated}, 602 + 10002, 10002, "dB(C)"},
      {{kScaleNoiseDensity, kWeightingC, std::nullopt}, -907, 0, "dB/Hz(C)"},
  };
  EXPECT_NEAR(hanningSineDb * 100, 602, 0.5);
  EXPECT_NEAR(hanningDensityDb * 100, -907, 0.5);
  for (const auto& c : cases) {
    const LevelScale scale(c.Choice, kWindowHanning, 2048);
    EXPECT_EQ(scale.ScaledLevel(-5000, 46), -5000 + c.Offset) << c.Unit;
    EXPECT_EQ(scale.AxisShiftHundredthsDb(), c.Shift) << c.Unit;
    EXPECT_EQ(scale.PlottedLevel(-5000, 46), -5000 + c.Offset - c.Shift) << c.Unit;
    EXPECT_EQ(scale.Unit(), c.Unit);
  }
  // A at line 15 of 65536 points (10.09 Hz): -70.14 dB; 21 Hz: -49.13 dB
  // between them. No line is weighted below the floor: the DC line (the
  // weighting's -300 dB) and a line pushed under it show the floor, in every
  // scale, and say so; the floor itself stays one.
  const LevelScale a({kScaleUncorrected, kWeightingA, std::nullopt}, kWindowHanning, 65536);
  EXPECT_EQ(a.ScaledLevel(0, 15), -7014);
  EXPECT_EQ(a.ScaledLevelAt(0, 21.0), -4913);
  for (const auto& c : cases) {
    const LevelScale scale(c.Choice, kWindowHanning, 2048);
    const bool weighted = c.Choice.Weighting != kWeightingNone;
    // The floor shown: the scale's and the calibration's offset only (the
    // one-sided density's 3.01 dB more on the DC line).
    const int32_t floorShown = -14000 + c.Offset - (c.Choice.Weighting == kWeightingA ? -3 : 0);
    const int32_t dcMore = c.Choice.Scale == kScaleNoiseDensity ? 301 : 0;
    const struct {
      int32_t Stored, Line;  // line 1: 21.5 Hz, A about -48.6 dB
      bool Floor;
    } lines[] = {{0, 0, weighted},
                 {-9500, 1, c.Choice.Weighting == kWeightingA},
                 {-8000, 1, false},
                 {-14000, 46, true}};
    for (const auto& line : lines) {
      EXPECT_EQ(scale.IsFloor(line.Stored, line.Line), line.Floor) << c.Unit << " " << line.Line;
      EXPECT_EQ(scale.IsFloorAt(line.Stored, line.Line * lineSpacingHz), line.Floor) << c.Unit;
      if (line.Floor && line.Line < 46) {
        EXPECT_NEAR(scale.ScaledLevel(line.Stored, line.Line),
                    floorShown + (line.Line == 0 ? dcMore : 0), 1)
            << c.Unit << " " << line.Line;
      }
    }
  }
  // No spectrum yet: only the calibration counts.
  EXPECT_EQ(
      LevelScale({kScaleSine, kWeightingNone, calibrated}, kWindowHanning, 0).ScaledLevel(0, 1),
      10002);
}

}  // namespace
