#pragma once

#include <cstdint>

#include "settings/SettingsTable.h"
#include "shell/commands/CommandUnit.h"
#include "windowing/CommandRows.h"

// The commands of the settings table (settings/SettingsTable.h): each
// rewrites its setting, moves the check mark of its group and stores the
// settings; those that change only what is drawn repaint at once, a level
// scale or weighting reshapes the spectrum shown. Also the restarts of the
// average and the held maximum, and "An&halten" with its mark.
class SettingsCommands : public CommandUnit {
 public:
  explicit SettingsCommands(CommandContext context) : Context(context) {}

  bool Command(UINT command) override;
  void MenuOpening(HMENU popup, UINT position) override;
  void PictureHeldChanged(bool held) override { Check(CMD_PAUSE, held); }

  // Every setting's items checked as the settings are.
  void CheckSettings();
  // Checks the items of the setting's value.
  void CheckChoices(const SettingDefinition& setting);

 private:
  void CmSetting(UINT command);
  void CmRestartAveraging(UINT);
  void CmResetHeldMaximum(UINT);
  void CmPause(UINT);
  // Flips a toggle item's mark; returns the new setting (1 when now checked).
  int32_t Toggle(UINT command);
  void Check(UINT command, bool checked);

  static const CommandRow<SettingsCommands> kRows[];
  CommandContext Context;
};
