#include "display/ViewPainter.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "analysis/MeasurementSettings.h"
#include "display/AxisFont.h"
#include "display/ColumnReadout.h"
#include "display/GridGeometry.h"
#include "display/OffPlotMarks.h"
#include "display/ReadoutFormat.h"
#include "display/ReadoutPlacement.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TDC.h"
#include "windowing/TFont.h"
#include "windowing/TPen.h"

namespace {

constexpr COLORREF kGridColour = RGB(80, 80, 80);
constexpr COLORREF kLeftTraceColour = RGB(0, 255, 0);
constexpr COLORREF kRightTraceColour = RGB(255, 0, 0);
// Half the brightness: clearly the same channel, clearly not the live trace,
// and still apart from the grid's grey.
constexpr COLORREF kLeftHeldColour = RGB(0, 128, 0);
constexpr COLORREF kRightHeldColour = RGB(140, 0, 0);
// Pale: the kept spectrum lies behind the live one without being taken for
// it, and stays bright over the grid's grey.
constexpr COLORREF kLeftReferenceColour = RGB(160, 255, 160);
constexpr COLORREF kRightReferenceColour = RGB(255, 160, 160);
// The readouts' texts stand on black boxes framed in the axis labels' grey,
// so they read alike over the grid and both traces; the pointer's column is
// marked in a blue that neither the grid nor a trace has.
constexpr COLORREF kReadoutTextColour = RGB(192, 192, 192);
constexpr COLORREF kReadoutFrameColour = RGB(192, 192, 192);
constexpr COLORREF kMarkerColour = RGB(0, 160, 255);
constexpr const char* kReadoutFace = "Arial";
constexpr int32_t kBoxPaddingPx = 3;
constexpr const wchar_t* kPeaksInBandText = L"im Bereich";
constexpr int32_t kPeakBoxMarginPx = 4;
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

static_assert(sizeof(PixelPoint) == sizeof(POINT) && offsetof(PixelPoint, y) == offsetof(POINT, y),
              "a vertex is a GDI point");

// The lines from each vertex to the next in one call: the pixels of a pen
// put down on the first and drawn to each further one, without a call per
// line (a large transform's trace has thousands).
void DrawPolyline(HDC dc, const PixelPoint* points, int32_t count) {
  if (count < 2) return;
  Polyline(dc, reinterpret_cast<const POINT*>(points), count);
}

SIZE TextSize(HDC dc, const std::wstring& text) {
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

// A black box with a one-pixel frame in the pen the context holds.
void DrawBox(HDC dc, const RECT& box) {
  PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, BLACKNESS);
  MoveToEx(dc, box.left, box.top, nullptr);
  LineTo(dc, box.right - 1, box.top);
  LineTo(dc, box.right - 1, box.bottom - 1);
  LineTo(dc, box.left, box.bottom - 1);
  LineTo(dc, box.left, box.top);
}

void DrawText(HDC dc, int32_t x, int32_t y, COLORREF colour, const std::wstring& text) {
  SetTextColor(dc, colour);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Selects the readouts' font, text alignment, colour and transparent
// background into dc, and puts them back when it goes.
class ReadoutTextStyle {
 public:
  ReadoutTextStyle(TDC& dc, const ViewGeometry& view)
      : Dc(dc),
        Font(kReadoutFace, AxisFontHeightPx(view.ViewHeight()), FW_NORMAL, DEFAULT_CHARSET),
        PreviousColour(GetTextColor(dc.GetHandle())),
        PreviousMode(SetBkMode(dc.GetHandle(), TRANSPARENT)),
        PreviousAlignment(SetTextAlign(dc.GetHandle(), TA_LEFT | TA_TOP)) {
    dc.SelectFont(Font);
  }
  ~ReadoutTextStyle() {
    Dc.RestoreObjects();
    SetTextAlign(Dc.GetHandle(), PreviousAlignment);
    SetBkMode(Dc.GetHandle(), PreviousMode);
    SetTextColor(Dc.GetHandle(), PreviousColour);
  }

 private:
  TDC& Dc;
  TFont Font;
  COLORREF PreviousColour;
  int PreviousMode;
  UINT PreviousAlignment;
};

// Each channel, whether it is shown, its letter and its trace's colour.
struct ChannelShown {
  bool Shown;
  int32_t Channel;
  wchar_t Letter;
  COLORREF Colour;
};

std::array<ChannelShown, 2> ChannelsShown() {
  return {{{Settings.ShowLeft != 0, kLeftChannel, L'L', kLeftTraceColour},
           {Settings.ShowRight != 0, kRightChannel, L'R', kRightTraceColour}}};
}

}  // namespace

void ViewPainter::DrawSpectrum(TDC& dc, const ViewGeometry& view, const ShownMeasurement& shown) {
  EnsureExtendedPrecision();
  const HDC handle = dc.GetHandle();
  PatBlt(handle, 0, 0, view.ViewWidth(), view.ViewHeight(), BLACKNESS);

  const TPen gridPen(kGridColour);
  const TPen leftPen(kLeftTraceColour);
  const TPen rightPen(kRightTraceColour);
  dc.SelectPen(gridPen);
  DrawGrid(handle, view);
  {
    // Under the traces, as the grid is: part of the plot's frame.
    const ReadoutTextStyle style(dc, view);
    UnitRight = DrawUnit(handle, shown);
  }
  const int32_t shift = shown.AxisShiftHundredthsDb;
  const SpectrumLevels& levels = *shown.Levels;
  if (Reference) DrawReference(dc, view, shift);
  if (HeldShown(shown)) {
    const SpectrumLevels* held = shown.Held.get();
    const TPen leftHeldPen(kLeftHeldColour);
    const TPen rightHeldPen(kRightHeldColour);
    if (Settings.ShowLeft) {
      dc.SelectPen(leftHeldPen);
      DrawTrace(handle, HeldTraces[kLeftChannel], view, *held, shown.HeldNumber, kLeftChannel,
                shift);
    }
    if (Settings.ShowRight) {
      dc.SelectPen(rightHeldPen);
      DrawTrace(handle, HeldTraces[kRightChannel], view, *held, shown.HeldNumber, kRightChannel,
                shift);
    }
    dc.SelectPen(gridPen);  // the held pens go with this block
  }
  if (Settings.ShowLeft) {
    dc.SelectPen(leftPen);
    DrawTrace(handle, LiveTraces[kLeftChannel], view, levels, shown.LevelsNumber, kLeftChannel,
              shift);
    DrawOffPlotMarks(handle, view, shown, kLeftChannel);
  }
  // Drawn last, so the right channel lies over the left one where they meet.
  if (Settings.ShowRight) {
    dc.SelectPen(rightPen);
    DrawTrace(handle, LiveTraces[kRightChannel], view, levels, shown.LevelsNumber, kRightChannel,
              shift);
    DrawOffPlotMarks(handle, view, shown, kRightChannel);
  }
  dc.RestoreObjects();
  const bool averaged = shown.AverageLength != 0 && shown.Size > 0;
  if (!Settings.ShowPeaks && !Settings.ShowDistortion && !ReadoutShown && !averaged && Note.empty())
    return;

  const TPen framePen(kReadoutFrameColour);
  const TPen markerPen(kMarkerColour);
  const ReadoutTextStyle style(dc, view);
  dc.SelectPen(framePen);
  const int32_t peaksBottom = Settings.ShowPeaks ? DrawPeaks(handle, view, shown) : 0;
  if (Settings.ShowDistortion) DrawDistortion(handle, view, shown, peaksBottom);
  if (averaged) DrawAveraging(handle, UnitRight + kPeakBoxMarginPx, shown);
  if (!Note.empty()) DrawCornerNote(handle);
  if (ReadoutShown) {
    const ReadoutArea area = PlaceReadout(handle, view, shown);
    dc.SelectPen(markerPen);
    MoveToEx(handle, area.Marker.left, area.Marker.top, nullptr);
    LineTo(handle, area.Marker.left, area.Marker.bottom);
    dc.SelectPen(framePen);
    DrawReadout(handle, area, view, shown);
  }
}

void ViewPainter::DrawTrace(HDC dc, TraceCache& cache, const ViewGeometry& view,
                            const SpectrumLevels& levels, uint64_t levelsNumber, int32_t channel,
                            int32_t plotShiftHundredthsDb) {
  const TraceVertices& trace = cache.Trace(view, levels, levelsNumber, channel,
                                           Settings.ShowMaximum != 0, plotShiftHundredthsDb);
  DrawPolyline(dc, trace.Points(), trace.Count());
}

void ViewPainter::DrawOffPlotMarks(HDC dc, const ViewGeometry& view, const ShownMeasurement& shown,
                                   int32_t channel) {
  const OffPlotMarks marks(view, shown, channel, Settings.ShowMaximum != 0);
  for (const OffPlotMarks::Run& run : marks.Runs()) {
    for (const int32_t row : {run.Row, run.Row + 1}) {
      MoveToEx(dc, run.FromX, row, nullptr);
      LineTo(dc, run.ToX + 1, row);
    }
  }
}

// Puts back the pen the context held before the drawing: its own pens go with it.
void ViewPainter::DrawReference(TDC& dc, const ViewGeometry& view, int32_t plotShiftHundredthsDb) {
  Reference->Place(view);
  const TPen leftPen(kLeftReferenceColour);
  const TPen rightPen(kRightReferenceColour);
  const struct {
    bool Shown;
    int32_t Channel;
    const TPen& Pen;
  } channels[] = {{Settings.ShowLeft != 0, kLeftChannel, leftPen},
                  {Settings.ShowRight != 0, kRightChannel, rightPen}};
  const HDC handle = dc.GetHandle();
  for (const auto& channel : channels) {
    if (!channel.Shown) continue;
    const TraceVertices& trace =
        Reference->Trace(view, channel.Channel, Settings.ShowMaximum != 0, plotShiftHundredthsDb);
    const int32_t count = trace.Count();
    if (count == 0) continue;
    dc.SelectPen(channel.Pen);
    DrawPolyline(handle, trace.Points(), count);
  }
  dc.RestoreObjects();
}

bool ViewPainter::HeldShown(const ShownMeasurement& shown) {
  return Settings.HoldMaximum && shown.HeldValid && shown.Size > 0;
}

void ViewPainter::ShowReadoutAt(PixelPoint pointer) {
  ReadoutShown = true;
  Pointer = pointer;
}

ReadoutArea ViewPainter::MeasureReadout(TDC& dc, const ViewGeometry& view,
                                        const ShownMeasurement& shown) {
  EnsureExtendedPrecision();
  if (Reference) Reference->Place(view);
  const ReadoutTextStyle style(dc, view);
  return PlaceReadout(dc.GetHandle(), view, shown);
}

ReadoutArea ViewPainter::PlaceReadout(HDC dc, const ViewGeometry& view,
                                      const ShownMeasurement& shown) {
  const ColumnReadout readout(view, shown, HeldShown(shown), Reference);
  const SIZE text = TextSize(dc, readout.Text(Pointer.x, Settings.ShowLeft != 0,
                                              Settings.ShowRight != 0, Settings.ShowMaximum != 0));
  const int32_t width = text.cx + 2 * kBoxPaddingPx;
  const int32_t height = text.cy + 2 * kBoxPaddingPx;
  // The pointer's image may be larger than the classic arrow (a larger
  // pointer chosen by the user, a high-DPI screen).
  const int32_t pointerHeight = GetSystemMetrics(SM_CYCURSOR);
  const PixelPoint origin =
      ReadoutBoxOrigin(Pointer, pointerHeight, width, height, view.ViewWidth(), view.ViewHeight());
  return {{Pointer.x, 0, Pointer.x + 1, view.ViewHeight()},
          {origin.x, origin.y, origin.x + width, origin.y + height}};
}

void ViewPainter::DrawReadout(HDC dc, const ReadoutArea& area, const ViewGeometry& view,
                              const ShownMeasurement& shown) {
  const ColumnReadout readout(view, shown, HeldShown(shown), Reference);
  DrawBox(dc, area.Box);
  DrawText(dc, area.Box.left + kBoxPaddingPx, area.Box.top + kBoxPaddingPx, kReadoutTextColour,
           readout.Text(Pointer.x, Settings.ShowLeft != 0, Settings.ShowRight != 0,
                        Settings.ShowMaximum != 0));
}

int32_t ViewPainter::DrawPeaks(HDC dc, const ViewGeometry& view, const ShownMeasurement& shown) {
  struct Line {
    std::wstring Text;
    COLORREF Colour;
  } lines[3];
  int32_t count = 0;
  const std::array<ChannelShown, 2> channels = ChannelsShown();
  for (const auto& channel : channels) {
    if (!channel.Shown) continue;
    lines[count++] = {FormatPeak(channel.Letter, shown.Peaks[channel.Channel], shown.Unit),
                      channel.Colour};
  }
  if (count == 0) return 0;
  // A zoomed view's peaks are the strongest lines of the frequencies it shows.
  if (shown.PeaksInBand) {
    std::move_backward(lines, lines + count, lines + count + 1);
    lines[0] = {kPeaksInBandText, kReadoutTextColour};
    ++count;
  }
  int32_t width = 0;
  int32_t lineHeight = 0;
  for (int32_t i = 0; i < count; ++i) {
    const SIZE size = TextSize(dc, lines[i].Text);
    width = std::max<int32_t>(width, size.cx);
    lineHeight = std::max<int32_t>(lineHeight, size.cy);
  }
  const int32_t right = view.ViewWidth() - kPeakBoxMarginPx;
  const RECT box{right - width - 2 * kBoxPaddingPx, kPeakBoxMarginPx, right,
                 kPeakBoxMarginPx + count * lineHeight + 2 * kBoxPaddingPx};
  DrawBox(dc, box);
  for (int32_t i = 0; i < count; ++i)
    DrawText(dc, box.left + kBoxPaddingPx, box.top + kBoxPaddingPx + i * lineHeight,
             lines[i].Colour, lines[i].Text);
  return box.bottom;
}

// One box per shown channel, in its trace's colour, under the peak values
// (from `top`, 0 without them): the tone's distortion line and its harmonics.
void ViewPainter::DrawDistortion(HDC dc, const ViewGeometry& view, const ShownMeasurement& shown,
                                 int32_t top) {
  const std::array<ChannelShown, 2> channels = ChannelsShown();
  const int32_t right = view.ViewWidth() - kPeakBoxMarginPx;
  for (const auto& channel : channels) {
    if (!channel.Shown) continue;
    std::vector<std::wstring> lines = FormatHarmonics(shown.Distortion[channel.Channel]);
    lines.insert(lines.begin(), FormatDistortion(channel.Letter, shown.Peaks[channel.Channel],
                                                 shown.Distortion[channel.Channel], shown.Unit));
    int32_t width = 0;
    int32_t lineHeight = 0;
    for (const std::wstring& line : lines) {
      const SIZE size = TextSize(dc, line);
      width = std::max<int32_t>(width, size.cx);
      lineHeight = std::max<int32_t>(lineHeight, size.cy);
    }
    const int32_t boxTop = top + kPeakBoxMarginPx;
    const RECT box{right - width - 2 * kBoxPaddingPx, boxTop, right,
                   boxTop + static_cast<int32_t>(lines.size()) * lineHeight + 2 * kBoxPaddingPx};
    DrawBox(dc, box);
    for (size_t i = 0; i < lines.size(); ++i)
      DrawText(dc, box.left + kBoxPaddingPx,
               box.top + kBoxPaddingPx + static_cast<int32_t>(i) * lineHeight, channel.Colour,
               lines[i]);
    top = box.bottom;
  }
}

// The unit in the axis labels' grey where a box's text would start in the
// top left corner, beside the top label: the level axis's unit.
int32_t ViewPainter::DrawUnit(HDC dc, const ShownMeasurement& shown) {
  std::string unit = shown.Unit;
  // A reference that cannot be compared is named in its own unit.
  if (Reference && !Reference->Comparable()) unit += "   Referenz in " + Reference->Unit();
  const std::wstring text(unit.begin(), unit.end());
  const int32_t left = kPeakBoxMarginPx + kBoxPaddingPx;
  DrawText(dc, left, kPeakBoxMarginPx + kBoxPaddingPx, kReadoutTextColour, text);
  return left + TextSize(dc, text).cx;
}

// How far the average has settled, in the top left corner, right of the unit.
void ViewPainter::DrawAveraging(HDC dc, int32_t left, const ShownMeasurement& shown) {
  const std::wstring text = AveragingProgressText(shown.AverageCount, shown.AverageLength);
  const SIZE size = TextSize(dc, text);
  const RECT box{left, kPeakBoxMarginPx, left + size.cx + 2 * kBoxPaddingPx,
                 kPeakBoxMarginPx + size.cy + 2 * kBoxPaddingPx};
  DrawBox(dc, box);
  DrawText(dc, box.left + kBoxPaddingPx, box.top + kBoxPaddingPx, kReadoutTextColour, text);
}

// Under the unit's row (as high as the averaging's box), at the left edge.
void ViewPainter::DrawCornerNote(HDC dc) {
  const SIZE size = TextSize(dc, Note);
  const int32_t top = 2 * kPeakBoxMarginPx + size.cy + 2 * kBoxPaddingPx;
  const RECT box{kPeakBoxMarginPx, top, kPeakBoxMarginPx + size.cx + 2 * kBoxPaddingPx,
                 top + size.cy + 2 * kBoxPaddingPx};
  DrawBox(dc, box);
  DrawText(dc, box.left + kBoxPaddingPx, box.top + kBoxPaddingPx, kReadoutTextColour, Note);
}
