#include "display/TMainClient.h"

#include <algorithm>
#include <cmath>

#include "analysis/DisplayRange.h"
#include "capture/MessageBoxes.h"
#include "export/HeaderTexts.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TClientDC.h"

const TResponseEntry TMainClient::Rows[] = {
    Row::Message<TWindow, &TWindow::EvPaint>(WM_PAINT),
    Row::EraseBackground<TMainClient, &TMainClient::EraseBackground>(),
    Row::Size<TMainClient, &TMainClient::SizeChanged>(),
    Row::WithParameters<TMainClient, &TMainClient::OnCaptureDone>(MM_WIM_DATA),
    Row::Message<TMainClient, &TMainClient::OnSpectrumReady>(CaptureDriver::kSpectrumReadyMessage),
    Row::Timer<TMainClient, &TMainClient::OnTimer>(),
    Row::PowerBroadcast<TMainClient, &TMainClient::OnPowerEvent>(),
    Row::MouseMove<TMainClient, &TMainClient::OnMouseMove>(),
    Row::Message<TMainClient, &TMainClient::OnMouseLeave>(WM_MOUSELEAVE),
};
const TResponseTable TMainClient::Table{&TWindow::Table, TMainClient::Rows};

TMainClient::TMainClient(TWindow* parent)
    : TWindow(parent),
      Shown(std::make_unique<SpectrumLevels>()),
      ShownHeld(std::make_unique<SpectrumLevels>()),
      Driver(std::make_unique<CaptureDriver>(*this)) {
  Range = kFixedDisplayRange;
  Painter.SetHeldLevels(ShownHeld.get());
}

// The driver goes first: its teardown may still open a box.
TMainClient::~TMainClient() {
  Driver.reset();
}

void TMainClient::SetupWindow() {
  TWindow::SetupWindow();
  Driver->Start(GetHandle());
}

bool TMainClient::CanClose() {
  Driver->RequestClose();
  return false;
}

void TMainClient::StopBeforeExceptionBox() {
  Driver->StopBeforeExceptionBox();
  TWindow::StopBeforeExceptionBox();
}

LRESULT TMainClient::OnCaptureDone(WPARAM, LPARAM header) {
  Driver->OnCaptureDone(header);
  return 0;
}

LRESULT TMainClient::OnSpectrumReady() {
  Driver->OnSpectrumReady();
  return 0;
}

void TMainClient::OnTimer(UINT_PTR timerId) {
  Driver->OnTimer(timerId);
}

// Sent to top-level windows only: the frame passes it on.
void TMainClient::OnPowerEvent(UINT powerEvent) {
  Driver->OnPowerEvent(powerEvent);
}

void TMainClient::ShowSpectrum(const AnalysedSpectrum& spectrum) {
  const int32_t cycleSize = spectrum.Size;
  std::copy_n(spectrum.Levels.begin(), cycleSize / 2, Shown->begin());
  std::copy_n(spectrum.Held.begin(), cycleSize / 2, ShownHeld->begin());
  Painter.SetHeldLevels(spectrum.HasHeld ? ShownHeld.get() : nullptr);
  Painter.SetSpectrum(cycleSize, spectrum.Weighting);
  Painter.SetAveraging(spectrum.AverageCount, spectrum.AverageLength);
  ShownWeighting = spectrum.Weighting;
  ShownAverageCount = spectrum.AverageCount;
  ShownAverageLength = spectrum.AverageLength;
  if (ShownFrames == cycleSize) {
    Rescale(false);
  } else {
    ShownFrames = cycleSize;
    Rescale(true);
  }
  TClientDC dc(GetHandle());
  DrawSpectrum(dc);
}

void TMainClient::ShowErrorBox(const char* text) {
  ShowError(text);
}

void TMainClient::Rescale(bool forced) {
  EnsureExtendedPrecision();  // the column cache is computed here
  RECT area;
  GetClientRect(GetHandle(), &area);
  View.Rescale(area.right, area.bottom, ShownFrames, forced);
}

void TMainClient::Paint(TDC& dc, bool, const RECT&) {
  Rescale(false);
  DrawSpectrum(dc);
}

void TMainClient::DrawSpectrum(TDC& dc) {
  Painter.DrawSpectrum(dc, View, *Shown);
}

void TMainClient::DrawPicture(TDC& dc) {
  const bool readout = Painter.ReadoutVisible();
  const PixelPoint pointer = Painter.ReadoutPointer();
  Painter.HideReadout();
  Painter.DrawSpectrum(dc, View, *Shown);
  if (readout) Painter.ShowReadoutAt(pointer);
}

// Shown as measured until the level scales come.
// In the level scale chosen: what the readouts and the traces show.
double TMainClient::ShownLevelDb(int32_t channel, int32_t line) {
  constexpr double kDbPerStoredUnit = 0.01;
  return Painter.CurrentScale().ScaledLevel((*Shown)[line][channel], line) * kDbPerStoredUnit;
}

std::string TMainClient::ShownScaleName() {
  return Painter.CurrentScale().Unit();
}

LevelTable TMainClient::ShownLevelTable() {
  constexpr double kStoredUnitsPerDb = 100.0;
  LevelTable table;
  table.Header.FftSize = ShownFrames;
  table.Header.Window = WindowName(ShownWeighting);
  table.Header.Averaging = AveragingText(ShownAverageCount, ShownAverageLength);
  table.Header.LevelScale = ShownScaleName();
  const int32_t lines = ShownFrames / 2;
  table.FrequenciesHz.resize(lines);
  table.Levels.resize(lines);
  for (int32_t line = 0; line < lines; ++line) {
    table.FrequenciesHz[line] = static_cast<double>(kSampleRateHz) * line / ShownFrames;
    for (int32_t channel = 0; channel < 2; ++channel)
      table.Levels[line][channel] =
          static_cast<int32_t>(std::lround(ShownLevelDb(channel, line) * kStoredUnitsPerDb));
  }
  return table;
}

void TMainClient::SetReference(std::unique_ptr<ReferenceTrace> reference) {
  Reference = std::move(reference);
  Painter.SetReference(Reference.get());
  if (GetHandle()) InvalidateRect(GetHandle(), nullptr, FALSE);
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
  const ReadoutArea area = Painter.MeasureReadout(dc, View, *Shown);
  InvalidateRect(GetHandle(), &area.Marker, FALSE);
  InvalidateRect(GetHandle(), &area.Box, FALSE);
}
