#include "capture/CaptureDriver.h"

#include "analysis/MeasurementSettings.h"
#include "capture/CaptureDevice.h"
#include "capture/WaveInError.h"
#include "capture/WaveInput.h"
#include "windowing/TXWindowing.h"

namespace {

constexpr UINT_PTR kWatchdogTimerId = 1;
constexpr UINT_PTR kQuitTimerId = 2;

// The worker's view of the platform: it sleeps, it waits for the driver's
// wake, and it tells the driver's window that a spectrum is ready. Called on
// the worker thread only.
class WindowWorkerServices : public WorkerServices {
 public:
  WindowWorkerServices(HWND window, TEvent& wake) : Window(window), Wake(wake) {}
  void SleepMs(int32_t milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }
  void WaitForWake() override { Wake.Wait(); }
  void PostSpectrumReady() override {
    PostMessageA(Window, CaptureDriver::kSpectrumReadyMessage, 0, 0);  // a failure is ignored
  }

 private:
  HWND Window;
  TEvent& Wake;
};

}  // namespace

CaptureDriver::CaptureDriver(AnalysisDisplay& display)
    : Display(display),
      Buffer(std::make_unique<TSampleBuffer>()),
      Analyser(std::make_unique<AnalysisWorker>(Buffer->SampleFrames())) {
  ResetWaveInputState();
}

CaptureDriver::~CaptureDriver() {
  StopQuitTimer();  // before any message box of the teardown runs a loop
  // A waiting worker polls again and finds the stop request within a poll.
  Analyser->Poll();
  WorkerWake.Set();
  TerminateAndWait();
  Deliver(RingEventKind::Teardown);
}

void CaptureDriver::Start(HWND window) {
  Window = window;
  if (!Buffer->IsValid()) {
    Deliver(RingEventKind::BufferMissing);
    return;
  }
  if (!OpenWaveInput(Window, static_cast<UINT>(StartInput), AnnounceStartInput)) {
    Deliver(RingEventKind::DeviceNotOpened);
    return;
  }
  Analyser->ClearDataReady();
  RingEvent opened = RingEvent::Make(RingEventKind::DeviceOpened, CaptureClockUs());
  opened.Device = static_cast<int32_t>(InputDevice);
  NoteOpened(opened.Device);
  Deliver(opened);
  try {
    TThread::Start();
  } catch (const TXWindowing& error) {
    RingEvent failed = RingEvent::Make(RingEventKind::WorkerNotCreated, CaptureClockUs());
    failed.Text = error.what();
    Deliver(failed);
  }
}

void CaptureDriver::TogglePause() {
  Deliver(RingEventKind::PauseToggled);
}

void CaptureDriver::RequestClose() {
  Deliver(RingEventKind::CloseRequested);
}

void CaptureDriver::StopBeforeExceptionBox() {
  StopQuitTimer();
  Deliver(RingEventKind::ExceptionBox);
}

void CaptureDriver::StartWith(int32_t device, bool announce) {
  StartInput = device;
  AnnounceStartInput = announce;
}

void CaptureDriver::ChooseInput(int32_t device) {
  RingEvent chosen = RingEvent::Make(RingEventKind::InputChosen, CaptureClockUs());
  chosen.Device = device;
  Deliver(chosen);
}

void CaptureDriver::OnCaptureDone(LPARAM header) {
  // A buffer left to a device that kept it may still come back: it is not
  // the one out now, and the ring never hears of it.
  if (reinterpret_cast<WAVEHDR*>(header) != Buffer->WaveHeader()) return;
  RingEvent returned = RingEvent::Make(RingEventKind::CaptureReturned, CaptureClockUs());
  returned.Frames = RecordedFrames(*Buffer);
  Deliver(returned);
}

void CaptureDriver::OnSpectrumReady() {
  Display.ShowSpectrum({Analyser->CycleSize(), Analyser->CycleWeighting(), Analyser->WorkLevels(),
                        Analyser->WorkFloorPowers(), Analyser->HeldLevels(),
                        Analyser->CycleAverageCount(), Analyser->CycleAverageLength(),
                        Analyser->HasHeldLevels(), AnalysedDevice});
  Deliver(RingEventKind::SpectrumShown);
}

void CaptureDriver::OnTimer(UINT_PTR timerId) {
  if (timerId == kQuitTimerId) {
    PostQuitMessage(kQuitStatus);
  } else if (timerId == kWatchdogTimerId) {
    Deliver(RingEventKind::WatchdogExpired);
  }
}

void CaptureDriver::OnPowerEvent(UINT powerEvent) {
  if (powerEvent == PBT_APMSUSPEND) {
    Deliver(RingEventKind::Suspending);
  } else if (powerEvent == PBT_APMRESUMEAUTOMATIC || powerEvent == PBT_APMRESUMESUSPEND) {
    Deliver(RingEventKind::Resumed);
  }
}

void CaptureDriver::Deliver(RingEventKind kind) {
  Deliver(RingEvent::Make(kind, CaptureClockUs()));
}

void CaptureDriver::Deliver(const RingEvent& event) {
  ++DeliveryDepth;
  for (const RingAction& action : Ring.Handle(event)) Perform(action);
  if (--DeliveryDepth == 0) TellOwner();
}

void CaptureDriver::NoteOpened(int32_t device) {
  const std::vector<std::string> names = WaveInputNames();
  const bool named = device >= 0 && device < static_cast<int32_t>(names.size());
  OpenedInputs.push_back({device, named ? names[device] : std::string()});
}

