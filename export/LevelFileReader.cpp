#include "export/LevelFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "export/LevelFileFormat.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
// The program's own comment mark, numpy's, gnuplot's and Octave's, and that
// of ini-style text.
constexpr std::string_view kCommentMarks = "*#;";
// A file of this type holds frequency, magnitude and phase.
constexpr std::string_view kPhaseFileEnding = ".frd";
// Words that name a column as a phase, in lower case; and the degree sign
// (Windows-1252, and the second byte of its UTF-8 form).
constexpr std::string_view kPhaseWords[] = {"phase", "deg"};
constexpr char kDegreeSign = '\xB0';
// Digits kept of a number: more than a double holds exactly are dropped.
constexpr int32_t kMaxSignificantDigits = 17;
constexpr int32_t kMaxExponentDigits = 3;
constexpr int32_t kLevelUnitDecimals = 2;  // hundredths of a decibel
constexpr int32_t kHundredthsPerDb = 100;
constexpr int32_t kMaxColumns = 3;
// The most of a faulty field a refusal quotes.
constexpr size_t kMaxQuotedBytes = 24;
constexpr size_t kMaxUtf8SequenceBytes = 4;

// A decimal number as written: sign, its digits as an integer and the power
// of ten they are divided by (negative after a large exponent).
struct DecimalNumber {
  bool Negative = false;
  uint64_t Digits = 0;
  int32_t Decimals = 0;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

bool ContainsNoCase(std::string_view text, std::string_view lowerWord) {
  return std::search(text.begin(), text.end(), lowerWord.begin(), lowerWord.end(),
                     [](char a, char b) {
                       return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
                     }) != text.end();
}

bool EndsWithNoCase(std::string_view text, std::string_view lowerEnding) {
  return text.size() >= lowerEnding.size() &&
         ContainsNoCase(text.substr(text.size() - lowerEnding.size()), lowerEnding);
}

// [+-]digits[<separator>digits][(e|E)[+-]digits], at least one digit before
// the exponent; false for anything else.
bool ParseDecimal(std::string_view text, char separator, DecimalNumber& number) {
  number = {};
  size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) number.Negative = text[at++] == '-';
  int32_t significant = 0;
  int32_t digitCount = 0;
  bool afterSeparator = false;
  for (; at < text.size() && text[at] != 'e' && text[at] != 'E'; ++at) {
    const char c = text[at];
    if (c == separator && !afterSeparator) {
      afterSeparator = true;
      continue;
    }
    if (!IsDigit(c)) return false;
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
  if (digitCount == 0) return false;
  if (at == text.size()) return true;
  ++at;  // the exponent's mark
  bool negativeExponent = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-'))
    negativeExponent = text[at++] == '-';
  int32_t exponent = 0;
  int32_t exponentDigits = 0;
  for (; at < text.size(); ++at) {
    if (!IsDigit(text[at]) || ++exponentDigits > kMaxExponentDigits) return false;
    exponent = exponent * 10 + (text[at] - '0');
  }
  if (exponentDigits == 0) return false;
  number.Decimals += negativeExponent ? exponent : -exponent;
  return true;
}

// Infinite beyond the double's range.
double ToDouble(const DecimalNumber& number) {
  if (number.Digits == 0) return 0.0;
  // The integer of at most 17 digits and the power of ten are both close to
  // exact doubles; one division (or product) rounds the result once more.
  double scale = 1.0;
  for (int32_t i = 0; i < std::abs(number.Decimals) && std::isfinite(scale); ++i) scale *= 10.0;
  const double digits = static_cast<double>(number.Digits);
  const double value = number.Decimals >= 0 ? digits / scale : digits * scale;
  return number.Negative ? -value : value;
}

// The number in hundredths, rounded half away from zero; false beyond the
// 32-bit range.
bool ToHundredths(const DecimalNumber& number, int64_t& hundredths) {
  uint64_t units = number.Digits;
  int32_t decimals = number.Decimals;
  for (; decimals < kLevelUnitDecimals && units != 0; ++decimals) {
    if (units > UINT64_MAX / 10) return false;
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

// The field's start in quotes, short and readable whatever the file holds:
// control characters become "?", a longer field ends in "...", not cut
// within a UTF-8 character.
std::string Quoted(std::string_view field) {
  size_t length = field.size();
  if (length > kMaxQuotedBytes) {
    length = kMaxQuotedBytes;
    for (size_t back = 1; back < kMaxUtf8SequenceBytes && (field[length] & 0xC0) == 0x80; ++back)
      --length;
  }
  std::string text = "\"";
  for (const char c : field.substr(0, length))
    text += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  if (length < field.size()) text += "...";
  return text + "\"";
}

std::string LevelText(int32_t hundredths) {
  return (hundredths > 0 ? "+" : "") + std::to_string(hundredths / kHundredthsPerDb);
}

// The separators of a row: a semicolon means decimal commas; otherwise tabs,
// commas or runs of spaces separate numbers with decimal points.
NumberForm RowFormOf(std::string_view line) {
  if (line.find(';') != std::string_view::npos) return {';', ','};
  if (line.find('\t') != std::string_view::npos) return {'\t', '.'};
  if (line.find(',') != std::string_view::npos) return {',', '.'};
  return {' ', '.'};
}

// Splits `line` (trimmed) at each `separator`, a run of spaces counting as
// one where it is a space; keeps the first kMaxColumns + 1 fields, trimmed,
// and returns how many there are.
int32_t SplitFields(std::string_view line, char separator, std::string_view* fields) {
  int32_t count = 0;
  for (size_t start = 0;;) {
    const size_t end = line.find(separator, start);
    if (count <= kMaxColumns) fields[count] = Trimmed(line.substr(start, end - start));
    ++count;
    if (end == std::string_view::npos) return count;
    start = end + 1;
    if (separator == ' ')
      while (start < line.size() && line[start] == ' ') ++start;
  }
}

bool IsUtf16(std::string_view bytes) {
  if (bytes.substr(0, 2) == kUtf16LittleEndianMark || bytes.substr(0, 2) == kUtf16BigEndianMark)
    return true;
  // Without a mark: ASCII text in UTF-16 has a NUL byte beside each character.
  return bytes.size() >= 2 && (bytes[0] == '\0') != (bytes[1] == '\0');
}

class Reader {
 public:
  explicit Reader(std::string_view fileName)
      : PhaseByFileType(EndsWithNoCase(fileName, kPhaseFileEnding)) {}

  SpectrumFileReading Read(std::string_view bytes) {
    if (IsUtf16(bytes)) {
      Refuse(0, "UTF-16-Text statt ANSI- oder UTF-8-Text");
      return Result;
    }
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
      bytes.remove_prefix(kByteOrderMark.size());
    int32_t lineNumber = 0;
    while (!bytes.empty()) {
      const size_t end = bytes.find_first_of("\r\n");
      const std::string_view line = bytes.substr(0, end);
      size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
      if (next < bytes.size() && bytes[end] == '\r' && bytes[next] == '\n') ++next;
      bytes.remove_prefix(next);
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
    const bool firstRow = Result.Table.RowCount() == 0;
    if (kCommentMarks.find(line.front()) != std::string_view::npos) {
      const std::string_view text = Trimmed(line.substr(1));
      if (line.front() == kCommentMark) ReadComment(text);
      if (firstRow) ColumnNames = text;
      return true;
    }
    if (firstRow) Form = RowFormOf(line);
    if (Result.Table.RowCount() == kMaxSpectrumFileRows)
      return Refuse(lineNumber,
                    "mehr als " + std::to_string(kMaxSpectrumFileRows) + " Spektrumzeilen");

    std::string_view fields[kMaxColumns + 1];
    const int32_t count = SplitFields(line, Form.ColumnSeparator, fields);
    DecimalNumber numbers[kMaxColumns];
    if (firstRow && !SeenNamesLine &&
        std::none_of(fields, fields + std::min(count, kMaxColumns + 1), [&](std::string_view f) {
          DecimalNumber number;
          return ParseDecimal(f, Form.DecimalSeparator, number);
        })) {
      SeenNamesLine = true;
      ColumnNames = line;
      return true;
    }
    if (firstRow && !StartColumns(count))
      return Refuse(lineNumber,
                    ColumnCountText(count) + " statt 2 oder 3 (Frequenz, ein oder zwei Pegel)");
    if (count != Columns)
      return Refuse(lineNumber, ColumnCountText(count) + " statt " + std::to_string(Columns) +
                                    " (" + ColumnsMeaning() + ")");
    for (int32_t i = 0; i < count; ++i)
      if (!ParseDecimal(fields[i], Form.DecimalSeparator, numbers[i]))
        return Refuse(lineNumber, Quoted(fields[i]) + " ist keine Zahl");

    const double frequencyHz = ToDouble(numbers[0]);
    if (frequencyHz < 0.0) return Refuse(lineNumber, "Frequenz " + Quoted(fields[0]) + " negativ");
    if (!std::isfinite(frequencyHz))
      return Refuse(lineNumber, "Frequenz " + Quoted(fields[0]) + " zu gro\xDF");
    std::vector<double>& frequencies = Result.Table.FrequenciesHz;
    if (!frequencies.empty() && !(frequencyHz > frequencies.back()))
      return Refuse(lineNumber, "Frequenz " + Quoted(fields[0]) +
                                    " nicht gr\xF6\xDF"
                                    "er als in der Zeile davor");
    const int32_t levelColumns = Columns == kMaxColumns && !ThirdIsPhase ? 2 : 1;
    LevelPair levels;
    for (int32_t column = 1; column <= levelColumns; ++column) {
      int64_t hundredths = 0;
      if (!ToHundredths(numbers[column], hundredths) || hundredths < kMinFileLevelHundredthsDb ||
          hundredths > kMaxFileLevelHundredthsDb)
        return Refuse(lineNumber, "Pegel " + Quoted(fields[column]) +
                                      " au\xDF"
                                      "erhalb von " +
                                      LevelText(kMinFileLevelHundredthsDb) + " bis " +
                                      LevelText(kMaxFileLevelHundredthsDb) + " dB");
      levels[column - 1] = static_cast<int32_t>(hundredths);
    }
    if (levelColumns == 1) levels[1] = levels[0];
    frequencies.push_back(frequencyHz);
    Result.Table.Levels.push_back(levels);
    return true;
  }

  static std::string ColumnCountText(int32_t count) {
    return std::to_string(count) + (count == 1 ? " Spalte" : " Spalten");
  }

  std::string ColumnsMeaning() const {
    if (Columns == 2) return "Frequenz, Pegel";
    return ThirdIsPhase ? "Frequenz, Pegel, Phase" : "Frequenz, links, rechts";
  }

  // The first row's column count sets the file's, and with the column names
  // what the third column holds and, where no "Pegel" line said it, the unit.
  bool StartColumns(int32_t count) {
    if (count < 2 || count > kMaxColumns) return false;
    Columns = count;
    const bool namesPhase =
        std::any_of(std::begin(kPhaseWords), std::end(kPhaseWords),
                    [&](std::string_view word) { return ContainsNoCase(ColumnNames, word); }) ||
        ColumnNames.find(kDegreeSign) != std::string_view::npos;
    const bool programsOwnNames =
        ColumnNames.find(kChannelColumnNames[1]) != std::string_view::npos;
    ThirdIsPhase = count == kMaxColumns && (namesPhase || (PhaseByFileType && !programsOwnNames));
    std::string& unit = Result.Table.Header.LevelScale;
    if (unit.empty()) unit = UnitOfFirstLevelColumn();
    return true;
  }

  // "dB" of "Frequency (Hz)\tLevel (dB)" or "Freq[Hz] SPL[dB] Phase[deg]":
  // the text in brackets in the second name, where there is one name per column.
  std::string UnitOfFirstLevelColumn() const {
    std::string_view names[kMaxColumns + 1];
    if (SplitFields(ColumnNames, Form.ColumnSeparator, names) != Columns) return "";
    const std::string_view name = names[1];
    const size_t open = name.find_first_of("[(");
    if (open == std::string_view::npos) return "";
    const size_t close = name.find(name[open] == '[' ? ']' : ')', open);
    if (close == std::string_view::npos) return "";
    return std::string(Trimmed(name.substr(open + 1, close - open - 1)));
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
    } entries[] = {{kRecordedAtLabel, &header.RecordedAt},
                   {kInputLabel, &header.Input},
                   {kWindowLabel, &header.Window},
                   {kAveragingLabel, &header.Averaging},
                   {kLevelScaleLabel, &header.LevelScale},
                   {kShownRangeLabel, &header.ShownRange},
                   {kFftSizeLabel, nullptr},
                   {kDistortionLabels[0], &header.Distortion[0]},
                   {kDistortionLabels[1], &header.Distortion[1]}};
    for (const auto& entry : entries) {
      if (text.substr(0, entry.Label.size()) != entry.Label) continue;
      const std::string_view value = text.substr(entry.Label.size());
      if (entry.Value) {
        *entry.Value = std::string(value);
        continue;
      }
      DecimalNumber size;
      if (ParseDecimal(value, '\0', size) && !size.Negative && size.Decimals == 0 &&
          size.Digits <= INT32_MAX)
        header.FftSize = static_cast<int32_t>(size.Digits);
    }
    ReadCalibration(text);
  }

  // "Kalibrierung: +100,02 dB"; a line of another form states none.
  void ReadCalibration(std::string_view text) {
    const std::string_view label = kCalibrationLabel;
    const std::string_view unit = kCalibrationUnit;
    if (text.size() < label.size() + unit.size() || text.substr(0, label.size()) != label ||
        text.substr(text.size() - unit.size()) != unit)
      return;
    const std::string_view value =
        text.substr(label.size(), text.size() - label.size() - unit.size());
    DecimalNumber number;
    int64_t hundredths = 0;
    if (ParseDecimal(value, kCalibrationDecimalSeparator, number) &&
        ToHundredths(number, hundredths))
      Result.Table.Header.CalibrationHundredthsDb = static_cast<int32_t>(hundredths);
  }

  // A refused file gives no table.
  bool Refuse(int32_t lineNumber, std::string fault) {
    Result = {};
    Result.FaultLine = lineNumber;
    Result.Fault = std::move(fault);
    return false;
  }

  const bool PhaseByFileType;
  SpectrumFileReading Result;
  NumberForm Form = FormOf(SpectrumFileType::TabText);
  // The last comment or names line before the first row: the columns' names.
  std::string_view ColumnNames;
  bool SeenNamesLine = false;
  int32_t Columns = 0;
  bool ThirdIsPhase = false;
  bool SeenComment = false;
};

}  // namespace

SpectrumFileReading ReadSpectrumFile(std::string_view bytes, std::string_view fileName) {
  return Reader(fileName).Read(bytes);
}
