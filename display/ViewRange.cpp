#include "display/ViewRange.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "analysis/levels/LevelChoice.h"

namespace {

// Fits a span [low, high] into [lowest, highest], keeping its width where it
// fits and giving the whole interval where it does not.
void FitInto(double& low, double& high, double lowest, double highest) {
  const double width = high - low;
  if (width >= highest - lowest) {
    low = lowest;
    high = highest;
    return;
  }
  if (low < lowest) {
    low = lowest;
    high = lowest + width;
  } else if (high > highest) {
    high = highest;
    low = highest - width;
  }
}

// At least `narrowest` wide, widened about the middle.
void Widen(double& low, double& high, double narrowest) {
  if (high - low >= narrowest) return;
  const double middle = (low + high) / 2;
  low = middle - narrowest / 2;
  high = middle + narrowest / 2;
}

// The frequencies are handled as decades (log10 of hertz).
const double kLowestDecade = std::log10(ViewRange::kLowestHz);

}  // namespace

void ViewRange::SetHighestHz(double highestHz) {
  if (!(highestHz > kLowestHz) || highestHz == Highest) return;
  const bool full = FullFrequencies();
  Highest = highestHz;
  if (full) {
    ShowAllFrequencies();
    return;
  }
  double low = Low;
  double high = High;
  FitInto(low, high, kLowestHz, Highest);
  Low = low;
  High = high;
}

void ViewRange::SetFrequencies(double lowHz, double highHz, double narrowestHz) {
  if (!(lowHz > 0.0) || !(highHz > 0.0)) {
    ShowAllFrequencies();
    return;
  }
  if (highHz < lowHz) std::swap(lowHz, highHz);
  lowHz = std::clamp(lowHz, kLowestHz, Highest);
  highHz = std::clamp(highHz, kLowestHz, Highest);
  const double narrowest = std::min(narrowestHz, Highest - kLowestHz);
  if (highHz - lowHz < narrowest) {
    // Widened by hertz about the arithmetic middle, then pushed inside.
    double low = lowHz;
    double high = highHz;
    Widen(low, high, narrowest);
    FitInto(low, high, kLowestHz, Highest);
    lowHz = low;
    highHz = high;
  }
  // The full range stays exactly the constants, so that its mapping is
  // that of the fixed plot.
  Low = lowHz <= kLowestHz ? kLowestHz : lowHz;
  High = highHz >= Highest ? Highest : highHz;
}

void ViewRange::SetLevels(double topDb, double bottomDb) {
  if (!std::isfinite(topDb) || !std::isfinite(bottomDb)) return;
  if (topDb < bottomDb) std::swap(topDb, bottomDb);
  Widen(bottomDb, topDb, kNarrowestDb);
  FitInto(bottomDb, topDb, kLowestDb, kHighestDb);
  Top = topDb;
  Bottom = bottomDb;
}

void ViewRange::ZoomFrequencies(double anchorHz, double factor, double narrowestHz) {
  if (!(factor > 0.0) || !(anchorHz > 0.0)) return;
  const double anchor = std::log10(anchorHz);
  const double low = anchor - (anchor - std::log10(Low)) / factor;
  const double high = anchor + (std::log10(High) - anchor) / factor;
  const double highestDecade = std::log10(Highest);
  if (high - low >= highestDecade - kLowestDecade) {
    ShowAllFrequencies();
    return;
  }
  double fittedLow = low;
  double fittedHigh = high;
  FitInto(fittedLow, fittedHigh, kLowestDecade, highestDecade);
  const double lowHz = std::pow(10.0, fittedLow);
  const double highHz = std::pow(10.0, fittedHigh);
  if (highHz - lowHz < narrowestHz) {
    // As narrow as allowed: kept about the anchor rather than narrowed further.
    if (High - Low <= narrowestHz * (1 + 1e-9)) return;
    const double share = (anchorHz - Low) / (High - Low);
    const double newLow = anchorHz - share * narrowestHz;
    SetFrequencies(newLow, newLow + narrowestHz, narrowestHz);
    return;
  }
  SetFrequencies(lowHz, highHz, narrowestHz);
}

void ViewRange::PanFrequencies(double decades) {
  if (!std::isfinite(decades) || FullFrequencies()) return;
  double low = std::log10(Low) + decades;
  double high = std::log10(High) + decades;
  const double highestDecade = std::log10(Highest);
  FitInto(low, high, kLowestDecade, highestDecade);
  Low = low <= kLowestDecade ? kLowestHz : std::pow(10.0, low);
  High = high >= highestDecade ? Highest : std::pow(10.0, high);
}

void ViewRange::ZoomLevels(double anchorDb, double factor) {
  if (!(factor > 0.0) || !std::isfinite(anchorDb)) return;
  const double span = Top - Bottom;
  double newSpan = std::clamp(span / factor, kNarrowestDb, kWidestDb);
  const double share = span > 0.0 ? (Top - anchorDb) / span : 0.5;
  double top = anchorDb + share * newSpan;
  double bottom = top - newSpan;
  FitInto(bottom, top, kLowestDb, kHighestDb);
  Top = top;
  Bottom = bottom;
}

void ViewRange::PanLevels(double shiftDb) {
  if (!std::isfinite(shiftDb)) return;
  double bottom = Bottom + shiftDb;
  double top = Top + shiftDb;
  FitInto(bottom, top, kLowestDb, kHighestDb);
  Top = top;
  Bottom = bottom;
}

int32_t ScaleLevelRanges::Slot(int32_t scale, bool calibrated) {
  switch (scale) {
    case kScaleSine:
      return calibrated ? kCalibratedSineSlot : kSineSlot;
    case kScaleNoiseDensity:
      return calibrated ? kCalibratedDensitySlot : kDensitySlot;
    default:
      return kUncorrectedSlot;
  }
}

ScaleLevelRanges::Levels ScaleLevelRanges::Default(int32_t slot) {
  // A full-scale sine reads at most 0 dB uncorrected and 0 dBFS, and up to
  // +6 dB/Hz as a density at 262144 points (Hanning); 16-bit quantisation
  // noise lies at -141.5 dB/Hz.
  constexpr Levels kUncorrected{0.0, -140.0};
  constexpr Levels kSine{10.0, -140.0};
  constexpr Levels kDensity{20.0, -160.0};
  switch (slot) {
    case kSineSlot:
    case kCalibratedSineSlot:
      return kSine;
    case kDensitySlot:
    case kCalibratedDensitySlot:
      return kDensity;
    default:
      return kUncorrected;
  }
}
