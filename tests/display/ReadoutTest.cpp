#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

#include "analysis/AnalysisWorker.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "display/ColumnReadout.h"
#include "display/PeakFinder.h"
#include "display/ReadoutFormat.h"
#include "display/ReadoutPlacement.h"
#include "tests/analysis/TestSignals.h"

namespace {

// A view of 601 x 301 pixels at 2048 points, worked out by hand: line 1 lies
// on column 59, line 2 on 113, lines 1011 to 1023 on column 599.
class ColumnReadoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    View->Rescale(601, 301, 2048, true);
    for (int32_t i = 0; i < 1024; ++i) (*Levels)[i] = {-10000 + i, -12000 - i};
  }
  std::unique_ptr<ViewGeometry> View = std::make_unique<ViewGeometry>();
  std::unique_ptr<SpectrumLevels> Levels = std::make_unique<SpectrumLevels>();
};

TEST_F(ColumnReadoutTest, FrequencyAndLevelAreThoseTheTraceIsDrawnFrom) {
  (*Levels)[1015][0] = -500;  // the loudest of column 599's lines, left only
  const ColumnReadout readout(*View, *Levels, 2048);
  // Column centres 10 x 10^((x + 0.5) / 179.4576): 10.06 Hz, 28.09 Hz,
  // 36.32 Hz, 21909 Hz (+-141 Hz: shown as 21900 Hz), 22192 Hz; column 300 473 Hz.
  EXPECT_NEAR(readout.FrequencyHz(0), 10.0644, 1e-4);
  EXPECT_NEAR(readout.FrequencyHz(599), 21909.0, 0.1);
  EXPECT_NEAR(readout.UncertaintyHz(0), 0.06457, 1e-5);
  struct Case {
    int32_t x;
    bool showMaximum;
    int32_t line;  // whose level (left channel) is shown
  } cases[] = {
      {0, true, 0},                       // nearer to the DC line (0 Hz) than to line 1 (21.5 Hz)
      {59, false, 1},     {80, true, 1},  // 28.1 Hz: between lines 1 and 2, nearer 1
      {100, false, 2},                    // 36.3 Hz: nearer line 2
      {599, true, 1015},                  // the column's largest
      {599, false, 1017},                 // 21909 Hz: the column's line nearest its centre
      {600, false, 1023}, {600, true, 1015},  // right of the last line: its column's
  };
  for (const Case& c : cases) {
    int32_t level = 0;
    ASSERT_TRUE(readout.Level(c.x, 0, c.showMaximum, level));
    EXPECT_EQ(level, (*Levels)[c.line][0]) << "column " << c.x << " maximum " << c.showMaximum;
  }
  EXPECT_EQ(readout.Text(80, true, true, true), L"28,1 Hz  L -100,0 dB  R -120,0 dB");
  EXPECT_EQ(readout.Text(599, false, true, false), L"21900 Hz  R -130,2 dB");

  View->Rescale(601, 301, 0, true);
  int32_t level = 0;
  EXPECT_FALSE(ColumnReadout(*View, *Levels, 0).Level(300, 0, true, level));
  EXPECT_EQ(ColumnReadout(*View, *Levels, 0).Text(300, true, true, true), L"473 Hz");
}

TEST(ReadoutFormatTest, GermanNumbersWithSignsAndTheFloor) {
  Range = kFixedDisplayRange;
  EXPECT_EQ(FormatLevel(-1274), L"-12,7 dB");
  EXPECT_EQ(FormatLevel(-1275), L"-12,8 dB");
  EXPECT_EQ(FormatLevel(-4), L"0,0 dB");
  EXPECT_EQ(FormatLevel(-5), L"-0,1 dB");
  EXPECT_EQ(FormatLevel(250), L"+2,5 dB");
  EXPECT_EQ(FormatLevel(-13999), L"-140,0 dB");
  EXPECT_EQ(FormatLevel(-14000), L"\u2264-140,0 dB");

  EXPECT_EQ(LastDigitExponent(2.15), 0);
  EXPECT_EQ(LastDigitExponent(10.8), 1);
  EXPECT_EQ(LastDigitExponent(0.5), -1);
  EXPECT_EQ(LastDigitExponent(0.0168), -2);
  EXPECT_EQ(FormatFrequency(1234.5, 0), L"1235 Hz");
  EXPECT_EQ(FormatFrequency(1234.5, 1), L"1230 Hz");
  EXPECT_EQ(FormatFrequency(21.533, -2), L"21,53 Hz");
  EXPECT_EQ(FormatFrequency(0.05, -3), L"0,050 Hz");

  SpectralPeak peak{true, 4321.26, -2660, 21.533203125};
  EXPECT_EQ(FormatPeak(L'R', peak, 0.1), L"R 4321 Hz  -26,6 dB");
  EXPECT_EQ(FormatPeak(L'R', peak, 0.5), L"R 4320 Hz  -26,6 dB");
  peak.LineSpacingHz = 44100.0 / 262144;
  EXPECT_EQ(FormatPeak(L'R', peak, 0.1), L"R 4321,26 Hz  -26,6 dB");
  EXPECT_EQ(FormatPeak(L'L', SpectralPeak{}, 0.1), L"L");
}

