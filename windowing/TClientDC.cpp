#include "windowing/TClientDC.h"

#include "windowing/TXWindowing.h"

namespace {

HDC ClientDC(HWND window) {
  const HDC dc = GetDC(window);
  if (!dc) ThrowLastWindowsError("GetDC");
  return dc;
}

}  // namespace

TClientDC::TClientDC(HWND window) : TDC(ClientDC(window)), Window(window) {}

TClientDC::~TClientDC() {
  RestoreObjects();
  ReleaseDC(Window, GetHandle());
}
