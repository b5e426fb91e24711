#include "capture/CaptureRing.h"

#include "analysis/LevelTypes.h"

namespace {

constexpr int64_t kMicrosecondsPerMs = 1000;
constexpr int64_t kMicrosecondsPerSecond = 1000000;

RingAction Do(RingActionKind kind) {
  return RingAction{kind};
}

}  // namespace

int64_t CaptureRing::CaptureTimeMs(int32_t frames) {
  return (static_cast<int64_t>(frames) * 1000 + kSampleRateHz - 1) / kSampleRateHz;
}

bool CaptureRing::Stopped() const {
  return Now == Phase::Stopped || Now == Phase::StoppedResetPending;
}

// Every transition of the ring. An event that its phase does not expect
// changes nothing.
RingActions CaptureRing::Handle(const RingEvent& event) {
  RingActions actions;
  switch (event.Kind) {
    case RingEventKind::BufferMissing:
      if (Now != Phase::Created) break;
      // The set-up failed: the program ends once the box is closed.
      CloseRequested = true;
      Fail(Phase::Stopped, kNoBufferText, actions);
      break;
    case RingEventKind::DeviceNotOpened:
      if (Now == Phase::Created) {
        Quit(actions);  // the open has shown why
      } else if (Now == Phase::Switching) {
        Fail(Phase::Stopped, event.Text.c_str(), actions);
      }
      break;
    case RingEventKind::DeviceOpened:
      OnDeviceOpened(event, actions);
      break;
    case RingEventKind::CaptureQueued:
      if (Now != Phase::Queueing) break;
      Now = Phase::Capturing;
      HeldByDevice = true;
      QueuedAtUs = event.At;
      QueuedFrames = event.Frames;
      Watch(event.At, CaptureTimeMs(QueuedFrames) + (FirstCapture ? kStartGraceMs : kReturnGraceMs),
            actions);
      break;
    case RingEventKind::QueueRefused:
      if (Now != Phase::Queueing) break;
      Fail(Phase::Stopped, event.Text.c_str(), actions);
      break;
    case RingEventKind::CaptureReturned:
      OnCaptureReturned(event, actions);
      break;
    case RingEventKind::SpectrumShown:
      HeldByWorker = false;
      if (Now != Phase::Analysing) break;
      Now = Phase::Queueing;
      actions.push_back(Do(RingActionKind::QueueCapture));
      break;
    case RingEventKind::WatchdogExpired:
      OnWatchdogExpired(event, actions);
      break;
    case RingEventKind::ErrorBoxClosed:
      if (BoxesOpen > 0) --BoxesOpen;
      // A failure while a close was pending ends the program once the
      // user has read why; so does a quit that came while the box was open.
      if (Now == Phase::Stopped && CloseRequested) Quit(actions);
      if (QuitDue && BoxesOpen == 0) Quit(actions);
      break;
    case RingEventKind::CloseRequested:
      if (Now == Phase::TornDown) break;
      CloseRequested = true;
      // Measuring has stopped: nothing is left to wait for.
      if (Now == Phase::StoppedResetPending) {
        actions.push_back(Do(RingActionKind::AbandonBuffer));
        Abandoned = true;
      }
      if (Stopped()) Quit(actions);
      // The reset's return, or the limit, ends the program instead.
      if (Now == Phase::SwitchResetPending) Now = Phase::ClosingAfterReset;
      break;
    case RingEventKind::WorkerNotCreated:
      if (Now == Phase::Ended || Now == Phase::TornDown) break;
      // The program ends in order, as after a close request: when the
      // capture already queued comes back.
      CloseRequested = true;
      ShowError(event.Text, actions);
      break;
    case RingEventKind::Suspending:
      Asleep = true;
      Unwatch(actions);
      break;
    case RingEventKind::Resumed:
      Asleep = false;
      // The device slept too: the capture out now, or else the next one
      // queued, gets the time of a start, from then.
      FirstCapture = true;
      if (Now == Phase::Capturing) {
        Watch(event.At, CaptureTimeMs(QueuedFrames) + kStartGraceMs, actions);
      } else if (Now == Phase::ClosingAfterReset || Now == Phase::SwitchResetPending) {
        Watch(event.At, kResetGraceMs, actions);
      }
      break;
    case RingEventKind::ExceptionBox:
      if (Now == Phase::TornDown) break;
      // The run ends when that box is closed; nothing may end it sooner.
      Unwatch(actions);
      Now = Phase::Ended;
      break;
    case RingEventKind::Teardown:
      if (Now == Phase::TornDown) break;
      OnTeardown(actions);
      break;
    case RingEventKind::DeviceClosed:
      if (Now == Phase::Switching) {
        DeviceOpen = false;  // closed, or let go of
        ContinueSwitch(actions);
        break;
      }
      if (Now != Phase::TornDown) break;
      if (event.Succeeded) {
        DeviceOpen = false;
        HeldByDevice = false;
      } else if (!Abandoned) {
        // A device that could not be closed may still write into the buffer.
        actions.push_back(Do(RingActionKind::AbandonBuffer));
        Abandoned = true;
      }
      break;
    case RingEventKind::InputChosen:
      OnInputChosen(event, actions);
      break;
    case RingEventKind::BufferRenewed:
      if (Now != Phase::Switching) break;
      if (!event.Succeeded) {
        Fail(Phase::Stopped, kNoBufferText, actions);
        break;
      }
      BufferLost = false;
      Abandoned = false;
      HeldByDevice = false;  // the old buffer stays with the old device
      ContinueSwitch(actions);
      break;
  }
  return actions;
}

