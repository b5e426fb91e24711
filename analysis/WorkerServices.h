#pragma once

#include <cstdint>

// What the analysis loop needs of the platform. The Windows build sleeps with
// Sleep and posts WM_SPECTRUM_READY to the view; tests script both.
class WorkerServices {
 public:
  virtual ~WorkerServices() = default;
  virtual void SleepMs(int32_t milliseconds) = 0;
  // Tells the GUI thread that WorkLevels and CycleSize hold a new spectrum.
  // A failed post is ignored.
  virtual void PostSpectrumReady() = 0;
};
