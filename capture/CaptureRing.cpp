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

bool CaptureRing::DeviceHasBuffer() const {
  return HeldBy == Holder::Device || HeldBy == Holder::Abandoned;
}

// Every transition of the ring. An event that its phase does not expect
// changes nothing.
RingActions CaptureRing::Handle(const RingEvent& event) {
  RingActions actions;
  switch (event.Kind) {
    case RingEventKind::BufferMissing:
      if (RingPhase != Phase::Created) break;
      // The set-up failed: the program ends once the box is closed.
      CloseRequested = true;
      Fail(kNoBufferText, actions);
      break;
    case RingEventKind::DeviceNotOpened:
      if (RingPhase == Phase::Created) {
        Quit(actions);  // the open has shown why
      } else if (RingPhase == Phase::Switching) {
        Fail(event.Text.c_str(), actions);
      }
      break;
    case RingEventKind::DeviceOpened:
      OnDeviceOpened(event, actions);
      break;
    case RingEventKind::CaptureQueued:
      if (RingPhase != Phase::Queueing) break;
      RingPhase = Phase::Capturing;
      HeldBy = Holder::Device;
      QueuedAtUs = event.At;
      QueuedFrames = event.Frames;
      Watch(event.At,
            CaptureTimeMs(QueuedFrames) + (StartLimitDue ? kStartGraceMs : kReturnGraceMs),
            actions);
      StartLimitDue = false;
      break;
    case RingEventKind::QueueRefused:
      if (RingPhase != Phase::Queueing) break;
      Fail(event.Text.c_str(), actions);
      break;
    case RingEventKind::CaptureReturned:
      OnCaptureReturned(event, actions);
      break;
    case RingEventKind::SpectrumShown:
      if (HeldBy == Holder::Worker) HeldBy = Holder::View;
      if (RingPhase == Phase::Paused && CloseRequested) Quit(actions);
      if (RingPhase == Phase::Paused && HeldBy == Holder::View) StopWhileHeld(actions);
      if (RingPhase != Phase::Analysing) break;
      RingPhase = Phase::Queueing;
      actions.push_back(Do(RingActionKind::QueueCapture));
      break;
    case RingEventKind::WatchdogExpired:
      OnWatchdogExpired(event, actions);
      break;
    case RingEventKind::ErrorBoxClosed:
      if (BoxesOpen > 0) --BoxesOpen;
      // A failure while a close was pending ends the program once the
      // user has read why; so does a quit that came while the box was open.
      if (RingPhase == Phase::Stopped && CloseRequested) Quit(actions);
      if (QuitDue && BoxesOpen == 0) Quit(actions);
      break;
    case RingEventKind::CloseRequested:
      if (RingPhase == Phase::TornDown) break;
      CloseRequested = true;
      // Measuring has stopped: nothing is left to wait for.
      if (Stopped()) {
        if (HeldBy == Holder::Device) Abandon(actions);
        Quit(actions);
      }
      // Held with nothing out: nothing to wait for either.
      if (RingPhase == Phase::Paused && HeldBy == Holder::View) Quit(actions);
      // The reset's return, or the limit, ends the program instead.
      if (RingPhase == Phase::Switching && HeldBy == Holder::Device) {
        RingPhase = Phase::ClosingAfterReset;
      }
      break;
    case RingEventKind::WorkerNotCreated:
      if (RingPhase == Phase::Ended || RingPhase == Phase::TornDown) break;
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
      // The device slept too: the capture out now and the next one queued
      // get the time of a start, from then. A capture out may already be
      // back, its return posted as the system suspended and not yet handled:
      // the one queued after that return is the device's first.
      StartLimitDue = true;
      if (RingPhase == Phase::Capturing ||
          (RingPhase == Phase::Paused && HeldBy == Holder::Device)) {
        Watch(event.At, CaptureTimeMs(QueuedFrames) + kStartGraceMs, actions);
      } else if (RingPhase == Phase::ClosingAfterReset ||
                 (RingPhase == Phase::Switching && HeldBy == Holder::Device)) {
        Watch(event.At, kResetGraceMs, actions);
      }
      break;
    case RingEventKind::ExceptionBox:
      if (RingPhase == Phase::TornDown) break;
      // The run ends when that box is closed; nothing may end it sooner.
      Unwatch(actions);
      RingPhase = Phase::Ended;
      break;
    case RingEventKind::Teardown:
      if (RingPhase == Phase::TornDown) break;
      OnTeardown(actions);
      break;
    case RingEventKind::DeviceClosed:
      if (RingPhase == Phase::Paused) {
        ClosedWhileHeld = event.Succeeded;  // else it stays open, reset
        break;
      }
      if (RingPhase == Phase::Switching) {
        OpenDeviceId = kNoDevice;  // closed, or abandoned
        ContinueSwitch(actions);
        break;
      }
      if (RingPhase != Phase::TornDown) break;
      if (event.Succeeded) {
        OpenDeviceId = kNoDevice;
        if (HeldBy == Holder::Device) HeldBy = Holder::View;
      } else if (HeldBy != Holder::Abandoned) {
        // A device that could not be closed may still write into the buffer.
        Abandon(actions);
      }
      break;
    case RingEventKind::InputChosen:
      OnInputChosen(event, actions);
      break;
    case RingEventKind::PauseToggled:
      OnPauseToggled(actions);
      break;
    case RingEventKind::BufferRenewed:
      if (RingPhase != Phase::Switching) break;
      if (!event.Succeeded) {
        Fail(kNoBufferText, actions);
        break;
      }
      HeldBy = Holder::View;  // the old buffer stays with the old device
      ContinueSwitch(actions);
      break;
  }
  return actions;
}

