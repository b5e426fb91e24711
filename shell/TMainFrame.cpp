#include "shell/TMainFrame.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/MeasurementSettings.h"
#include "capture/MessageBoxes.h"
#include "capture/WaveInput.h"
#include "display/TMainClient.h"
#include "export/FileDialogs.h"
#include "export/HeaderTexts.h"
#include "export/LevelFileReader.h"
#include "export/LevelFileWriter.h"
#include "export/PictureBitmap.h"
#include "export/PictureTransfer.h"
#include "export/WholeFile.h"
#include "resources/ResourceIds.h"
#include "settings/PlacementFit.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsTable.h"
#include "shell/TCalibrationDialog.h"
#include "shell/TLayClient.h"
#include "windowing/TDialog.h"

namespace {

// The menu's items of the settings table reach CmSetting.
bool IsSettingCommand(UINT command) {
  return FindSettingCommand(command).Setting != nullptr;
}

// Windows-1252, as the menu is.
constexpr char kNoInputText[] = "Kein Aufnahmeger\xE4t gefunden";

// A product name as a menu item shows it: an ampersand is no mnemonic.
std::string MenuText(const std::string& name) {
  std::string text;
  for (char c : name) {
    if (c == '&') text += '&';
    text += c;
  }
  return text;
}

ScreenRect ToScreenRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info))
    reinterpret_cast<std::vector<ScreenRect>*>(areas)->push_back(ToScreenRect(info.rcWork));
  return TRUE;
}

