#pragma once

#include "settings/SettingsStorage.h"
#include "settings/StoredSettings.h"
#include "shell/commands/CommandUnit.h"
#include "windowing/CommandRows.h"

// "Pegel &kalibrieren..." and "Kalibrierung &entfernen": each input's
// calibration, stored by its product name and handed to the measurement,
// which applies it to the spectra that input records. Kept by
// "&Standardeinstellungen": it belongs to the microphone, not to the view.
// While a recording is shown, both act on the recording's own calibration,
// which is never stored.
class CalibrationCommands : public CommandUnit {
 public:
  CalibrationCommands(CommandContext context, SettingsStorage& storage,
                      InputCalibrations calibrations);

  bool Command(UINT command) override;
  void MenuOpening(HMENU popup, UINT position) override;

  // Writes the calibrations back after the settings were forgotten.
  void StoreAgain();

 private:
  // The dialog, then the calibration of the input measured stored by its
  // name, and the levels shown as sine levels.
  void CmCalibrate(UINT);
  // The input measured forgets its calibration.
  void CmForgetCalibration(UINT);

  static const CommandRow<CalibrationCommands> kRows[];
  CommandContext Context;
  SettingsStorage& Storage;
  InputCalibrations Calibrations;
};
