#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/StoredSettings.h"
#include "shell/commands/CommandUnit.h"
#include "windowing/CommandRows.h"

// The "&Eingang" menu: lists the inputs there are each time it opens, the
// one measured from checked; a choice is measured from at once and
// remembered by the name the menu showed, its number a hint, once the input
// is open: a device plugged in since the menu opened does not lend it its
// name, and an input that cannot be opened is not remembered.
class InputCommands : public CommandUnit {
 public:
  // The most inputs the menu lists.
  static constexpr int kMaxListedInputs = 64;

  InputCommands(CommandContext context, RememberedInput remembered)
      : Context(context), Remembered(std::move(remembered)) {}

  bool Command(UINT command) override;
  void MenuOpening(HMENU popup, UINT position) override;
  void InputOpened(int32_t device) override;

  // The input chosen last (by name, its number a hint).
  const RememberedInput& Input() const { return Remembered; }
  // Forgets the choices: device 0 is measured from.
  void Reset();

 private:
  void CmInput(UINT command);
  void FillInputMenu(HMENU popup);

  static const CommandRow<InputCommands> kRows[];
  CommandContext Context;
  RememberedInput Remembered;
  // The names the menu showed when it last opened, in device order.
  std::vector<std::string> ListedInputs;
  // Chosen in the menu, remembered once it is open.
  std::optional<RememberedInput> ChosenInput;
};
