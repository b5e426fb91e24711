#include "recording/PeakReport.h"

#include <cmath>

namespace {

constexpr const char* kHeaderLine = "Kanal\tFrequenz (Hz)\tPegel\tEinheit\n";
constexpr const char* kChannelNames[] = {"L", "R"};
constexpr const char* kNoValue = "-";

// A value given in hundredths, with two decimals and a decimal point.
std::string Hundredths(int64_t hundredths) {
  const bool negative = hundredths < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(hundredths) : static_cast<uint64_t>(hundredths);
  std::string fraction = std::to_string(magnitude % 100);
  if (fraction.size() < 2) fraction = "0" + fraction;
  return (negative ? "-" : "") + std::to_string(magnitude / 100) + "." + fraction;
}

}  // namespace

std::vector<ChannelPeakLine> ChannelPeakLines(const ShownMeasurement& shown, int32_t channels) {
  std::vector<ChannelPeakLine> lines;
  for (int32_t channel = 0; channel < channels && channel < 2; ++channel) {
    const SpectralPeak& peak = shown.Peaks[channel];
    lines.push_back({peak.Found, peak.FrequencyHz, peak.LevelHundredthsDb, shown.Unit});
  }
  return lines;
}

std::string PeakReportText(const std::vector<ChannelPeakLine>& channels) {
  std::string text = kHeaderLine;
  for (size_t channel = 0; channel < channels.size() && channel < 2; ++channel) {
    const ChannelPeakLine& peak = channels[channel];
    text += kChannelNames[channel];
    text += '\t';
    if (peak.Found) {
      text += Hundredths(std::llround(peak.FrequencyHz * 100.0));
      text += '\t';
      text += Hundredths(peak.LevelHundredthsDb);
    } else {
      text += std::string(kNoValue) + '\t' + kNoValue;
    }
    text += '\t' + peak.Unit + '\n';
  }
  return text;
}
