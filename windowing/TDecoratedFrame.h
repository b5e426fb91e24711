#pragma once

#include "windowing/TFrameWindow.h"

// A frame window that may carry decorations around its client window. This
// program inserts none, so the client fills the frame's client area.
class TDecoratedFrame : public TFrameWindow {
 public:
  using TFrameWindow::TFrameWindow;

  static const TResponseTable Table;
  const TResponseTable& ResponseTable() const override { return Table; }
};
