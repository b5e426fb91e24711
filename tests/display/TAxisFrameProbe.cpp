#include "tests/display/TAxisFrameProbe.h"

#include "display/AxisPainter.h"
#include "display/ViewPlacement.h"

TAxisFrameProbe::TAxisFrameProbe(TWindow* parent)
    : TLayoutWindow(parent), SpectrumView(new TViewProbe(this)) {
  SetChildLayoutMetrics(SpectrumView, kViewConstraints);
}

void TAxisFrameProbe::Paint(TDC& dc, bool, const RECT& updateRect) {
  SpectrumView->RescaleToClient();
  PaintAxisFrame(dc, SpectrumView->Geometry(), updateRect);
}
