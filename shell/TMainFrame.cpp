#include "shell/TMainFrame.h"

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/MeasurementSettings.h"
#include "capture/TMainClient.h"
#include "capture/WaveInput.h"
#include "resources/ResourceIds.h"
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

// The items checked at start, in the order they are checked; they agree with
// the settings' defaults.
constexpr UINT kDefaultChecks[] = {CMD_CHANNEL_BOTH, CMD_SIZE_2048,      CMD_RATE_5,
                                   CMD_SHOW_MAXIMUM, CMD_WINDOW_HANNING, CMD_AUTO_OFFSET};

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
    Row::CommandRange<TMainFrame, &TMainFrame::CmInput>(CMD_INPUT_FIRST,
                                                        CMD_INPUT_FIRST + kMaxListedInputs - 1),
    Row::InitMenuPopup<TMainFrame, &TMainFrame::MenuOpening>(),
    Row::WithParameters<TMainFrame, &TMainFrame::EvActivate>(WM_ACTIVATE),
};
const TResponseTable TMainFrame::Table{&TDecoratedFrame::Table, TMainFrame::Rows};

TMainFrame::TMainFrame(TWindow* parent, const char* title, TLayClient* client)
    : TDecoratedFrame(parent, title, client), Layout(client) {
  StoreDefaultSettings();
}

void TMainFrame::SetupWindow() {
  TDecoratedFrame::SetupWindow();
  for (UINT command : kDefaultChecks) Check(command, true);
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
  Repaint();
}

void TMainFrame::CmShowPeaks() {
  Settings.ShowPeaks = Toggle(CMD_SHOW_PEAKS);
  Repaint();
}

void TMainFrame::CmAutoOffset() {
  Write(Settings.AutoOffset, Toggle(CMD_AUTO_OFFSET));
}

void TMainFrame::CmFftSize(UINT command) {
  for (const CommandValue& item : kFftSizes) Check(item.Command, false);
  Check(command, true);
  if (const CommandValue* item = Find(kFftSizes, command)) Write(Settings.FftSize, item->Value);
}

void TMainFrame::CmRate(UINT command) {
  for (const CommandValue& item : kRates) Check(item.Command, false);
  Check(command, true);
  if (const CommandValue* item = Find(kRates, command)) Write(Settings.IntervalMs, item->Value);
}

void TMainFrame::CmWindow(UINT command) {
  for (const CommandValue& item : kWindows) Check(item.Command, false);
  if (const CommandValue* item = Find(kWindows, command)) Write(Settings.Weighting, item->Value);
  Check(command, true);
}

void TMainFrame::CmInput(UINT command) {
  Layout->View->ChooseInput(static_cast<int32_t>(command - CMD_INPUT_FIRST));
}

// Built afresh each time it opens: a device plugged in since then is listed.
void TMainFrame::MenuOpening(HMENU popup, UINT position) {
  if (position != kInputMenuPosition || popup != GetSubMenu(GetMenu(GetHandle()), position)) return;
  FillInputMenu(popup);
}

void TMainFrame::FillInputMenu(HMENU popup) {
  while (GetMenuItemCount(popup) > 0) DeleteMenu(popup, 0, MF_BYPOSITION);
  const std::vector<std::string> names = WaveInputNames();
  if (names.empty()) {
    AppendMenuA(popup, MF_STRING | MF_GRAYED, CMD_INPUT_NONE, kNoInputText);
    return;
  }
  const int32_t open = Layout->View->OpenInput();
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
  if (LOWORD(wParam) == WA_INACTIVE) {
    if (auto* client = dynamic_cast<TLayClient*>(GetClientWindow())) client->View->HideReadout();
  }
  return DefaultProcessing(WM_ACTIVATE, wParam, lParam);
}