TEST(ReadoutPlacementTest, BoxStaysInTheViewAndOffThePointer) {
  constexpr int32_t kWidth = 600, kHeight = 300, kBoxWidth = 220, kBoxHeight = 18;
  EXPECT_EQ(ReadoutBoxOrigin({100, 100}, 32, kBoxWidth, kBoxHeight, kWidth, kHeight),
            (PixelPoint{108, 74}));
  for (int32_t pointerHeight : {24, 32, 48, 64}) {
    for (int32_t y = 0; y < kHeight; y += 7) {
      for (int32_t x = 0; x < kWidth; x += 5) {
        const PixelPoint box =
            ReadoutBoxOrigin({x, y}, pointerHeight, kBoxWidth, kBoxHeight, kWidth, kHeight);
        ASSERT_TRUE(box.x >= 0 && box.y >= 0 && box.x + kBoxWidth <= kWidth &&
                    box.y + kBoxHeight <= kHeight);
        const bool clearOfPointer = box.x + kBoxWidth <= x || box.x > x ||
                                    box.y + kBoxHeight <= y || box.y >= y + pointerHeight;
        ASSERT_TRUE(clearOfPointer) << x << ", " << y << ", pointer " << pointerHeight;
      }
    }
  }
}

// Steady tones at random fractions between lines, analysed as the program
// does (16-bit samples, each window, 2048 points): the refined frequency lies
// within the promised share of a line spacing of the tone's.
TEST(PeakFinderTest, RefinedFrequencyOfTonesBetweenLinesPerWindow) {
  Range = kFixedDisplayRange;
  constexpr int32_t kPoints = 2048;
  constexpr int32_t kTonesPerWindow = 100;
  constexpr double kPeakSampleUnits = 16384.0;
  auto block = std::make_unique<StereoBlock>();
  auto worker = std::make_unique<AnalysisWorker>(block->Samples.data());
  PeakFinder finder;
  std::mt19937 random(26);
  // Lines from 20 Hz to 1 kHz below half the sampling rate: clear of the
  // lowest frequency shown and of the mirror images beyond 22050 Hz.
  std::uniform_int_distribution<int32_t> lines(20 * kPoints / kSampleRateHz + 1,
                                               kPoints / 2 - 1000 * kPoints / kSampleRateHz);
  std::uniform_real_distribution<double> fractions(0.0, 1.0);
  Write(Settings.AutoOffset, 0);
  for (int32_t window = 0; window < kWindowCount; ++window) {
    Write(Settings.Weighting, window);
    double largest = 0.0, sum = 0.0;
    for (int32_t tone = 0; tone < kTonesPerWindow; ++tone) {
      const double cycles = lines(random) + fractions(random);
      block->Sine(0, kPoints, cycles, kPeakSampleUnits);
      worker->RecordQueuedFrames(kPoints);
      worker->AnalyseCapture();
      ASSERT_EQ(worker->CycleWeighting(), window);
      const SpectralPeak peak = finder.Find(worker->WorkLevels(), 0, kPoints, window);
      ASSERT_TRUE(peak.Found);
      const double error = std::fabs(peak.FrequencyHz / peak.LineSpacingHz - cycles);
      largest = std::max(largest, error);
      sum += error;
    }
    std::printf("window %d: largest error %.4f, mean %.4f line spacings\n", window, largest,
                sum / kTonesPerWindow);
    EXPECT_LT(largest, PeakFinder::AccuracyLines(window)) << "window " << window;
  }
}

TEST(PeakFinderTest, StrongestLineAtOrAboveTheLowestShownFrequency) {
  Range = kFixedDisplayRange;
  auto levels = std::make_unique<SpectrumLevels>();
  for (LevelPair& line : *levels) line = {-14000, -14000};
  PeakFinder finder;
  // Silence: the first line from 10 Hz on, at the floor, nothing to refine.
  SpectralPeak peak = finder.Find(*levels, 0, 2048, kWindowHanning);
  EXPECT_TRUE(peak.Found);
  EXPECT_NEAR(peak.FrequencyHz, 21.533203125 * 1.5, 1e-9);
  // 65536 points: line 13 (8.7 Hz) lies below the view, line 15 (10.1 Hz) is the lowest shown.
  (*levels)[0][0] = (*levels)[13][0] = 0;
  (*levels)[15][0] = -3000;
  (*levels)[16][0] = -3602;  // half the amplitude of line 15
  peak = finder.Find(*levels, 0, 65536, kWindowHanning);
  EXPECT_EQ(peak.LevelHundredthsDb, -3000);
  // A Hanning lobe halves the amplitude one line off: the tone sits on line 15.
  EXPECT_NEAR(peak.FrequencyHz / peak.LineSpacingHz, 15.0, 0.01);
  (*levels)[16][0] = -3000;  // equal neighbours: half-way
  EXPECT_NEAR(finder.Find(*levels, 0, 65536, kWindowHanning).FrequencyHz / peak.LineSpacingHz, 15.5,
              0.01);
  EXPECT_FALSE(finder.Find(*levels, 0, 2, kWindowHanning).Found);
}

}  // namespace
