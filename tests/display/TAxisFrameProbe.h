#pragma once

#include "tests/display/TViewProbe.h"
#include "windowing/TLayoutWindow.h"

// An axis frame as the program has one: places its spectrum view at (40, 10)
// by the view's constraints and paints the margins around it.
class TAxisFrameProbe : public TLayoutWindow {
 public:
  explicit TAxisFrameProbe(TWindow* parent);

  TViewProbe& View() { return *SpectrumView; }

 protected:
  void Paint(TDC& dc, bool erase, const RECT& updateRect) override;

 private:
  TViewProbe* SpectrumView;  // owned as a child window
};
