#pragma once

#include <utility>
#include <vector>

#include "windowing/LayoutArithmetic.h"
#include "windowing/TWindow.h"

// A window that places its children by edge constraints relative to its own
// client area, again whenever its client size changes (not when minimised).
class TLayoutWindow : public TWindow {
 public:
  using TWindow::TWindow;

  void SetChildLayoutMetrics(TWindow* child, const ChildConstraints& constraints);
  // The layout's own size handling: stores the new client size and places
  // the children, unless the window was minimised or the size is unchanged.
  void SizeChanged(UINT sizeType, SIZE size);
  SIZE ClientSize() const { return Size; }
  // Places the children again, after their constraints changed.
  void Layout();

  DECLARE_RESPONSE_TABLE();

 protected:
  void SetupWindow() override;

 private:
  SIZE Size{0, 0};
  std::vector<std::pair<TWindow*, ChildConstraints>> Metrics;
};
