#pragma once

#include <cstdint>
#include <string>

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

struct SpectralPeak;

// One channel's line of the peak values: its letter, the refined frequency
// to the digit that the peak's accuracy supports, and the level:
// "L 1234 Hz  -12,7 dB". A channel without a peak shows its letter and an en
// dash: "L –".
std::wstring FormatPeak(wchar_t channelLetter, const SpectralPeak& peak);
