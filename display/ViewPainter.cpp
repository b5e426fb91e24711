#include "display/ViewPainter.h"

#include "analysis/MeasurementSettings.h"
#include "display/GridGeometry.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TDC.h"
#include "windowing/TPen.h"

namespace {

constexpr COLORREF kGridColour = RGB(80, 80, 80);
constexpr COLORREF kLeftTraceColour = RGB(0, 255, 0);
constexpr COLORREF kRightTraceColour = RGB(255, 0, 0);
constexpr int32_t kLeftChannel = 0;
constexpr int32_t kRightChannel = 1;

void DrawGrid(HDC dc, const ViewGeometry& view) {
  const GridGeometry grid(view);
  for (const int32_t x : grid.Columns()) {
    MoveToEx(dc, x, 0, nullptr);
    LineTo(dc, x, view.ViewHeight());
  }
  for (int32_t row = 0; row < grid.RowCount(); ++row) {
    MoveToEx(dc, 0, grid.Row(row), nullptr);
    LineTo(dc, view.ViewWidth(), grid.Row(row));
  }
}

}  // namespace

void ViewPainter::DrawSpectrum(TDC& dc, const ViewGeometry& view, const SpectrumLevels& levels) {
  EnsureExtendedPrecision();
  const HDC handle = dc.GetHandle();
  PatBlt(handle, 0, 0, view.ViewWidth(), view.ViewHeight(), BLACKNESS);

  const TPen gridPen(kGridColour);
  const TPen leftPen(kLeftTraceColour);
  const TPen rightPen(kRightTraceColour);
  dc.SelectPen(gridPen);
  DrawGrid(handle, view);
  if (Settings.ShowLeft) {
    dc.SelectPen(leftPen);
    DrawTrace(dc, view, levels, kLeftChannel);
  }
  // Drawn last, so the right channel lies over the left one where they meet.
  if (Settings.ShowRight) {
    dc.SelectPen(rightPen);
    DrawTrace(dc, view, levels, kRightChannel);
  }
  dc.RestoreObjects();
}

void ViewPainter::DrawTrace(TDC& dc, const ViewGeometry& view, const SpectrumLevels& levels,
                            int32_t channel) {
  const bool showMaximum = Settings.ShowMaximum != 0;
  int32_t count = Trace.Build(view, levels, channel, showMaximum);
  // Every line a vertex makes a large transform's drawing cost one line per
  // spectral line; the thinned polyline draws the same pixels with at most
  // four per column. With the maximum there is one per column already.
  if (!showMaximum) count = Trace.ThinColumns();
  if (count == 0) return;
  const HDC handle = dc.GetHandle();
  const PixelPoint* points = Trace.Points();
  MoveToEx(handle, points[0].x, points[0].y, nullptr);
  for (int32_t i = 1; i < count; ++i) LineTo(handle, points[i].x, points[i].y);
}
