#pragma once

#include <string>

#include "export/LevelTable.h"

// The form the spectrum file types share, for the writer and the reader.

// A line starting with it is a comment; the program's header lines carry it.
constexpr char kCommentMark = '*';
constexpr const char* kLineEnd = "\r\n";

// The header's comment lines are "* <label><value>"; the program's name and
// version stand alone on the first.
constexpr const char* kChannelLabel = "Kanal: ";  // one channel's response only
constexpr const char* kRecordedAtLabel = "Datum: ";
constexpr const char* kInputLabel = "Eingang: ";
constexpr const char* kFftSizeLabel = "St\xFCtzpunkte: ";  // Windows-1252
constexpr const char* kWindowLabel = "Bewertungsfenster: ";
constexpr const char* kAveragingLabel = "Mittelung: ";
constexpr const char* kLevelScaleLabel = "Pegel: ";
// A calibrated scale's calibration, in dB with a sign and a decimal comma:
// "* Kalibrierung: +100,02 dB".
constexpr const char* kCalibrationLabel = "Kalibrierung: ";
constexpr const char* kCalibrationUnit = " dB";
constexpr char kCalibrationDecimalSeparator = ',';
// Each channel's distortion, where it is shown.
constexpr const char* kDistortionLabels[] = {"Verzerrung Links: ", "Verzerrung Rechts: "};
constexpr const char* kShownRangeLabel = "Bereich: ";
// The columns' names, the header's last comment line; each channel's is
// followed by the levels' unit in brackets, where the table states one:
// "Links [dBFS]".
constexpr const char* kFrequencyColumnName = "Frequenz [Hz]";
constexpr const char* kChannelColumnNames[] = {"Links", "Rechts"};

constexpr int32_t kFrequencyDecimals = 4;
constexpr int32_t kLevelDecimals = 2;

// The separator between the columns and the decimal separator of a type.
struct NumberForm {
  char ColumnSeparator;
  char DecimalSeparator;
};

constexpr NumberForm FormOf(SpectrumFileType type) {
  return type == SpectrumFileType::SpreadsheetCsv ? NumberForm{';', ','} : NumberForm{'\t', '.'};
}

// The channel a type holds alone (0 left, 1 right), or -1 for both.
constexpr int32_t ChannelOf(SpectrumFileType type) {
  return type == SpectrumFileType::LeftResponse    ? 0
         : type == SpectrumFileType::RightResponse ? 1
                                                   : -1;
}

// A channel's column name with the unit of `levelScale`: "Links [dBFS]".
inline std::string ChannelColumnName(int32_t channel, const std::string& levelScale) {
  const std::string name = kChannelColumnNames[channel];
  return levelScale.empty() ? name : name + " [" + levelScale + "]";
}
