#include "display/ReadoutFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwctype>

#include "analysis/levels/DistortionAnalyser.h"
#include "analysis/levels/LevelChoice.h"
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
// Notes: a' and its frequency, the names from c up, cents per semitone.
constexpr double kConcertPitchHz = 440.0;
constexpr int32_t kSemitonesFromCToA = 9;
constexpr int32_t kSemitonesPerOctave = 12;
constexpr double kCentsPerSemitone = 100.0;
constexpr double kCentsPerOctave = 1200.0;
constexpr double kNoteUncertainCents = 50.0;
constexpr double kWholeCentsHold = 0.5;
constexpr double kTenthCentsHold = 0.05;
constexpr int32_t kMostPrimes = 4;
constexpr const wchar_t* kNoteNames[kSemitonesPerOctave] = {
    L"c", L"cis", L"d", L"dis", L"e", L"f", L"fis", L"g", L"gis", L"a", L"b", L"h"};
constexpr const wchar_t* kSuperscriptDigits =
    L"\u2070\u00B9\u00B2\u00B3\u2074\u2075\u2076\u2077\u2078\u2079";
constexpr const wchar_t* kSubscriptDigits =
    L"\u2080\u2081\u2082\u2083\u2084\u2085\u2086\u2087\u2088\u2089";
constexpr double kPercent = 100.0;
constexpr const wchar_t* kMaskedText = L"vom Fenster verdeckt";
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

// The digits of a small count in superscript or subscript.
std::wstring ScriptDigits(int32_t count, const wchar_t* digits) {
  std::wstring text;
  for (const wchar_t c : std::to_wstring(count)) text += digits[c - L'0'];
  return text;
}

// Two significant digits with the decimal comma: "0,0015", "1,5", "12".
std::wstring TwoSignificantDigits(double value) {
  if (!(value > 0.0)) return L"0";
  const int32_t exponent = static_cast<int32_t>(std::floor(std::log10(value)));
  const int32_t decimals = std::max(0, 1 - exponent);
  const long long units = std::llround(value * std::pow(10.0, decimals));
  return WithDecimalComma(units, decimals);
}

