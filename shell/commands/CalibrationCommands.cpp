#include "shell/commands/CalibrationCommands.h"

#include <utility>

#include "analysis/MeasurementSettings.h"
#include "measurement/Measurement.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsTable.h"
#include "shell/TCalibrationDialog.h"
#include "shell/TMainFrame.h"

const CommandRow<CalibrationCommands> CalibrationCommands::kRows[] = {
    {CMD_CALIBRATE, 0, nullptr, &CalibrationCommands::CmCalibrate},
    {CMD_FORGET_CALIBRATION, 0, nullptr, &CalibrationCommands::CmForgetCalibration},
};

bool CalibrationCommands::Command(UINT command) {
  return DispatchCommand(*this, kRows, command);
}

CalibrationCommands::CalibrationCommands(CommandContext context, SettingsStorage& storage,
                                         InputCalibrations calibrations)
    : Context(context), Storage(storage), Calibrations(std::move(calibrations)) {
  Context.Measured.SetCalibrations(Calibrations);
}

void CalibrationCommands::StoreAgain() {
  SaveCalibrations(Storage, Calibrations);
}

// A calibration holds for the sine levels: the view switches to them. One
// made while a recording is shown is the recording's, for as long as it is.
void CalibrationCommands::CmCalibrate(UINT) {
  const bool recording = Context.Measured.ShownRecording() != nullptr;
  const std::optional<std::string> input = Context.Measured.OpenInputName();
  if (!input && !recording) return;
  TCalibrationDialog dialog(&Context.Frame, Context.Measured.Shown());
  if (dialog.Execute() != IDOK) return;
  if (recording) {
    Context.Measured.CalibrateRecording(dialog.CalibrationHundredthsDb());
  } else {
    Calibrations[*input] = dialog.CalibrationHundredthsDb();
    SaveCalibration(Storage, *input, Calibrations[*input]);
  }
  Settings.LevelScale = kScaleSine;
  static_cast<TMainFrame&>(Context.Frame).CheckSetting("LevelScale");
  Context.StoreChoices(Context.Frame);
  Context.Measured.SetCalibrations(Calibrations);
  Context.Repaint(Context.Frame);
}

void CalibrationCommands::CmForgetCalibration(UINT) {
  if (Context.Measured.ShownRecording()) {
    Context.Measured.CalibrateRecording(std::nullopt);
    Context.Repaint(Context.Frame);
    return;
  }
  const std::optional<std::string> input = Context.Measured.OpenInputName();
  if (!input || Calibrations.erase(*input) == 0) return;
  ForgetCalibration(Storage, *input);
  Context.Measured.SetCalibrations(Calibrations);
  Context.Repaint(Context.Frame);
}

void CalibrationCommands::MenuOpening(HMENU, UINT position) {
  if (position != TMainFrame::kMeasurementMenuPosition) return;
  const HMENU menu = GetMenu(Context.Frame.GetHandle());
  const std::optional<std::string> input = Context.Measured.OpenInputName();
  const bool recording = Context.Measured.ShownRecording() != nullptr;
  EnableMenuItem(menu, CMD_CALIBRATE, MF_BYCOMMAND | (input || recording ? MF_ENABLED : MF_GRAYED));
  const bool calibrated = recording ? Context.Measured.RecordingCalibration().has_value()
                                    : input && Calibrations.count(*input) != 0;
  EnableMenuItem(menu, CMD_FORGET_CALIBRATION,
                 MF_BYCOMMAND | (calibrated ? MF_ENABLED : MF_GRAYED));
}
