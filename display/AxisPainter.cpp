#include "display/AxisPainter.h"

#include <cstring>

#include "display/AxisFont.h"
#include "display/FrequencyAxis.h"
#include "display/LevelAxis.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TDC.h"
#include "windowing/TFont.h"
#include "windowing/TPen.h"

namespace {

constexpr COLORREF kTickColour = RGB(80, 80, 80);
constexpr COLORREF kLabelColour = RGB(192, 192, 192);
constexpr const char* kLabelFace = "Arial";
constexpr UINT kFrequencyLabelAlignment = TA_CENTER | TA_TOP;
constexpr UINT kLevelLabelAlignment = TA_RIGHT | TA_BASELINE;

void DrawTick(HDC dc, const AxisTick& tick) {
  MoveToEx(dc, tick.from.x, tick.from.y, nullptr);
  LineTo(dc, tick.to.x, tick.to.y);
}

void DrawLabel(HDC dc, const AxisLabel& label) {
  TextOutA(dc, label.anchor.x, label.anchor.y, label.text,
           static_cast<int>(std::strlen(label.text)));
}

void DrawFrequencyAxis(HDC dc, const ViewGeometry& view) {
  SetTextAlign(dc, kFrequencyLabelAlignment);
  const FrequencyAxis axis(view);
  for (const AxisTick& tick : axis.Ticks()) DrawTick(dc, tick);
  for (const AxisLabel& label : axis.Labels()) DrawLabel(dc, label);
}

void DrawLevelAxis(HDC dc, const ViewGeometry& view, int32_t shiftHundredthsDb) {
  SetTextAlign(dc, kLevelLabelAlignment);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const LevelAxis axis(view, metrics.tmHeight, shiftHundredthsDb);
  for (int32_t i = 0; i < axis.Count(); ++i) {
    DrawTick(dc, axis.Tick(i));
    DrawLabel(dc, axis.Label(i));
  }
}

}  // namespace

void PaintAxisFrame(TDC& dc, const ViewGeometry& view, const RECT& updateRect,
                    int32_t shiftHundredthsDb) {
  EnsureExtendedPrecision();
  const HDC handle = dc.GetHandle();
  PatBlt(handle, updateRect.left, updateRect.top, updateRect.right - updateRect.left,
         updateRect.bottom - updateRect.top, BLACKNESS);

  const TPen tickPen(kTickColour);
  const TFont labelFont(kLabelFace, AxisFontHeightPx(view.ViewHeight()), FW_NORMAL,
                        DEFAULT_CHARSET);
  const COLORREF previousTextColour = SetTextColor(handle, kLabelColour);
  const int previousBackgroundMode = SetBkMode(handle, TRANSPARENT);
  const UINT previousAlignment = GetTextAlign(handle);
  dc.SelectFont(labelFont);
  dc.SelectPen(tickPen);

  DrawFrequencyAxis(handle, view);
  DrawLevelAxis(handle, view, shiftHundredthsDb);

  dc.RestoreObjects();
  SetTextAlign(handle, previousAlignment);
  SetBkMode(handle, previousBackgroundMode);
  SetTextColor(handle, previousTextColour);
}
