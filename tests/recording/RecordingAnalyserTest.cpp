#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "analysis/AnalysisWorker.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/WeightingWindow.h"
#include "measurement/ShownMeasurementBuilder.h"
#include "recording/RecordingAnalyser.h"
#include "recording/RecordingLevels.h"
#include "settings/SettingsTable.h"
#include "tests/analysis/TestSignals.h"
#include "tests/recording/WaveBytes.h"

namespace {

constexpr int32_t kFloor = -14000;

// Interleaved 16-bit stereo: a tone with a DC offset on the left, noise and
// a weaker tone on the right.
std::vector<int16_t> Recording(int32_t frames, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 300.0);
  std::vector<int16_t> samples;
  for (int32_t j = 0; j < frames; ++j) {
    samples.push_back(static_cast<int16_t>(
        std::lround(400 + 12000 * std::sin(kTestTwoPi * 0.0371 * j) + noise(random) / 10)));
    samples.push_back(static_cast<int16_t>(
        std::lround(noise(random) + 3000 * std::sin(kTestTwoPi * 0.2113 * j))));
  }
  return samples;
}

RecordingAnalyser::Outcome Analyse(const Bytes& file, const RecordingAnalysisChoice& choice,
                                   RecordingResult& spectrum, std::string* error = nullptr,
                                   const AnalysisProgress& progress = {}) {
  StrictSource source(file);
  WaveFileReader reader(source);
  EXPECT_TRUE(reader.Open()) << reader.Error();
  RecordingAnalyser analyser;
  const RecordingAnalyser::Outcome outcome = analyser.Analyse(reader, choice, progress, spectrum);
  if (error) *error = analyser.Error();
  return outcome;
}

// Each block through the live worker, one capture per block, the offset
// estimate carried from capture to capture as the live analysis carries it.
class LiveBlocks {
 public:
  LiveBlocks(const std::vector<int16_t>& samples, const RecordingAnalysisChoice& choice,
             int32_t averageLength) {
    StoreDefaultSettings();
    Write(Settings.Weighting, choice.Weighting);
    Write(Settings.AutoOffset, choice.AutoOffset);
    Write(Settings.AverageLength, averageLength);
    Worker = std::make_unique<AnalysisWorker>(Block.Samples.data());
    const int32_t n = choice.FftSize;
    const size_t frames = samples.size() / 2;
    for (size_t start = 0; start + n <= frames; start += n / 2) {
      std::copy(samples.begin() + 2 * start, samples.begin() + 2 * (start + n),
                Block.Samples.begin());
      Worker->RecordQueuedFrames(n);
      Worker->AnalyseCapture();
      PerBlock.push_back(Worker->WorkLevels());
    }
  }
  StereoBlock Block;
  std::unique_ptr<AnalysisWorker> Worker;
  std::vector<SpectrumLevels> PerBlock;
};

// The average against the mean power of independently analysed blocks; the
// average and the held maximum bit for bit against the live analysis.
TEST(RecordingAnalyser, AveragesAndHoldsTheBlocksAsTheLiveAnalysis) {
  Range = kFixedDisplayRange;
  const RecordingAnalysisChoice choices[] = {
      {1024, kWindowHanning, 1}, {2048, kWindowBlackman, 0}, {1024, kWindowOff, 1}};
  for (const RecordingAnalysisChoice& choice : choices) {
    SCOPED_TRACE(testing::Message() << choice.FftSize << " points, window " << choice.Weighting);
    const int32_t n = choice.FftSize;
    const std::vector<int16_t> samples = Recording(5 * n + 300, static_cast<uint32_t>(n));
    RecordingResult spectrum;
    ASSERT_EQ(Analyse(WaveFile({}, Pcm16(samples)), choice, spectrum),
              RecordingAnalyser::Outcome::kDone);
    const LiveBlocks single(samples, choice, PowerAverager::kOff);
    ASSERT_EQ(spectrum.BlockCount, static_cast<int64_t>(single.PerBlock.size()));
    EXPECT_EQ(spectrum.BlockCount, 9);

    int32_t compared = 0;
    for (int32_t j = 0; j < n / 2; ++j) {
      for (int32_t channel = 0; channel < 2; ++channel) {
        double power = 0.0;
        bool atFloor = false;
        for (const SpectrumLevels& levels : single.PerBlock) {
          power += std::pow(10.0, levels[j][channel] / 1000.0);
          atFloor = atFloor || levels[j][channel] == kFloor;
        }
        if (atFloor) continue;
        const double expected = 1000.0 * std::log10(power / single.PerBlock.size());
        EXPECT_NEAR((*spectrum.Average)[j][channel], expected, 1.0) << "line " << j;
        ++compared;
      }
    }
    EXPECT_GT(compared, n / 2);
    EXPECT_EQ(*spectrum.Held, single.Worker->HeldLevels());
    const LiveBlocks averaged(samples, choice, PowerAverager::kContinuous);
    for (int32_t j = 0; j < n / 2; ++j) {
      ASSERT_EQ((*spectrum.Average)[j], averaged.Worker->WorkLevels()[j]) << "line " << j;
      ASSERT_EQ((*spectrum.FloorPowers)[j], averaged.Worker->WorkFloorPowers()[j]) << "line " << j;
    }
  }
}

