#include "display/TMainClient.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "analysis/LevelTypes.h"
#include "analysis/MeasurementSettings.h"
#include "display/AxisPainter.h"
#include "display/ViewComposition.h"
#include "measurement/Measurement.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TClientDC.h"
#include "windowing/TDC.h"

const TResponseEntry TMainClient::Rows[] = {
    Row::Message<TWindow, &TWindow::EvPaint>(WM_PAINT),
    Row::EraseBackground<TMainClient, &TMainClient::EraseBackground>(),
    Row::Size<TMainClient, &TMainClient::SizeChanged>(),
    Row::MouseMove<TMainClient, &TMainClient::OnMouseMove>(),
    Row::Message<TMainClient, &TMainClient::OnMouseLeave>(WM_MOUSELEAVE),
    Row::WithParameters<TMainClient, &TMainClient::OnMouseWheel>(WM_MOUSEWHEEL),
    Row::WithParameters<TMainClient, &TMainClient::OnButtonDown>(WM_LBUTTONDOWN),
    Row::WithParameters<TMainClient, &TMainClient::OnButtonUp>(WM_LBUTTONUP),
    Row::WithParameters<TMainClient, &TMainClient::OnDoubleClick>(WM_LBUTTONDBLCLK),
    Row::WithParameters<TMainClient, &TMainClient::OnCaptureChanged>(WM_CAPTURECHANGED),
};
const TResponseTable TMainClient::Table{&TWindow::Table, TMainClient::Rows};

namespace {

// One notch of the wheel (WHEEL_DELTA) narrows the span shown by this much.
constexpr double kZoomPerNotch = 1.25;
// The narrowest frequency span: this many lines of the spectrum measured.
constexpr double kNarrowestSpanLines = 4.0;

}  // namespace

TMainClient::TMainClient(TWindow* parent, Measurement& measurement)
    : TWindow(parent), Measured(measurement), Spectrum(&measurement.Shown()) {
  for (int32_t slot = 0; slot < ScaleLevelRanges::kSlotCount; ++slot)
    Slots[static_cast<size_t>(slot)] = ScaleLevelRanges::Default(slot);
  Measured.AddListener(this);
}

TMainClient::~TMainClient() {
  Measured.RemoveListener(this);
}

void TMainClient::SpectrumShown(const ShownMeasurement& shown) {
  Spectrum = &shown;
  FollowScale();
  FollowRate();
  ConvertReference();
  if (!GetHandle()) return;
  const bool resized = shown.Size != LaidOutSize || shown.SampleRateHz != LaidOutRateHz;
  LaidOutSize = shown.Size;
  LaidOutRateHz = shown.SampleRateHz;
  Rescale(resized);
  TClientDC dc(GetHandle());
  Painter.DrawSpectrum(dc, View, shown);
}

void TMainClient::Rescale(bool forced) {
  EnsureExtendedPrecision();  // the column cache is computed here
  RECT area;
  GetClientRect(GetHandle(), &area);
  View.Rescale(area.right, area.bottom, Spectrum->Size, forced, Spectrum->SampleRateHz);
}

void TMainClient::Paint(TDC& dc, bool, const RECT&) {
  FollowScale();
  Rescale(false);
  Painter.DrawSpectrum(dc, View, *Spectrum);
}

void TMainClient::DrawAxes(TDC& dc, const RECT& area) {
  FollowScale();
  Rescale(false);
  // The margin depends on the view's height alone, which a new margin
  // keeps: asked for once per change of range, scale or height.
  const int32_t needed =
      LevelLabelMarginPx(dc, View.Range(), View.ViewHeight(), Spectrum->AxisShiftHundredthsDb);
  if (needed != Margin && MarginNeeded) {
    Margin = needed;
    MarginNeeded(needed);
    Rescale(false);
  }
  PaintAxisFrame(dc, View, area, Spectrum->AxisShiftHundredthsDb, Margin);
}

void TMainClient::DrawComposition(TDC& dc, const RECT& frame, POINT viewOrigin) {
  Rescale(false);
  const bool readout = Painter.ReadoutVisible();
  const PixelPoint pointer = Painter.ReadoutPointer();
  Painter.HideReadout();
  DrawViewComposition(dc, frame, viewOrigin, View, Painter, *Spectrum);
  if (readout) Painter.ShowReadoutAt(pointer);
}

void TMainClient::SetCornerNote(std::wstring note) {
  if (note == Painter.CornerNote()) return;
  Painter.SetCornerNote(std::move(note));
  if (GetHandle()) InvalidateRect(GetHandle(), nullptr, FALSE);
}

