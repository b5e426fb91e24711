#pragma once

#include <cstdint>
#include <string>

// The texts a spectrum file's header states, in the words of the program's
// menu (Windows-1252). Portable; no locale involved.

// The weighting window's menu name: "Aus", "Dreieck", "Hanning", ...; its
// number for a window the menu does not know.
std::string WindowName(int32_t weighting);

// How the levels were averaged, `count` spectra of `length`
// (PowerAverager's lengths): "Aus", "16 Messungen (exponentiell), 12 gemittelt",
// "Fortlaufend, 37 gemittelt".
std::string AveragingText(int32_t count, int32_t length);

// A readout's text in Windows-1252, for a header line: Latin-1 characters
// as they are, the en dash as 0x96, the signs no code page has in words of
// ASCII ("\u2264" as "<=", "\u2265" as ">="), raised and lowered digits as
// digits, anything else as '?'.
std::string Windows1252Text(const std::wstring& text);

// "2026-12-10 14:03:22".
std::string DateTimeText(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                         int32_t second);
