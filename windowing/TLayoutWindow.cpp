#include "windowing/TLayoutWindow.h"

const TResponseEntry TLayoutWindow::Rows[] = {
    Row::Size<TLayoutWindow, &TLayoutWindow::SizeChanged>(),
};
const TResponseTable TLayoutWindow::Table{&TWindow::Table, TLayoutWindow::Rows};

void TLayoutWindow::SetChildLayoutMetrics(TWindow* child, const ChildConstraints& constraints) {
  for (auto& entry : Metrics) {
    if (entry.first == child) {
      entry.second = constraints;
      return;
    }
  }
  Metrics.emplace_back(child, constraints);
}

void TLayoutWindow::SetupWindow() {
  TWindow::SetupWindow();
  RECT area;
  GetClientRect(GetHandle(), &area);
  Size = SIZE{area.right, area.bottom};
  Layout();
}

void TLayoutWindow::SizeChanged(UINT sizeType, SIZE size) {
  if (sizeType == SIZE_MINIMIZED) return;
  if (size.cx == Size.cx && size.cy == Size.cy) return;
  Size = size;
  Layout();
}

void TLayoutWindow::Layout() {
  for (const auto& [child, constraints] : Metrics) {
    if (!child->GetHandle()) continue;
    const LayoutRect place = PlaceChild(constraints, Size.cx, Size.cy);
    SetWindowPos(child->GetHandle(), nullptr, place.x, place.y, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}
