#pragma once

#include "windowing/TLayoutWindow.h"

class Measurement;
class TMainClient;

// The main frame's client: holds the spectrum view at (40, 10), or further
// right where the view's level labels need a wider margin, and draws the
// margins around it, the frequency axis below and the level axis to its
// left. Without WS_CLIPCHILDREN, so that invalidating it repaints the view too.
// GUI thread only.
class TLayClient : public TLayoutWindow {
 public:
  // No parent: the main frame adopts it. Constructs the view of
  // `measurement` as its child.
  explicit TLayClient(Measurement& measurement);

  TMainClient* View;  // owned as a child window

  // The axis frame with the view in it as on screen, without the readout
  // under the mouse, into dc: a picture of the client area's size.
  void DrawPicture(TDC& dc);
  // The client area's size; empty while the frame is shrunk to nothing.
  SIZE PictureSize() const;

  DECLARE_RESPONSE_TABLE();

 protected:
  void Paint(TDC& dc, bool erase, const RECT& updateRect) override;

 private:
  bool EraseBackground(HDC dc);
  void SizeChanged(UINT sizeType, SIZE size);
};