std::vector<ScreenRect> EnumerateWorkAreas() {
  std::vector<ScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, &AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

// The show command the start asked for. SW_SHOWDEFAULT stands for the one
// in the process's start-up information (a shortcut's "Run:" choice), if
// its starter gave one.
int StartShowCommand(int showCommand) {
  if (showCommand != SW_SHOWDEFAULT) return showCommand;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : showCommand;
}

bool Minimizes(int showCommand) {
  return showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE ||
         showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_FORCEMINIMIZE;
}

constexpr const char* kProgramName = "Frelox " FRELOX_VERSION;

// Now, as a spectrum file's header states it.
std::string LocalTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return DateTimeText(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

// The picture of the axis frame with the view, as on screen.
std::unique_ptr<PictureBitmap> PictureOf(TLayClient& layout) {
  RECT area;
  GetClientRect(layout.GetHandle(), &area);
  auto picture = std::make_unique<PictureBitmap>(area.right, area.bottom);
  layout.DrawPicture(*picture);
  return picture;
}

void ShowFailure(const std::string& what, const std::string& path, const std::string& why) {
  ShowError((what + (path.empty() ? "" : ": " + path) + "\n" + why).c_str());
}

}  // namespace

const TResponseEntry TMainFrame::Rows[] = {
    Row::CommandsAccepted<TMainFrame, &TMainFrame::CmSetting>(&IsSettingCommand),
    Row::Command<TMainFrame, &TMainFrame::CmAbout>(CMD_ABOUT),
    Row::Command<TMainFrame, &TMainFrame::CmCalibrate>(CMD_CALIBRATE),
    Row::Command<TMainFrame, &TMainFrame::CmForgetCalibration>(CMD_FORGET_CALIBRATION),
    Row::Command<TMainFrame, &TMainFrame::CmRestartAveraging>(CMD_AVERAGE_RESTART),
    Row::Command<TMainFrame, &TMainFrame::CmResetHeldMaximum>(CMD_HOLD_RESET),
    Row::Command<TMainFrame, &TMainFrame::CmPause>(CMD_PAUSE),
    Row::Command<TMainFrame, &TMainFrame::CmRestoreDefaults>(CMD_RESTORE_DEFAULTS),
    Row::Command<TMainFrame, &TMainFrame::CmExportSpectrum>(CMD_EXPORT_SPECTRUM),
    Row::Command<TMainFrame, &TMainFrame::CmCopyPicture>(CMD_COPY_PICTURE),
    Row::Command<TMainFrame, &TMainFrame::CmSavePicture>(CMD_SAVE_PICTURE),
    Row::Command<TMainFrame, &TMainFrame::CmTakeReference>(CMD_REFERENCE_TAKE),
    Row::Command<TMainFrame, &TMainFrame::CmLoadReference>(CMD_REFERENCE_LOAD),
    Row::Command<TMainFrame, &TMainFrame::CmRemoveReference>(CMD_REFERENCE_REMOVE),
    Row::CommandRange<TMainFrame, &TMainFrame::CmInput>(CMD_INPUT_FIRST,
                                                        CMD_INPUT_FIRST + kMaxListedInputs - 1),
    Row::InitMenuPopup<TMainFrame, &TMainFrame::MenuOpening>(),
    Row::WithParameters<TMainFrame, &TMainFrame::EvActivate>(WM_ACTIVATE),
};
const TResponseTable TMainFrame::Table{&TDecoratedFrame::Table, TMainFrame::Rows};

std::vector<ScreenRect> (*TMainFrame::MonitorWorkAreas)() = &EnumerateWorkAreas;

TMainFrame::TMainFrame(TWindow* parent, const char* title, TLayClient* client,
                       SettingsStorage& storage)
    : TDecoratedFrame(parent, title, client), Layout(client), Storage(storage) {
  // What is not stored, or not usable, loads as its default.
  const StoredSettings stored = LoadSettings(Storage);
  StoreSettingValues(stored.Choices);
  Input = stored.Input;
  Placement = stored.Placement;
  ReferenceFile = stored.ReferenceFile;
  Calibrations = stored.Calibrations;
}

TMainFrame::~TMainFrame() {
  WINDOWPLACEMENT now = {};
  now.length = sizeof now;
  if (!GetHandle() || !GetWindowPlacement(GetHandle(), &now)) return;
  // Minimised, the flag tells whether a restore would maximise it.
  const bool maximized = now.showCmd == SW_SHOWMAXIMIZED ||
                         (now.showCmd == SW_SHOWMINIMIZED && (now.flags & WPF_RESTORETOMAXIMIZED));
  SavePlacement(Storage, {ToScreenRect(now.rcNormalPosition), maximized});
}

void TMainFrame::SetupWindow() {
  // The view opens the remembered input (device 0 if it is gone, and says so).
  const InputResolution start = ResolveInput(Input, WaveInputNames());
  Layout->View->Capture().StartWith(start.Device, start.RememberedGone);
  Layout->View->Capture().ListenForOpenedInputs([this](int32_t device) { InputOpened(device); });
  TDecoratedFrame::SetupWindow();
  // The listener hears of inputs opened later: the calibration of the one
  // the set-up opened is taken here.
  InputOpened(Layout->View->Capture().OpenInput());
  CheckSettings();
  PlaceAsRemembered();
  std::string why;
  if (!ReferenceFile.empty() && !LoadReference(ReferenceFile, why)) ReferenceFile.clear();
}

void TMainFrame::PlaceAsRemembered() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!Placement || !GetWindowPlacement(GetHandle(), &placement)) return;
  const ScreenRect& normal = Placement->Normal;
  placement.rcNormalPosition = {normal.Left, normal.Top, normal.Right, normal.Bottom};
  // Still hidden: the application shows the frame.
  placement.showCmd = SW_HIDE;
  SetWindowPlacement(GetHandle(), &placement);
  // A placement's coordinates may be offset from the screen's by a task bar
  // at the left or top, of one monitor or another: the fit takes the
  // window's real rectangle on the screen, whatever the offset was.
  RECT placed;
  if (!GetWindowRect(GetHandle(), &placed)) return;
  const ScreenRect onScreen = ToScreenRect(placed);
  const ScreenRect fitted = FitOntoMonitors(onScreen, MonitorWorkAreas());
  if (fitted == onScreen) return;
  SetWindowPos(GetHandle(), nullptr, fitted.Left, fitted.Top, fitted.Width(), fitted.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainFrame::Show(int showCommand) {
  if (!Placement || !Placement->Maximized) {
    TDecoratedFrame::Show(showCommand);
    return;
  }
  const int started = StartShowCommand(showCommand);
  if (!Minimizes(started)) {
    TDecoratedFrame::Show(SW_SHOWMAXIMIZED);
    return;
  }
  // Minimised as the start asks; a restore maximises the frame.
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(GetHandle(), &placement)) {
    TDecoratedFrame::Show(started);
    return;
  }
  placement.flags |= WPF_RESTORETOMAXIMIZED;
  placement.showCmd = started == SW_FORCEMINIMIZE ? SW_MINIMIZE : started;
  SetWindowPlacement(GetHandle(), &placement);
}

