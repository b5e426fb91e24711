#include "windowing/TPaintDC.h"

TPaintDC::TPaintDC(HWND window) : Window(window), Paint{} {
  Attach(BeginPaint(window, &Paint));
}

TPaintDC::~TPaintDC() {
  RestoreObjects();
  EndPaint(Window, &Paint);
}
