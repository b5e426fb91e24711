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
  // What is wrong there, in German: "2 Spalten statt 3 (Frequenz, links, rechts)".
  std::string Fault;
};

// Reads a file of either type that WriteSpectrumFile writes, and any other
// file of that form: lines starting with "*" are comments (the header's
// entries are taken from them where they are found), blank lines are
// skipped, and each other line is a row of three numbers. Its first row
// decides the form: a tab between the numbers means decimal points, a
// semicolon decimal commas. Refused: a row of another column count, a field
// that is no number, a frequency below 0 or not above the row before's, a
// level outside -400 to +200 dB, more than kMaxSpectrumFileRows rows, and a
// file without a row. Levels are rounded to hundredths of a decibel, half
// away from zero. Never uses the C library's locale.
SpectrumFileReading ReadSpectrumFile(std::string_view bytes);
