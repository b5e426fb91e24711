#include "display/TMainClient.h"

#include <utility>

#include "display/AxisPainter.h"
#include "display/SpectrumComposition.h"
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
};
const TResponseTable TMainClient::Table{&TWindow::Table, TMainClient::Rows};

TMainClient::TMainClient(TWindow* parent, Measurement& measurement)
    : TWindow(parent), Measured(measurement), Spectrum(&measurement.Shown()) {
  Measured.AddListener(this);
}

TMainClient::~TMainClient() {
  Measured.RemoveListener(this);
}

void TMainClient::SpectrumShown(const ShownSpectrum& shown) {
  Spectrum = &shown;
  ConvertReference();
  if (!GetHandle()) return;
  const bool resized = shown.Size != LaidOutSize;
  LaidOutSize = shown.Size;
  Rescale(resized);
  TClientDC dc(GetHandle());
  Painter.DrawSpectrum(dc, View, shown);
}

void TMainClient::Rescale(bool forced) {
  EnsureExtendedPrecision();  // the column cache is computed here
  RECT area;
  GetClientRect(GetHandle(), &area);
  View.Rescale(area.right, area.bottom, Spectrum->Size, forced);
}

void TMainClient::Paint(TDC& dc, bool, const RECT&) {
  Rescale(false);
  Painter.DrawSpectrum(dc, View, *Spectrum);
}

void TMainClient::DrawAxes(TDC& dc, const RECT& area) {
  Rescale(false);
  PaintAxisFrame(dc, View, area, Spectrum->AxisShiftHundredthsDb);
}

void TMainClient::DrawComposition(TDC& dc, const RECT& frame, POINT viewOrigin) {
  Rescale(false);
  const bool readout = Painter.ReadoutVisible();
  const PixelPoint pointer = Painter.ReadoutPointer();
  Painter.HideReadout();
  DrawSpectrumComposition(dc, frame, viewOrigin, View, Painter, *Spectrum);
  if (readout) Painter.ShowReadoutAt(pointer);
}

void TMainClient::SetReference(std::optional<ReferenceSpectrum> reference) {
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