void CaptureRing::OnDeviceOpened(const RingEvent& event, RingActions& actions) {
  if (RingPhase != Phase::Created && RingPhase != Phase::Switching) return;
  OpenDeviceId = event.Device;
  ClosedWhileHeld = false;
  StartLimitDue = true;
  // A new device: its failures are its own, its returns counted afresh.
  FailureReported = false;
  EarlyReturnsInARow = 0;
  ShortCapturesInARow = 0;
  if (SwitchEndsPaused) {
    SwitchEndsPaused = false;
    RingPhase = Phase::Paused;  // the chosen input is measured once the picture is let go
    return;
  }
  if (HeldBy == Holder::Worker) {
    RingPhase = Phase::Analysing;  // the next capture is queued after the spectrum
    return;
  }
  RingPhase = Phase::Queueing;
  actions.push_back(Do(RingActionKind::QueueCapture));
}

// A choice of input. Measuring from the open device goes on unchanged; a
// close pending, a switch can no longer begin.
void CaptureRing::OnInputChosen(const RingEvent& event, RingActions& actions) {
  if (CloseRequested) return;
  const bool sameAsMeasured = OpenDeviceId != kNoDevice && event.Device == OpenDeviceId;
  switch (RingPhase) {
    case Phase::Capturing:
      if (sameAsMeasured) return;
      ChosenDevice = event.Device;
      SwitchEndsPaused = false;
      ResetForSwitch(event.At, actions);
      break;
    case Phase::Analysing:
      if (sameAsMeasured) return;
      ChosenDevice = event.Device;
      SwitchEndsPaused = false;
      ContinueSwitch(actions);
      break;
    case Phase::Paused:
      if (sameAsMeasured) return;
      ChosenDevice = event.Device;
      SwitchEndsPaused = true;
      if (HeldBy == Holder::Device) {
        ResetForSwitch(event.At, actions);
      } else {
        ContinueSwitch(actions);
      }
      break;
    case Phase::Stopped:
      ChosenDevice = event.Device;
      SwitchEndsPaused = false;
      if (HeldBy == Holder::Device) {
        ResetForSwitch(event.At, actions);
      } else {
        ContinueSwitch(actions);
      }
      break;
    case Phase::Switching:
      ChosenDevice = event.Device;  // the latest choice counts
      break;
    default:
      break;
  }
}

// "Anhalten": measuring stops where it is, or goes on from there. A close
// pending, nothing changes any more; stopped, there is nothing to hold.
void CaptureRing::OnPauseToggled(RingActions& actions) {
  if (CloseRequested) return;
  switch (RingPhase) {
    case Phase::Capturing:  // the capture out is watched on, never analysed
    case Phase::Analysing:  // its spectrum is still shown
      RingPhase = Phase::Paused;
      break;
    case Phase::Switching:
      SwitchEndsPaused = !SwitchEndsPaused;
      break;
    case Phase::Paused:
      MeasureAgain(actions);
      break;
    default:
      break;
  }
}

// After a pause the next capture is the device's first in a while.
void CaptureRing::MeasureAgain(RingActions& actions) {
  StartLimitDue = true;
  switch (HeldBy) {
    case Holder::Device:
      RingPhase = Phase::Capturing;  // that capture is measured when it returns
      break;
    case Holder::Worker:
      RingPhase = Phase::Analysing;  // the next capture follows its spectrum
      break;
    default:
      if (ClosedWhileHeld) {
        // Opened again as by a choice, without restarting the average; a
        // failure stops measuring with the held picture.
        RingPhase = Phase::Switching;
        SwitchEndsPaused = false;
        ChosenDevice = OpenDeviceId;
        OpenDeviceId = kNoDevice;
        RingAction open{RingActionKind::OpenDevice};
        open.Device = ChosenDevice;
        open.Reopens = true;
        actions.push_back(open);
        break;
      }
      // A device that records while no buffer is queued has the whole pause
      // in store: a reset drops it, so the first capture is fresh sound.
      RingPhase = Phase::Queueing;
      actions.push_back(Do(RingActionKind::ResetDevice));
      actions.push_back(Do(RingActionKind::QueueCapture));
      break;
  }
}

// The picture is held and the buffer is back: a device that records while
// no buffer is queued (Wine's drivers do) would record on through the whole
// pause, and under Wine even a reset device keeps its driver's threads and
// the sound server busy. So it is reset and closed; measuring again opens it
// again. A device that cannot be closed stays open, reset.
void CaptureRing::StopWhileHeld(RingActions& actions) {
  actions.push_back(Do(RingActionKind::ResetDevice));
  actions.push_back(Do(RingActionKind::CloseDevice));
}

