#pragma once

#include <cstdint>

// What the analysis loop needs of the platform. The Windows build sleeps with
// Sleep, waits on a kernel event and posts WM_SPECTRUM_READY to the view;
// tests script all three.
class WorkerServices {
 public:
  virtual ~WorkerServices() = default;
  virtual void SleepMs(int32_t milliseconds) = 0;
  // Blocks until the GUI thread wakes the worker, or returns at once if it
  // did so since the last wait; may return without a wake.
  virtual void WaitForWake() = 0;
  // Tells the GUI thread that WorkLevels and CycleSize hold a new spectrum.
  // A failed post is ignored.
  virtual void PostSpectrumReady() = 0;
};
