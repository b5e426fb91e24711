#pragma once

#include "windowing/TDC.h"

// The device context of a paint message: BeginPaint on construction, EndPaint
// when it goes.
class TPaintDC : public TDC {
 public:
  explicit TPaintDC(HWND window);
  ~TPaintDC() override;

  bool EraseRequested() const { return Paint.fErase != FALSE; }
  const RECT& UpdateRect() const { return Paint.rcPaint; }

 private:
  HWND Window;
  PAINTSTRUCT Paint;
};
