#pragma once

#include <cstdint>
#include <string>

#include "capture/RingAction.h"
#include "capture/RingEvent.h"

// The capture ring's logic: where the one capture buffer is, what the ring
// does next, and how the program ends. Portable: it makes no system call and
// reads no clock; its owner (the spectrum view) turns window messages and
// timer expiries into events and carries out the actions it gets back.
//
// Thread safety. The ring belongs to the GUI thread: every event comes from
// it and every action is carried out on it. The worker thread never sees the
// ring; it learns of a capture through the analyser's DataReady flag, which
// the owner sets for a HandOver action, and answers with the spectrum-ready
// message, which the owner reports as SpectrumShown once it has drawn it.
// Events may arrive re-entrantly, from the message loop of an "Error" box
// that an action opened: the ring takes its new state before it returns any
// action, and ShowError or QueueCapture always ends an action list.
//
// Phases (one at a time), and who holds the buffer in each:
//
//   Created             set-up not yet done                   the view
//   Queueing            the buffer is being queued: the       the view
//                       first capture of the set-up, the
//                       next after a spectrum is shown, or
//                       a short capture recorded again
//   Capturing           the device records                    the device
//   Analysing           the worker analyses (handed over,     the worker
//                       until its spectrum is shown)
//   SwitchResetPending  the user chose another input while    the device
//                       the device held the buffer: reset,
//                       given kResetGraceMs to give it back;
//                       that capture is never analysed
//   Switching           the old device is being closed and    the view, or the
//                       the chosen one opened (a fresh        worker if the
//                       buffer first if the old device kept   choice came during
//                       the last one)                         its analysis
//   Stopped             a device failure ended measuring;     the view
//                       the last spectrum stays
//   StoppedResetPending like Stopped, but the reset has not   the device
//                       yet given the overdue buffer back
//   ClosingAfterReset   a close is pending and the buffer     the device
//                       was overdue: reset, given a last
//                       kResetGraceMs
//   Ended               the quit message is posted (or an     the view, or the
//                       escaped exception's box ends the      device if it never
//                       run); nothing is queued or analysed   gave it back
//   TornDown            the view is being destroyed
//
// A switch ends where measuring goes on: Queueing (the new device's first
// capture, watched like the first one after the start), or Analysing when
// the worker still has a capture the old device recorded before the choice;
// its spectrum is shown and the next capture is queued on the new device.
// A device that cannot be opened stops the ring (Stopped, one box); any
// later choice, the same input's included, tries again.
//
// Orthogonal to the phase: ClosePending (set by any close request, never
// cleared: the next return of the buffer ends the program), the watchdog
// (one timer watching the outstanding buffer, off while the system sleeps),
// whether a device failure has been reported (one box per failure) and the
// "Error" boxes open: the quit message waits until they are closed, since
// it would close a box before anyone has read it.
class CaptureRing {
 public:
  enum class Phase {
    Created,
    Queueing,
    Capturing,
    Analysing,
    SwitchResetPending,
    Switching,
    Stopped,
    StoppedResetPending,
    ClosingAfterReset,
    Ended,
    TornDown,
  };

  // A buffer not back by its capture time plus this is overdue.
  static constexpr int64_t kReturnGraceMs = 2000;
  // The same for the first capture after the device is opened or the system
  // has woken up: a device may take seconds to start (a wireless headset
  // switching to its microphone profile, a USB microphone waking up).
  static constexpr int64_t kStartGraceMs = 10000;
  // On the way out, how long a reset device gets to give the buffer back.
  static constexpr int64_t kResetGraceMs = 1000;
  // A buffer back in less than this share of its recording time (timed from
  // before its queueing) holds sound recorded before it was queued: the
  // device keeps recording while no buffer is queued (Wine's drivers do), and
  // the spectrum would fall further and further behind the sound. So many in
  // a row make a backlog, which a reset while no buffer is queued drops. A
  // device that records only while a buffer is queued is never reset.
  static constexpr double kEarlyReturnShare = 0.5;
  static constexpr int32_t kEarlyReturnsBeforeReset = 2;
  // Incomplete recordings in a row before the ring gives up.
  static constexpr int32_t kMaxShortCapturesInARow = 3;

  static constexpr const char* kNoBufferText = "Not enough memory for the capture buffer.";
  static constexpr const char* kShortCapturesText =
      "The input device keeps returning incomplete recordings.";
  static constexpr const char* kStoppedDeliveringText =
      "The input device stopped delivering sound.";

  // Takes one event and answers what to do, in order.
  RingActions Handle(const RingEvent& event);

  Phase CurrentPhase() const { return Now; }
  bool ClosePending() const { return CloseRequested; }
  bool Stopped() const;
  bool WatchdogArmed() const { return Armed; }
  // The input device measured from, or kNoDevice.
  int32_t OpenInput() const { return DeviceOpen ? OpenDeviceId : kNoDevice; }

  static constexpr int32_t kNoDevice = -1;

  // Milliseconds of sound in a capture of `frames` frames, rounded up.
  static int64_t CaptureTimeMs(int32_t frames);

 private:
  void OnCaptureReturned(const RingEvent& event, RingActions& actions);
  void OnWatchdogExpired(const RingEvent& event, RingActions& actions);
  void OnTeardown(RingActions& actions);
  void OnInputChosen(const RingEvent& event, RingActions& actions);
  void ResetForSwitch(int64_t at, RingActions& actions);
  void ContinueSwitch(RingActions& actions);
  void OnDeviceOpened(const RingEvent& event, RingActions& actions);
  void MeasureReturnedCapture(const RingEvent& event, RingActions& actions);
  void Watch(int64_t at, int64_t limitMs, RingActions& actions);
  void Unwatch(RingActions& actions);
  void Fail(Phase phase, const char* text, RingActions& actions);
  void ShowError(const std::string& text, RingActions& actions);
  void Quit(RingActions& actions);
  bool ReturnedEarly(int64_t at) const;

  Phase Now = Phase::Created;
  bool CloseRequested = false;
  bool DeviceOpen = false;
  bool HeldByDevice = false;
  bool HeldByWorker = false;  // handed over, its spectrum not yet shown
  bool Abandoned = false;
  bool BufferLost = false;  // left to a device that never gave it back
  bool FailureReported = false;
  bool QuitWasPosted = false;
  bool QuitDue = false;       // to be posted once the open boxes are closed
  bool Armed = false;         // the watchdog's timer runs
  bool Asleep = false;        // between Suspending and Resumed
  bool FirstCapture = false;  // the next capture gets the start limit
  int32_t OpenDeviceId = kNoDevice;
  int32_t ChosenDevice = kNoDevice;  // the input a switch is opening
  int64_t DeadlineUs = 0;            // when the watched buffer is overdue
  int64_t QueuedAtUs = 0;            // when the queueing of the outstanding capture began
  int32_t QueuedFrames = 0;
  int32_t EarlyReturnsInARow = 0;
  int32_t ShortCapturesInARow = 0;
  int32_t BoxesOpen = 0;  // "Error" boxes asked for and not yet closed
};

const char* PhaseName(CaptureRing::Phase phase);
