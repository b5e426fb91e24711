#include "tests/capture/RingWorld.h"

#include <algorithm>

void RingWorld::SetUp(bool bufferValid, bool deviceOpens, const std::string& workerText) {
  if (!bufferValid) {
    SetupFailed = true;
    Deliver(RingEventKind::BufferMissing);
    return;
  }
  if (!deviceOpens) {
    SetupFailed = true;
    Boxes.push_back("Error: No input device found!");  // shown by the open
    Deliver(RingEventKind::DeviceNotOpened);
    return;
  }
  Open(0);
  if (!workerText.empty()) {
    WorkerText = workerText;
    RingEvent refused = RingEvent::Make(RingEventKind::WorkerNotCreated, NowUs);
    refused.Text = workerText;
    Deliver(refused);
  }
}

void RingWorld::Complete(int64_t afterMs, int32_t frames) {
  if (!DeviceHolds) return;
  NowUs = std::max(NowUs, QueuedAtUs + afterMs * kUsPerMs);
  DeviceHolds = false;
  RingEvent returned = RingEvent::Make(RingEventKind::CaptureReturned, 0);
  returned.Frames = frames < 0 ? QueuedFrames : frames;
  Messages.push_back(returned);
  ReturnSerials.push_back(OpenSerial);
  ReturnBuffers.push_back(BufferSerial);
}

bool RingWorld::HandleMessage() {
  if (Messages.empty()) return false;
  RingEvent event = Messages.front();
  Messages.pop_front();
  event.At = NowUs;
  if (event.Kind == RingEventKind::SpectrumShown) WorkerHolds = false;
  if (event.Kind == RingEventKind::CaptureReturned) {
    ReturnedSerial = ReturnSerials.front();
    ReturnSerials.pop_front();
    const int buffer = ReturnBuffers.front();
    ReturnBuffers.pop_front();
    // The view knows a buffer by its header: a late return of one it left
    // to the old device is not the capture it waits for.
    if (buffer != BufferSerial) return true;
  }
  Deliver(event);
  return true;
}

void RingWorld::HandleAllMessages() {
  while (HandleMessage()) {
  }
}

void RingWorld::FinishAnalysis() {
  if (!WorkerHolds) return;
  Messages.push_back(RingEvent::Make(RingEventKind::SpectrumShown, 0));
}

void RingWorld::Advance(int64_t ms) {
  const int64_t endUs = NowUs + ms * kUsPerMs;
  while (TimerArmed && TimerDueUs <= endUs) {
    NowUs = std::max(NowUs, TimerDueUs);
    TimerDueUs += TimerPeriodUs;  // a window timer repeats until killed
    Deliver(RingEventKind::WatchdogExpired);
  }
  NowUs = std::max(NowUs, endUs);
}

void RingWorld::Cycle() {
  Complete(CaptureMs());
  HandleAllMessages();
  FinishAnalysis();
  HandleAllMessages();
}

void RingWorld::RequestClose() {
  CloseAsked = true;
  Deliver(RingEventKind::CloseRequested);
}

void RingWorld::ChooseInput(int32_t device) {
  // As the user sees it: the program being ended switches nothing, and
  // choosing the input that is measuring (open, no failure shown since)
  // changes nothing; any other choice begins a switch.
  const bool ending = CloseAsked || SetupFailed || !WorkerText.empty() || ExceptionShown;
  const bool measuring = DeviceOpen && FailureBoxes == 0;
  if (!ending && !(measuring && device == OpenDeviceId)) {
    SwitchAsked = true;
    FailureBoxes = 0;  // a new attempt: its failures are new ones
  }
  RingEvent chosen = RingEvent::Make(RingEventKind::InputChosen, NowUs);
  chosen.Device = device;
  Deliver(chosen);
}

void RingWorld::TogglePause() {
  // As the user sees it: the program being ended holds nothing, and a
  // stopped ring (a failure shown) has nothing to hold.
  const bool ending = CloseAsked || SetupFailed || !WorkerText.empty() || ExceptionShown;
  const bool measuring = (DeviceOpen || SwitchAsked || HeldInputClosed) && FailureBoxes == 0;
  if (!ending && measuring) PictureHeld = !PictureHeld;
  Deliver(RingEventKind::PauseToggled);
}

void RingWorld::Open(int32_t device) {
  if (DeviceOpen) Violation("a second device opened");
  DeviceOpen = true;
  OpenDeviceId = device;
  ++OpenSerial;
  SwitchAsked = false;
  HeldInputClosed = false;
  FailureBoxes = 0;  // a new device, its own failures
  RingEvent opened = RingEvent::Make(RingEventKind::DeviceOpened, NowUs);
  opened.Device = device;
  Deliver(opened);
}

void RingWorld::Teardown() {
  WorkerHolds = false;  // the view stops the worker first
  Deliver(RingEventKind::Teardown);
  TornDown = true;
  if (DeviceHolds && !Abandoned) Violation("the buffer is freed while the device holds it");
}

void RingWorld::Deliver(RingEventKind kind) {
  Deliver(RingEvent::Make(kind, NowUs));
}

