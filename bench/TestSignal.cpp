#include "bench/TestSignal.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "analysis/LevelTypes.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kFullScaleSampleUnits = 32768.0;
constexpr double kNoisePeakFullScale = 0.003;  // about -50 dB
constexpr uint32_t kNoiseSeed = 20240611;

struct Tone {
  double FrequencyHz;
  double PeakFullScale;
};

struct ChannelSignal {
  Tone Tones[3];
  double DcOffsetSampleUnits;
};

constexpr ChannelSignal kLeftSignal{{{440.0, 0.3}, {1250.0, 0.1}, {5000.0, 0.01}}, 40.0};
constexpr ChannelSignal kRightSignal{{{220.0, 0.25}, {3000.0, 0.05}, {9500.0, 0.005}}, -25.0};

int16_t SampleAt(const ChannelSignal& signal, int32_t frame, double noise) {
  const double t = static_cast<double>(frame) / kSampleRateHz;
  double value = noise;
  for (const Tone& tone : signal.Tones)
    value += tone.PeakFullScale * std::sin(kTwoPi * tone.FrequencyHz * t);
  const double units = value * kFullScaleSampleUnits + signal.DcOffsetSampleUnits;
  return static_cast<int16_t>(std::clamp(units, -32768.0, 32767.0));
}

std::vector<int16_t> MakeCaptureFrames() {
  std::mt19937 generator(kNoiseSeed);
  std::uniform_real_distribution<double> noise(-kNoisePeakFullScale, kNoisePeakFullScale);
  std::vector<int16_t> frames(2 * static_cast<size_t>(kMaxFftSize));
  for (int32_t j = 0; j < kMaxFftSize; ++j) {
    frames[2 * j] = SampleAt(kLeftSignal, j, noise(generator));
    frames[2 * j + 1] = SampleAt(kRightSignal, j, noise(generator));
  }
  return frames;
}

}  // namespace

const std::vector<int16_t>& TestCaptureFrames() {
  static const std::vector<int16_t> frames = MakeCaptureFrames();
  return frames;
}

std::vector<double> TestChannel(int32_t n) {
  const std::vector<int16_t>& frames = TestCaptureFrames();
  std::vector<double> samples(n);
  for (int32_t j = 0; j < n; ++j) samples[j] = frames[2 * j] / kFullScaleSampleUnits;
  return samples;
}