void TMainFrame::RememberInput(const RememberedInput& input) {
  Input = input;
  StoreChoices();
}

void TMainFrame::StoreChoices() {
  StoredSettings now;
  now.Choices = CurrentSettingValues();
  now.Input = Input;
  now.ReferenceFile = ReferenceFile;
  SaveChoices(Storage, now);
}

void TMainFrame::CheckSettings() {
  for (const SettingDefinition& setting : kSettings) CheckChoices(setting);
}

void TMainFrame::CheckChoices(const SettingDefinition& setting) {
  const int32_t value = setting.Place.Get();
  for (const MenuChoice& choice : setting.Choices)
    Check(choice.Command, setting.Kind == SettingKind::Switch ? value != 0 : value == choice.Value);
}

void TMainFrame::Check(UINT command, bool checked) {
  CheckMenuItem(GetMenu(GetHandle()), command,
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TMainFrame::Repaint() {
  // A null handle would stand for every window of the desktop.
  if (const HWND client = GetClientWindow()->GetHandle()) InvalidateRect(client, nullptr, TRUE);
}

int32_t TMainFrame::Toggle(UINT command) {
  // The new value follows from the menu's mark, not from the stored setting.
  const DWORD previous = CheckMenuItem(GetMenu(GetHandle()), command, MF_BYCOMMAND | MF_UNCHECKED);
  const int32_t value = (previous == MF_UNCHECKED) ? 1 : 0;
  Check(command, value != 0);
  return value;
}

void TMainFrame::CmSetting(UINT command) {
  const SettingCommand found = FindSettingCommand(command);
  if (!found.Setting) return;
  const SettingDefinition& setting = *found.Setting;
  if (setting.Kind == SettingKind::Switch) {
    setting.Place.Set(Toggle(command));
  } else {
    setting.Place.Set(found.Choice->Value);
    CheckChoices(setting);
  }
  StoreChoices();
  // A maximum switched on holds from now on.
  if (command == CMD_HOLD_MAXIMUM && Settings.HoldMaximum)
    Layout->View->Capture().RestartHeldMaximum();
  if (setting.Effect == SettingEffect::Repaint) Repaint();
}

void TMainFrame::CmRestartAveraging() {
  Layout->View->Capture().RestartAveraging();
}

void TMainFrame::CmResetHeldMaximum() {
  Layout->View->Capture().RestartHeldMaximum();
}

void TMainFrame::CmPause() {
  Layout->View->Capture().TogglePause();
  Check(CMD_PAUSE, Layout->View->Capture().PictureHeld());
}

// The choice is remembered by the name the menu showed, its number a hint,
// once the input is open: a device plugged in since the menu opened does not
// lend it its name, and an input that cannot be opened is not remembered.
void TMainFrame::CmInput(UINT command) {
  const int32_t device = static_cast<int32_t>(command - CMD_INPUT_FIRST);
  if (device >= static_cast<int32_t>(ListedInputs.size())) return;
  ChosenInput = RememberedInput{ListedInputs[device], device};
  CaptureDriver& capture = Layout->View->Capture();
  if (capture.OpenInput() == device && !capture.Stopped()) InputOpened(device);
  capture.ChooseInput(device);
}

void TMainFrame::InputOpened(int32_t device) {
  const std::vector<std::string> names = WaveInputNames();
  MeasuredInput.reset();
  if (device >= 0 && device < static_cast<int32_t>(names.size())) MeasuredInput = names[device];
  ApplyCalibration();
  if (!ChosenInput || ChosenInput->NumberHint != device) return;
  RememberInput(*ChosenInput);
  ChosenInput.reset();
}

// Built afresh each time it opens: a device plugged in since then is listed.
void TMainFrame::MenuOpening(HMENU popup, UINT position) {
  if (popup != GetSubMenu(GetMenu(GetHandle()), position)) return;
  if (position == kProgramMenuPosition || position == kViewMenuPosition) EnableItems();
  // The picture may have stopped being held meanwhile (a failure, a close).
  if (position == kMeasurementMenuPosition) {
    Check(CMD_PAUSE, Layout->View->Capture().PictureHeld());
    const HMENU menu = GetMenu(GetHandle());
    EnableMenuItem(menu, CMD_CALIBRATE, MF_BYCOMMAND | (MeasuredInput ? MF_ENABLED : MF_GRAYED));
    const bool calibrated = MeasuredInput && Calibrations.count(*MeasuredInput) != 0;
    EnableMenuItem(menu, CMD_FORGET_CALIBRATION,
                   MF_BYCOMMAND | (calibrated ? MF_ENABLED : MF_GRAYED));
  }
  if (position == kInputMenuPosition) FillInputMenu(popup);
}

void TMainFrame::FillInputMenu(HMENU popup) {
  while (GetMenuItemCount(popup) > 0) DeleteMenu(popup, 0, MF_BYPOSITION);
  ListedInputs = WaveInputNames();
  const std::vector<std::string>& names = ListedInputs;
  if (names.empty()) {
    AppendMenuA(popup, MF_STRING | MF_GRAYED, CMD_INPUT_NONE, kNoInputText);
    return;
  }
  const int32_t open = Layout->View->Capture().OpenInput();
  for (int32_t device = 0; device < static_cast<int32_t>(names.size()) && device < kMaxListedInputs;
       ++device) {
    const UINT flags = MF_STRING | (device == open ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuA(popup, flags, CMD_INPUT_FIRST + device, MenuText(names[device]).c_str());
  }
}

void TMainFrame::CmAbout() {
  TDialog about(this, IDD_ABOUT);
  about.Execute();
}

void TMainFrame::ApplyCalibration() {
  std::optional<int32_t> calibration;
  if (MeasuredInput) {
    const auto found = Calibrations.find(*MeasuredInput);
    if (found != Calibrations.end()) calibration = found->second;
  }
  Layout->View->SetCalibration(calibration);
  Repaint();
}

// A calibration holds for the sine levels: the view switches to them.
void TMainFrame::CmCalibrate() {
  if (!MeasuredInput) return;
  const std::string input = *MeasuredInput;
  TCalibrationDialog dialog(this, *Layout->View);
  if (dialog.Execute() != IDOK) return;
  Calibrations[input] = dialog.CalibrationHundredthsDb();
  SaveCalibration(Storage, input, Calibrations[input]);
  Settings.LevelScale = kScaleSine;
  CheckChoices(kSettings[SettingIndex("LevelScale")]);
  StoreChoices();
  ApplyCalibration();
}

void TMainFrame::CmForgetCalibration() {
  if (!MeasuredInput || Calibrations.erase(*MeasuredInput) == 0) return;
  ForgetCalibration(Storage, *MeasuredInput);
  ApplyCalibration();
}

LRESULT TMainFrame::EvActivate(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == WA_INACTIVE) Layout->View->HideReadout();
  return DefaultProcessing(WM_ACTIVATE, wParam, lParam);
}

// Back to the first start's settings; nothing but the calibrations stays
// stored until the next change (the frame's place is stored again at the
// end, as always).
void TMainFrame::CmRestoreDefaults() {
  StoreDefaultSettings();
  Input = RememberedInput{};
  ChosenInput.reset();
  Storage.Forget();
  ReferenceFile.clear();
  Layout->View->SetReference(nullptr);
  SaveCalibrations(Storage, Calibrations);
  CheckSettings();
  Layout->View->Capture().ChooseInput(0);
  Repaint();
}

void TMainFrame::EnableItems() {
  const HMENU menu = GetMenu(GetHandle());
  const UINT spectrum = Layout->View->HasSpectrum() ? MF_ENABLED : MF_GRAYED;
  EnableMenuItem(menu, CMD_EXPORT_SPECTRUM, MF_BYCOMMAND | spectrum);
  EnableMenuItem(menu, CMD_REFERENCE_TAKE, MF_BYCOMMAND | spectrum);
  EnableMenuItem(menu, CMD_REFERENCE_REMOVE,
                 MF_BYCOMMAND | (Layout->View->HasReference() ? MF_ENABLED : MF_GRAYED));
}

// The spectrum is the one shown when the command came: the measurement goes
// on while the dialog is open.
void TMainFrame::CmExportSpectrum() {
  if (!Layout->View->HasSpectrum()) return;
  LevelTable table = Layout->View->ShownLevelTable();
  table.Header.Program = kProgramName;
  table.Header.RecordedAt = LocalTimeText();
  const std::vector<std::string> inputs = WaveInputNames();
  const int32_t open = Layout->View->Capture().OpenInput();
  if (open >= 0 && open < static_cast<int32_t>(inputs.size())) table.Header.Input = inputs[open];
  const std::optional<SpectrumFileChoice> choice = FileDialogCalls().SaveSpectrum(GetHandle());
  if (!choice) return;
  std::string why;
  if (!WriteWholeFile(choice->Path, WriteSpectrumFile(table, choice->Type), why))
    ShowFailure("Spektrum nicht exportiert", choice->Path, why);
}

void TMainFrame::CmCopyPicture() {
  std::string why;
  if (!CopyPictureToClipboard(GetHandle(), *PictureOf(*Layout), why))
    ShowFailure("Bild nicht kopiert", "", why);
}

// The picture is the one shown when the command came.
void TMainFrame::CmSavePicture() {
  const std::unique_ptr<PictureBitmap> picture = PictureOf(*Layout);
  const std::optional<std::string> path = FileDialogCalls().SavePicture(GetHandle());
  if (!path) return;
  std::string png;
  std::string why;
  if (!EncodePng(*picture, png, why) || !WriteWholeFile(*path, png, why))
    ShowFailure("Bild nicht gespeichert", *path, why);
}

void TMainFrame::CmTakeReference() {
  if (!Layout->View->HasSpectrum()) return;
  LevelTable table = Layout->View->ShownLevelTable();
  Layout->View->SetReference(
      std::make_unique<ReferenceTrace>(std::move(table.FrequenciesHz), std::move(table.Levels)));
  ReferenceFile.clear();
  StoreChoices();
}

void TMainFrame::CmLoadReference() {
  const std::optional<std::string> path = FileDialogCalls().OpenReference(GetHandle());
  if (!path) return;
  std::string why;
  if (!LoadReference(*path, why)) {
    ShowFailure("Referenz nicht geladen", *path, why);
    return;
  }
  ReferenceFile = *path;
  StoreChoices();
}

void TMainFrame::CmRemoveReference() {
  Layout->View->SetReference(nullptr);
  ReferenceFile.clear();
  StoreChoices();
}

bool TMainFrame::LoadReference(const std::string& path, std::string& why) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes, why)) return false;
  SpectrumFileReading reading = ReadSpectrumFile(bytes, path);
  if (!reading.Read) {
    why = (reading.FaultLine ? "Zeile " + std::to_string(reading.FaultLine) + ": " : "") +
          reading.Fault;
    return false;
  }
  Layout->View->SetReference(std::make_unique<ReferenceTrace>(
      std::move(reading.Table.FrequenciesHz), std::move(reading.Table.Levels)));
  return true;
}