// A mono file is the stereo file's left channel at any rate; the floor holds
// without a view to set the plot's range.
TEST(RecordingAnalyser, MonoIsTheLeftChannelAtAnyRateWithTheFloorWithoutAView) {
  Range = DisplayRange{};
  const int32_t n = 1024;
  std::vector<int16_t> stereo = Recording(3 * n, 3);
  std::vector<int16_t> mono;
  for (size_t i = 0; i < stereo.size(); i += 2) {
    mono.push_back(stereo[i]);
    stereo[i + 1] = 0;
  }
  RecordingResult fromStereo, fromMono;
  ASSERT_EQ(Analyse(WaveFile({}, Pcm16(stereo)), {n, kWindowHanning, 1}, fromStereo),
            RecordingAnalyser::Outcome::kDone);
  ASSERT_EQ(Analyse(WaveFile({1, 1, 1, 8000, 16}, Pcm16(mono)), {n, kWindowHanning, 1}, fromMono),
            RecordingAnalyser::Outcome::kDone);
  EXPECT_EQ(fromMono.Channels, 1);
  EXPECT_EQ(fromMono.LineSpacingHz(), 8000.0 / n);
  for (int32_t j = 0; j < n / 2; ++j) {
    EXPECT_EQ((*fromMono.Average)[j][0], (*fromStereo.Average)[j][0]);
    EXPECT_EQ((*fromMono.Average)[j][1], kFloor);
    EXPECT_EQ((*fromMono.Held)[j][1], kFloor);
    EXPECT_EQ((*fromStereo.Average)[j][1], kFloor);
  }
  Range = kFixedDisplayRange;
}

// A 48 kHz recording through the one place that makes the shown value, its
// lines 48000 Hz / size apart: the tone's peak at its frequency (to the
// 0.0022 lines the refinement achieves with a window, bound 0.01), and
// white noise's density against its one-sided 4 sigma^2 / rate (amplitude
// squared per hertz, a full-scale sine's amplitude being 1), which lines
// 44100 Hz / size apart would put 0.37 dB higher.
TEST(RecordingAnalyser, A48kHzRecordingShowsItsToneAndNoiseDensityAtItsOwnRate) {
  Range = kFixedDisplayRange;
  constexpr int32_t kRateHz = 48000, kPoints = 4096, kFrames = 20 * kPoints;
  constexpr double kToneHz = 5001.3, kToneAmplitude = 0.5, kNoiseLsb = 1000.0;
  std::mt19937 random(48);
  std::normal_distribution<double> noise(0.0, kNoiseLsb);
  std::vector<int16_t> samples;
  double noisePower = 0.0;
  for (int32_t j = 0; j < kFrames; ++j) {
    samples.push_back(static_cast<int16_t>(
        std::lround(kToneAmplitude * 32767 * std::sin(kTestTwoPi * kToneHz * j / kRateHz))));
    samples.push_back(static_cast<int16_t>(std::lround(noise(random))));
    noisePower += std::pow(samples.back() / 32768.0, 2) / kFrames;
  }
  RecordingResult spectrum;
  ASSERT_EQ(Analyse(WaveFile({1, 1, 2, kRateHz, 16}, Pcm16(samples)), {kPoints, kWindowHanning, 1},
                    spectrum),
            RecordingAnalyser::Outcome::kDone);
  const AnalysedLevels levels = LevelsOfRecording(spectrum, "ton.wav");
  ShownMeasurementBuilder builder;
  const auto shown = std::make_unique<ShownMeasurement>();
  builder.Build(levels, {kScaleSine, kWeightingNone, std::nullopt}, *shown);
  const double spacingHz = static_cast<double>(kRateHz) / kPoints;
  ASSERT_TRUE(shown->Peaks[0].Found);
  EXPECT_NEAR(shown->Peaks[0].FrequencyHz, kToneHz, 0.01 * spacingHz);
  EXPECT_NEAR(shown->Peaks[0].LevelHundredthsDb / 100.0,
              20.0 * std::log10(kToneAmplitude * 32767 / 32768), 0.05);

  builder.Build(levels, {kScaleNoiseDensity, kWeightingNone, std::nullopt}, *shown);
  double meanPower = 0.0;
  const int32_t fromLine = 20, toLine = kPoints / 2 - 20;
  for (int32_t j = fromLine; j < toLine; ++j)
    meanPower += std::pow(10.0, (*shown->Levels)[j][1] / 1000.0) / (toLine - fromLine);
  EXPECT_NEAR(10.0 * std::log10(meanPower), 10.0 * std::log10(4.0 * noisePower / kRateHz), 0.1);
}

TEST(RecordingAnalyser, ReportsProgressCancelsAndRefusesAShortRecording) {
  const Bytes file = WaveFile({}, Pcm16(Recording(40 * 1024, 5)));
  std::vector<double> fractions;
  RecordingResult spectrum;
  EXPECT_EQ(Analyse(file, {1024, kWindowHanning, 1}, spectrum, nullptr,
                    [&](double done) {
                      fractions.push_back(done);
                      return true;
                    }),
            RecordingAnalyser::Outcome::kDone);
  ASSERT_EQ(fractions.size(), 79u);
  EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
  EXPECT_EQ(fractions.back(), 1.0);

  RecordingResult cancelled;
  int calls = 0;
  EXPECT_EQ(Analyse(file, {1024, kWindowHanning, 1}, cancelled, nullptr,
                    [&](double) { return ++calls < 2; }),
            RecordingAnalyser::Outcome::kCancelled);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(cancelled.Average, nullptr);

  std::string error;
  RecordingResult refused;
  EXPECT_EQ(
      Analyse(WaveFile({}, Pcm16(Recording(2047, 1))), {2048, kWindowHanning, 1}, refused, &error),
      RecordingAnalyser::Outcome::kRefused);
  EXPECT_NE(error.find("k\xFCrzer als ein Block"), std::string::npos) << error;
}

}  // namespace