void CaptureRing::OnDeviceOpened(const RingEvent& event, RingActions& actions) {
  if (Now != Phase::Created && Now != Phase::Switching) return;
  DeviceOpen = true;
  OpenDeviceId = event.Device;
  FirstCapture = true;
  // A new device: its failures are its own, its returns counted afresh.
  FailureReported = false;
  EarlyReturnsInARow = 0;
  ShortCapturesInARow = 0;
  if (HeldByWorker) {
    Now = Phase::Analysing;  // the next capture is queued after the spectrum
    return;
  }
  Now = Phase::Queueing;
  actions.push_back(Do(RingActionKind::QueueCapture));
}

// A choice of input. Measuring from the open device goes on unchanged; a
// close pending, a switch can no longer begin.
void CaptureRing::OnInputChosen(const RingEvent& event, RingActions& actions) {
  if (CloseRequested) return;
  const bool sameAsMeasured = DeviceOpen && event.Device == OpenDeviceId;
  switch (Now) {
    case Phase::Capturing:
      if (sameAsMeasured) return;
      ChosenDevice = event.Device;
      ResetForSwitch(event.At, actions);
      break;
    case Phase::Analysing:
      if (sameAsMeasured) return;
      ChosenDevice = event.Device;
      ContinueSwitch(actions);
      break;
    case Phase::Stopped:
      ChosenDevice = event.Device;
      ContinueSwitch(actions);
      break;
    case Phase::StoppedResetPending:
      ChosenDevice = event.Device;
      ResetForSwitch(event.At, actions);
      break;
    case Phase::SwitchResetPending:
    case Phase::Switching:
      ChosenDevice = event.Device;  // the latest choice counts
      break;
    default:
      break;
  }
}

// The device holds the buffer: a reset brings it back, never to be analysed.
void CaptureRing::ResetForSwitch(int64_t at, RingActions& actions) {
  Now = Phase::SwitchResetPending;
  Unwatch(actions);
  actions.push_back(Do(RingActionKind::ResetDevice));
  Watch(at, kResetGraceMs, actions);
}

// The next step of a switch whose buffer the old device no longer holds.
void CaptureRing::ContinueSwitch(RingActions& actions) {
  Now = Phase::Switching;
  if (BufferLost) {
    actions.push_back(Do(RingActionKind::RenewBuffer));
    return;
  }
  if (DeviceOpen) {
    // Leaving it: a device that cannot be closed is let go of, unreported,
    // so that the chosen one can still be opened.
    RingAction close{RingActionKind::CloseDevice};
    close.LetGo = true;
    actions.push_back(close);
    return;
  }
  RingAction open{RingActionKind::OpenDevice};
  open.Device = ChosenDevice;
  actions.push_back(open);
}

void CaptureRing::OnCaptureReturned(const RingEvent& event, RingActions& actions) {
  // A return the ring did not wait for (a failed start's own reset) changes
  // nothing: the queueing already took the buffer back.
  if (!HeldByDevice || Now == Phase::TornDown) return;
  HeldByDevice = false;
  Unwatch(actions);
  actions.push_back(Do(RingActionKind::ReleaseBuffer));
  switch (Now) {
    case Phase::Capturing:
      FirstCapture = false;
      if (CloseRequested) {
        Quit(actions);
      } else {
        MeasureReturnedCapture(event, actions);
      }
      break;
    case Phase::StoppedResetPending:
      Now = Phase::Stopped;  // the overdue capture: never analysed
      break;
    case Phase::ClosingAfterReset:
      Quit(actions);
      break;
    case Phase::SwitchResetPending:
      ContinueSwitch(actions);  // recorded by the old device: never analysed
      break;
    default:
      break;  // Ended: only taken back
  }
}

void CaptureRing::MeasureReturnedCapture(const RingEvent& event, RingActions& actions) {
  // No buffer is queued now: a reset only stops the device and drops what it
  // recorded in advance; the next queueing starts it again. A short capture
  // says nothing of a backlog: it may have come back early because the
  // device ran out of sound.
  const bool complete = event.Frames >= QueuedFrames;
  EarlyReturnsInARow = complete && ReturnedEarly(event.At) ? EarlyReturnsInARow + 1 : 0;
  if (EarlyReturnsInARow >= kEarlyReturnsBeforeReset) {
    actions.push_back(Do(RingActionKind::ResetDevice));
    EarlyReturnsInARow = 0;
  }
  if (event.Frames < QueuedFrames) {
    // Never analyse frames that were not recorded: try again, a few times.
    if (++ShortCapturesInARow >= kMaxShortCapturesInARow) {
      Fail(Phase::Stopped, kShortCapturesText, actions);
    } else {
      Now = Phase::Queueing;
      actions.push_back(Do(RingActionKind::QueueCapture));
    }
    return;
  }
  ShortCapturesInARow = 0;
  Now = Phase::Analysing;
  HeldByWorker = true;
  actions.push_back(Do(RingActionKind::HandOver));
}

