#include "analysis/levels/WindowLeakage.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
// The decay beyond the table is measured over the table's last two octaves.
constexpr int32_t kDecayFromLines = WindowLeakage::kTabulatedLines / 4;

}  // namespace

WindowLeakage::WindowLeakage(WindowFunction window) {
  std::vector<double> weights(kReferencePoints);
  double centre = 0.0;
  for (int32_t j = 0; j < kReferencePoints; ++j) {
    weights[j] = window(j, kReferencePoints);
    centre += weights[j];
  }
  // |sum w_j e^(i 2 pi d j / n)| / sum w_j at d = step / kStepsPerLine, by a
  // rotating phasor: one complex multiplication per weight instead of a
  // sine and a cosine.
  const int32_t steps = kTabulatedLines * kStepsPerLine + kStepsPerLine / 2;
  std::vector<double> amplitude(static_cast<size_t>(steps) + 1);
  for (int32_t step = 0; step <= steps; ++step) {
    const double phase = kTwoPi * step / kStepsPerLine / kReferencePoints;
    const std::complex<double> rotation(std::cos(phase), std::sin(phase));
    std::complex<double> phasor(1.0, 0.0);
    std::complex<double> sum(0.0, 0.0);
    for (int32_t j = 0; j < kReferencePoints; ++j) {
      sum += weights[j] * phasor;
      phasor *= rotation;
    }
    amplitude[step] = std::abs(sum) / centre;
  }
  for (int32_t line = 0; line <= kTabulatedLines; ++line) {
    const int32_t first = std::max(0, line * kStepsPerLine - kStepsPerLine / 2);
    const int32_t last = line * kStepsPerLine + kStepsPerLine / 2;
    double highest = 0.0;
    for (int32_t step = first; step <= last; ++step) highest = std::max(highest, amplitude[step]);
    Envelope[line] = highest * highest;
  }
  for (int32_t line = kTabulatedLines - 1; line >= 0; --line)
    Envelope[line] = std::max(Envelope[line], Envelope[line + 1]);
  const double ratio = Envelope[kDecayFromLines] / Envelope[kTabulatedLines];
  // Power falls as distance^(2 p); at least as fast as without a window.
  DecayPower =
      std::max(1.0, std::log(ratio) /
                        (2.0 * std::log(static_cast<double>(kTabulatedLines) / kDecayFromLines)));
  // Beyond the table: sum over d > D of E(D) (D / d)^(2p), about E(D) D / (2p - 1).
  TailSums[kTabulatedLines + 1] =
      Envelope[kTabulatedLines] * kTabulatedLines / (2.0 * DecayPower - 1.0);
  for (int32_t line = kTabulatedLines; line >= 0; --line)
    TailSums[line] = TailSums[line + 1] + Envelope[line];
}

double WindowLeakage::EnvelopePower(double distanceLines) const {
  const double distance = std::fabs(distanceLines);
  // Rounded to the nearest line (inline: at SSE2 std::lround is a library call).
  if (distance <= kTabulatedLines) return Envelope[static_cast<size_t>(distance + 0.5)];
  return Envelope[kTabulatedLines] * std::pow(kTabulatedLines / distance, 2.0 * DecayPower);
}

double WindowLeakage::PowerBeyond(int32_t fromLines) const {
  if (fromLines <= kTabulatedLines + 1) return TailSums[static_cast<size_t>(fromLines)];
  return TailSums[kTabulatedLines + 1] *
         std::pow(static_cast<double>(kTabulatedLines) / fromLines, 2.0 * DecayPower - 1.0);
}

int32_t WindowLeakage::ReachBelow(double power, double threshold, int32_t lines) const {
  const auto above = [&](double envelope) { return power * envelope >= threshold; };
  // Most reaches are a few lines: doubled out from the tone, then halved.
  const int32_t tabulated = std::min(lines, kTabulatedLines);
  int32_t below = 1;
  while (below < tabulated && above(Envelope[static_cast<size_t>(below)]))
    below = std::min(2 * below, tabulated);
  if (!above(Envelope[static_cast<size_t>(below)])) {
    const auto reached =
        std::partition_point(Envelope.begin() + below / 2 + 1, Envelope.begin() + below, above);
    return static_cast<int32_t>(reached - Envelope.begin());
  }
  if (lines <= kTabulatedLines || above(EnvelopePower(lines))) return lines;
  // Beyond the table the envelope is a power of the distance: inverted, then
  // stepped to the first distance at which EnvelopePower itself lies below.
  const double ratio = power * Envelope[kTabulatedLines] / threshold;
  int32_t distance = static_cast<int32_t>(
      std::clamp(std::floor(kTabulatedLines * std::pow(ratio, 0.5 / DecayPower)),
                 static_cast<double>(kTabulatedLines + 1), static_cast<double>(lines)));
  while (above(EnvelopePower(distance))) ++distance;
  while (distance - 1 > kTabulatedLines && !above(EnvelopePower(distance - 1))) --distance;
  return distance;
}
