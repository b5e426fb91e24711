#pragma once

#include "windowing/TApplication.h"

// The program: its main window is the frame "Frelox" with the axis frame and
// the spectrum view inside.
class TMyApp : public TApplication {
 public:
  static constexpr const char* kTitle = "Frelox";

  TMyApp() : TApplication(nullptr) {}

 protected:
  void InitMainWindow() override;
};
