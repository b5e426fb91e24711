#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/LevelTypes.h"

// The kinds of spectrum file the program writes.
enum class SpectrumFileType {
  // Both channels, tab-separated, decimal point: for the program itself.
  TabText,
  // Both channels, semicolon-separated, decimal comma: a German spreadsheet
  // opens the columns as numbers.
  SpreadsheetCsv,
  // One channel's frequency response, frequency and level, tab-separated,
  // decimal point, without the 0 Hz line: the form other measuring programs
  // import as a magnitude (with an optional phase they would otherwise take
  // from a third column).
  LeftResponse,
  RightResponse,
};

// What a spectrum file says about its spectrum in its comment lines. Texts
// in the Windows ANSI code page (Windows-1252), as the program's menu is.
struct SpectrumFileHeader {
  std::string Program;     // "Frelox 1.02"
  std::string RecordedAt;  // "2026-12-10 14:03:22"
  std::string Input;       // the input's product name
  int32_t FftSize = 0;     // points per transform; 0 when not stated
  std::string Window;      // the weighting window's menu name
  std::string Averaging;   // "Aus", "16 Messungen, 12 gemittelt", ...
  std::string LevelScale;  // the unit of the levels: "dB", "dBFS", "dB SPL", ...
  // Each channel's distortion line and harmonics as the view shows them,
  // where it shows them; empty otherwise.
  std::string Distortion[2];
  // The range the view showed: "1000 Hz bis 1100 Hz, 10,0 bis -140,0 dBFS";
  // not written when empty. The rows are the whole spectrum all the same.
  std::string ShownRange;
  // The calibration a calibrated scale's levels carry (added to a sine
  // level in dBFS); not stated otherwise.
  std::optional<int32_t> CalibrationHundredthsDb;

  bool operator==(const SpectrumFileHeader& other) const {
    return Program == other.Program && RecordedAt == other.RecordedAt && Input == other.Input &&
           FftSize == other.FftSize && Window == other.Window && Averaging == other.Averaging &&
           LevelScale == other.LevelScale && Distortion[0] == other.Distortion[0] &&
           Distortion[1] == other.Distortion[1] && ShownRange == other.ShownRange &&
           CalibrationHundredthsDb == other.CalibrationHundredthsDb;
  }
};

// A spectrum as a file holds it: one row per spectral line, its frequency
// and the level of each channel. Rows are in order of strictly increasing
// frequency; FrequenciesHz and Levels have one entry per row.
struct LevelTable {
  SpectrumFileHeader Header;
  std::vector<double> FrequenciesHz;
  // Hundredths of a decibel, left channel first: a file's two decimals exactly.
  std::vector<LevelPair> Levels;

  int32_t RowCount() const { return static_cast<int32_t>(FrequenciesHz.size()); }
};

// The most rows a spectrum file may have, and the levels it may state. The
// range holds every level the program shows: a calibration of up to
// -500 dB SPL on the analysis floor (-140 dB; no weighting takes a line
// below it) stays above -700 dB; +500 dB SPL on the loudest line a
// transform gives (+6 dB as a sine level, +14 dB as a noise density) with a
// weighting's +1.3 dB stays below +600 dB.
constexpr int32_t kMaxSpectrumFileRows = 262144;
constexpr int32_t kMinFileLevelHundredthsDb = -70000;
constexpr int32_t kMaxFileLevelHundredthsDb = 60000;
