#include "shell/commands/SettingsCommands.h"

#include "analysis/MeasurementSettings.h"
#include "measurement/Measurement.h"
#include "shell/TMainFrame.h"
#include "windowing/TWindow.h"

namespace {

bool IsSettingCommand(UINT command) {
  return FindSettingCommand(command).Setting != nullptr;
}

}  // namespace

const CommandRow<SettingsCommands> SettingsCommands::kRows[] = {
    {0, 0, &IsSettingCommand, &SettingsCommands::CmSetting},
    {CMD_AVERAGE_RESTART, 0, nullptr, &SettingsCommands::CmRestartAveraging},
    {CMD_HOLD_RESET, 0, nullptr, &SettingsCommands::CmResetHeldMaximum},
    {CMD_PAUSE, 0, nullptr, &SettingsCommands::CmPause},
};

bool SettingsCommands::Command(UINT command) {
  return DispatchCommand(*this, kRows, command);
}

void SettingsCommands::CheckSettings() {
  for (const SettingDefinition& setting : kSettings) CheckChoices(setting);
}

void SettingsCommands::CheckChoices(const SettingDefinition& setting) {
  const int32_t value = setting.Place.Get();
  for (const MenuChoice& choice : setting.Choices)
    Check(choice.Command, setting.Kind == SettingKind::Switch ? value != 0 : value == choice.Value);
}

void SettingsCommands::Check(UINT command, bool checked) {
  CheckMenuItem(GetMenu(Context.Frame.GetHandle()), command,
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

int32_t SettingsCommands::Toggle(UINT command) {
  // The new value follows from the menu's mark, not from the stored setting.
  const DWORD previous =
      CheckMenuItem(GetMenu(Context.Frame.GetHandle()), command, MF_BYCOMMAND | MF_UNCHECKED);
  const int32_t value = (previous == MF_UNCHECKED) ? 1 : 0;
  Check(command, value != 0);
  return value;
}

void SettingsCommands::CmSetting(UINT command) {
  const SettingCommand found = FindSettingCommand(command);
  if (!found.Setting) return;
  const SettingDefinition& setting = *found.Setting;
  if (setting.Kind == SettingKind::Switch) {
    setting.Place.Set(Toggle(command));
  } else {
    setting.Place.Set(found.Choice->Value);
    CheckChoices(setting);
  }
  Context.StoreChoices(Context.Frame);
  // A maximum switched on holds from now on.
  if (command == CMD_HOLD_MAXIMUM && Settings.HoldMaximum) Context.Measured.RestartHeldMaximum();
  if (&setting == &kSettings[SettingIndex("LevelScale")] ||
      &setting == &kSettings[SettingIndex("FrequencyWeighting")] ||
      &setting == &kSettings[SettingIndex("ShowDistortion")])
    Context.Measured.LevelChoiceChanged();
  if (setting.Effect == SettingEffect::Repaint) Context.Repaint(Context.Frame);
}

void SettingsCommands::CmRestartAveraging(UINT) {
  Context.Measured.RestartAveraging();
}

void SettingsCommands::CmResetHeldMaximum(UINT) {
  Context.Measured.RestartHeldMaximum();
}

void SettingsCommands::CmPause(UINT) {
  Context.Measured.TogglePause();
  Check(CMD_PAUSE, Context.Measured.PictureHeld());
}

// The picture may have stopped being held meanwhile (a failure, a close).
void SettingsCommands::MenuOpening(HMENU, UINT position) {
  if (position == TMainFrame::kMeasurementMenuPosition)
    Check(CMD_PAUSE, Context.Measured.PictureHeld());
}
