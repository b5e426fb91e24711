#include "export/LevelFileWriter.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "export/LevelFileFormat.h"

namespace {

// Room for one row: three numbers of at most 20 characters and the separators.
constexpr size_t kRowCapacity = 72;
constexpr int64_t kFrequencyUnitsPerHz = 10000;  // 10^kFrequencyDecimals

// Appends `units` counted in 10^-decimals, with the decimal separator
// before the last `decimals` digits and a minus sign when negative.
void AppendFixed(std::string& text, int64_t units, int32_t decimals, char separator) {
  char digits[24];
  const uint64_t magnitude = units < 0 ? 0 - static_cast<uint64_t>(units) : units;
  char* end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
  int32_t length = static_cast<int32_t>(end - digits);
  if (units < 0) text += '-';
  if (length <= decimals) {
    text += '0';
    text += separator;
    text.append(static_cast<size_t>(decimals - length), '0');
    text.append(digits, end);
    return;
  }
  text.append(digits, digits + (length - decimals));
  text += separator;
  text.append(end - decimals, end);
}

void AppendComment(std::string& text, const char* label, const std::string& value) {
  text += kCommentMark;
  text += ' ';
  text += label;
  text += value;
  text += kLineEnd;
}

}  // namespace

std::string WriteSpectrumFile(const LevelTable& table, SpectrumFileType type) {
  const NumberForm form = FormOf(type);
  const int32_t onlyChannel = ChannelOf(type);
  const SpectrumFileHeader& header = table.Header;
  std::string text;
  text.reserve(static_cast<size_t>(table.RowCount()) * kRowCapacity / 2 + 1024);
  AppendComment(text, "", header.Program);
  if (onlyChannel >= 0) AppendComment(text, kChannelLabel, kChannelColumnNames[onlyChannel]);
  AppendComment(text, kRecordedAtLabel, header.RecordedAt);
  AppendComment(text, kInputLabel, header.Input);
  AppendComment(text, kFftSizeLabel, std::to_string(header.FftSize));
  AppendComment(text, kWindowLabel, header.Window);
  AppendComment(text, kAveragingLabel, header.Averaging);
  AppendComment(text, kLevelScaleLabel, header.LevelScale);
  if (const std::optional<int32_t> calibration = header.CalibrationHundredthsDb) {
    std::string value = *calibration > 0 ? "+" : "";
    AppendFixed(value, *calibration, kLevelDecimals, kCalibrationDecimalSeparator);
    AppendComment(text, kCalibrationLabel, value + kCalibrationUnit);
  }
  if (!header.ShownRange.empty()) AppendComment(text, kShownRangeLabel, header.ShownRange);
  for (int32_t channel = 0; channel < 2; ++channel)
    if (!header.Distortion[channel].empty() && (onlyChannel < 0 || onlyChannel == channel))
      AppendComment(text, kDistortionLabels[channel], header.Distortion[channel]);
  std::string columns = kFrequencyColumnName;
  for (int32_t channel = 0; channel < 2; ++channel) {
    if (onlyChannel >= 0 && channel != onlyChannel) continue;
    columns += form.ColumnSeparator;
    columns += ChannelColumnName(channel, header.LevelScale);
  }
  AppendComment(text, "", columns);

  for (int32_t row = 0; row < table.RowCount(); ++row) {
    // A response has no 0 Hz line, and a logarithmic axis has no place for it.
    if (onlyChannel >= 0 && !(table.FrequenciesHz[row] > 0.0)) continue;
    const int64_t frequencyUnits = std::llround(table.FrequenciesHz[row] * kFrequencyUnitsPerHz);
    AppendFixed(text, frequencyUnits, kFrequencyDecimals, form.DecimalSeparator);
    for (int32_t channel = 0; channel < 2; ++channel) {
      if (onlyChannel >= 0 && channel != onlyChannel) continue;
      text += form.ColumnSeparator;
      AppendFixed(text, table.Levels[row][channel], kLevelDecimals, form.DecimalSeparator);
    }
    text += kLineEnd;
  }
  return text;
}
