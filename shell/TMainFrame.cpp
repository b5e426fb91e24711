#include "shell/TMainFrame.h"

#include <cstdint>

#include "analysis/MeasurementSettings.h"
#include "capture/WaveInput.h"
#include "display/TMainClient.h"
#include "measurement/Measurement.h"
#include "resources/ResourceIds.h"
#include "settings/InputChoice.h"
#include "settings/PlacementFit.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsTable.h"
#include "shell/TLayClient.h"
#include "shell/commands/CalibrationCommands.h"
#include "shell/commands/FileCommands.h"
#include "shell/commands/InputCommands.h"
#include "shell/commands/RangeCommands.h"
#include "shell/commands/RecordingCommands.h"
#include "shell/commands/SettingsCommands.h"
#include "windowing/TDialog.h"

namespace {

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

}  // namespace

const TResponseEntry TMainFrame::Rows[] = {
    Row::Command<TMainFrame, &TMainFrame::CmAbout>(CMD_ABOUT),
    Row::Command<TMainFrame, &TMainFrame::CmRestoreDefaults>(CMD_RESTORE_DEFAULTS),
    Row::InitMenuPopup<TMainFrame, &TMainFrame::MenuOpening>(),
    Row::WithParameters<TMainFrame, &TMainFrame::EvActivate>(WM_ACTIVATE),
    Row::WithParameters<TMainFrame, &TMainFrame::EvEndSession>(WM_ENDSESSION),
    Row::PowerBroadcast<TMainFrame, &TMainFrame::EvPower>(),
    Row::WithParameters<TMainFrame, &TMainFrame::EvMouseWheel>(WM_MOUSEWHEEL),
};
const TResponseTable TMainFrame::Table{&TDecoratedFrame::Table, TMainFrame::Rows};

std::vector<ScreenRect> (*TMainFrame::MonitorWorkAreas)() = &EnumerateWorkAreas;

TMainFrame::TMainFrame(TWindow* parent, const char* title, TLayClient* client,
                       SettingsStorage& storage, Measurement& measurement)
    : TDecoratedFrame(parent, title, client),
      Layout(client),
      Storage(storage),
      Measured(measurement),
      // What is not stored, or not usable, loads as its default.
      Stored(LoadSettings(Storage)) {
  StoreSettingValues(Stored.Choices);
  const CommandContext context{*this,         Measured,        *Layout,
                               *Layout->View, &StoreChoicesOf, &RepaintOf};
  SettingsUnit = std::make_unique<SettingsCommands>(context);
  InputUnit = std::make_unique<InputCommands>(context, Stored.Input);
  FileUnit = std::make_unique<FileCommands>(context, Stored.ReferenceFile);
  CalibrationUnit = std::make_unique<CalibrationCommands>(context, Storage, Stored.Calibrations);
  RangeUnit = std::make_unique<RangeCommands>(context, Storage);
  RecordingUnit = std::make_unique<RecordingCommands>(context);
  Units = {RecordingUnit.get(), SettingsUnit.get(),    InputUnit.get(),
           FileUnit.get(),      CalibrationUnit.get(), RangeUnit.get()};
  for (CommandUnit* unit : Units) Measured.AddListener(unit);
}

TMainFrame::~TMainFrame() {
  for (CommandUnit* unit : Units) Measured.RemoveListener(unit);
  StorePlacement();
}

void TMainFrame::StorePlacement() {
  WINDOWPLACEMENT now = {};
  now.length = sizeof now;
  if (!GetHandle() || !GetWindowPlacement(GetHandle(), &now)) return;
  // Minimised, the flag tells whether a restore would maximise it.
  const bool maximized = now.showCmd == SW_SHOWMAXIMIZED ||
                         (now.showCmd == SW_SHOWMINIMIZED && (now.flags & WPF_RESTORETOMAXIMIZED));
  SavePlacement(Storage, {ToScreenRect(now.rcNormalPosition), maximized});
}

