#include "display/ViewComposition.h"

#include "display/AxisPainter.h"
#include "display/ViewPlacement.h"
#include "display/ViewRange.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TDC.h"

void DrawViewComposition(TDC& dc, const RECT& frame, POINT viewOrigin, const ViewGeometry& view,
                         ViewPainter& painter, const ShownMeasurement& shown) {
  PaintAxisFrame(dc, view, frame, shown.AxisShiftHundredthsDb, viewOrigin.x - frame.left);
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
  ViewGeometry view;
  // The whole range, as "&Gesamter Bereich" shows it in the scale chosen.
  ViewRange range;
  range.SetHighestHz(shown.SampleRateHz / 2.0);
  const ScaleLevelRanges::Levels levels = ScaleLevelRanges::Default(
      ScaleLevelRanges::Slot(shown.Choice.Scale, shown.Choice.CalibrationHundredthsDb.has_value()));
  range.SetLevels(levels.TopDb, levels.BottomDb);
  view.SetRange(range);
  const int32_t margin = LevelLabelMarginPx(dc, view.Range(), ViewHeightInFrame(frame.cy),
                                            shown.AxisShiftHundredthsDb);
  const LayoutRect placed = PlaceChild(ViewConstraints(margin), frame.cx, frame.cy);
  view.Rescale(placed.width, placed.height, shown.Size, true, shown.SampleRateHz);
  ViewPainter painter;
  DrawViewComposition(dc, {0, 0, frame.cx, frame.cy}, {placed.x, placed.y}, view, painter, shown);
}
