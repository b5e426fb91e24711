#include "display/ReadoutFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "analysis/DisplayRange.h"
#include "display/PeakFinder.h"

namespace {

constexpr int32_t kFinestDigitExponent = -3;
constexpr int32_t kCoarsestDigitExponent = 3;
constexpr int32_t kHundredthsPerTenth = 10;
constexpr int32_t kHundredthsPerDb = 100;
constexpr wchar_t kDecimalComma = L',';
constexpr const wchar_t* kFloorSign = L"\u2264";
// An en dash, not the minus sign of the levels: no number is missing.
constexpr const wchar_t* kNoPeakMark = L" \u2013";

// Digits of a non-negative integer count of 10^-decimals units, with the
// decimal comma before the last `decimals` digits.
std::wstring WithDecimalComma(long long units, int32_t decimals) {
  std::wstring digits = std::to_wstring(units);
  if (decimals <= 0) return digits;
  if (static_cast<int32_t>(digits.size()) <= decimals)
    digits.insert(0, static_cast<size_t>(decimals + 1) - digits.size(), L'0');
  digits.insert(digits.size() - static_cast<size_t>(decimals), 1, kDecimalComma);
  return digits;
}

// Hundredths rounded to tenths, half away from zero, with the sign of a
// non-zero result: "-12,7", "+2,5", "0,0".
std::wstring SignedTenths(int32_t hundredths) {
  const int32_t half = kHundredthsPerTenth / 2;
  const int32_t tenths =
      (hundredths >= 0 ? hundredths + half : hundredths - half) / kHundredthsPerTenth;
  const wchar_t* sign = tenths < 0 ? L"-" : (tenths > 0 ? L"+" : L"");
  return sign + WithDecimalComma(std::llabs(tenths), 1);
}

}  // namespace

int32_t LastDigitExponent(double uncertaintyHz) {
  if (!(uncertaintyHz > 0.0)) return kFinestDigitExponent;
  const int32_t exponent = static_cast<int32_t>(std::floor(std::log10(uncertaintyHz)));
  if (exponent < kFinestDigitExponent) return kFinestDigitExponent;
  if (exponent > kCoarsestDigitExponent) return kCoarsestDigitExponent;
  return exponent;
}

std::wstring FormatFrequency(double frequencyHz, int32_t lastDigitExponent) {
  const int32_t decimals = lastDigitExponent < 0 ? -lastDigitExponent : 0;
  const double step = std::pow(10.0, lastDigitExponent);
  const long long steps = std::llround(std::fabs(frequencyHz) / step);
  // Counted in 10^-decimals units: a coarser step than 1 Hz adds zeros.
  long long units = steps;
  for (int32_t e = lastDigitExponent; e > 0; --e) units *= 10;
  const std::wstring sign = (frequencyHz < 0.0 && steps != 0) ? L"-" : L"";
  return sign + WithDecimalComma(units, decimals) + L" Hz";
}

std::wstring FormatLevel(int32_t levelHundredthsDb) {
  return FormatLevelNumber(levelHundredthsDb) + L" dB";
}

std::wstring FormatLevelNumber(int32_t levelHundredthsDb) {
  const int32_t floor = static_cast<int32_t>(Range.LevelMin * kHundredthsPerDb);
  std::wstring prefix;
  if (levelHundredthsDb <= floor) {
    prefix = kFloorSign;
    levelHundredthsDb = floor;
  }
  return prefix + SignedTenths(levelHundredthsDb);
}

std::wstring FormatLevelDifference(int32_t differenceHundredthsDb) {
  return SignedTenths(differenceHundredthsDb);
}

std::wstring FormatPeak(wchar_t channelLetter, const SpectralPeak& peak) {
  std::wstring text(1, channelLetter);
  if (!peak.Found) return text + kNoPeakMark;
  const int32_t exponent = LastDigitExponent(peak.AccuracyLines * peak.LineSpacingHz);
  return text + L" " + FormatFrequency(peak.FrequencyHz, exponent) + L"  " +
         FormatLevel(peak.LevelHundredthsDb);
}
