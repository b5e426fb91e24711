#pragma once

#include "windowing/TLayoutWindow.h"

class TMainClient;

// The main frame's client: holds the spectrum view at (40, 10) and draws the
// margins around it, the frequency axis below and the level axis to its
// left. Without WS_CLIPCHILDREN, so that invalidating it repaints the view too.
// GUI thread only.
class TLayClient : public TLayoutWindow {
 public:
  // No parent: the main frame adopts it. Constructs the view as its child.
  TLayClient();

  TMainClient* View;  // owned as a child window

  DECLARE_RESPONSE_TABLE();

 protected:
  void Paint(TDC& dc, bool erase, const RECT& updateRect) override;

 private:
  bool EraseBackground(HDC dc);
  void SizeChanged(UINT sizeType, SIZE size);
};
