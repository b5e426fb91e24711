#pragma once

#include "windowing/TDC.h"

// The device context of a window's client area, for drawing outside a paint
// message; released when the wrapper goes.
class TClientDC : public TDC {
 public:
  explicit TClientDC(HWND window);
  ~TClientDC() override;

 private:
  HWND Window;
};
