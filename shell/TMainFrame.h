#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/SettingsStorage.h"
#include "settings/StoredSettings.h"
#include "windowing/TDecoratedFrame.h"

class TLayClient;

// The program's only top-level window. Its menu is the user's only control:
// each command rewrites one or two settings, moves the check mark of its
// group and stores the settings; the commands that change only what is
// drawn repaint at once. GUI thread only.
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

  // Shows the frame maximised if it was when the program last ended.
  void Show(int showCommand) override;

  // The most inputs the "&Eingang" menu lists.
  static constexpr int kMaxListedInputs = 64;
  // Its position in the menu bar.
  static constexpr UINT kInputMenuPosition = 3;

  DECLARE_RESPONSE_TABLE();

 protected:
  // Tells the view which input to start with (the remembered one, resolved
  // by name), the base set-up (which creates the client and the view, and
  // so starts the measurement), then the check marks of the settings, then the
  // remembered place, moved onto a monitor if it lies off every one now.
  void SetupWindow() override;

 private:
  void CmChannelLeft();
  void CmChannelRight();
  void CmChannelBoth();
  void CmShowMaximum();
  void CmShowPeaks();
  void CmFftSize(UINT command);
  void CmRate(UINT command);
  void CmWindow(UINT command);
  void CmAutoOffset();
  void CmAbout();
  void CmInput(UINT command);
  // The driver opened input `device`: a choice of it is remembered now.
  void InputOpened(int32_t device);
  void MenuOpening(HMENU popup, UINT position);
  // Lists the inputs there are now, the one measured from checked.
  void FillInputMenu(HMENU popup);
  // Losing the activation takes the readout under the mouse off the view;
  // the default processing (which moves the focus) follows in any case.
  LRESULT EvActivate(WPARAM wParam, LPARAM lParam);
  void CmRestoreDefaults();

  void SetChannels(int32_t left, int32_t right, UINT checkedCommand);
  // Flips a toggle item's mark; returns the new setting (1 when now checked).
  int32_t Toggle(UINT command);
  void Check(UINT command, bool checked);
  void CheckSettings();
  void Repaint();
  // Stores the measurement settings and the input; failures are dropped.
  void StoreChoices();
  void PlaceAsRemembered();

  TLayClient* Layout;  // the client window, holding the spectrum view
  SettingsStorage& Storage;
  RememberedInput Input;
  // The names the inputs' menu showed when it last opened, in device order.
  std::vector<std::string> ListedInputs;
  // Chosen in the menu, remembered once it is open.
  std::optional<RememberedInput> ChosenInput;
  std::optional<StoredPlacement> Placement;
};
