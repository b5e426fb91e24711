#pragma once

#include <windows.h>

#include "measurement/MeasurementListener.h"

class Measurement;
class TLayClient;
class TMainClient;
class TWindow;

// What the main frame gives each of its command units: its window (menu,
// owner of boxes and dialogs), the measurement, the axis frame and view,
// and its chores.
struct CommandContext {
  TWindow& Frame;
  Measurement& Measured;
  TLayClient& Layout;
  TMainClient& View;
  // Stores the settings, the input and the reference's file.
  void (*StoreChoices)(TWindow& frame);
  // Repaints the axis frame and the view.
  void (*Repaint)(TWindow& frame);
};

// One subject of the main frame's commands (settings, input, files and
// pictures, calibration): its own rows, the greying or marks of its items
// when a pop-up opens, and what it must hear of the measurement. GUI thread only.
class CommandUnit : public MeasurementListener {
 public:
  // Carries out `command` if it is one of this unit's; false otherwise.
  virtual bool Command(UINT command) = 0;
  // The pop-up at `position` of the menu bar is about to open.
  virtual void MenuOpening(HMENU /*popup*/, UINT /*position*/) {}
};
