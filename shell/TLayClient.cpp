#include "shell/TLayClient.h"

#include "display/AxisPainter.h"
#include "display/TMainClient.h"
#include "display/ViewPlacement.h"

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

void TLayClient::Paint(TDC& dc, bool, const RECT& updateRect) {
  View->Rescale(false);
  PaintAxisFrame(dc, View->Geometry(), updateRect, View->AxisShiftHundredthsDb());
}
