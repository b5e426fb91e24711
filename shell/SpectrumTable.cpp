#include "shell/SpectrumTable.h"

#include <windows.h>

#include "export/HeaderTexts.h"

namespace {

constexpr const char* kProgramName = "Frelox " FRELOX_VERSION;

// Now, as a spectrum file's header states it.
std::string LocalTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return DateTimeText(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

}  // namespace

LevelTable SpectrumTableOf(const ShownSpectrum& shown) {
  LevelTable table;
  table.Header.Program = kProgramName;
  table.Header.RecordedAt = LocalTimeText();
  table.Header.Input = shown.Input;
  table.Header.FftSize = shown.Size;
  table.Header.Window = WindowName(shown.Window);
  table.Header.Averaging = AveragingText(shown.AverageCount, shown.AverageLength);
  table.Header.LevelScale = shown.Unit;
  const int32_t lines = shown.LineCount();
  table.FrequenciesHz.resize(static_cast<size_t>(lines));
  table.Levels.resize(static_cast<size_t>(lines));
  for (int32_t line = 0; line < lines; ++line) {
    table.FrequenciesHz[line] = shown.LineFrequencyHz(line);
    table.Levels[line] = (*shown.Levels)[line];
  }
  return table;
}
