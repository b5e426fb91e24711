#pragma once

#include <string>

#include "export/LevelTable.h"

// The bytes of a spectrum file of `type`: comment lines starting with "*"
// that state the header and name the columns (each level column with the
// unit of header.LevelScale: "Links [dBFS]"; a calibrated scale's
// calibration in a "Kalibrierung: " line), then one row per spectral line:
// the frequency in hertz to four decimals, then the left and the right level
// in decibels to two; a response type (LeftResponse, RightResponse) holds
// its channel's level alone, names it in a "Kanal: " line, and leaves out
// the 0 Hz line. Lines end in CR LF. The numbers are written digit by digit,
// never through the C library's locale: the file is the same whatever locale
// the process runs in. REQUIRES: every frequency is 0 or above.
std::string WriteSpectrumFile(const LevelTable& table, SpectrumFileType type);
