#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "export/LevelTable.h"

// What reading a spectrum file gave: the table, or the first fault found.
struct SpectrumFileReading {
  bool Read = false;
  LevelTable Table;
  // The file's line (from 1) where the fault lies; 0 for the file as a whole.
  int32_t FaultLine = 0;
  // What is wrong there, in German: "4 Spalten statt 3 (Frequenz, links, rechts)".
  std::string Fault;
};

// Reads a file of any type that WriteSpectrumFile writes, and the frequency
// responses and spectra other programs write as text. Lines end in LF, CR LF
// or CR; a UTF-8 byte order mark is skipped. Lines starting with "*", "#" or
// ";" are comments (the header's entries are taken from "*" lines where they
// are found), blank lines are skipped, and one line of column names may come
// before the first row. Each other line is a row of a frequency and one
// level (given to both channels) or two (left, right). The first row decides
// the form: a semicolon between the numbers means decimal commas; tabs,
// commas or spaces (any run of them) decimal points; a number may carry an
// exponent ("2.0e+01"). A third column is a phase, read and dropped, where
// the last column names before the first row mention a phase ("phase",
// "deg" or the degree sign), or where `fileName` (the file's name or path)
// ends in ".frd" and the names are not the program's own.
// header.CalibrationHundredthsDb is the "Kalibrierung" line's, where it has
// that line's form. header.LevelScale is the "Pegel" line's, else the unit in brackets in the
// first level column's name ("Level (dB)"), else empty. Refused: text in
// UTF-16, a row of another column count, a field that is no number, a
// frequency below 0 or not above the row before's, a level outside
// kMinFileLevelHundredthsDb to kMaxFileLevelHundredthsDb, more than
// kMaxSpectrumFileRows rows, and a file without a row; a fault quotes at most
// the start of a field, with control characters as "?". Levels are rounded
// to hundredths of a decibel, half away from zero. Never uses the C
// library's locale.
SpectrumFileReading ReadSpectrumFile(std::string_view bytes, std::string_view fileName = {});
