#include "shell/TMainFrame.h"

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/MeasurementSettings.h"
#include "capture/WaveInput.h"
#include "display/TMainClient.h"
#include "resources/ResourceIds.h"
#include "settings/PlacementFit.h"
#include "settings/SettingsCodec.h"
#include "shell/TLayClient.h"
#include "windowing/TDialog.h"

namespace {

struct CommandValue {
  UINT Command;
  int32_t Value;
};

// The groups in menu order, with the value each item stands for.
constexpr CommandValue kFftSizes[] = {
    {CMD_SIZE_1024, 1024},   {CMD_SIZE_2048, 2048},     {CMD_SIZE_4096, 4096},
    {CMD_SIZE_8192, 8192},   {CMD_SIZE_16384, 16384},   {CMD_SIZE_32768, 32768},
    {CMD_SIZE_65536, 65536}, {CMD_SIZE_131072, 131072}, {CMD_SIZE_262144, 262144},
};
constexpr CommandValue kRates[] = {
    {CMD_RATE_1, 1000}, {CMD_RATE_2, 500}, {CMD_RATE_5, 200}, {CMD_RATE_10, 100}, {CMD_RATE_20, 50},
};
constexpr CommandValue kWindows[] = {
    {CMD_WINDOW_OFF, 0},    {CMD_WINDOW_TRIANGLE, 1}, {CMD_WINDOW_HANNING, 2},
    {CMD_WINDOW_WELCH, 3},  {CMD_WINDOW_HAMMING, 4},  {CMD_WINDOW_BLACKMAN, 5},
    {CMD_WINDOW_PARZEN, 6},
};

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

template <size_t N>
const CommandValue* Find(const CommandValue (&group)[N], UINT command) {
  for (const CommandValue& item : group)
    if (item.Command == command) return &item;
  return nullptr;
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

// The monitors' work areas in the coordinates of a window's placement, whose
// origin is the top left corner of the primary monitor's work area.
std::vector<ScreenRect> WorkAreasForPlacement() {
  std::vector<ScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, &AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  MONITORINFO primary = {};
  primary.cbSize = sizeof primary;
  if (!GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary)) return areas;
  for (ScreenRect& area : areas) {
    area.Left -= primary.rcWork.left;
    area.Right -= primary.rcWork.left;
    area.Top -= primary.rcWork.top;
    area.Bottom -= primary.rcWork.top;
  }
  return areas;
}

}  // namespace

const TResponseEntry TMainFrame::Rows[] = {
    Row::Command<TMainFrame, &TMainFrame::CmChannelLeft>(CMD_CHANNEL_LEFT),
    Row::Command<TMainFrame, &TMainFrame::CmChannelRight>(CMD_CHANNEL_RIGHT),
    Row::Command<TMainFrame, &TMainFrame::CmChannelBoth>(CMD_CHANNEL_BOTH),
    Row::Command<TMainFrame, &TMainFrame::CmShowMaximum>(CMD_SHOW_MAXIMUM),
    Row::Command<TMainFrame, &TMainFrame::CmShowPeaks>(CMD_SHOW_PEAKS),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmFftSize>(CMD_SIZE_1024),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmFftSize>(CMD_SIZE_2048),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmFftSize>(CMD_SIZE_4096),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmFftSize>(CMD_SIZE_8192),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmFftSize>(CMD_SIZE_16384),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmFftSize>(CMD_SIZE_32768),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmFftSize>(CMD_SIZE_65536),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmFftSize>(CMD_SIZE_131072),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmFftSize>(CMD_SIZE_262144),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmRate>(CMD_RATE_1),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmRate>(CMD_RATE_2),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmRate>(CMD_RATE_5),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmRate>(CMD_RATE_10),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmRate>(CMD_RATE_20),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmWindow>(CMD_WINDOW_OFF),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmWindow>(CMD_WINDOW_TRIANGLE),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmWindow>(CMD_WINDOW_HANNING),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmWindow>(CMD_WINDOW_WELCH),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmWindow>(CMD_WINDOW_HAMMING),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmWindow>(CMD_WINDOW_BLACKMAN),
    Row::CommandWithId<TMainFrame, &TMainFrame::CmWindow>(CMD_WINDOW_PARZEN),
    Row::Command<TMainFrame, &TMainFrame::CmAutoOffset>(CMD_AUTO_OFFSET),
    Row::Command<TMainFrame, &TMainFrame::CmAbout>(CMD_ABOUT),
    Row::Command<TMainFrame, &TMainFrame::CmRestoreDefaults>(CMD_RESTORE_DEFAULTS),
    Row::CommandRange<TMainFrame, &TMainFrame::CmInput>(CMD_INPUT_FIRST,
                                                        CMD_INPUT_FIRST + kMaxListedInputs - 1),
    Row::InitMenuPopup<TMainFrame, &TMainFrame::MenuOpening>(),
    Row::WithParameters<TMainFrame, &TMainFrame::EvActivate>(WM_ACTIVATE),
};
const TResponseTable TMainFrame::Table{&TDecoratedFrame::Table, TMainFrame::Rows};

