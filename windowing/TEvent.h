#pragma once

#include <windows.h>

// An automatic-reset kernel event: Set wakes one Wait (or the next one, if
// none is waiting yet), and the wait resets it. Owns its handle.
class TEvent {
 public:
  // Without the system's event (IsValid false), Set and Wait do nothing.
  TEvent();
  ~TEvent();
  TEvent(const TEvent&) = delete;
  TEvent& operator=(const TEvent&) = delete;

  bool IsValid() const { return Handle != nullptr; }
  void Set();
  // Waits without a time limit until the event is set.
  void Wait();

 private:
  HANDLE Handle;
};
