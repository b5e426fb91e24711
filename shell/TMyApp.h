#pragma once

#include <memory>

#include "measurement/Measurement.h"
#include "settings/SettingsStorage.h"
#include "windowing/TApplication.h"

// Holds the program's measurement; a base of the application so that it is
// made before the windows that show it and ends after them.
class TMeasurementHolder {
 protected:
  std::unique_ptr<Measurement> Measured = std::make_unique<Measurement>();
};

// The program: its main window is the frame "Frelox" with the axis frame and
// the spectrum view inside, showing the measurement the application owns.
class TMyApp : private TMeasurementHolder, public TApplication {
 public:
  static constexpr const char* kTitle = "Frelox";

  // The frame keeps the user's settings in `storage`, which must outlive
  // the application.
  explicit TMyApp(SettingsStorage& storage) : TApplication(nullptr), Storage(storage) {}

  Measurement& Measuring() { return *Measured; }

 protected:
  void InitMainWindow() override;
  // The main frame's keys (Space: "An&halten").
  bool PreProcessMessage(MSG& message) override;

 private:
  SettingsStorage& Storage;
  HACCEL Keys = nullptr;  // loaded with the main window
};
