#include "shell/TCalibrationDialog.h"

#include <string>

#include "analysis/levels/PeakFinder.h"
#include "display/ReadoutFormat.h"
#include "measurement/ShownMeasurement.h"
#include "resources/ResourceIds.h"

namespace {

constexpr const char* kSineUnit = "dBFS";
constexpr int32_t kChannelCount = TCalibrationDialog::kChannelCount;
constexpr int kLevelControls[kChannelCount] = {IDC_LEFT_LEVEL, IDC_RIGHT_LEVEL};
constexpr wchar_t kChannelLetters[kChannelCount] = {L'L', L'R'};
constexpr const wchar_t* kNoNumberText = L"Bitte eine Zahl wie 94,0 eingeben.";
constexpr const wchar_t* kNoToneText =
    L"Kein Ton zu messen: bitte den Kalibrator einschalten und warten, bis sein Pegel erscheint.";
constexpr int kMaxTypedCharacters = 64;

}  // namespace

TCalibrationDialog::TCalibrationDialog(TWindow* parent, const ShownMeasurement& shown)
    : TDialog(parent, IDD_CALIBRATION), Shown(shown) {}

void TCalibrationDialog::SetupDialog() {
  ShowLevels();
  SetTimer(GetHandle(), kRefreshTimerId, kRefreshMs, nullptr);
}

bool TCalibrationDialog::DialogMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_TIMER && wParam == kRefreshTimerId) {
    ShowLevels();
    return true;
  }
  if (message == WM_DESTROY) KillTimer(GetHandle(), kRefreshTimerId);
  return false;
}

// "1000 Hz  -6,0 dBFS", the peak values' text after the channel's letter.
void TCalibrationDialog::ShowLevels() {
  for (int32_t channel = 0; channel < kChannelCount; ++channel) {
    const std::wstring peak =
        FormatPeak(kChannelLetters[channel], Shown.SinePeaks[channel], kSineUnit).substr(2);
    // A text set anew repaints its control and tells screen readers, even
    // when it is the same.
    if (peak == ShownLevels[channel]) continue;
    SetDlgItemTextW(GetHandle(), kLevelControls[channel], peak.c_str());
    ShownLevels[channel] = peak;
  }
}

void TCalibrationDialog::SayProblem(const wchar_t* text) {
  SetDlgItemTextW(GetHandle(), IDC_CALIBRATION_PROBLEM, text);
  // Through the dialog manager, which moves the default button's frame too.
  SendMessageW(GetHandle(), WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(GetDlgItem(GetHandle(), IDC_KNOWN_LEVEL)), TRUE);
  SendDlgItemMessageW(GetHandle(), IDC_KNOWN_LEVEL, EM_SETSEL, 0, -1);
}

bool TCalibrationDialog::CanClose() {
  wchar_t typed[kMaxTypedCharacters] = {};
  GetDlgItemTextW(GetHandle(), IDC_KNOWN_LEVEL, typed, kMaxTypedCharacters);
  const std::optional<int32_t> known = ParseLevel(typed);
  if (!known) {
    SayProblem(kNoNumberText);
    return false;
  }
  std::optional<int32_t> louder;
  for (int32_t channel = 0; channel < kChannelCount; ++channel) {
    const SpectralPeak peak = Shown.SinePeaks[channel];
    if (peak.Found && (!louder || peak.LevelHundredthsDb > *louder))
      louder = peak.LevelHundredthsDb;
  }
  if (!louder) {
    SayProblem(kNoToneText);
    return false;
  }
  Calibration = *known - *louder;
  return true;
}
