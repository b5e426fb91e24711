#pragma once

#include "windowing/TDecoratedFrame.h"

class TLayClient;

// The program's only top-level window. Its menu is the user's only control:
// each command rewrites one or two settings and moves the check mark of its
// group; the commands that change only what is drawn repaint at once.
// GUI thread only.
class TMainFrame : public TDecoratedFrame {
 public:
  // Stores the settings' defaults; no window exists yet.
  TMainFrame(TWindow* parent, const char* title, TLayClient* client);

  // The most inputs the "&Eingang" menu lists.
  static constexpr int kMaxListedInputs = 64;
  // Its position in the menu bar.
  static constexpr UINT kInputMenuPosition = 3;

  DECLARE_RESPONSE_TABLE();

 protected:
  // The base set-up (which creates the client and the view, and so starts
  // the measurement), then the six default check marks.
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
  void MenuOpening(HMENU popup, UINT position);
  // Lists the inputs there are now, the one measured from checked.
  void FillInputMenu(HMENU popup);
  // Losing the activation takes the readout under the mouse off the view;
  // the default processing (which moves the focus) follows in any case.
  LRESULT EvActivate(WPARAM wParam, LPARAM lParam);

  void SetChannels(int32_t left, int32_t right, UINT checkedCommand);
  // Flips a toggle item's mark; returns the new setting (1 when now checked).
  int32_t Toggle(UINT command);
  void Check(UINT command, bool checked);
  void Repaint();

  TLayClient* Layout;  // the client window, holding the spectrum view
};