void CaptureRing::OnWatchdogExpired(const RingEvent& event, RingActions& actions) {
  if (!Armed) return;  // a late message of a timer already stopped
  Unwatch(actions);
  if (event.At < DeadlineUs) {
    // Early by the timer's granularity: watch on for the rest.
    Watch(event.At, (DeadlineUs - event.At + kMicrosecondsPerMs - 1) / kMicrosecondsPerMs, actions);
    return;
  }
  switch (Now) {
    case Phase::Capturing:
      actions.push_back(Do(RingActionKind::ResetDevice));
      if (CloseRequested) {
        // The reset returns the buffer, and its return ends the program.
        Now = Phase::ClosingAfterReset;
        Watch(event.At, kResetGraceMs, actions);
      } else {
        // The reset may return the buffer while the box is open: it is
        // then only taken back, never analysed.
        Fail(Phase::StoppedResetPending, kStoppedDeliveringText, actions);
      }
      break;
    case Phase::ClosingAfterReset:
      // Still nothing: end anyway, and never free memory the device may still write.
      actions.push_back(Do(RingActionKind::AbandonBuffer));
      Abandoned = true;
      Quit(actions);
      break;
    case Phase::SwitchResetPending:
      // The old device keeps the buffer: leave it there and measure the
      // chosen input with a fresh one.
      actions.push_back(Do(RingActionKind::AbandonBuffer));
      Abandoned = true;
      BufferLost = true;
      ContinueSwitch(actions);
      break;
    default:
      break;
  }
}

void CaptureRing::OnTeardown(RingActions& actions) {
  Unwatch(actions);
  Now = Phase::TornDown;
  if (!DeviceOpen) return;
  if (HeldByDevice) {
    // Only a way out that gave up, an overdue capture or an escaped
    // exception leaves the buffer queued: ask for it back first.
    actions.push_back(Do(RingActionKind::ResetDevice));
    actions.push_back(Do(RingActionKind::ReleaseBuffer));
  }
  RingAction close{RingActionKind::CloseDevice};
  // A device whose failure the user has been told of fails to close for
  // the same reason: one box per failure.
  close.ReportFailure = !FailureReported;
  actions.push_back(close);
}

void CaptureRing::Watch(int64_t at, int64_t limitMs, RingActions& actions) {
  DeadlineUs = at + limitMs * kMicrosecondsPerMs;
  if (Asleep) return;  // armed at the resume
  RingAction arm{RingActionKind::ArmWatchdog};
  arm.DelayMs = limitMs;
  actions.push_back(arm);
  Armed = true;
}

void CaptureRing::Unwatch(RingActions& actions) {
  if (!Armed) return;
  actions.push_back(Do(RingActionKind::DisarmWatchdog));
  Armed = false;
}

void CaptureRing::Fail(Phase phase, const char* text, RingActions& actions) {
  Now = phase;
  FailureReported = true;
  ShowError(text, actions);
}

void CaptureRing::ShowError(const std::string& text, RingActions& actions) {
  RingAction box{RingActionKind::ShowError};
  box.Text = text;
  actions.push_back(box);
  ++BoxesOpen;
}

void CaptureRing::Quit(RingActions& actions) {
  Now = Phase::Ended;
  if (QuitWasPosted) return;
  // The quit message would end the box at once, before anyone has read it.
  QuitDue = BoxesOpen > 0;
  if (QuitDue) return;
  QuitWasPosted = true;
  actions.push_back(Do(RingActionKind::PostQuit));
}

bool CaptureRing::ReturnedEarly(int64_t at) const {
  const double recordingUs =
      static_cast<double>(kMicrosecondsPerSecond) * QueuedFrames / kSampleRateHz;
  return static_cast<double>(at - QueuedAtUs) < kEarlyReturnShare * recordingUs;
}

const char* PhaseName(CaptureRing::Phase phase) {
  switch (phase) {
    case CaptureRing::Phase::Created:
      return "Created";
    case CaptureRing::Phase::Queueing:
      return "Queueing";
    case CaptureRing::Phase::Capturing:
      return "Capturing";
    case CaptureRing::Phase::Analysing:
      return "Analysing";
    case CaptureRing::Phase::SwitchResetPending:
      return "SwitchResetPending";
    case CaptureRing::Phase::Switching:
      return "Switching";
    case CaptureRing::Phase::Stopped:
      return "Stopped";
    case CaptureRing::Phase::StoppedResetPending:
      return "StoppedResetPending";
    case CaptureRing::Phase::ClosingAfterReset:
      return "ClosingAfterReset";
    case CaptureRing::Phase::Ended:
      return "Ended";
    case CaptureRing::Phase::TornDown:
      return "TornDown";
  }
  return "?";
}
