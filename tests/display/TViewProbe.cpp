#include "tests/display/TViewProbe.h"

#include "windowing/TClientDC.h"

TViewProbe::TViewProbe(TWindow* parent) : TWindow(parent) {}

void TViewProbe::RescaleToClient() {
  RECT client;
  GetClientRect(GetHandle(), &client);
  View->Rescale(client.right, client.bottom, ShownSize, false);
}

void TViewProbe::DrawThroughClientDC() {
  RescaleToClient();
  TClientDC dc(GetHandle());
  Painter.DrawSpectrum(dc, *View, *ShownLevels);
}

void TViewProbe::Paint(TDC& dc, bool, const RECT&) {
  RescaleToClient();
  Painter.DrawSpectrum(dc, *View, *ShownLevels);
}
