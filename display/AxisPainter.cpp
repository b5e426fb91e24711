#include "display/AxisPainter.h"

#include <algorithm>
#include <cstring>
#include <string>

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

void DrawFrequencyAxis(HDC dc, const ViewGeometry& view, int32_t viewLeftPx) {
  SetTextAlign(dc, kFrequencyLabelAlignment);
  const FrequencyAxis axis(view, viewLeftPx);
  for (const AxisTick& tick : axis.Ticks()) DrawTick(dc, tick);
  for (const AxisLabel& label : axis.Labels()) DrawLabel(dc, label);
}

void DrawLevelAxis(HDC dc, const ViewGeometry& view, int32_t shiftHundredthsDb,
                   int32_t viewLeftPx) {
  SetTextAlign(dc, kLevelLabelAlignment);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const LevelAxis axis(view, metrics.tmHeight, shiftHundredthsDb, viewLeftPx);
  for (int32_t i = 0; i < axis.Count(); ++i) {
    DrawTick(dc, axis.Tick(i));
    DrawLabel(dc, axis.Label(i));
  }
}

}  // namespace

void PaintAxisFrame(TDC& dc, const ViewGeometry& view, const RECT& updateRect,
                    int32_t shiftHundredthsDb, int32_t viewLeftPx) {
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

  DrawFrequencyAxis(handle, view, viewLeftPx);
  DrawLevelAxis(handle, view, shiftHundredthsDb, viewLeftPx);

  dc.RestoreObjects();
  SetTextAlign(handle, previousAlignment);
  SetBkMode(handle, previousBackgroundMode);
  SetTextColor(handle, previousTextColour);
}

int32_t LevelLabelMarginPx(TDC& dc, const ViewRange& range, int32_t viewHeightPx,
                           int32_t shiftHundredthsDb) {
  const TFont labelFont(kLabelFace, AxisFontHeightPx(viewHeightPx), FW_NORMAL, DEFAULT_CHARSET);
  const HDC handle = dc.GetHandle();
  const HGDIOBJ previousFont = SelectObject(handle, labelFont.GetHandle());
  int32_t widest = 0;
  for (const std::string& text : LevelAxis::LabelTexts(range, viewHeightPx, shiftHundredthsDb)) {
    if (text.empty()) continue;
    SIZE extent{0, 0};
    GetTextExtentPoint32A(handle, text.c_str(), static_cast<int>(text.size()), &extent);
    // A label ends at its tick's side and reaches left by its advances less
    // the first character's leading bearing, where its ink begins (a
    // TrueType font tells it; other fonts draw from the advance's start).
    const UINT first = static_cast<unsigned char>(text.front());
    ABC widths{0, 0, 0};
    const int32_t bearing = GetCharABCWidthsA(handle, first, first, &widths) ? widths.abcA : 0;
    widest = std::max<int32_t>(widest, extent.cx - bearing);
  }
  SelectObject(handle, previousFont);
  return std::max(kViewLeftPx, widest + kLevelLabelGapPx);
}
