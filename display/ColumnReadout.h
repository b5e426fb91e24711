#pragma once

#include <cstdint>
#include <string>

#include "analysis/LevelTypes.h"
#include "display/ViewGeometry.h"

class ReferenceTrace;
struct ShownMeasurement;

// What the readout under the mouse shows for one pixel column of the view:
// the column's frequency and, per channel, the level the trace is drawn from
// there, in the range the view shows. Portable; GUI thread only.
class ColumnReadout {
 public:
  // The levels, floors and unit of `shown`; with `withHeld` (and a valid
  // held maximum) each line's held maximum is named beside each level.
  // `reference`: a kept spectrum placed in the view, whose level follows,
  // and where it is comparable the difference to it; none when null.
  ColumnReadout(const ViewGeometry& view, const ShownMeasurement& shown, bool withHeld = false,
                const ReferenceTrace* reference = nullptr);

  // Centre frequency of column x, the middle (on the logarithmic axis) of
  // the frequencies that FreqToX puts on it. 0 when the view has no scale.
  double FrequencyHz(int32_t x) const;
  // Half the span of frequencies on column x: how far the centre may lie
  // from the frequency meant.
  double UncertaintyHz(int32_t x) const;

  // Level (hundredths of a decibel, scaled) of `channel` at column x, as the
  // trace is drawn there. On a column that holds spectral lines: with
  // showMaximum the largest of them (the column's vertex), otherwise the line
  // nearest to the column's centre frequency. On a column between two
  // vertices: that of the nearer of the two lines either side (by
  // frequency), taken as above for its own column. False when there is no
  // spectrum.
  bool Level(int32_t x, int32_t channel, bool showMaximum, int32_t& levelHundredthsDb) const {
    const int32_t line = LineIn(Levels, x, channel, showMaximum);
    if (line < 0) return false;
    levelHundredthsDb = Levels[line][channel];
    return true;
  }

  // The readout's text for column x: the frequency to the digit its
  // uncertainty supports, then the level of each channel shown, in German
  // number format and the scale's unit: "1238 Hz  L -12,7 dB  R -96,3 dB";
  // with a held maximum, its level at the column after each:
  // "L -12,7 dB (max -9,3)"; with a reference, its level there and the
  // difference of the live one to it: "L -12,7 dB  Ref -15,9  Δ +3,2"; no
  // difference against a floor line, and a reference in another scale in
  // its own unit: "Ref -15,9 dB SPL".
  std::wstring Text(int32_t x, bool showLeft, bool showRight, bool showMaximum) const;

 private:
  double LineFrequencyHz(int32_t line) const;
  // The line whose level the trace shows at column x (see Level); -1 when
  // there is no spectrum.
  int32_t LineIn(const SpectrumLevels& levels, int32_t x, int32_t channel, bool showMaximum) const;

  const ViewGeometry& View;
  const ShownMeasurement& Shown;
  const SpectrumLevels& Levels;
  const SpectrumLevels* Held;
  const ReferenceTrace* Reference;
  int32_t ShownSize;
};