// The device holds the buffer: a reset brings it back, never to be analysed.
void CaptureRing::ResetForSwitch(int64_t at, RingActions& actions) {
  RingPhase = Phase::Switching;
  Unwatch(actions);
  actions.push_back(Do(RingActionKind::ResetDevice));
  Watch(at, kResetGraceMs, actions);
}

// The next step of a switch whose buffer the old device no longer holds.
void CaptureRing::ContinueSwitch(RingActions& actions) {
  RingPhase = Phase::Switching;
  if (HeldBy == Holder::Abandoned) {
    actions.push_back(Do(RingActionKind::RenewBuffer));
    return;
  }
  if (OpenDeviceId != kNoDevice) {
    // Leaving it: a device that cannot be closed is abandoned, unreported,
    // so that the chosen one can still be opened.
    RingAction close{RingActionKind::CloseDevice};
    close.AbandonOnFailure = true;
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
  if (!DeviceHasBuffer() || RingPhase == Phase::TornDown) return;
  HeldBy = Holder::View;
  Unwatch(actions);
  actions.push_back(Do(RingActionKind::ReleaseBuffer));
  switch (RingPhase) {
    case Phase::Capturing:
      if (CloseRequested) {
        Quit(actions);
      } else {
        MeasureReturnedCapture(event, actions);
      }
      break;
    case Phase::ClosingAfterReset:
      Quit(actions);
      break;
    case Phase::Paused:  // recorded as the picture was held: never analysed
      if (CloseRequested) {
        Quit(actions);
      } else {
        StopWhileHeld(actions);
      }
      break;
    case Phase::Switching:
      ContinueSwitch(actions);  // recorded by the old device: never analysed
      break;
    default:
      break;  // Stopped (an overdue capture: never analysed), Ended: only taken back
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
      Fail(kShortCapturesText, actions);
    } else {
      RingPhase = Phase::Queueing;
      actions.push_back(Do(RingActionKind::QueueCapture));
    }
    return;
  }
  ShortCapturesInARow = 0;
  RingPhase = Phase::Analysing;
  HeldBy = Holder::Worker;
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
  switch (RingPhase) {
    case Phase::Capturing:
    case Phase::Paused:  // the device has the buffer: it is watched while held too
      actions.push_back(Do(RingActionKind::ResetDevice));
      if (CloseRequested) {
        // The reset returns the buffer, and its return ends the program.
        RingPhase = Phase::ClosingAfterReset;
        Watch(event.At, kResetGraceMs, actions);
      } else {
        // The reset may return the buffer while the box is open: it is
        // then only taken back, never analysed.
        Fail(kStoppedDeliveringText, actions);
      }
      break;
    case Phase::ClosingAfterReset:
      // Still nothing: end anyway, and never free memory the device may still write.
      Abandon(actions);
      Quit(actions);
      break;
    case Phase::Switching:
      // The old device keeps the buffer: abandon it there and measure the
      // chosen input with a fresh one.
      Abandon(actions);
      ContinueSwitch(actions);
      break;
    default:
      break;
  }
}

void CaptureRing::OnTeardown(RingActions& actions) {
  Unwatch(actions);
  RingPhase = Phase::TornDown;
  if (OpenDeviceId == kNoDevice) return;
  if (DeviceHasBuffer()) {
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

// Measuring stops; a device that has the buffer keeps it until it gives it back.
void CaptureRing::Fail(const char* text, RingActions& actions) {
  RingPhase = Phase::Stopped;
  SwitchEndsPaused = false;
  FailureReported = true;
  ShowError(text, actions);
}

void CaptureRing::Abandon(RingActions& actions) {
  actions.push_back(Do(RingActionKind::AbandonBuffer));
  HeldBy = Holder::Abandoned;
}

void CaptureRing::ShowError(const std::string& text, RingActions& actions) {
  RingAction box{RingActionKind::ShowError};
  box.Text = text;
  actions.push_back(box);
  ++BoxesOpen;
}

void CaptureRing::Quit(RingActions& actions) {
  RingPhase = Phase::Ended;
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
    case CaptureRing::Phase::Switching:
      return "Switching";
    case CaptureRing::Phase::Paused:
      return "Paused";
    case CaptureRing::Phase::Stopped:
      return "Stopped";
    case CaptureRing::Phase::ClosingAfterReset:
      return "ClosingAfterReset";
    case CaptureRing::Phase::Ended:
      return "Ended";
    case CaptureRing::Phase::TornDown:
      return "TornDown";
  }
  return "?";
}

const char* HolderName(CaptureRing::Holder holder) {
  switch (holder) {
    case CaptureRing::Holder::View:
      return "View";
    case CaptureRing::Holder::Device:
      return "Device";
    case CaptureRing::Holder::Worker:
      return "Worker";
    case CaptureRing::Holder::Abandoned:
      return "Abandoned";
  }
  return "?";
}
