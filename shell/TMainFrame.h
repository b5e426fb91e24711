#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/ScreenRect.h"
#include "settings/SettingsStorage.h"
#include "settings/StoredSettings.h"
#include "windowing/TDecoratedFrame.h"

class CalibrationCommands;
class CommandUnit;
class FileCommands;
class InputCommands;
class RangeCommands;
class RecordingCommands;
class Measurement;
class SettingsCommands;
class TLayClient;

// The program's only top-level window. Its menu is the user's only control;
// the commands live in units by subject (shell/commands/: settings, input,
// files and pictures, calibration), each with its own rows, and the frame
// routes each command and each opening pop-up to them (the recording's
// first: it takes "An&halten" while a recording is shown). The frame itself
// keeps its place on the screen, the About box, "&Standardeinstellungen",
// and the measurement's close check. GUI thread only.
class TMainFrame : public TDecoratedFrame {
 public:
  // Stores the settings' defaults, then what `storage` kept of the last run
  // (each stored value that is not usable keeps its default); no window
  // exists yet. `storage` and `measurement` must outlive the frame.
  TMainFrame(TWindow* parent, const char* title, TLayClient* client, SettingsStorage& storage,
             Measurement& measurement);
  // Stores the frame's placement.
  ~TMainFrame() override;

  // Shows the frame maximised if it was when the program last ended, unless
  // the start asks for it minimised (showCommand, or for SW_SHOWDEFAULT the
  // process's start-up information): then it starts minimised, and a
  // restore maximises it.
  void Show(int showCommand) override;

  // The measurement ends the program once the buffer is back: answers no.
  bool CanClose() override;
  void StopBeforeExceptionBox() override;

  // The items of setting `storedName` checked as the setting is now.
  void CheckSetting(std::string_view storedName);

  // The monitors' work areas in screen coordinates, against which the
  // remembered place is fitted; tests put monitors of their own here.
  static std::vector<ScreenRect> (*MonitorWorkAreas)();

  // Positions in the menu bar of "&Programm", "&Ansicht", "&Messung" and "&Eingang".
  static constexpr UINT kProgramMenuPosition = 0;
  static constexpr UINT kViewMenuPosition = 1;
  static constexpr UINT kMeasurementMenuPosition = 2;
  static constexpr UINT kInputMenuPosition = 3;

  DECLARE_RESPONSE_TABLE();

 protected:
  // Tells the measurement which input to start with (the remembered one,
  // resolved by name), the base set-up (which creates the client and the
  // view), starts the measurement, then the check marks of the settings,
  // then the remembered place, moved onto a monitor if it lies off every
  // one now; the remembered reference if its file still reads.
  void SetupWindow() override;
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CmAbout();
  void CmRestoreDefaults();
  void MenuOpening(HMENU popup, UINT position);
  // Losing the activation takes the readout under the mouse off the view;
  // the default processing (which moves the focus) follows in any case.
  LRESULT EvActivate(WPARAM wParam, LPARAM lParam);
  // The system ends the session: the place and the settings are stored now.
  LRESULT EvEndSession(WPARAM wParam, LPARAM lParam);
  void EvPower(UINT powerEvent);
  // The wheel over the spectrum view zooms it; the frame holds the focus.
  LRESULT EvMouseWheel(WPARAM wParam, LPARAM lParam);
  void Repaint();
  // Stores the measurement settings, the input and the reference's file;
  // failures are dropped.
  void StoreChoices();
  void StorePlacement();
  void PlaceAsRemembered();
  static void StoreChoicesOf(TWindow& frame);
  static void RepaintOf(TWindow& frame);

  TLayClient* Layout;  // the client window, holding the spectrum view
  SettingsStorage& Storage;
  Measurement& Measured;
  StoredSettings Stored;  // what the last run kept, read in the constructor
  std::unique_ptr<SettingsCommands> SettingsUnit;
  std::unique_ptr<InputCommands> InputUnit;
  std::unique_ptr<FileCommands> FileUnit;
  std::unique_ptr<CalibrationCommands> CalibrationUnit;
  std::unique_ptr<RangeCommands> RangeUnit;
  std::unique_ptr<RecordingCommands> RecordingUnit;
  std::vector<CommandUnit*> Units;
};
