#include "shell/commands/InputCommands.h"

#include "capture/WaveInput.h"
#include "measurement/Measurement.h"
#include "resources/ResourceIds.h"
#include "shell/TMainFrame.h"
#include "windowing/TWindow.h"

namespace {

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

}  // namespace

const CommandRow<InputCommands> InputCommands::kRows[] = {
    {CMD_INPUT_FIRST, CMD_INPUT_FIRST + kMaxListedInputs - 1, nullptr, &InputCommands::CmInput},
};

bool InputCommands::Command(UINT command) {
  return DispatchCommand(*this, kRows, command);
}

void InputCommands::CmInput(UINT command) {
  const int32_t device = static_cast<int32_t>(command - CMD_INPUT_FIRST);
  if (device >= static_cast<int32_t>(ListedInputs.size())) return;
  ChosenInput = RememberedInput{ListedInputs[device], device};
  if (Context.Measured.OpenInput() == device && !Context.Measured.Stopped()) InputOpened(device);
  Context.Measured.ChooseInput(device);
}

void InputCommands::InputOpened(int32_t device) {
  if (!ChosenInput || ChosenInput->NumberHint != device) return;
  Remembered = *ChosenInput;
  ChosenInput.reset();
  Context.StoreChoices(Context.Frame);
}

void InputCommands::Reset() {
  Remembered = RememberedInput{};
  ChosenInput.reset();
  Context.Measured.ChooseInput(0);
}

// Built afresh each time it opens: a device plugged in since then is listed.
void InputCommands::MenuOpening(HMENU popup, UINT position) {
  if (position == TMainFrame::kInputMenuPosition) FillInputMenu(popup);
}

void InputCommands::FillInputMenu(HMENU popup) {
  while (GetMenuItemCount(popup) > 0) DeleteMenu(popup, 0, MF_BYPOSITION);
  ListedInputs = WaveInputNames();
  const std::vector<std::string>& names = ListedInputs;
  if (names.empty()) {
    AppendMenuA(popup, MF_STRING | MF_GRAYED, CMD_INPUT_NONE, kNoInputText);
    return;
  }
  const int32_t open = Context.Measured.OpenInput();
  for (int32_t device = 0; device < static_cast<int32_t>(names.size()) && device < kMaxListedInputs;
       ++device) {
    const UINT flags = MF_STRING | (device == open ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuA(popup, flags, CMD_INPUT_FIRST + device, MenuText(names[device]).c_str());
  }
}
