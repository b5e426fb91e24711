#include "shell/ExportTable.h"

#include <windows.h>

#include "analysis/MeasurementSettings.h"
#include "display/ReadoutFormat.h"
#include "export/HeaderTexts.h"

namespace {

constexpr const char* kProgramName = "Frelox " FRELOX_VERSION;

// Now, as a spectrum file's header states it.
std::string LocalTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return DateTimeText(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

constexpr wchar_t kChannelLetters[2] = {L'L', L'R'};

}  // namespace

LevelTable ExportTableOf(const ShownMeasurement& shown) {
  LevelTable table;
  table.Header.Program = kProgramName;
  table.Header.RecordedAt = LocalTimeText();
  table.Header.Input = shown.Input;
  table.Header.FftSize = shown.Size;
  table.Header.Window = WindowName(shown.Window);
  table.Header.Averaging = AveragingText(shown.AverageCount, shown.AverageLength);
  table.Header.LevelScale = shown.Unit;
  table.Header.CalibrationHundredthsDb = shown.Choice.CalibrationHundredthsDb;
  // The distortion as the view shows it, where it shows it.
  const bool channelShown[2] = {Settings.ShowLeft != 0, Settings.ShowRight != 0};
  for (int32_t channel = 0; channel < 2; ++channel) {
    if (!Settings.ShowDistortion || !channelShown[channel]) continue;
    std::wstring text = FormatDistortion(kChannelLetters[channel], shown.Peaks[channel],
                                         shown.Distortion[channel], shown.Unit);
    for (const std::wstring& harmonics : FormatHarmonics(shown.Distortion[channel]))
      text += harmonics;
    table.Header.Distortion[channel] = Windows1252Text(text);
  }
  const int32_t lines = shown.LineCount();
  table.FrequenciesHz.resize(static_cast<size_t>(lines));
  table.Levels.resize(static_cast<size_t>(lines));
  for (int32_t line = 0; line < lines; ++line) {
    table.FrequenciesHz[line] = shown.LineFrequencyHz(line);
    table.Levels[line] = (*shown.Levels)[line];
  }
  return table;
}
