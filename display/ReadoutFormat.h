#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// German number texts of the readouts: decimal comma, a minus sign for
// negative and a plus sign for positive values, no thousands separator.
// Portable; wide strings, since the floor's sign "≤" is no ANSI character.

// The power of ten of the last digit worth showing for a value known to
// within +-uncertaintyHz: the largest power of ten not above the
// uncertainty, kept between 10^-3 and 10^3. A non-positive uncertainty gives
// the finest digit.
int32_t LastDigitExponent(double uncertaintyHz);

// The frequency rounded to whole multiples of 10^lastDigitExponent, with as
// many decimals as that exponent asks for, and " Hz": "1234 Hz", "21,53 Hz",
// "1230 Hz".
std::wstring FormatFrequency(double frequencyHz, int32_t lastDigitExponent);

// A stored level (hundredths of a decibel) rounded to tenths, half away from
// zero, and " dB": "-12,7 dB", "0,0 dB", "+3,0 dB". The analysis floor and
// anything below it reads "≤-140,0 dB": the true level lies at or below it.
std::wstring FormatLevel(int32_t levelHundredthsDb);
// The same without the unit: "-12,7", "≤-140,0".
std::wstring FormatLevelNumber(int32_t levelHundredthsDb);
// A difference of levels (hundredths of a decibel) in tenths, rounded as
// above, with its sign and no floor: "+3,2", "-0,4", "0,0".
std::wstring FormatLevelDifference(int32_t differenceHundredthsDb);

// A level as a scale shows it (LevelScale), in tenths as above, and the
// scale's unit: "-6,0 dBFS", "+94,0 dB SPL". `atFloor`: it stands for the
// analysis floor, and the true level lies at or below it: "≤-134,0 dBFS".
std::wstring FormatScaledLevel(int32_t shownHundredthsDb, bool atFloor, const std::string& unit);
// The same without the unit.
std::wstring FormatScaledLevelNumber(int32_t shownHundredthsDb, bool atFloor);

struct SpectralPeak;

// One channel's line of the peak values: its letter, the refined frequency
// to the digit that the peak's accuracy supports, and the level in `unit`
// (that of the scale it was found in) to the digit its level accuracy
// supports: "L 1234 Hz  -12,7 dB" in tenths where it holds to 0.05 dB,
// "L 43 Hz  -13 dB" in whole decibels where to 0.5 dB, and with the
// accuracy where less: "L 22030 Hz  -13 ±4 dB". A channel without a peak
// shows its letter and an en dash: "L –".
std::wstring FormatPeak(wchar_t channelLetter, const SpectralPeak& peak,
                        const std::string& unit = "dB");

// How far the average shown has come (PowerAverager's count and length), for
// the view's top left corner: "Mittelung 12/64" while an exponential average
// still counts its first spectra with equal weights, "Mittelung exponentiell
// 64" once each new one weighs 1/64, "Mittelung 37" for the plain mean of
// everything since the restart.
std::wstring AveragingProgressText(int32_t count, int32_t length);

// The level a user typed, in hundredths of a decibel, rounded half away from
// zero: an optional sign ("+", "-" or the minus sign), digits and, after a
// decimal comma (or point), decimals; spaces around it are ignored: "94,0",
// "-6", "114.25". Nothing for anything else, and for levels beyond
// +-kMaxTypedLevelDb. Parsed here, not by the C library, whose reading of
// the decimal separator depends on the locale.
constexpr int32_t kMaxTypedLevelDb = 300;
std::optional<int32_t> ParseLevel(std::wstring_view text);

// A frequency typed by the user, in hertz, as ParseLevel reads a level but
// without a sign and to the thousandth of a hertz: "1000", "1234,5". Nothing
// for anything else and for frequencies above kMaxTypedFrequencyHz.
constexpr int32_t kMaxTypedFrequencyHz = 100000;
std::optional<double> ParseFrequency(std::wstring_view text);
