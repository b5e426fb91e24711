#pragma once

#include "settings/SettingsStorage.h"
#include "windowing/TApplication.h"

// The program: its main window is the frame "Frelox" with the axis frame and
// the spectrum view inside.
class TMyApp : public TApplication {
 public:
  static constexpr const char* kTitle = "Frelox";

  // The frame keeps the user's settings in `storage`, which must outlive
  // the application.
  explicit TMyApp(SettingsStorage& storage) : TApplication(nullptr), Storage(storage) {}

 protected:
  void InitMainWindow() override;
  // The main frame's keys (Space: "An&halten").
  bool PreProcessMessage(MSG& message) override;

 private:
  SettingsStorage& Storage;
  HACCEL Keys = nullptr;  // loaded with the main window
};
