#include "shell/TLayClient.h"

#include "display/AxisPainter.h"
#include "display/TMainClient.h"
#include "display/ViewPlacement.h"
#include "windowing/TDC.h"

const TResponseEntry TLayClient::Rows[] = {
    Row::Message<TWindow, &TWindow::EvPaint>(WM_PAINT),
    Row::EraseBackground<TLayClient, &TLayClient::EraseBackground>(),
    Row::Size<TLayClient, &TLayClient::SizeChanged>(),
};
const TResponseTable TLayClient::Table{&TLayoutWindow::Table, TLayClient::Rows};

TLayClient::TLayClient() : TLayoutWindow(nullptr), View(new TMainClient(this)) {
  SetChildLayoutMetrics(View, kViewConstraints);
}

void TLayClient::SizeChanged(UINT sizeType, SIZE size) {
  TLayoutWindow::SizeChanged(sizeType, size);
  InvalidateRect(GetHandle(), nullptr, TRUE);
}

bool TLayClient::EraseBackground(HDC) {
  return true;
}

void TLayClient::DrawPicture(TDC& dc) {
  View->Rescale(false);
  RECT all;
  GetClientRect(GetHandle(), &all);
  PaintAxisFrame(dc, View->Geometry(), all);
  RECT view;
  GetWindowRect(View->GetHandle(), &view);
  MapWindowPoints(nullptr, GetHandle(), reinterpret_cast<POINT*>(&view), 2);
  // The view draws in its own pixels and is clipped to its area, as its
  // window is on screen.
  const HDC handle = dc.GetHandle();
  const int saved = SaveDC(handle);
  IntersectClipRect(handle, view.left, view.top, view.right, view.bottom);
  SetViewportOrgEx(handle, view.left, view.top, nullptr);
  View->DrawPicture(dc);
  RestoreDC(handle, saved);
}

void TLayClient::Paint(TDC& dc, bool, const RECT& updateRect) {
  View->Rescale(false);
  PaintAxisFrame(dc, View->Geometry(), updateRect, View->AxisShiftHundredthsDb());
}
