#include "recording/RecordingAnalyser.h"

#include <cmath>
#include <cstring>

#include "analysis/ChannelAnalysis.h"
#include "analysis/Fft.h"
#include "analysis/WeightingWindow.h"

namespace {

// How far the analysis moves on between two progress reports: often enough
// for a progress bar, rarely enough to cost nothing at the smallest size.
constexpr double kProgressStep = 0.001;
constexpr int32_t kFloorHundredthsDb = -14000;

}  // namespace

RecordingAnalyser::RecordingAnalyser()
    : HeldMagnitudes(kMaxSpectrumLines), Averager(std::make_unique<PowerAverager>()) {}

RecordingAnalyser::~RecordingAnalyser() = default;

RecordingAnalyser::Outcome RecordingAnalyser::Analyse(WaveFileReader& reader,
                                                      const RecordingAnalysisChoice& choice,
                                                      const AnalysisProgress& progress,
                                                      RecordingResult& spectrum) {
  const WaveFormat& format = reader.Format();
  const int32_t n = choice.FftSize;
  const int32_t channels = format.Channels;
  if (format.FrameCount < static_cast<uint64_t>(n)) {
    ErrorText = "Die Aufnahme ist k\xFCrzer als ein Block: sie hat " +
                std::to_string(format.FrameCount) + " Abtastwerte je Kanal, ein Block " +
                std::to_string(n) + " St\xFCtzpunkte.";
    return Outcome::kRefused;
  }
  const int32_t hop = n / 2;
  const uint64_t blocks = (format.FrameCount - static_cast<uint64_t>(n)) / hop + 1;

  RecordingResult result;
  result.FftSize = n;
  result.Weighting = choice.Weighting;
  result.AutoOffset = choice.AutoOffset;
  result.Channels = channels;
  result.SampleRateHz = format.SampleRateHz;
  result.BlockCount = static_cast<int64_t>(blocks);
  result.Truncated = format.Truncated;
  result.Average = std::make_unique<SpectrumLevels>();
  result.Held = std::make_unique<SpectrumLevels>();
  result.FloorPowers = std::make_unique<SpectrumFloorPowers>();

  Frames.resize(static_cast<size_t>(n) * channels);
  Input.resize(n);
  Re.resize(n);
  Im.resize(n);
  Offsets[0] = Offsets[1] = 0;
  const double* weights = Weights.Weights(WindowTable[choice.Weighting], n);
  const size_t hopValues = static_cast<size_t>(hop) * channels;

  double reported = 0.0;
  for (uint64_t block = 0; block < blocks; ++block) {
    double* fresh = Frames.data();
    int64_t wanted = n;
    if (block > 0) {
      std::memmove(Frames.data(), Frames.data() + hopValues, hopValues * sizeof(double));
      fresh += hopValues;
      wanted = hop;
    }
    if (reader.Read(fresh, wanted) != wanted) {
      ErrorText = reader.Error().empty()
                      ? std::string("Die Datei konnte nicht gelesen werden (Lesefehler).")
                      : reader.Error();
      return Outcome::kRefused;
    }
    AnalyseBlock(channels, n, weights, block == 0, block + 1 == blocks, choice.AutoOffset, result);

    const double done = static_cast<double>(block + 1) / static_cast<double>(blocks);
    if (done - reported >= kProgressStep || block + 1 == blocks) {
      reported = done;
      if (progress && !progress(done)) return Outcome::kCancelled;
    }
  }

  for (int32_t j = 0; j < n / 2; ++j) {
    for (int32_t channel = 0; channel < 2; ++channel) {
      (*result.Held)[j][channel] =
          channel < channels ? LevelFromMagnitude(HeldMagnitudes[j][channel]) : kFloorHundredthsDb;
      if (channel >= channels) {
        (*result.Average)[j][channel] = kFloorHundredthsDb;
        (*result.FloorPowers)[j][channel] = 0.0f;
      }
    }
  }
  spectrum = std::move(result);
  return Outcome::kDone;
}

void RecordingAnalyser::AnalyseBlock(int32_t channels, int32_t n, const double* weights, bool first,
                                     bool last, int32_t autoOffset, RecordingResult& result) {
  Averager->BeginSpectrum(PowerAverager::kContinuous, first);
  SpectrumLevels& average = *result.Average;
  for (int32_t channel = 0; channel < channels; ++channel) {
    WeightedSamples(Frames.data() + channel, channels, n, weights, Offsets[channel], Input.data());
    Fft(static_cast<uint32_t>(n), 0, Input.data(), nullptr, Re.data(), Im.data());
    Offsets[channel] = autoOffset ? UpdatedDcOffset(Offsets[channel], Re[0], n) : 0;
    for (int32_t j = 0; j < n / 2; ++j) {
      const double averaged = Averager->Add(j, channel, LinePower(Re[j], Im[j], j, n));
      if (last) {
        const int32_t level = LevelFromMagnitude(std::sqrt(averaged));
        average[j][channel] = level;
        (*result.FloorPowers)[j][channel] = FloorPower(level, averaged);
      }
      const double magnitude = LineMagnitude(Re[j], Im[j], j, n);
      double& held = HeldMagnitudes[j][channel];
      if (first || magnitude > held) held = magnitude;
    }
  }
}
