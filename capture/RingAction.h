#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the capture ring asks its owner to do, in the order given. A
// ShowError or QueueCapture action is always the last of a list: the box's
// own message loop, and the queueing's result, bring new events to the ring,
// which has already taken its new state.
enum class RingActionKind {
  QueueCapture,    // queue the buffer for a capture of the current size
  ResetDevice,     // stop recording; a queued buffer comes back
  ReleaseBuffer,   // unprepare the returned buffer
  ArmWatchdog,     // (re)start the one timer: DelayMs from now
  DisarmWatchdog,  // stop it
  ShowError,       // the "Error" box with Text; then report ErrorBoxClosed
  HandOver,        // give the returned capture to the worker
  PostQuit,        // end the message loop with the program's status
  AbandonBuffer,   // never free the buffer: the device may still write it
  CloseDevice,     // close it; ReportFailure: show a failure in a box
};

struct RingAction {
  explicit RingAction(RingActionKind kind) : Kind(kind) {}

  RingActionKind Kind;
  int64_t DelayMs = 0;
  bool ReportFailure = false;
  std::string Text;

  bool operator==(const RingAction& other) const {
    return Kind == other.Kind && DelayMs == other.DelayMs && ReportFailure == other.ReportFailure &&
           Text == other.Text;
  }
};

using RingActions = std::vector<RingAction>;
