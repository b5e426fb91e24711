#include "tests/display/TSpectrumProbe.h"

#include "windowing/TClientDC.h"

TSpectrumProbe::TSpectrumProbe(TWindow* parent) : TWindow(parent) {}

void TSpectrumProbe::RescaleToClient() {
  RECT client;
  GetClientRect(GetHandle(), &client);
  View->Rescale(client.right, client.bottom, ShownSize, false);
}

void TSpectrumProbe::DrawThroughClientDC() {
  RescaleToClient();
  TClientDC dc(GetHandle());
  Painter.DrawSpectrum(dc, *View, *ShownLevels);
}

void TSpectrumProbe::Paint(TDC& dc, bool, const RECT&) {
  RescaleToClient();
  Painter.DrawSpectrum(dc, *View, *ShownLevels);
}
