#include "export/LevelFileReader.h"

#include <cstdint>
#include <string>
#include <utility>

#include "export/LevelFileFormat.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Digits kept of a number: more than a double holds exactly are dropped.
constexpr int32_t kMaxSignificantDigits = 17;
constexpr int32_t kLevelUnitDecimals = 2;  // hundredths of a decibel

// A decimal number as written: sign, its digits as an integer and how many
// of them follow the decimal separator.
struct DecimalNumber {
  bool Negative = false;
  uint64_t Digits = 0;
  int32_t Decimals = 0;
};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// [+-]digits[<separator>digits], at least one digit; false for anything else.
bool ParseDecimal(std::string_view text, char separator, DecimalNumber& number) {
  number = {};
  size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) number.Negative = text[at++] == '-';
  int32_t significant = 0;
  int32_t digitCount = 0;
  bool afterSeparator = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == separator && !afterSeparator) {
      afterSeparator = true;
      continue;
    }
    if (c < '0' || c > '9') return false;
    ++digitCount;
    if (significant == kMaxSignificantDigits) {
      // Only digits after the separator may be dropped; the integer part must fit.
      if (!afterSeparator) return false;
      continue;
    }
    if (number.Digits != 0 || c != '0') ++significant;
    number.Digits = number.Digits * 10 + static_cast<uint64_t>(c - '0');
    if (afterSeparator) ++number.Decimals;
  }
  return digitCount > 0;
}

double ToDouble(const DecimalNumber& number) {
  // The integer of at most 17 digits and the power of ten are both close to
  // exact doubles; one division rounds the quotient once.
  double scale = 1.0;
  for (int32_t i = 0; i < number.Decimals; ++i) scale *= 10.0;
  const double value = static_cast<double>(number.Digits) / scale;
  return number.Negative ? -value : value;
}

// The number in hundredths, rounded half away from zero; false beyond the
// 32-bit range.
bool ToHundredths(const DecimalNumber& number, int64_t& hundredths) {
  uint64_t units = number.Digits;
  int32_t decimals = number.Decimals;
  for (; decimals < kLevelUnitDecimals; ++decimals) {
    if (units > UINT64_MAX / 100) return false;
    units *= 10;
  }
  bool roundUp = false;
  for (; decimals > kLevelUnitDecimals; --decimals) {
    roundUp = units % 10 >= 5;
    units /= 10;
  }
  units += roundUp ? 1 : 0;
  if (units > static_cast<uint64_t>(INT32_MAX)) return false;
  hundredths = number.Negative ? -static_cast<int64_t>(units) : static_cast<int64_t>(units);
  return true;
}

std::string Quoted(std::string_view field) {
  return "\"" + std::string(field) + "\"";
}

class Reader {
 public:
  SpectrumFileReading Read(std::string_view bytes) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
      bytes.remove_prefix(kByteOrderMark.size());
    int32_t lineNumber = 0;
    while (!bytes.empty()) {
      const size_t end = bytes.find('\n');
      const std::string_view line = bytes.substr(0, end);
      bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
      ++lineNumber;
      if (!ReadLine(Trimmed(line), lineNumber)) return Result;
    }
    if (Result.Table.RowCount() == 0) {
      Refuse(0, "keine Spektrumzeile in der Datei");
      return Result;
    }
    Result.Read = true;
    return std::move(Result);
  }

 private:
  bool ReadLine(std::string_view line, int32_t lineNumber) {
    if (line.empty()) return true;
    if (line.front() == kCommentMark) {
      ReadComment(Trimmed(line.substr(1)));
      return true;
    }
    if (Result.Table.RowCount() == 0)
      Form = FormOf(line.find('\t') != std::string_view::npos ? SpectrumFileType::TabText
                                                              : SpectrumFileType::SpreadsheetCsv);
    if (Result.Table.RowCount() == kMaxSpectrumFileRows)
      return Refuse(lineNumber,
                    "mehr als " + std::to_string(kMaxSpectrumFileRows) + " Spektrumzeilen");

    std::string_view fields[kColumnCount];
    int32_t count = 0;
    for (size_t start = 0;; ++count) {
      const size_t end = line.find(Form.ColumnSeparator, start);
      if (count < kColumnCount) fields[count] = Trimmed(line.substr(start, end - start));
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
    ++count;
    if (count != kColumnCount)
      return Refuse(lineNumber, std::to_string(count) + (count == 1 ? " Spalte" : " Spalten") +
                                    " statt 3 (Frequenz, links, rechts)");

    DecimalNumber numbers[kColumnCount];
    for (int32_t i = 0; i < kColumnCount; ++i)
      if (!ParseDecimal(fields[i], Form.DecimalSeparator, numbers[i]))
        return Refuse(lineNumber, Quoted(fields[i]) + " ist keine Zahl");

    const double frequencyHz = ToDouble(numbers[0]);
    if (frequencyHz < 0.0) return Refuse(lineNumber, "Frequenz " + Quoted(fields[0]) + " negativ");
    std::vector<double>& frequencies = Result.Table.FrequenciesHz;
    if (!frequencies.empty() && !(frequencyHz > frequencies.back()))
      return Refuse(lineNumber, "Frequenz " + Quoted(fields[0]) +
                                    " nicht gr\xF6\xDF"
                                    "er als in der Zeile davor");
    LevelPair levels;
    for (int32_t channel = 0; channel < 2; ++channel) {
      int64_t hundredths = 0;
      if (!ToHundredths(numbers[channel + 1], hundredths) ||
          hundredths < kMinFileLevelHundredthsDb || hundredths > kMaxFileLevelHundredthsDb)
        return Refuse(lineNumber, "Pegel " + Quoted(fields[channel + 1]) +
                                      " au\xDF"
                                      "erhalb von -400 bis +200 dB");
      levels[channel] = static_cast<int32_t>(hundredths);
    }
    frequencies.push_back(frequencyHz);
    Result.Table.Levels.push_back(levels);
    return true;
  }

  // The program's line is the first comment; "<label><value>" lines fill the
  // header's entries.
  void ReadComment(std::string_view text) {
    SpectrumFileHeader& header = Result.Table.Header;
    if (!SeenComment) header.Program = std::string(text);
    SeenComment = true;
    const struct {
      std::string_view Label;
      std::string* Value;
    } entries[] = {{kRecordedAtLabel, &header.RecordedAt}, {kInputLabel, &header.Input},
                   {kWindowLabel, &header.Window},         {kAveragingLabel, &header.Averaging},
                   {kLevelScaleLabel, &header.LevelScale}, {kFftSizeLabel, nullptr}};
    for (const auto& entry : entries) {
      if (text.substr(0, entry.Label.size()) != entry.Label) continue;
      const std::string_view value = text.substr(entry.Label.size());
      if (entry.Value) {
        *entry.Value = std::string(value);
        continue;
      }
      DecimalNumber size;
      if (ParseDecimal(value, '\0', size) && !size.Negative && size.Digits <= INT32_MAX)
        header.FftSize = static_cast<int32_t>(size.Digits);
    }
  }

  // A refused file gives no table.
  bool Refuse(int32_t lineNumber, std::string fault) {
    Result = {};
    Result.FaultLine = lineNumber;
    Result.Fault = std::move(fault);
    return false;
  }

  SpectrumFileReading Result;
  NumberForm Form = FormOf(SpectrumFileType::TabText);
  bool SeenComment = false;
};

}  // namespace

SpectrumFileReading ReadSpectrumFile(std::string_view bytes) {
  return Reader().Read(bytes);
}
