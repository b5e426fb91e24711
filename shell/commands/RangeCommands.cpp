#include "shell/commands/RangeCommands.h"

#include "display/TMainClient.h"
#include "display/ViewLimits.h"
#include "measurement/ShownMeasurement.h"
#include "resources/ResourceIds.h"
#include "shell/TRangeDialog.h"

const CommandRow<RangeCommands> RangeCommands::kRows[] = {
    {CMD_VIEW_FULL_RANGE, 0, nullptr, &RangeCommands::CmFullRange},
    {CMD_VIEW_RANGE, 0, nullptr, &RangeCommands::CmTypedRange},
};

RangeCommands::RangeCommands(CommandContext context, SettingsStorage& storage)
    : Context(context), Storage(storage) {
  Context.View.OnRangeChanged([this] { Store(); });
}

bool RangeCommands::Command(UINT command) {
  return DispatchCommand(*this, kRows, command);
}

void RangeCommands::LoadRemembered() {
  const ViewLimits limits = LoadViewLimits(Storage);
  Context.View.StartWith(limits.LowHz, limits.HighHz, limits.Slots);
}

void RangeCommands::Reset() {
  const ViewLimits first;
  Context.View.StartWith(first.LowHz, first.HighHz, first.Slots);
}

void RangeCommands::Store() {
  ViewLimits limits;
  limits.LowHz = Context.View.RangeShown().LowHz();
  limits.HighHz = Context.View.RangeShown().HighHz();
  limits.Slots = Context.View.SlotLevels();
  SaveViewLimits(Storage, limits);
}

void RangeCommands::CmFullRange(UINT) {
  Context.View.ShowFullRange();
}

void RangeCommands::CmTypedRange(UINT) {
  TMainClient& view = Context.View;
  const TRangeDialog::Limits shown{view.RangeShown().LowHz(), view.RangeShown().HighHz(),
                                   view.ShownTopDb(), view.ShownBottomDb()};
  TRangeDialog dialog(&Context.Frame, shown, view.Shown().Unit, view.RangeShown().HighestHz());
  if (dialog.Execute() != IDOK) return;
  const TRangeDialog::Limits& typed = dialog.Typed();
  view.ShowRange(typed.LowHz, typed.HighHz, typed.TopDb, typed.BottomDb);
}