TMainFrame::TMainFrame(TWindow* parent, const char* title, TLayClient* client,
                       SettingsStorage& storage)
    : TDecoratedFrame(parent, title, client), Layout(client), Storage(storage) {
  StoreDefaultSettings();
  const StoredSettings stored = LoadSettings(Storage);
  Settings.ShowLeft = stored.ShowLeft;
  Settings.ShowRight = stored.ShowRight;
  Write(Settings.FftSize, stored.FftSize);
  Settings.ShowMaximum = stored.ShowMaximum;
  Write(Settings.Weighting, stored.Weighting);
  Write(Settings.AutoOffset, stored.AutoOffset);
  Write(Settings.IntervalMs, stored.IntervalMs);
  Settings.ShowPeaks = stored.ShowPeaks;
  Input = stored.Input;
  Placement = stored.Placement;
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
  CheckSettings();
  PlaceAsRemembered();
}

void TMainFrame::PlaceAsRemembered() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!Placement || !GetWindowPlacement(GetHandle(), &placement)) return;
  const ScreenRect normal = FitOntoMonitors(Placement->Normal, WorkAreasForPlacement());
  placement.rcNormalPosition = {normal.Left, normal.Top, normal.Right, normal.Bottom};
  // Still hidden: the application shows the frame.
  placement.showCmd = SW_HIDE;
  SetWindowPlacement(GetHandle(), &placement);
}

void TMainFrame::Show(int showCommand) {
  TDecoratedFrame::Show(Placement && Placement->Maximized ? SW_SHOWMAXIMIZED : showCommand);
}

void TMainFrame::RememberInput(const RememberedInput& input) {
  Input = input;
  StoreChoices();
}

void TMainFrame::StoreChoices() {
  StoredSettings now;
  now.FftSize = Read(Settings.FftSize);
  now.Weighting = Read(Settings.Weighting);
  now.AutoOffset = Read(Settings.AutoOffset);
  now.IntervalMs = Read(Settings.IntervalMs);
  now.ShowMaximum = Settings.ShowMaximum;
  now.ShowLeft = Settings.ShowLeft;
  now.ShowRight = Settings.ShowRight;
  now.ShowPeaks = Settings.ShowPeaks;
  now.Input = Input;
  SaveChoices(Storage, now);
}

void TMainFrame::CheckSettings() {
  const UINT channels = (Settings.ShowLeft && Settings.ShowRight) ? CMD_CHANNEL_BOTH
                        : Settings.ShowLeft                       ? CMD_CHANNEL_LEFT
                                                                  : CMD_CHANNEL_RIGHT;
  for (UINT command : {CMD_CHANNEL_LEFT, CMD_CHANNEL_RIGHT, CMD_CHANNEL_BOTH})
    Check(command, command == channels);
  for (const CommandValue& item : kFftSizes)
    Check(item.Command, item.Value == Read(Settings.FftSize));
  for (const CommandValue& item : kRates)
    Check(item.Command, item.Value == Read(Settings.IntervalMs));
  Check(CMD_SHOW_MAXIMUM, Settings.ShowMaximum != 0);
  Check(CMD_SHOW_PEAKS, Settings.ShowPeaks != 0);
  for (const CommandValue& item : kWindows)
    Check(item.Command, item.Value == Read(Settings.Weighting));
  Check(CMD_AUTO_OFFSET, Read(Settings.AutoOffset) != 0);
}

