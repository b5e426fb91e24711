#include "display/ReadoutFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "analysis/DisplayRange.h"
#include "analysis/levels/PeakFinder.h"

namespace {

constexpr int32_t kFinestDigitExponent = -3;
constexpr int32_t kCoarsestDigitExponent = 3;
constexpr int32_t kHundredthsPerTenth = 10;
constexpr int32_t kHundredthsPerDb = 100;
constexpr wchar_t kDecimalComma = L',';
constexpr wchar_t kMinusSign = L'\u2212';
constexpr int64_t kThousandthsPerDb = 1000;
constexpr const wchar_t* kFloorSign = L"\u2264";
// A peak's level is shown in tenths where it is promised to half a tenth, in
// whole decibels where to half a decibel, else in whole decibels with its
// accuracy: "-12,0 dB", "-12 dB", "-12 ±4 dB".
constexpr double kTenthsHoldDb = 0.05;
constexpr double kWholeDecibelsHoldDb = 0.5;
constexpr const wchar_t* kAccuracySign = L" ±";
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

// Hundredths rounded to whole decibels, half away from zero, with the sign of
// a non-zero result: "-12", "+94", "0".
std::wstring SignedWholeDecibels(int32_t hundredths) {
  const int32_t half = kHundredthsPerDb / 2;
  const int32_t whole =
      (hundredths >= 0 ? hundredths + half : hundredths - half) / kHundredthsPerDb;
  const wchar_t* sign = whole < 0 ? L"-" : (whole > 0 ? L"+" : L"");
  return sign + std::to_wstring(std::abs(whole));
}

std::wstring PeakLevelText(int32_t levelHundredthsDb, double accuracyDb, const std::string& unit) {
  if (!(accuracyDb > kTenthsHoldDb)) return FormatScaledLevel(levelHundredthsDb, false, unit);
  std::wstring text = SignedWholeDecibels(levelHundredthsDb);
  if (accuracyDb > kWholeDecibelsHoldDb)
    text += kAccuracySign + std::to_wstring(static_cast<int32_t>(std::ceil(accuracyDb)));
  return text + L" " + std::wstring(unit.begin(), unit.end());
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
  return FormatScaledLevelNumber(std::max(levelHundredthsDb, floor), levelHundredthsDb <= floor);
}

std::wstring FormatLevelDifference(int32_t differenceHundredthsDb) {
  return SignedTenths(differenceHundredthsDb);
}

std::wstring FormatScaledLevel(int32_t shownHundredthsDb, bool atFloor, const std::string& unit) {
  return FormatScaledLevelNumber(shownHundredthsDb, atFloor) + L" " +
         std::wstring(unit.begin(), unit.end());
}

std::wstring FormatScaledLevelNumber(int32_t levelHundredthsDb, bool atFloor) {
  return (atFloor ? kFloorSign : L"") + SignedTenths(levelHundredthsDb);
}

std::wstring FormatPeak(wchar_t channelLetter, const SpectralPeak& peak, const std::string& unit) {
  std::wstring text(1, channelLetter);
  if (!peak.Found) return text + kNoPeakMark;
  const int32_t exponent = LastDigitExponent(peak.AccuracyLines * peak.LineSpacingHz);
  return text + L" " + FormatFrequency(peak.FrequencyHz, exponent) + L"  " +
         PeakLevelText(peak.LevelHundredthsDb, peak.LevelAccuracyDb, unit);
}

std::wstring AveragingProgressText(int32_t count, int32_t length) {
  if (length <= 0) return L"Mittelung " + std::to_wstring(count);
  if (count < length)
    return L"Mittelung " + std::to_wstring(count) + L"/" + std::to_wstring(length);
  return L"Mittelung exponentiell " + std::to_wstring(length);
}

namespace {

// A number typed by the user in thousandths: digits, then optionally a
// decimal comma (or point) and decimals, nothing beyond `maxWhole`;
// spaces around it and, where `signed`, a leading sign allowed.
std::optional<int64_t> ParseThousandths(std::wstring_view text, int64_t maxWhole, bool sign) {
  const auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (sign && !text.empty() &&
      (text.front() == L'+' || text.front() == L'-' || text.front() == kMinusSign)) {
    negative = text.front() != L'+';
    text.remove_prefix(1);
  }
  const auto isDigit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
  int64_t whole = 0;
  size_t i = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    whole = whole * 10 + (text[i] - L'0');
    if (whole > maxWhole) return std::nullopt;
  }
  if (i == 0) return std::nullopt;
  // Decimals beyond the third cannot move the rounding to hundredths, but
  // they can carry the number beyond the limit.
  int64_t thousandths = whole * kThousandthsPerDb;
  bool beyondThousandths = false;
  if (i < text.size() && (text[i] == kDecimalComma || text[i] == L'.')) {
    ++i;
    if (i == text.size()) return std::nullopt;
    int64_t unit = kThousandthsPerDb;
    for (; i < text.size() && isDigit(text[i]); ++i) {
      unit /= 10;
      thousandths += (text[i] - L'0') * unit;
      if (unit == 0 && text[i] != L'0') beyondThousandths = true;
    }
  }
  const int64_t maxThousandths = maxWhole * kThousandthsPerDb;
  if (i != text.size() || thousandths > maxThousandths ||
      (thousandths == maxThousandths && beyondThousandths))
    return std::nullopt;
  return negative ? -thousandths : thousandths;
}

}  // namespace

std::optional<int32_t> ParseLevel(std::wstring_view text) {
  const std::optional<int64_t> thousandths = ParseThousandths(text, kMaxTypedLevelDb, true);
  if (!thousandths) return std::nullopt;
  const int64_t magnitude = *thousandths < 0 ? -*thousandths : *thousandths;
  const auto hundredths = static_cast<int32_t>((magnitude + 5) / 10);
  return *thousandths < 0 ? -hundredths : hundredths;
}

std::optional<double> ParseFrequency(std::wstring_view text) {
  const std::optional<int64_t> thousandths = ParseThousandths(text, kMaxTypedFrequencyHz, false);
  if (!thousandths) return std::nullopt;
  return static_cast<double>(*thousandths) / kThousandthsPerDb;
}
