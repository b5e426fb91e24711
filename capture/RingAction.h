#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the capture ring asks its owner to do, in the order given. A
// ShowError, QueueCapture, CloseDevice, OpenDevice or RenewBuffer action is
// always the last of a list: the box's own message loop and each of the
// others' results bring new events to the ring, which has already taken its
// new state.
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
  CloseDevice,     // close it; ReportFailure: show a failure in a box;
                   // AbandonOnFailure: if it cannot be closed, abandon it (forget
                   // its handle; any buffer it keeps stays with it)
  OpenDevice,      // open input Device in the recording format, without a box;
                   // Reopens: the input closed while the picture was held, whose
                   // lines mean what they meant before
  RenewBuffer,     // take a fresh buffer; the abandoned one stays with its device
};

struct RingAction {
  explicit RingAction(RingActionKind kind) : Kind(kind) {}

  RingActionKind Kind;
  int64_t DelayMs = 0;
  bool ReportFailure = false;
  bool AbandonOnFailure = false;
  int32_t Device = 0;
  bool Reopens = false;
  std::string Text;

  bool operator==(const RingAction& other) const {
    return Kind == other.Kind && DelayMs == other.DelayMs && ReportFailure == other.ReportFailure &&
           AbandonOnFailure == other.AbandonOnFailure && Device == other.Device &&
           Reopens == other.Reopens && Text == other.Text;
  }
};

using RingActions = std::vector<RingAction>;
