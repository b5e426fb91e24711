#pragma once

#include "settings/SettingsStorage.h"
#include "shell/commands/CommandUnit.h"
#include "windowing/CommandRows.h"

// "&Gesamter Bereich" and "&Bereich...": the range the view shows, back to
// the whole or as typed limits; the view's limits stored whenever the user
// changes them (by the mouse too) and read back at the start.
// "&Standardeinstellungen" forgets them. GUI thread only.
class RangeCommands : public CommandUnit {
 public:
  RangeCommands(CommandContext context, SettingsStorage& storage);

  bool Command(UINT command) override;

  // The stored limits into the view (the first start's where none are stored).
  void LoadRemembered();
  // The first start's range shown, after the stored values were forgotten.
  void Reset();

 private:
  void CmFullRange(UINT);
  void CmTypedRange(UINT);
  void Store();

  static const CommandRow<RangeCommands> kRows[];
  CommandContext Context;
  SettingsStorage& Storage;
};
