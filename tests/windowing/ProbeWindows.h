#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "windowing/TWindow.h"

// Windows whose handlers record what reached them.
class TProbeWindow : public TWindow {
 public:
  explicit TProbeWindow(TWindow* parent, bool mayClose = true)
      : TWindow(parent), MayClose(mayClose) {}
  bool CanClose() override {
    ++CloseChecks;
    return MayClose && TWindow::CanClose();
  }
  std::vector<std::string> Log;
  bool MayClose;
  int CloseChecks = 0;
};

// Creates a window's Windows window as a child of a hidden top-level host.
class THostWindow : public TWindow {
 public:
  THostWindow() : TWindow(nullptr, "host") {
    Attributes().Style = WS_OVERLAPPEDWINDOW;
    Attributes().W = 700;
    Attributes().H = 500;
  }
};