void TMainFrame::Check(UINT command, bool checked) {
  CheckMenuItem(GetMenu(GetHandle()), command,
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TMainFrame::Repaint() {
  InvalidateRect(GetClientWindow()->GetHandle(), nullptr, TRUE);
}

void TMainFrame::SetChannels(int32_t left, int32_t right, UINT checkedCommand) {
  Settings.ShowLeft = left;
  Settings.ShowRight = right;
  for (UINT command : {CMD_CHANNEL_LEFT, CMD_CHANNEL_RIGHT, CMD_CHANNEL_BOTH})
    Check(command, command == checkedCommand);
  StoreChoices();
  Repaint();
}

void TMainFrame::CmChannelLeft() {
  SetChannels(1, 0, CMD_CHANNEL_LEFT);
}
void TMainFrame::CmChannelRight() {
  SetChannels(0, 1, CMD_CHANNEL_RIGHT);
}
void TMainFrame::CmChannelBoth() {
  SetChannels(1, 1, CMD_CHANNEL_BOTH);
}

int32_t TMainFrame::Toggle(UINT command) {
  // The new value follows from the menu's mark, not from the stored setting.
  const DWORD previous = CheckMenuItem(GetMenu(GetHandle()), command, MF_BYCOMMAND | MF_UNCHECKED);
  const int32_t value = (previous == MF_UNCHECKED) ? 1 : 0;
  Check(command, value != 0);
  return value;
}

void TMainFrame::CmShowMaximum() {
  Settings.ShowMaximum = Toggle(CMD_SHOW_MAXIMUM);
  StoreChoices();
  Repaint();
}

void TMainFrame::CmShowPeaks() {
  Settings.ShowPeaks = Toggle(CMD_SHOW_PEAKS);
  StoreChoices();
  Repaint();
}

void TMainFrame::CmAutoOffset() {
  Write(Settings.AutoOffset, Toggle(CMD_AUTO_OFFSET));
  StoreChoices();
}

void TMainFrame::CmFftSize(UINT command) {
  for (const CommandValue& item : kFftSizes) Check(item.Command, false);
  Check(command, true);
  if (const CommandValue* item = Find(kFftSizes, command)) Write(Settings.FftSize, item->Value);
  StoreChoices();
}

void TMainFrame::CmRate(UINT command) {
  for (const CommandValue& item : kRates) Check(item.Command, false);
  Check(command, true);
  if (const CommandValue* item = Find(kRates, command)) Write(Settings.IntervalMs, item->Value);
  StoreChoices();
}

void TMainFrame::CmWindow(UINT command) {
  for (const CommandValue& item : kWindows) Check(item.Command, false);
  if (const CommandValue* item = Find(kWindows, command)) Write(Settings.Weighting, item->Value);
  Check(command, true);
  StoreChoices();
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
  if (!ChosenInput || ChosenInput->NumberHint != device) return;
  RememberInput(*ChosenInput);
  ChosenInput.reset();
}

// Built afresh each time it opens: a device plugged in since then is listed.
void TMainFrame::MenuOpening(HMENU popup, UINT position) {
  if (position != kInputMenuPosition || popup != GetSubMenu(GetMenu(GetHandle()), position)) return;
  FillInputMenu(popup);
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

LRESULT TMainFrame::EvActivate(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == WA_INACTIVE) Layout->View->HideReadout();
  return DefaultProcessing(WM_ACTIVATE, wParam, lParam);
}

// Back to the first start's settings; nothing stays stored until the next
// change (the frame's place is stored again at the end, as always).
void TMainFrame::CmRestoreDefaults() {
  StoreDefaultSettings();
  Input = RememberedInput{};
  ChosenInput.reset();
  Storage.Forget();
  CheckSettings();
  Layout->View->Capture().ChooseInput(0);
  Repaint();
}
