#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A difference of levels (hundredths of a decibel) in tenths, rounded half
// away from zero, with its sign and no floor: "+3,2", "-0,4", "0,0".
std::wstring FormatLevelDifference(int32_t differenceHundredthsDb);

// A level as a scale shows it (LevelScale), in tenths rounded as above, and
// the scale's unit: "-6,0 dBFS", "+94,0 dB SPL", "0,0 dB". `atFloor`: it
// stands for the analysis floor, and the true level lies at or below it:
// "≤-134,0 dBFS".
std::wstring FormatScaledLevel(int32_t shownHundredthsDb, bool atFloor, const std::string& unit);
// The same without the unit.
std::wstring FormatScaledLevelNumber(int32_t shownHundredthsDb, bool atFloor);

struct SpectralPeak;
struct ChannelDistortion;

// One channel's line of the peak values: its letter, the refined frequency
// to the digit that the peak's accuracy supports, and the level in `unit`
// (that of the scale it was found in) to the digit its level accuracy
// supports: "L 1234 Hz  -12,7 dB" in tenths where it holds to 0.05 dB,
// "L 43 Hz  -13 dB" in whole decibels where to 0.5 dB, and with the
// accuracy where less: "L 22030 Hz  -13 ±4 dB". A channel without a peak
// shows its letter and an en dash: "L –". After the level, the note the
// tone plays (FormatNote), where its frequency tells the note.
std::wstring FormatPeak(wchar_t channelLetter, const SpectralPeak& peak,
                        const std::string& unit = "dB");

// The note nearest to the frequency in equal temperament with a' = 440 Hz,
// in Helmholtz notation as German musicians write it (c d e f g a h, b for
// B flat, cis for C sharp; C and c the great and small octave's, c' to
// c'''' above, then c⁵, c⁶; C₁, C₂ below), and its deviation in cents to
// the digits a frequency known to +-uncertaintyHz supports: "a' +0 ct"
// (whole cents), "a' +0,3 ct" (tenths), "a' +4 ±9 ct" (with the
// uncertainty, rounded up, where that exceeds half a cent). Empty where the
// uncertainty reaches half a semitone (50 cents), or for no positive frequency.
std::wstring FormatNote(double frequencyHz, double uncertaintyHz);

// A channel's distortion line: its peak tone as FormatPeak gives it without
// the note, then "THD -96,3 dB (0,0015 %)  THD+N -91,2 dB  SNR 92,0 dB".
// The percentage has two significant digits. THD with harmonics too close to
// the floor to rule out reads as a bound ("THD <-96,3 dB (<0,0015 %)"), and
// where no harmonic lies below the top "THD –"; a weighted noise names its
// weighting ("THD+N(A)", "SNR(A)"); lines at the analysis floor make the
// noise figures bounds ("THD+N ≤-91,2 dB  SNR ≥92,0 dB"). Where the window's
// leakage lies above what is measured, the figure gives way to "THD vom
// Fenster verdeckt" or "THD+N und SNR vom Fenster verdeckt".
std::wstring FormatDistortion(wchar_t channelLetter, const SpectralPeak& peak,
                              const ChannelDistortion& distortion, const std::string& unit);

// The harmonics below the top, relative to the fundamental in whole decibels,
// in lines of at most kHarmonicsPerLine: "H2 -96 dB  H3 -101 dB", a harmonic
// not clearly above the floor as a bound ("H4 <-118 dB"), one the window's
// leakage covers as "H5 verdeckt". None without harmonics.
constexpr int32_t kHarmonicsPerLine = 5;
std::vector<std::wstring> FormatHarmonics(const ChannelDistortion& distortion);

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
