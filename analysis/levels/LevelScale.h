#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/DisplayRange.h"
#include "analysis/LevelTypes.h"
#include "analysis/levels/FrequencyWeighting.h"
#include "analysis/levels/LevelChoice.h"

// The levels of one spectrum as the user chose to see them: each stored
// level (hundredths of a decibel as analysed, floor -14000) plus the offset
// of the chosen scale, the calibration and the frequency weighting at its
// line. The traces, the readout under the mouse, the peak values and the
// axis labels all read their levels through it, and so may anything else
// that shows or writes levels. Portable; build one per spectrum (window and
// size) and choice. GUI thread only: the windows' gains are computed once
// per window and size, on first use, and kept.
//
// No line is shown below the analysis floor: a line whose stored level is at
// the floor, or that the weighting would push below it (the DC line under A
// and C, where the weighting has no finite value), is a floor line and shows
// the floor in the chosen scale (IsFloor), so that every scale marks it `≤`.
//
// The noise density is one-sided: the DC line, which has no mirror line
// above half the sampling rate, gets the power of one side only (white
// noise's DC line reads 3.01 dB below the other lines).
class LevelScale {
 public:
  // For a spectrum of `shownSize` points sampled at `sampleRateHz` and
  // analysed with weighting window `window` (line j lies at j * sampleRateHz
  // / shownSize). Without a spectrum (shownSize below 2) the scale's window
  // and size offsets are 0.
  LevelScale(const LevelChoice& choice, int32_t window, int32_t shownSize,
             int32_t sampleRateHz = kSampleRateHz);

  // The level to show, in hundredths of a decibel, for the stored level of
  // spectral line `line`. Inline: the traces call it for every line.
  int32_t ScaledLevel(int32_t storedHundredths, int32_t line) const {
    const int32_t offset = line == 0 ? DcOffset : Offset;
    if (Weighting == kWeightingNone) return storedHundredths + offset;
    if (line >= 0 && static_cast<size_t>(line) < LineWeighting.size())
      return std::max(storedHundredths + LineWeighting[static_cast<size_t>(line)], kFloor) + offset;
    return ScaledLevelAt(storedHundredths, line * LineSpacingHz);
  }
  // The same for a tone refined to a frequency between lines.
  int32_t ScaledLevelAt(int32_t storedHundredths, double frequencyHz) const;

  // Whether the level shown for the stored level of line `line` stands for
  // the analysis floor: the true level lies at or below what is shown.
  bool IsFloor(int32_t storedHundredths, int32_t line) const {
    if (storedHundredths <= kFloor) return true;
    if (Weighting == kWeightingNone) return false;
    if (line >= 0 && static_cast<size_t>(line) < LineWeighting.size())
      return storedHundredths + LineWeighting[static_cast<size_t>(line)] <= kFloor;
    return IsFloorAt(storedHundredths, line * LineSpacingHz);
  }
  // The same for a level at a frequency between lines.
  bool IsFloorAt(int32_t storedHundredths, double frequencyHz) const;

  // The unit of the levels shown: "dB" (uncorrected), "dBFS" (sine levels),
  // "dB/Hz" (noise density), "dB SPL" (calibrated sine levels), "dB SPL/Hz"
  // (calibrated noise density); weighted "dB(A)" and "dB(C)" when calibrated
  // ("dB(A)/Hz" for the density), else with "(A)" or "(C)" after the unit
  // ("dBFS(A)", "dB/Hz(C)"), and "dB, A-bewertet" for uncorrected levels.
  std::string Unit() const;

  // The axis spans 140 dB whatever the scale; with a calibration (sine
  // levels and noise density take it, uncorrected levels do not) its labels
  // read that much more. A level L is drawn on the row of L minus this.
  int32_t AxisShiftHundredthsDb() const { return AxisShift; }
  // The level on the 0 to -140 dB plot at which the scaled level is drawn.
  int32_t PlottedLevel(int32_t storedHundredths, int32_t line) const {
    return ScaledLevel(storedHundredths, line) - AxisShift;
  }

  // The offset in decibels that the scale itself (without calibration and
  // weighting) adds: -20 log10(coherent gain) for sine levels, that minus
  // 10 log10(noise bandwidth in hertz) for the noise density, 0 uncorrected.
  double ScaleOffsetDb() const { return ScaleDb; }

 private:
  // The analysis floor in stored hundredths of a decibel.
  static constexpr int32_t kFloor = static_cast<int32_t>(kFixedDisplayRange.LevelMin * 100);

  int32_t Kind;
  int32_t Weighting;
  bool Calibrated;
  double ScaleDb = 0.0;
  int32_t Offset = 0;    // the scale's and the calibration's, hundredths of a decibel
  int32_t DcOffset = 0;  // the same for the DC line (one-sided in the density scale)
  int32_t AxisShift = 0;
  double LineSpacingHz = 0.0;
  FrequencyWeighting Curve;
  std::vector<int32_t> LineWeighting;  // hundredths per line; empty without a weighting
};
