#pragma once

#include "export/LevelTable.h"

// The form both spectrum file types share, for the writer and the reader.

// A line starting with it is a comment.
constexpr char kCommentMark = '*';
constexpr const char* kLineEnd = "\r\n";

// The header's comment lines are "* <label><value>"; the program's name and
// version stand alone on the first.
constexpr const char* kRecordedAtLabel = "Datum: ";
constexpr const char* kInputLabel = "Eingang: ";
constexpr const char* kFftSizeLabel = "St\xFCtzpunkte: ";  // Windows-1252
constexpr const char* kWindowLabel = "Bewertungsfenster: ";
constexpr const char* kAveragingLabel = "Mittelung: ";
constexpr const char* kLevelScaleLabel = "Pegel: ";
// The columns' names, the header's last comment line.
constexpr const char* kColumnNames[] = {"Frequenz [Hz]", "Links [dB]", "Rechts [dB]"};

constexpr int32_t kColumnCount = 3;
constexpr int32_t kFrequencyDecimals = 4;
constexpr int32_t kLevelDecimals = 2;

// The separator between the columns and the decimal separator of a type.
struct NumberForm {
  char ColumnSeparator;
  char DecimalSeparator;
};

constexpr NumberForm FormOf(SpectrumFileType type) {
  return type == SpectrumFileType::TabText ? NumberForm{'\t', '.'} : NumberForm{';', ','};
}