int32_t TMainClient::MarginFor(int32_t frameHeightPx) {
  FollowScale();
  TClientDC dc(GetHandle());
  Margin = LevelLabelMarginPx(dc, View.Range(), ViewHeightInFrame(frameHeightPx),
                              Spectrum->AxisShiftHundredthsDb);
  return Margin;
}

void TMainClient::SetReference(std::optional<ReferenceLevels> reference) {
  Reference = std::move(reference);
  Trace.reset();
  ConvertReference();
  if (GetHandle()) InvalidateRect(GetHandle(), nullptr, FALSE);
}

void TMainClient::ConvertReference() {
  if (!Reference) {
    Trace.reset();
    Painter.SetReference(nullptr);
    return;
  }
  const LevelChoice& choice = Spectrum->Choice;
  if (Trace && choice.Scale == TraceChoice.Scale && choice.Weighting == TraceChoice.Weighting &&
      choice.CalibrationHundredthsDb == TraceChoice.CalibrationHundredthsDb)
    return;
  Trace =
      std::make_unique<ReferenceTrace>(Reference->FrequenciesHz(), Reference->ConvertedFor(choice));
  TraceChoice = choice;
  Painter.SetReference(Trace.get());
}

bool TMainClient::EraseBackground(HDC) {
  return true;
}

void TMainClient::SizeChanged(UINT, SIZE) {
  InvalidateRect(GetHandle(), nullptr, TRUE);
}

// A mouse move only moves the readout: its old and its new area are redrawn
// from the levels and scales at hand, nothing is analysed or rescaled.
void TMainClient::OnMouseMove(POINT pointer) {
  if (Dragging && (pointer.x != DragStart.x || pointer.y != DragStart.y) && View.XScale() > 0.0 &&
      View.YScale() > 0.0) {
    // The picture follows the pointer: right shows lower frequencies, down
    // louder levels.
    ViewRange range = DragRange;
    range.PanFrequencies(-(pointer.x - DragStart.x) / View.XScale());
    range.PanLevels((pointer.y - DragStart.y) / View.YScale());
    DragMoved = true;
    ApplyRange(range, false);
  }
  if (GetActiveWindow() != GetAncestor(GetHandle(), GA_ROOT)) {
    HideReadout();
    return;
  }
  if (!TrackingMouse) {
    TRACKMOUSEEVENT request{sizeof(TRACKMOUSEEVENT), TME_LEAVE, GetHandle(), 0};
    TrackingMouse = TrackMouseEvent(&request) != FALSE;
  }
  const PixelPoint at{pointer.x, pointer.y};
  if (Painter.ReadoutVisible() && Painter.ReadoutPointer() == at) return;
  InvalidateReadout();
  Painter.ShowReadoutAt(at);
  InvalidateReadout();
}

LRESULT TMainClient::OnMouseLeave() {
  TrackingMouse = false;
  HideReadout();
  return 0;
}

void TMainClient::HideReadout() {
  if (!Painter.ReadoutVisible()) return;
  InvalidateReadout();
  Painter.HideReadout();
}

void TMainClient::InvalidateReadout() {
  if (!Painter.ReadoutVisible()) return;
  TClientDC dc(GetHandle());
  const ReadoutArea area = Painter.MeasureReadout(dc, View, *Spectrum);
  InvalidateRect(GetHandle(), &area.Marker, FALSE);
  InvalidateRect(GetHandle(), &area.Box, FALSE);
}

void TMainClient::FollowScale() {
  const LevelChoice& choice = Spectrum->Choice;
  const int32_t slot =
      ScaleLevelRanges::Slot(choice.Scale, choice.CalibrationHundredthsDb.has_value());
  if (slot == Slot) return;
  const ViewRange& shown = View.Range();
  Slots[static_cast<size_t>(Slot)] = {shown.TopDb(), shown.BottomDb()};
  Slot = slot;
  ViewRange range = shown;
  const ScaleLevelRanges::Levels& levels = Slots[static_cast<size_t>(slot)];
  range.SetLevels(levels.TopDb, levels.BottomDb);
  View.SetRange(range);
  // The axes change with the levels.
  if (GetHandle()) InvalidateRect(::GetParent(GetHandle()), nullptr, TRUE);
}

void TMainClient::FollowRate() {
  const double highestHz = Spectrum->SampleRateHz / 2.0;
  if (highestHz == View.Range().HighestHz()) return;
  ViewRange range = View.Range();
  range.SetHighestHz(highestHz);
  ApplyRange(range, false);
}

