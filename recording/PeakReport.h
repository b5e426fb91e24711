#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "measurement/ShownMeasurement.h"

// One channel's strongest line as the command line reports it.
struct ChannelPeakLine {
  bool Found = false;  // false: no tone stands clearly above the floor
  double FrequencyHz = 0.0;
  int32_t LevelHundredthsDb = 0;  // in the scale chosen
  std::string Unit;               // the scale's unit, e.g. "dBFS"
};

// The standard output of a command-line analysis: a header line naming the
// columns, then one line per channel ("L", then "R"), tab-separated, with
// decimal points whatever the locale; frequency and level to two decimals
// (0.01 Hz lies below a tenth of the finest line spacing), "-" for both when
// no peak was found. Lines end in '\n'.
std::string PeakReportText(const std::vector<ChannelPeakLine>& channels);

// The first `channels` (1 or 2) channels' strongest lines as the spectrum
// shows them: its peaks and unit.
std::vector<ChannelPeakLine> ChannelPeakLines(const ShownMeasurement& shown, int32_t channels);