// A value in tenths, rounded once, with the sign of a non-zero result.
std::wstring Tenths(double value) {
  return SignedTenths(static_cast<int32_t>(std::lround(value * 10.0)) * kHundredthsPerTenth);
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

namespace {

std::wstring PeakToneText(wchar_t channelLetter, const SpectralPeak& peak,
                          const std::string& unit) {
  std::wstring text(1, channelLetter);
  if (!peak.Found) return text + kNoPeakMark;
  const int32_t exponent = LastDigitExponent(peak.AccuracyLines * peak.LineSpacingHz);
  return text + L" " + FormatFrequency(peak.FrequencyHz, exponent) + L"  " +
         PeakLevelText(peak.LevelHundredthsDb, peak.LevelAccuracyDb, unit);
}

}  // namespace

std::wstring FormatPeak(wchar_t channelLetter, const SpectralPeak& peak, const std::string& unit) {
  std::wstring text = PeakToneText(channelLetter, peak, unit);
  if (!peak.Found) return text;
  const std::wstring note = FormatNote(peak.FrequencyHz, peak.AccuracyLines * peak.LineSpacingHz);
  return note.empty() ? text : text + L"  " + note;
}

std::wstring FormatNote(double frequencyHz, double uncertaintyHz) {
  if (!(frequencyHz > 0.0) || !(uncertaintyHz >= 0.0) || !(uncertaintyHz < frequencyHz)) return L"";
  // The wider side: a frequency lower by the uncertainty is more cents away.
  const double uncertaintyCents =
      kCentsPerOctave * std::log2(frequencyHz / (frequencyHz - uncertaintyHz));
  if (!(uncertaintyCents < kNoteUncertainCents)) return L"";
  const double semitones = kSemitonesPerOctave * std::log2(frequencyHz / kConcertPitchHz);
  const auto nearest = static_cast<int32_t>(std::lround(semitones));
  const double cents = (semitones - nearest) * kCentsPerSemitone;
  const int32_t fromC = nearest + kSemitonesFromCToA;
  const int32_t octaveOfC = (fromC >= 0 ? fromC : fromC - (kSemitonesPerOctave - 1)) /
                            kSemitonesPerOctave;  // floor: 0 for c' to h'
  const int32_t inOctave = fromC - octaveOfC * kSemitonesPerOctave;
  // Octave 0 is that of c' (the once-marked), -1 the small, -2 the great.
  std::wstring name = kNoteNames[inOctave];
  if (octaveOfC <= -2) name[0] = static_cast<wchar_t>(std::towupper(name[0]));
  if (octaveOfC < -2) name += ScriptDigits(-2 - octaveOfC, kSubscriptDigits);
  if (octaveOfC >= 0) {
    const int32_t marks = octaveOfC + 1;
    name += marks <= kMostPrimes ? std::wstring(static_cast<size_t>(marks), L'\'')
                                 : ScriptDigits(marks, kSuperscriptDigits);
  }
  std::wstring deviation;
  if (uncertaintyCents <= kTenthCentsHold) {
    deviation = Tenths(cents);
  } else {
    const auto whole = static_cast<int32_t>(std::lround(cents));
    deviation = (whole < 0 ? L"-" : L"+") + std::to_wstring(std::abs(whole));
    if (uncertaintyCents > kWholeCentsHold)
      deviation +=
          kAccuracySign + std::to_wstring(static_cast<int32_t>(std::ceil(uncertaintyCents)));
  }
  if (deviation[0] != L'-' && deviation[0] != L'+') deviation.insert(0, 1, L'+');
  return name + L" " + deviation + L" ct";
}

std::wstring FormatDistortion(wchar_t channelLetter, const SpectralPeak& peak,
                              const ChannelDistortion& distortion, const std::string& unit) {
  std::wstring text = PeakToneText(channelLetter, peak, unit);
  if (!peak.Found || !distortion.Measured) return text;
  text += L"  ";
  if (distortion.HarmonicCount == 0) {
    text += L"THD" + std::wstring(kNoPeakMark);
  } else if (distortion.ThdMasked) {
    text += L"THD " + std::wstring(kMaskedText);
  } else {
    const wchar_t* below = distortion.ThdBelow ? L"<" : L"";
    text += L"THD " + (below + Tenths(distortion.ThdDb)) + L" dB (" + below +
            TwoSignificantDigits(distortion.ThdPercent) + L" %)";
  }
  text += L"  ";
  if (distortion.NoiseMasked) return text + L"THD+N und SNR " + kMaskedText;
  const std::wstring weighted = distortion.NoiseWeighting == kWeightingA   ? L"(A)"
                                : distortion.NoiseWeighting == kWeightingC ? L"(C)"
                                                                           : L"";
  const wchar_t* atMost = distortion.NoiseBounded ? kFloorSign : L"";
  const wchar_t* atLeast = distortion.NoiseBounded ? L"\u2265" : L"";
  const auto snrTenths = static_cast<int32_t>(std::lround(distortion.SnrDb * 10.0));
  const std::wstring snr = WithDecimalComma(std::llabs(snrTenths), 1);
  return text + L"THD+N" + weighted + L" " + atMost + Tenths(distortion.ThdPlusNoiseDb) +
         L" dB  SNR" + weighted + L" " + atLeast + (snrTenths < 0 ? L"-" : L"") + snr + L" dB";
}

std::vector<std::wstring> FormatHarmonics(const ChannelDistortion& distortion) {
  std::vector<std::wstring> lines;
  if (!distortion.Measured) return lines;
  for (int32_t i = 0; i < distortion.HarmonicCount; ++i) {
    const HarmonicReading& harmonic = distortion.Harmonics[static_cast<size_t>(i)];
    if (i % kHarmonicsPerLine == 0) lines.emplace_back(L" ");
    std::wstring& line = lines.back();
    line += L" H" + std::to_wstring(harmonic.Order) + L" ";
    switch (harmonic.State) {
      case HarmonicReading::Reading::Masked:
        line += L"verdeckt";
        break;
      case HarmonicReading::Reading::Below:
        line += L"<" + SignedWholeDecibels(harmonic.LevelHundredthsDb) + L" dB";
        break;
      case HarmonicReading::Reading::Measured:
        line += SignedWholeDecibels(harmonic.LevelHundredthsDb) + L" dB";
        break;
    }
    line += L" ";
  }
  for (std::wstring& line : lines) line.pop_back();
  return lines;
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