ViewRange TMainClient::WholeRange() const {
  ViewRange range;
  range.SetHighestHz(View.Range().HighestHz());
  return range;
}

double TMainClient::ShownTopDb() const {
  return View.Range().TopDb() + Spectrum->AxisShiftHundredthsDb / 100.0;
}

double TMainClient::ShownBottomDb() const {
  return View.Range().BottomDb() + Spectrum->AxisShiftHundredthsDb / 100.0;
}

double TMainClient::NarrowestSpanHz() const {
  const int32_t size = Spectrum->Size > 0 ? Spectrum->Size : Settings.FftSize.load();
  return kNarrowestSpanLines * Spectrum->SampleRateHz / std::max(size, 2);
}

void TMainClient::StartWith(
    double lowHz, double highHz,
    const std::array<ScaleLevelRanges::Levels, ScaleLevelRanges::kSlotCount>& slots) {
  Slots = slots;
  ViewRange range = WholeRange();
  range.SetFrequencies(lowHz, highHz, NarrowestSpanHz());
  const ScaleLevelRanges::Levels& levels = Slots[static_cast<size_t>(Slot)];
  range.SetLevels(levels.TopDb, levels.BottomDb);
  ApplyRange(range, false);
}

void TMainClient::ShowFullRange() {
  ViewRange range = WholeRange();
  const ScaleLevelRanges::Levels levels = ScaleLevelRanges::Default(Slot);
  range.SetLevels(levels.TopDb, levels.BottomDb);
  ApplyRange(range, true);
}

void TMainClient::ShowRange(double lowHz, double highHz, double topDb, double bottomDb) {
  const double shiftDb = Spectrum->AxisShiftHundredthsDb / 100.0;
  ViewRange range = WholeRange();
  range.SetFrequencies(lowHz, highHz, NarrowestSpanHz());
  range.SetLevels(topDb - shiftDb, bottomDb - shiftDb);
  ApplyRange(range, true);
}

void TMainClient::ApplyRange(const ViewRange& range, bool tell) {
  Slots[static_cast<size_t>(Slot)] = {range.TopDb(), range.BottomDb()};
  if (range != View.Range()) {
    const ViewRange& before = View.Range();
    // The peak values name the strongest tone of the frequencies shown.
    if (range.LowHz() != before.LowHz() || range.HighHz() != before.HighHz())
      Measured.FindPeaksIn(range.FullFrequencies()
                               ? std::nullopt
                               : std::optional<PeakBand>(PeakBand{range.LowHz(), range.HighHz()}));
    View.SetRange(range);
    // The axis frame's invalidation takes in the view (no WS_CLIPCHILDREN).
    if (GetHandle()) InvalidateRect(::GetParent(GetHandle()), nullptr, TRUE);
  }
  if (tell && RangeChanged) RangeChanged();
}

// Over the view the wheel zooms about the pointer: the frequency axis, with
// Shift the level axis. A notch towards the screen narrows the span.
LRESULT TMainClient::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
  POINT pointer{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ScreenToClient(GetHandle(), &pointer);
  if (!(View.XScale() > 0.0) || !(View.YScale() > 0.0)) return 0;
  const double notches = static_cast<double>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
  const double factor = std::pow(kZoomPerNotch, notches);
  ViewRange range = View.Range();
  if (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) {
    const double anchorDb = range.TopDb() - (pointer.y + 0.5) / View.YScale();
    range.ZoomLevels(anchorDb, factor);
  } else {
    const double anchorHz = range.LowHz() * std::pow(10.0, (pointer.x + 0.5) / View.XScale());
    range.ZoomFrequencies(anchorHz, factor, NarrowestSpanHz());
  }
  ApplyRange(range, true);
  return 0;
}

LRESULT TMainClient::OnButtonDown(WPARAM, LPARAM lParam) {
  Dragging = true;
  DragMoved = false;
  DragStart = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  DragRange = View.Range();
  SetCapture(GetHandle());
  return 0;
}

LRESULT TMainClient::OnButtonUp(WPARAM, LPARAM) {
  const bool moved = Dragging && DragMoved;
  Dragging = false;
  if (GetCapture() == GetHandle()) ReleaseCapture();
  if (moved && RangeChanged) RangeChanged();
  return 0;
}

LRESULT TMainClient::OnCaptureChanged(WPARAM, LPARAM) {
  Dragging = false;
  return 0;
}

LRESULT TMainClient::OnDoubleClick(WPARAM, LPARAM) {
  ShowFullRange();
  return 0;
}
