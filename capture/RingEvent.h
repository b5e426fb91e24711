#pragma once

#include <cstdint>
#include <string>

// What happens to the capture ring, as its owner reports it. Every event
// carries the time it happened on the capture clock (microseconds); the ring
// has no clock of its own.
enum class RingEventKind {
  BufferMissing,     // set-up: the capture buffer could not be allocated
  DeviceNotOpened,   // the device could not be opened; Text: why (at set-up the
                     // open has shown it already)
  DeviceOpened,      // the device is open; Device: its number
  CaptureQueued,     // the buffer is queued; At: when the queueing began
  QueueRefused,      // the queueing failed; the buffer is idle; Text: why
  CaptureReturned,   // the device gave the buffer back; Frames: what it recorded
  SpectrumShown,     // the worker's spectrum has been drawn
  WatchdogExpired,   // the timer the ring armed has gone off
  ErrorBoxClosed,    // the user dismissed the box of a ShowError action
  CloseRequested,    // the user or the system asked the program to end
  WorkerNotCreated,  // set-up: the worker thread could not be created; Text: why
  Suspending,        // the system is going to sleep
  Resumed,           // the system has woken up
  ExceptionBox,      // an escaped exception's box is about to be shown
  Teardown,          // the view is being destroyed; the worker has ended
  DeviceClosed,      // the device was asked to close; Succeeded: whether it did
  InputChosen,       // the user chose an input device; Device: its number
  BufferRenewed,     // a fresh capture buffer was asked for; Succeeded: whether
                     // there is one
  PauseToggled,      // the user chose "Anhalten": hold the picture, or measure again
};

struct RingEvent {
  RingEventKind Kind = RingEventKind::CloseRequested;
  int64_t At = 0;  // microseconds on the capture clock
  int32_t Frames = 0;
  int32_t Device = 0;
  bool Succeeded = true;
  std::string Text;

  static RingEvent Make(RingEventKind kind, int64_t at) {
    RingEvent event;
    event.Kind = kind;
    event.At = at;
    return event;
  }
};
