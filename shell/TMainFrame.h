#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/SettingsStorage.h"
#include "settings/SettingsTable.h"
#include "settings/StoredSettings.h"
#include "windowing/TDecoratedFrame.h"

class TLayClient;

// The program's only top-level window. Its menu is the user's only control:
// each command of a setting (settings/SettingsTable.h) rewrites it, moves the
// check mark of its group and stores the settings; the settings that change
// only what is drawn repaint at once. It keeps each input's calibration and
// hands the view that of the input measured. GUI thread only.
class TMainFrame : public TDecoratedFrame {
 public:
  // Stores the settings' defaults, then what `storage` kept of the last run
  // (each stored value that is not usable keeps its default); no window
  // exists yet. `storage` must outlive the frame.
  TMainFrame(TWindow* parent, const char* title, TLayClient* client, SettingsStorage& storage);
  // Stores the frame's placement.
  ~TMainFrame() override;

  // The input the user chose last time (the menu of inputs resolves it with
  // ResolveInput), and the one chosen now, stored at once.
  const RememberedInput& GetRememberedInput() const { return Input; }
  void RememberInput(const RememberedInput& input);

  // Shows the frame maximised if it was when the program last ended, unless
  // the start asks for it minimised (showCommand, or for SW_SHOWDEFAULT the
  // process's start-up information): then it starts minimised, and a
  // restore maximises it.
  void Show(int showCommand) override;

  // The monitors' work areas in screen coordinates, against which the
  // remembered place is fitted; tests put monitors of their own here.
  static std::vector<ScreenRect> (*MonitorWorkAreas)();

  // The most inputs the "&Eingang" menu lists.
  static constexpr int kMaxListedInputs = 64;
  // Its position in the menu bar, and those of "&Programm", "&Ansicht" and "&Messung".
  static constexpr UINT kInputMenuPosition = 3;
  static constexpr UINT kProgramMenuPosition = 0;
  static constexpr UINT kViewMenuPosition = 1;
  static constexpr UINT kMeasurementMenuPosition = 2;

  DECLARE_RESPONSE_TABLE();

 protected:
  // Tells the view which input to start with (the remembered one, resolved
  // by name), the base set-up (which creates the client and the view, and
  // so starts the measurement), then the check marks of the settings, then the
  // remembered place, moved onto a monitor if it lies off every one now; the
  // remembered reference if its file still reads (else none, without a box,
  // and it is forgotten when its file is gone or holds no spectrum).
  void SetupWindow() override;

 private:
  // Any command of the settings table.
  void CmSetting(UINT command);
  void CmAbout();
  // "Pegel kalibrieren...": the dialog, then the calibration of the input
  // measured stored by its name, and the levels shown as sine levels.
  void CmCalibrate();
  // "Kalibrierung entfernen": the input measured forgets its calibration.
  void CmForgetCalibration();
  // The view shows the levels with the calibration of the input measured.
  void ApplyCalibration();
  void CmRestartAveraging();
  void CmResetHeldMaximum();
  // "An&halten": holds the picture or measures again; the mark follows.
  void CmPause();
  void CmInput(UINT command);
  // The driver opened input `device`: a choice of it is remembered now.
  void InputOpened(int32_t device);
  void MenuOpening(HMENU popup, UINT position);
  // Lists the inputs there are now, the one measured from checked.
  void FillInputMenu(HMENU popup);
  // Losing the activation takes the readout under the mouse off the view;
  // the default processing (which moves the focus) follows in any case.
  LRESULT EvActivate(WPARAM wParam, LPARAM lParam);
  // WM_ENDSESSION: a session that ends stores what the end of the program
  // would, the settings with it.
  LRESULT EvEndSession(WPARAM ending, LPARAM);
  void CmRestoreDefaults();
  // The spectrum shown, written to the file the user names, whole or not at
  // all; a failure is shown in the "Error" box and changes nothing else.
  void CmExportSpectrum();
  void CmCopyPicture();
  void CmSavePicture();
  void CmTakeReference();
  // A file read as the reference; one that is not a spectrum is refused in
  // the "Error" box, naming its line and fault, and the old one stays.
  void CmLoadReference();
  void CmRemoveReference();
  enum class ReferenceLoad {
    Shown,
    Refused,     // the file is gone, or holds no spectrum
    Unreadable,  // the file cannot be read now, but may later
  };
  // The reference read from `path`; anything but Shown with the reason in `why`.
  ReferenceLoad LoadReference(const std::wstring& path, std::wstring& why);
  // Greys what cannot be done now: the spectrum's commands before one is
  // shown, "Referenz &entfernen" without a reference.
  void EnableItems();

  // Flips a toggle item's mark; returns the new setting (1 when now checked).
  int32_t Toggle(UINT command);
  void Check(UINT command, bool checked);
  void CheckSettings();
  // Checks the items of the setting's value.
  void CheckChoices(const SettingDefinition& setting);
  void Repaint();
  // Stores the measurement settings and the input; failures are dropped.
  void StoreChoices();
  void StorePlacement();
  void PlaceAsRemembered();

  TLayClient* Layout;  // the client window, holding the spectrum view
  SettingsStorage& Storage;
  RememberedInput Input;
  // The names the inputs' menu showed when it last opened, in device order.
  std::vector<std::string> ListedInputs;
  // Chosen in the menu, remembered once it is open.
  std::optional<RememberedInput> ChosenInput;
  // The product name of the input measured; none before one is open.
  std::optional<std::string> MeasuredInput;
  // Every input's calibration; kept by "&Standardeinstellungen", since it
  // belongs to the microphone, not to the view.
  InputCalibrations Calibrations;
  std::optional<StoredPlacement> Placement;
  // The file of the reference shown, or of the one remembered that could
  // not be read at the start; empty when none is, or it was taken from the
  // screen.
  std::wstring ReferenceFile;
};
