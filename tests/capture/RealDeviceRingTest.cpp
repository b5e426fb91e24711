// The ring on the platform's own wave input, where there is one: under Wine
// that is a sound server's source (the test command starts one and plays
// the tones it names in FRELOX_TEST_TONES into it).
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "capture/WaveInput.h"
#include "tests/capture/RingFixture.h"

namespace {

constexpr DWORD kSpectrumTimeoutMs = 10000;
constexpr DWORD kLaterSpectraMs = 800;  // several cycles after the first
constexpr int32_t kFftSize = 2048;
constexpr double kQuietFromHz = 20.0;
constexpr double kQuietToHz = 200.0;
constexpr int32_t kQuietBelowCentiDb = -10000;
constexpr int32_t kPeakToleranceCentiDb = 100;

struct Tone {
  double FrequencyHz;
  double Amplitude;  // full scale 1.0
};

// "f1 a1 f2 a2": the left and the right tone, or false if none is playing.
bool PlayingTones(Tone* left, Tone* right) {
  const char* text = std::getenv("FRELOX_TEST_TONES");
  return text && std::sscanf(text, "%lf %lf %lf %lf", &left->FrequencyHz, &left->Amplitude,
                             &right->FrequencyHz, &right->Amplitude) == 4;
}

// The level of one line for the tone under the Hanning window, by a direct
// transform in long double, in hundredths of a decibel.
double LineLevelCentiDb(const Tone& tone, int32_t n, int32_t line) {
  const long double pi = 3.141592653589793238462643383279502884L;
  long double re = 0, im = 0;
  for (int32_t j = 0; j < n; ++j) {
    const long double weight = 0.5L - 0.5L * std::cos(2 * pi * j / (n - 1));
    const long double sample =
        tone.Amplitude * std::sin(2 * pi * tone.FrequencyHz * j / kSampleRateHz) * weight;
    re += sample * std::cos(2 * pi * line * j / n);
    im -= sample * std::sin(2 * pi * line * j / n);
  }
  return 2000.0 * std::log10(static_cast<double>(std::sqrt(re * re + im * im) / (n / 2)));
}

// The shown spectrum of one channel: its strongest line sits where the tone
// puts it, at the tone's level; far below the tone only noise remains. A
// capture that is not one contiguous stretch of sound fails the last part.
void ExpectToneAlone(const SpectrumLevels& levels, int channel, const Tone& tone) {
  const int32_t lines = kFftSize / 2;
  int32_t peak = 1;
  for (int32_t j = 1; j < lines; ++j)
    if (levels[j][channel] > levels[peak][channel]) peak = j;
  const int32_t nearest =
      static_cast<int32_t>(std::lround(tone.FrequencyHz * kFftSize / kSampleRateHz));
  int32_t expectedPeak = nearest;
  for (int32_t j = nearest - 1; j <= nearest + 1; ++j)
    if (LineLevelCentiDb(tone, kFftSize, j) > LineLevelCentiDb(tone, kFftSize, expectedPeak))
      expectedPeak = j;
  EXPECT_EQ(peak, expectedPeak) << "channel " << channel;
  EXPECT_NEAR(levels[peak][channel], LineLevelCentiDb(tone, kFftSize, expectedPeak),
              kPeakToleranceCentiDb)
      << "channel " << channel;
  const auto lineOf = [](double hz) { return hz * kFftSize / kSampleRateHz; };
  for (int32_t j = static_cast<int32_t>(std::ceil(lineOf(kQuietFromHz)));
       j <= static_cast<int32_t>(lineOf(kQuietToHz)); ++j)
    EXPECT_LT(levels[j][channel], kQuietBelowCentiDb) << "channel " << channel << ", line " << j;
}

TEST_F(RingTest, TheRealWaveInputRunsTheRingAndEndsOnClose) {
  Fake.SimulateDevice = false;
  Fake.UseRealWaveInput();  // message boxes stay recorded
  Tone left, right;
  const bool tonesPlaying = PlayingTones(&left, &right);
  // Where a sound server plays the tones, its source must be listed.
  if (tonesPlaying) {
    ASSERT_GT(waveInGetNumDevs(), 0u) << "the sound server's source is not listed";
  }
  if (waveInGetNumDevs() == 0) GTEST_SKIP() << "no wave input device here";
  Start();
  ASSERT_TRUE(Measured->Capture().IsStarted());
  ASSERT_TRUE(PumpUntil([&] { return Client->ShownSize() == kFftSize; }, kSpectrumTimeoutMs));
  if (tonesPlaying) {
    PumpUntil(nullptr, kLaterSpectraMs);
    ExpectToneAlone(Client->ShownLevels(), 0, left);
    ExpectToneAlone(Client->ShownLevels(), 1, right);
  } else {
    std::printf("FRELOX_TEST_TONES not set: the spectrum of the real input is not judged\n");
  }
  // Further cycles follow, the next capture with the size of its queueing.
  Write(Settings.FftSize, 1024);
  ASSERT_TRUE(PumpUntil([&] { return Client->ShownSize() == 1024; }, kSpectrumTimeoutMs));
  Measured->CanClose();
  EXPECT_EQ(WaitForQuit(5000), 1);
  Destroy();
  EXPECT_EQ(InputOpen, 0);  // closed
  for (const auto& box : Fake.Boxes) EXPECT_NE(box.Caption, "Error") << box.Text;
}

}  // namespace