void TMainFrame::SetupWindow() {
  // The measurement opens the remembered input (device 0 if it is gone, and says so).
  const InputResolution start = ResolveInput(InputUnit->Input(), WaveInputNames());
  Measured.StartWith(start.Device, start.RememberedGone);
  TDecoratedFrame::SetupWindow();
  Measured.Start();
  SettingsUnit->CheckSettings();
  PlaceAsRemembered();
  FileUnit->LoadRemembered();
  RangeUnit->LoadRemembered();
}

bool TMainFrame::CanClose() {
  return Measured.CanClose();
}

void TMainFrame::StopBeforeExceptionBox() {
  RecordingUnit->Cancel();
  Measured.StopBeforeExceptionBox();
  TDecoratedFrame::StopBeforeExceptionBox();
}

void TMainFrame::PlaceAsRemembered() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!Stored.Placement || !GetWindowPlacement(GetHandle(), &placement)) return;
  const ScreenRect& normal = Stored.Placement->Normal;
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
  if (!Stored.Placement || !Stored.Placement->Maximized) {
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

void TMainFrame::StoreChoices() {
  StoredSettings now;
  now.Choices = CurrentSettingValues();
  now.Input = InputUnit->Input();
  now.ReferenceFile = FileUnit->Reference();
  SaveChoices(Storage, now);
}

void TMainFrame::StoreChoicesOf(TWindow& frame) {
  static_cast<TMainFrame&>(frame).StoreChoices();
}

void TMainFrame::RepaintOf(TWindow& frame) {
  static_cast<TMainFrame&>(frame).Repaint();
}

void TMainFrame::Repaint() {
  // A null handle would stand for every window of the desktop.
  if (const HWND client = GetClientWindow()->GetHandle()) InvalidateRect(client, nullptr, TRUE);
}

void TMainFrame::CheckSetting(std::string_view storedName) {
  SettingsUnit->CheckChoices(kSettings[SettingIndex(storedName)]);
}

// The units' commands: what no row of the frame's tables answers.
LRESULT TMainFrame::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND)
    for (CommandUnit* unit : Units)
      if (unit->Command(LOWORD(wParam))) {
        RecordingUnit->FollowAnalysisChoice();
        return 0;
      }
  return TDecoratedFrame::DefaultProcessing(message, wParam, lParam);
}

void TMainFrame::MenuOpening(HMENU popup, UINT position) {
  if (popup != GetSubMenu(GetMenu(GetHandle()), static_cast<int>(position))) return;
  for (CommandUnit* unit : Units) unit->MenuOpening(popup, position);
}

void TMainFrame::CmAbout() {
  TDialog about(this, IDD_ABOUT);
  about.Execute();
}

LRESULT TMainFrame::EvActivate(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == WA_INACTIVE) Layout->View->HideReadout();
  return DefaultProcessing(WM_ACTIVATE, wParam, lParam);
}

// The process may end without the frame's destructor once this returns.
LRESULT TMainFrame::EvEndSession(WPARAM wParam, LPARAM) {
  if (wParam) {
    StoreChoices();
    StorePlacement();
  }
  return 0;
}

// The wheel's message goes to the window with the focus; the view, under the
// pointer, is the one it means. Elsewhere it does what it always does.
LRESULT TMainFrame::EvMouseWheel(WPARAM wParam, LPARAM lParam) {
  const HWND view = Layout->View->GetHandle();
  const POINT pointer{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  RECT area;
  if (view && GetWindowRect(view, &area) && PtInRect(&area, pointer))
    return SendMessageW(view, WM_MOUSEWHEEL, wParam, lParam);
  return DefaultProcessing(WM_MOUSEWHEEL, wParam, lParam);
}

// The system tells only top-level windows that it sleeps or wakes.
void TMainFrame::EvPower(UINT powerEvent) {
  Measured.OnPowerEvent(powerEvent);
}

// Back to the first start's settings; nothing but the calibrations stays
// stored until the next change (the frame's place is stored again at the
// end, as always).
void TMainFrame::CmRestoreDefaults() {
  StoreDefaultSettings();
  Storage.Forget();
  FileUnit->Reset();
  RangeUnit->Reset();
  CalibrationUnit->StoreAgain();
  SettingsUnit->CheckSettings();
  InputUnit->Reset();
  Measured.LevelChoiceChanged();
  RecordingUnit->FollowAnalysisChoice();
  Repaint();
}
