#pragma once

#include <cstdint>

// The part of the spectrum the view shows: a frequency range on the
// logarithmic axis and a level range, both as drawn. Levels are plot levels
// (a level as shown minus the scale's axis shift), so that the full range of
// an uncalibrated, uncorrected view is 0 to -140 dB whatever the scale's
// calibration. Zooming keeps the value under the pointer where it is;
// panning keeps the span. The frequencies always stay within 10 Hz and half
// the shown spectrum's rate (HighestHz: 22050 Hz for the wave input), the
// levels within kLowestDb and kHighestDb, and each span within its limits.
// Portable; GUI thread only.
class ViewRange {
 public:
  static constexpr double kLowestHz = 10.0;
  // Half the wave input's rate: the highest frequency until another rate's
  // spectrum is shown.
  static constexpr double kHighestHz = 22050.0;
  static constexpr double kLowestDb = -500.0;
  static constexpr double kHighestDb = 300.0;
  static constexpr double kNarrowestDb = 2.0;
  static constexpr double kWidestDb = kHighestDb - kLowestDb;

  // 10 Hz to 22050 Hz, 0 to -140 dB: the plot of uncorrected levels.
  constexpr ViewRange() = default;

  double LowHz() const { return Low; }
  double HighHz() const { return High; }
  double TopDb() const { return Top; }
  double BottomDb() const { return Bottom; }
  double HighestHz() const { return Highest; }

  // Whether the frequencies are the whole 10 Hz to HighestHz.
  bool FullFrequencies() const { return Low == kLowestHz && High == Highest; }

  // The spectrum shown is sampled at another rate: the frequencies reach up
  // to half of it (above 10 Hz). The whole range stays the whole range;
  // another is pulled within the new limit with its span kept where it fits.
  void SetHighestHz(double highestHz);

  // Sets the frequencies, ordered, pulled within 10 Hz to HighestHz and
  // widened about their geometric middle to at least narrowestHz.
  void SetFrequencies(double lowHz, double highHz, double narrowestHz);
  // Sets the levels, ordered, widened about their middle to at least
  // kNarrowestDb and kept within kLowestDb to kHighestDb.
  void SetLevels(double topDb, double bottomDb);
  void ShowAllFrequencies() {
    Low = kLowestHz;
    High = Highest;
  }

  // Narrows the frequency span (on the logarithmic axis) by `factor` (above
  // 1 zooms in, below 1 out), anchorHz staying at its place within the range.
  void ZoomFrequencies(double anchorHz, double factor, double narrowestHz);
  // Moves the range by `decades` (positive: towards higher frequencies),
  // stopping at 10 Hz and HighestHz with its span kept.
  void PanFrequencies(double decades);
  // The same for the levels: anchorDb stays put; `shiftDb` positive moves
  // the range up (towards louder levels).
  void ZoomLevels(double anchorDb, double factor);
  void PanLevels(double shiftDb);

  bool operator==(const ViewRange& other) const {
    return Low == other.Low && High == other.High && Top == other.Top && Bottom == other.Bottom &&
           Highest == other.Highest;
  }
  bool operator!=(const ViewRange& other) const { return !(*this == other); }

 private:
  double Low = kLowestHz;
  double High = kHighestHz;
  double Highest = kHighestHz;
  double Top = 0.0;
  double Bottom = -140.0;
};

// The level ranges of the scales: each scale (and a calibrated input's sine
// levels and noise density) has a range of its own, its first one chosen so
// that a full-scale sine and a 16-bit recorder's noise floor both lie on the
// plot. Portable.
class ScaleLevelRanges {
 public:
  // Uncorrected, sine levels, noise density; calibrated sine levels and
  // calibrated noise density.
  static constexpr int32_t kUncorrectedSlot = 0;
  static constexpr int32_t kSineSlot = 1;
  static constexpr int32_t kDensitySlot = 2;
  static constexpr int32_t kCalibratedSineSlot = 3;
  static constexpr int32_t kCalibratedDensitySlot = 4;
  static constexpr int32_t kSlotCount = 5;

  struct Levels {
    double TopDb;
    double BottomDb;
  };

  // The slot of a choice of scale: uncorrected levels take no calibration.
  static int32_t Slot(int32_t scale, bool calibrated);
  // The first range of a slot, in the levels as shown less the axis shift
  // (plot levels): 0 to -140 dB uncorrected, +10 to -140 dB for sine
  // levels, +20 to -160 dB for the noise density.
  static Levels Default(int32_t slot);
};