void RingWorld::Deliver(RingEvent event) {
  event.At = NowUs;
  if (event.Kind == RingEventKind::ExceptionBox) ExceptionShown = true;
  const RingActions actions = Ring.Handle(event);
  for (size_t i = 0; i < actions.size(); ++i) {
    const RingActionKind kind = actions[i].Kind;
    const bool bringsEvents =
        kind == RingActionKind::ShowError || kind == RingActionKind::QueueCapture ||
        kind == RingActionKind::CloseDevice || kind == RingActionKind::OpenDevice ||
        kind == RingActionKind::RenewBuffer;
    if (bringsEvents && i + 1 != actions.size())
      Violation("an action follows one that brings events");
  }
  for (const RingAction& action : actions) Perform(action);
}

void RingWorld::Perform(const RingAction& action) {
  switch (action.Kind) {
    case RingActionKind::QueueCapture: {
      if (DeviceHolds || WorkerHolds) Violation("queued while the device or the worker has it");
      if (QuitsPosted > 0 || TornDown) Violation("queued after the quit");
      if (FailureBoxes > 0) Violation("queued after a device failure");
      if (PictureHeld) Violation("queued while the picture is held");
      const int64_t queueingUs = NowUs;
      if (!QueueError.empty()) {
        RingEvent refused = RingEvent::Make(RingEventKind::QueueRefused, queueingUs);
        refused.Text = QueueError;
        Deliver(refused);
        return;
      }
      ++Queueings;
      DeviceHolds = true;
      DeviceRecords = true;
      QueuedFrames = FftSize;
      QueuedAtUs = queueingUs;
      RingEvent queued = RingEvent::Make(RingEventKind::CaptureQueued, queueingUs);
      queued.Frames = QueuedFrames;
      Deliver(queued);
      return;
    }
    case RingActionKind::ResetDevice:
      ++Resets;
      DeviceRecords = false;
      if (DeviceHolds && ResetReturnsBuffer) Complete(0, 0);
      return;
    case RingActionKind::ReleaseBuffer:
      return;  // unpreparing a buffer the device holds fails harmlessly
    case RingActionKind::ArmWatchdog:
      TimerArmed = true;
      TimerPeriodUs = action.DelayMs * kUsPerMs;
      TimerDueUs = NowUs + TimerPeriodUs;
      return;
    case RingActionKind::DisarmWatchdog:
      TimerArmed = false;
      return;
    case RingActionKind::ShowError:
      Boxes.push_back("Error: " + action.Text);
      if (action.Text != WorkerText && ++FailureBoxes > 1) Violation("a second box for a failure");
      if (action.Text != WorkerText) PictureHeld = false;  // measuring stopped: nothing held
      ++BoxesOpen;
      if (OnBox && BoxesOpen == 1) OnBox();
      --BoxesOpen;
      Deliver(RingEventKind::ErrorBoxClosed);
      return;
    case RingActionKind::HandOver:
      if (DeviceHolds) Violation("handed over while the device holds it");
      if (PictureHeld) Violation("analysed while the picture is held");
      if (QuitsPosted > 0 || TornDown) Violation("analysed after the quit");
      if (SwitchAsked || ReturnedSerial != OpenSerial)
        Violation("a capture of the old device handed over after the switch began");
      ++HandOvers;
      WorkerHolds = true;
      return;
    case RingActionKind::PostQuit:
      if (!CloseAsked && !SetupFailed && WorkerText.empty())
        Violation("quit without a close request");
      if (++QuitsPosted > 1) Violation("quit posted twice");
      if (BoxesOpen > 0) Violation("quit posted while a box is open");
      QuitAtUs = NowUs;
      return;
    case RingActionKind::AbandonBuffer:
      Abandoned = true;
      return;
    case RingActionKind::CloseDevice: {
      const bool closes = !DeviceHolds && !AbandonedBufferHeld;
      if (!closes && action.ReportFailure) {
        Boxes.push_back("Error: close failed");
        if (++FailureBoxes > 1) Violation("a second box for a failure");
      }
      if (closes) {
        // Closed for the pause, it is still the input the user measures from.
        HeldInputClosed = PictureHeld && !SwitchAsked;
        DeviceOpen = false;
        DeviceRecords = false;
      } else if (action.AbandonOnFailure) {
        DeviceOpen = false;
        DeviceRecords = false;
        ++DevicesAbandoned;
        AbandonedBufferHeld = false;  // with the device, out of reach
      }
      RingEvent closed = RingEvent::Make(RingEventKind::DeviceClosed, NowUs);
      closed.Succeeded = closes;
      Deliver(closed);
      return;
    }
    case RingActionKind::OpenDevice: {
      if (!OpenError.empty()) {
        RingEvent failed = RingEvent::Make(RingEventKind::DeviceNotOpened, NowUs);
        failed.Text = OpenError;
        Deliver(failed);
        return;
      }
      Open(action.Device);
      return;
    }
    case RingActionKind::RenewBuffer: {
      if (!Abandoned) Violation("a fresh buffer while the old one is not abandoned");
      if (WorkerHolds) Violation("a fresh buffer while the worker has the old one");
      RingEvent renewed = RingEvent::Make(RingEventKind::BufferRenewed, NowUs);
      renewed.Succeeded = !RenewFails;
      if (!RenewFails) {
        AbandonedBufferHeld = DeviceHolds;
        DeviceHolds = false;
        ++BufferSerial;
        Abandoned = false;
      }
      Deliver(renewed);
      return;
    }
  }
}

void RingWorld::Violation(const std::string& what) {
  Violations.push_back(what + " (phase " + PhaseName(Ring.CurrentPhase()) + ", buffer with " +
                       HolderName(Ring.BufferHolder()) + ")");
}
