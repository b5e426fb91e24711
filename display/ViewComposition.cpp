#include "display/ViewComposition.h"

#include "display/AxisPainter.h"
#include "display/ViewPlacement.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TDC.h"

void DrawViewComposition(TDC& dc, const RECT& frame, POINT viewOrigin, const ViewGeometry& view,
                         ViewPainter& painter, const ShownMeasurement& shown) {
  PaintAxisFrame(dc, view, frame, shown.AxisShiftHundredthsDb);
  const HDC handle = dc.GetHandle();
  const int saved = SaveDC(handle);
  IntersectClipRect(handle, viewOrigin.x, viewOrigin.y, viewOrigin.x + view.ViewWidth(),
                    viewOrigin.y + view.ViewHeight());
  SetViewportOrgEx(handle, viewOrigin.x, viewOrigin.y, nullptr);
  painter.DrawSpectrum(dc, view, shown);
  RestoreDC(handle, saved);
}

void DrawSpectrumPicture(TDC& dc, SIZE frame, const ShownMeasurement& shown) {
  EnsureExtendedPrecision();
  const LayoutRect placed = PlaceChild(kViewConstraints, frame.cx, frame.cy);
  ViewGeometry view;
  ViewRange range;
  range.SetHighestHz(shown.SampleRateHz / 2.0);
  view.SetRange(range);
  view.Rescale(placed.width, placed.height, shown.Size, true, shown.SampleRateHz);
  ViewPainter painter;
  DrawViewComposition(dc, {0, 0, frame.cx, frame.cy}, {placed.x, placed.y}, view, painter, shown);
}
