#include "analysis/levels/MainLobe.h"

#include <algorithm>
#include <cmath>

namespace {

// The window's response is taken at this size; its shape in lines changes
// with the size by less than a thousandth of a line.
constexpr int32_t kReferencePoints = 1024;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDbPerAmplitudeDecade = 20.0;

}  // namespace

MainLobe::MainLobe(WindowFunction window) : Window(window) {
  for (int32_t i = 0; i <= kStepsPerLine; ++i)
    Amplitudes[i] = RelativeAmplitude(static_cast<double>(i) / kStepsPerLine);
  for (int32_t i = 0; i <= kRatioSteps; ++i)
    Ratios[i] = Amplitudes[kStepsPerLine - i] / Amplitudes[i];
}

double MainLobe::RelativeAmplitude(double offsetLines) const {
  double re = 0.0;
  double im = 0.0;
  double centre = 0.0;
  for (int32_t j = 0; j < kReferencePoints; ++j) {
    const double weight = Window(j, kReferencePoints);
    const double phase = kTwoPi * offsetLines * j / kReferencePoints;
    re += weight * std::cos(phase);
    im += weight * std::sin(phase);
    centre += weight;
  }
  return std::sqrt(re * re + im * im) / centre;
}

double MainLobe::OffsetForRatio(double amplitudeRatio) const {
  if (!(amplitudeRatio > Ratios.front())) return 0.0;
  if (amplitudeRatio >= Ratios.back()) return 0.5;
  const auto above = std::upper_bound(Ratios.begin(), Ratios.end(), amplitudeRatio);
  const auto i = static_cast<int32_t>(above - Ratios.begin()) - 1;
  const double fraction = (amplitudeRatio - Ratios[i]) / (Ratios[i + 1] - Ratios[i]);
  return (i + fraction) / kStepsPerLine;
}

double MainLobe::LossDb(double offsetLines) const {
  return -kDbPerAmplitudeDecade * std::log10(InterpolatedAmplitude(offsetLines));
}

double MainLobe::InterpolatedAmplitude(double offsetLines) const {
  const double steps = std::clamp(offsetLines, 0.0, 0.5) * kStepsPerLine;
  const auto i = std::min(static_cast<int32_t>(steps), kRatioSteps - 1);
  const double fraction = steps - i;
  return Amplitudes[i] + fraction * (Amplitudes[i + 1] - Amplitudes[i]);
}