// The owner may call the driver again from here: the ring is between events.
void CaptureDriver::TellOwner() {
  while (!OpenedInputs.empty()) {
    const OpenedInput opened = OpenedInputs.front();
    OpenedInputs.erase(OpenedInputs.begin());
    Display.InputOpened(opened.Device, opened.Name);
  }
  if (Ring.PictureHeld() != ToldPictureHeld) {
    ToldPictureHeld = Ring.PictureHeld();
    Display.PictureHeldChanged(ToldPictureHeld);
  }
  FollowWithWorker();
}

// While the picture is held or measuring has stopped, no capture comes until
// the user acts: the worker waits for a wake rather than polling (100 looks
// a second, each a system call and a context switch). Without the event it
// polls throughout.
void CaptureDriver::FollowWithWorker() {
  const bool idle = WorkerWake.IsValid() && (Ring.PictureHeld() || Ring.Stopped());
  if (idle == WorkerIdle) return;
  WorkerIdle = idle;
  if (idle) {
    Analyser->Idle();
  } else {
    Analyser->Poll();
    WorkerWake.Set();
  }
}

void CaptureDriver::Perform(const RingAction& action) {
  switch (action.Kind) {
    case RingActionKind::QueueCapture:
      QueueCapture();
      break;
    case RingActionKind::ResetDevice:
      ResetCaptureDevice();
      break;
    case RingActionKind::ReleaseBuffer:
      ReleaseCaptureBuffer(*Buffer);
      break;
    case RingActionKind::ArmWatchdog:
      SetTimer(Window, kWatchdogTimerId, static_cast<UINT>(action.DelayMs), nullptr);
      break;
    case RingActionKind::DisarmWatchdog:
      KillTimer(Window, kWatchdogTimerId);
      break;
    case RingActionKind::ShowError:
      Display.ShowErrorBox(action.Text.c_str());
      Deliver(RingEventKind::ErrorBoxClosed);
      break;
    case RingActionKind::HandOver:
      AnalysedDevice = QueuedDevice;
      Analyser->HandOverCapture();
      WorkerWake.Set();  // wakes the worker, should it still be waiting
      break;
    case RingActionKind::PostQuit:
      PostQuit();
      break;
    case RingActionKind::AbandonBuffer:
      Buffer->Abandon();
      break;
    case RingActionKind::CloseDevice:
      CloseDevice(action);
      break;
    case RingActionKind::OpenDevice:
      OpenDevice(action.Device, action.Reopens);
      break;
    case RingActionKind::RenewBuffer:
      RenewBuffer();
      break;
  }
}

void CaptureDriver::QueueCapture() {
  const int32_t frames = Read(Settings.FftSize);
  Analyser->RecordQueuedFrames(frames);
  Analyser->RecordRestarts(AverageRestartDue, HoldRestartDue);
  AverageRestartDue = false;
  HoldRestartDue = false;
  QueuedDevice = Ring.OpenInput();
  // The device may start recording while the start call is still running.
  RingEvent queued = RingEvent::Make(RingEventKind::CaptureQueued, CaptureClockUs());
  queued.Frames = frames;
  const MMRESULT result = QueueCaptureBuffer(*Buffer, frames);
  if (result != MMSYSERR_NOERROR) {
    queued.Kind = RingEventKind::QueueRefused;
    queued.Text = WaveInErrorText(result);
  }
  Deliver(queued);
}

void CaptureDriver::CloseDevice(const RingAction& action) {
  CloseWaveInput(action.ReportFailure);
  RingEvent closed = RingEvent::Make(RingEventKind::DeviceClosed, CaptureClockUs());
  closed.Succeeded = InputOpen == 0;
  if (action.AbandonOnFailure) ForgetWaveInput();
  Deliver(closed);
}

void CaptureDriver::OpenDevice(int32_t device, bool reopens) {
  std::string why;
  const bool opened = OpenWaveInputDevice(Window, static_cast<UINT>(device), why);
  RingEvent event = RingEvent::Make(
      opened ? RingEventKind::DeviceOpened : RingEventKind::DeviceNotOpened, CaptureClockUs());
  event.Device = device;
  event.Text = why;
  if (opened && !reopens) {
    // Another input's lines are another quantity.
    AverageRestartDue = true;
    HoldRestartDue = true;
  }
  if (opened) NoteOpened(device);
  Deliver(event);
}

// The old buffer was abandoned: its memory stays with the device that keeps
// it. The worker holds no capture now (the device had the buffer).
void CaptureDriver::RenewBuffer() {
  Buffer = std::make_unique<TSampleBuffer>();
  if (Buffer->IsValid()) Analyser->UseSamples(Buffer->SampleFrames());
  RingEvent renewed = RingEvent::Make(RingEventKind::BufferRenewed, CaptureClockUs());
  renewed.Succeeded = Buffer->IsValid();
  Deliver(renewed);
}

void CaptureDriver::PostQuit() {
  PostQuitMessage(kQuitStatus);
  QuitTimerRunning = SetTimer(Window, kQuitTimerId, kQuitRepeatMs, nullptr) != 0;
}

void CaptureDriver::StopQuitTimer() {
  if (!QuitTimerRunning) return;
  KillTimer(Window, kQuitTimerId);
  QuitTimerRunning = false;
}

int CaptureDriver::Run() {
  WindowWorkerServices services(Window, WorkerWake);
  return Analyser->Run(StopRequestFlag(), services);
}
