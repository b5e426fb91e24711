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
// Who holds the one capture buffer (one at a time):
//
//   View       idle: it is queued or handed over only from here
//   Device     queued: the device records into it, or was reset and has
//              not yet given it back
//   Worker     handed over: the worker analyses it until its spectrum is
//              shown
//   Abandoned  left to a device that did not give it back in time: it is
//              never freed, and only from here is it renewed (a switch
//              measures with a fresh one); should it come back after all,
//              the view has it again
//
// Phases (one at a time: what the ring is doing), and who may hold the
// buffer in each:
//
//   Created            set-up not yet done                  View
//   Queueing           the buffer is being queued: the      View
//                      first capture of the set-up, the
//                      next after a spectrum is shown, or
//                      a short capture recorded again
//   Capturing          the device records                   Device
//   Analysing          the worker analyses                  Worker
//   Switching          the user chose another input.        Device, Worker,
//                      Device: reset, it has kResetGraceMs  View, Abandoned
//                      to give the buffer back, and that
//                      capture is never analysed. Then the
//                      old device is closed (a fresh buffer
//                      first if it kept the last one) and
//                      the chosen one opened; the worker may
//                      still analyse a capture the old
//                      device recorded before the choice
//   Paused             the user holds the picture: nothing  View, Device,
//                      is queued or analysed. Device: the   Worker
//                      capture out when the picture was
//                      held, still watched, never analysed;
//                      Worker: its spectrum is still shown
//   Stopped            a failure ended measuring; the last  View, Device,
//                      spectrum stays. Device: an overdue   Worker, Abandoned
//                      capture's reset has not brought it
//                      back; Worker: the chosen input could
//                      not be opened while the worker
//                      analysed; Abandoned: no memory for a
//                      fresh buffer
//   ClosingAfterReset  a close is pending and the buffer    Device
//                      was overdue: reset, given a last
//                      kResetGraceMs
//   Ended              the quit message is posted or due    any
//                      (or an escaped exception's box ends
//                      the run); nothing is queued or
//                      analysed
//   TornDown           the view is being destroyed          any
//
// A switch ends where measuring goes on: Queueing (the new device's first
// capture, watched like the first one after the start), or Analysing when
// the worker still has a capture the old device recorded before the choice;
// its spectrum is shown and the next capture is queued on the new device.
// A device that cannot be opened stops the ring (Stopped, one box); any
// later choice, the same input's included, tries again. A switch chosen
// while the picture is held, or a hold chosen during a switch, ends in
// Paused instead of measuring (SwitchEndsPaused).
//
// While the picture is held and the buffer is back, the device is reset and
// closed (ClosedWhileHeld; OpenInput still names it). Measuring again opens
// it again, or, if it was never closed, drops what it recorded meanwhile (a
// reset while no buffer is queued), and watches the first capture like the
// first after the start; an input that cannot be opened again stops the
// ring as a failed choice does. A failure or a close while paused behaves as while
// measuring; a hold chosen while Stopped changes nothing.
//
// Beside the phase (RingPhase) and the holder (HeldBy) the ring keeps:
// CloseRequested, set by any close request and never cleared (the next return
// of the buffer ends the program); OpenDeviceId, the device measured from
// (kNoDevice while none is open), ChosenDevice, the input a switch opens
// (the latest choice counts), and SwitchEndsPaused; the watchdog: Armed (its one timer runs, only
// while the device has the buffer), DeadlineUs (when that buffer is overdue),
// Asleep (between suspend and resume, when the timer is off) and
// StartLimitDue (the next capture queued gets kStartGraceMs); the outstanding
// capture's QueuedAtUs and QueuedFrames, and the returns measured against
// them, EarlyReturnsInARow and ShortCapturesInARow; FailureReported (one box
// per failure of the open device); and BoxesOpen, QuitDue and QuitWasPosted:
// the quit message is posted once, and only when no "Error" box is open,
// since it would close a box before anyone has read it.
class CaptureRing {
 public:
  enum class Phase {
    Created,
    Queueing,
    Capturing,
    Analysing,
    Switching,
    Paused,
    Stopped,
    ClosingAfterReset,
    Ended,
    TornDown,
  };
  enum class Holder { View, Device, Worker, Abandoned };

  // A buffer not back by its capture time plus this is overdue.
  static constexpr int64_t kReturnGraceMs = 2000;
  // The same for the first capture queued after the device is opened or the
  // system has woken up, and for a capture out at the wake: a device may take
  // seconds to start (a wireless headset switching to its microphone profile,
  // a USB microphone waking up).
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

  Phase CurrentPhase() const { return RingPhase; }
  Holder BufferHolder() const { return HeldBy; }
  bool ClosePending() const { return CloseRequested; }
  bool Stopped() const { return RingPhase == Phase::Stopped; }
  // The picture is held, or will be once a switch has opened the chosen input.
  bool PictureHeld() const {
    return RingPhase == Phase::Paused || (RingPhase == Phase::Switching && SwitchEndsPaused);
  }
  bool WatchdogArmed() const { return Armed; }
  // The input device measured from, or kNoDevice.
  int32_t OpenInput() const { return OpenDeviceId; }

  static constexpr int32_t kNoDevice = -1;

  // Milliseconds of sound in a capture of `frames` frames, rounded up.
  static int64_t CaptureTimeMs(int32_t frames);

 private:
  void OnCaptureReturned(const RingEvent& event, RingActions& actions);
  void OnWatchdogExpired(const RingEvent& event, RingActions& actions);
  void OnTeardown(RingActions& actions);
  void OnInputChosen(const RingEvent& event, RingActions& actions);
  void OnPauseToggled(RingActions& actions);
  void MeasureAgain(RingActions& actions);
  void StopWhileHeld(RingActions& actions);
  void ResetForSwitch(int64_t at, RingActions& actions);
  void ContinueSwitch(RingActions& actions);
  void OnDeviceOpened(const RingEvent& event, RingActions& actions);
  void MeasureReturnedCapture(const RingEvent& event, RingActions& actions);
  void Watch(int64_t at, int64_t limitMs, RingActions& actions);
  void Unwatch(RingActions& actions);
  void Fail(const char* text, RingActions& actions);
  void Abandon(RingActions& actions);
  bool DeviceHasBuffer() const;
  void ShowError(const std::string& text, RingActions& actions);
  void Quit(RingActions& actions);
  bool ReturnedEarly(int64_t at) const;

  Phase RingPhase = Phase::Created;
  Holder HeldBy = Holder::View;
  bool CloseRequested = false;
  int32_t OpenDeviceId = kNoDevice;
  int32_t ChosenDevice = kNoDevice;
  bool SwitchEndsPaused = false;  // the switch under way ends with the picture held
  // OpenDeviceId, the input measured from, is closed while the picture is held.
  bool ClosedWhileHeld = false;
  bool Armed = false;
  int64_t DeadlineUs = 0;
  bool Asleep = false;
  bool StartLimitDue = false;
  int64_t QueuedAtUs = 0;  // when the queueing of the outstanding capture began
  int32_t QueuedFrames = 0;
  int32_t EarlyReturnsInARow = 0;
  int32_t ShortCapturesInARow = 0;
  bool FailureReported = false;
  int32_t BoxesOpen = 0;  // "Error" boxes asked for and not yet closed
  bool QuitDue = false;   // to be posted once the open boxes are closed
  bool QuitWasPosted = false;
};

const char* PhaseName(CaptureRing::Phase phase);
const char* HolderName(CaptureRing::Holder holder);
