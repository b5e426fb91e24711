#include "shell/TLayClient.h"

#include "display/TMainClient.h"
#include "display/ViewPlacement.h"

const TResponseEntry TLayClient::Rows[] = {
    Row::Message<TWindow, &TWindow::EvPaint>(WM_PAINT),
    Row::EraseBackground<TLayClient, &TLayClient::EraseBackground>(),
    Row::Size<TLayClient, &TLayClient::SizeChanged>(),
};
const TResponseTable TLayClient::Table{&TLayoutWindow::Table, TLayClient::Rows};

TLayClient::TLayClient(Measurement& measurement)
    : TLayoutWindow(nullptr), View(new TMainClient(this, measurement)) {
  SetChildLayoutMetrics(View, kViewConstraints);
  View->OnMarginNeeded([this](int32_t viewLeftPx) {
    SetChildLayoutMetrics(View, ViewConstraints(viewLeftPx));
    Layout();
    InvalidateRect(GetHandle(), nullptr, TRUE);
  });
}

void TLayClient::SizeChanged(UINT sizeType, SIZE size) {
  // The labels' font, and so the margin they need, follows the height.
  if (sizeType != SIZE_MINIMIZED)
    SetChildLayoutMetrics(View, ViewConstraints(View->MarginFor(size.cy)));
  TLayoutWindow::SizeChanged(sizeType, size);
  InvalidateRect(GetHandle(), nullptr, TRUE);
}

bool TLayClient::EraseBackground(HDC) {
  return true;
}

SIZE TLayClient::PictureSize() const {
  RECT area{0, 0, 0, 0};
  GetClientRect(GetHandle(), &area);
  return {area.right, area.bottom};
}

void TLayClient::DrawPicture(TDC& dc) {
  RECT all;
  GetClientRect(GetHandle(), &all);
  RECT view;
  GetWindowRect(View->GetHandle(), &view);
  MapWindowPoints(nullptr, GetHandle(), reinterpret_cast<POINT*>(&view), 2);
  View->DrawComposition(dc, all, {view.left, view.top});
}

void TLayClient::Paint(TDC& dc, bool, const RECT& updateRect) {
  View->DrawAxes(dc, updateRect);
}
