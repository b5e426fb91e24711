#include "capture/TMainClient.h"

#include <algorithm>

#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "capture/CaptureDevice.h"
#include "capture/MessageBoxes.h"
#include "capture/WaveInError.h"
#include "capture/WaveInput.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TClientDC.h"
#include "windowing/TXWindowing.h"

namespace {

constexpr UINT_PTR kWatchdogTimerId = 1;
constexpr UINT_PTR kQuitTimerId = 2;

// The worker's view of the platform: it sleeps, and it tells the view window
// that a spectrum is ready. Called on the worker thread only.
class WindowWorkerServices : public WorkerServices {
 public:
  explicit WindowWorkerServices(HWND view) : View(view) {}
  void SleepMs(int32_t milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }
  void PostSpectrumReady() override {
    PostMessageA(View, TMainClient::kSpectrumReadyMessage, 0, 0);  // a failure is ignored
  }

 private:
  HWND View;
};

}  // namespace

const TResponseEntry TMainClient::Rows[] = {
    Row::Message<TWindow, &TWindow::EvPaint>(WM_PAINT),
    Row::EraseBackground<TMainClient, &TMainClient::EraseBackground>(),
    Row::Size<TMainClient, &TMainClient::SizeChanged>(),
    Row::WithParameters<TMainClient, &TMainClient::OnCaptureDone>(MM_WIM_DATA),
    Row::Message<TMainClient, &TMainClient::OnSpectrumReady>(kSpectrumReadyMessage),
    Row::Timer<TMainClient, &TMainClient::OnTimer>(),
    Row::PowerBroadcast<TMainClient, &TMainClient::OnPowerEvent>(),
    Row::MouseMove<TMainClient, &TMainClient::OnMouseMove>(),
    Row::Message<TMainClient, &TMainClient::OnMouseLeave>(WM_MOUSELEAVE),
};
const TResponseTable TMainClient::Table{&TWindow::Table, TMainClient::Rows};

TMainClient::TMainClient(TWindow* parent)
    : TWindow(parent),
      Buffer(std::make_unique<TSampleBuffer>()),
      Analyser(std::make_unique<AnalysisWorker>(Buffer->SampleFrames())),
      Shown(std::make_unique<SpectrumLevels>()) {
  ResetWaveInputState();
  Range = kFixedDisplayRange;
}

// Teardown: the worker ends before anything it reads goes, the device is
// closed before the buffer it may own is freed. Throws nothing.
TMainClient::~TMainClient() {
  StopQuitTimer();  // before any message box of the teardown runs a loop
  TerminateAndWait();
  Deliver(RingEventKind::Teardown);
}

void TMainClient::SetupWindow() {
  TWindow::SetupWindow();
  if (!Buffer->IsValid()) {
    Deliver(RingEventKind::BufferMissing);
    return;
  }
  if (!OpenWaveInput(GetHandle(), static_cast<UINT>(StartInput), AnnounceStartInput)) {
    Deliver(RingEventKind::DeviceNotOpened);
    return;
  }
  Analyser->ClearDataReady();
  RingEvent opened = RingEvent::Make(RingEventKind::DeviceOpened, CaptureClockUs());
  opened.Device = static_cast<int32_t>(InputDevice);
  Deliver(opened);
  WorkerTarget = GetHandle();
  try {
    Start();
  } catch (const TXWindowing& error) {
    RingEvent failed = RingEvent::Make(RingEventKind::WorkerNotCreated, CaptureClockUs());
    failed.Text = error.what();
    Deliver(failed);
  }
}

bool TMainClient::CanClose() {
  Deliver(RingEventKind::CloseRequested);
  return false;
}

void TMainClient::StopBeforeExceptionBox() {
  StopQuitTimer();
  Deliver(RingEventKind::ExceptionBox);
  TWindow::StopBeforeExceptionBox();
}

void TMainClient::StartWith(int32_t device, bool announce) {
  StartInput = device;
  AnnounceStartInput = announce;
}

void TMainClient::ChooseInput(int32_t device) {
  RingEvent chosen = RingEvent::Make(RingEventKind::InputChosen, CaptureClockUs());
  chosen.Device = device;
  Deliver(chosen);
}

LRESULT TMainClient::OnCaptureDone(WPARAM, LPARAM header) {
  // A buffer left to a device that kept it may still come back: it is not
  // the one out now, and the ring never hears of it.
  if (reinterpret_cast<WAVEHDR*>(header) != Buffer->WaveHeader()) return 0;
  RingEvent returned = RingEvent::Make(RingEventKind::CaptureReturned, CaptureClockUs());
  returned.Frames = RecordedFrames(*Buffer);
  Deliver(returned);
  return 0;
}

LRESULT TMainClient::OnSpectrumReady() {
  const int32_t cycleSize = Analyser->CycleSize();
  const SpectrumLevels& work = Analyser->WorkLevels();
  std::copy_n(work.begin(), cycleSize / 2, Shown->begin());
  Painter.SetSpectrum(cycleSize, Analyser->CycleWeighting());
  if (ShownFrames == cycleSize) {
    Rescale(false);
  } else {
    ShownFrames = cycleSize;
    Rescale(true);
  }
  {
    TClientDC dc(GetHandle());
    DrawSpectrum(dc);
  }
  Deliver(RingEventKind::SpectrumShown);
  return 0;
}

void TMainClient::OnTimer(UINT_PTR timerId) {
  if (timerId == kQuitTimerId) {
    PostQuitMessage(kQuitStatus);
  } else if (timerId == kWatchdogTimerId) {
    Deliver(RingEventKind::WatchdogExpired);
  }
}

// Sent to top-level windows only: the frame passes it on.
void TMainClient::OnPowerEvent(UINT powerEvent) {
  if (powerEvent == PBT_APMSUSPEND) {
    Deliver(RingEventKind::Suspending);
  } else if (powerEvent == PBT_APMRESUMEAUTOMATIC || powerEvent == PBT_APMRESUMESUSPEND) {
    Deliver(RingEventKind::Resumed);
  }
}

void TMainClient::Deliver(RingEventKind kind) {
  Deliver(RingEvent::Make(kind, CaptureClockUs()));
}

void TMainClient::Deliver(const RingEvent& event) {
  for (const RingAction& action : Ring.Handle(event)) Perform(action);
}

void TMainClient::Perform(const RingAction& action) {
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
      SetTimer(GetHandle(), kWatchdogTimerId, static_cast<UINT>(action.DelayMs), nullptr);
      break;
    case RingActionKind::DisarmWatchdog:
      KillTimer(GetHandle(), kWatchdogTimerId);
      break;
    case RingActionKind::ShowError:
      ShowError(action.Text.c_str());
      Deliver(RingEventKind::ErrorBoxClosed);
      break;
    case RingActionKind::HandOver:
      Analyser->HandOverCapture();
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
      OpenDevice(action.Device);
      break;
    case RingActionKind::RenewBuffer:
      RenewBuffer();
      break;
  }
}

void TMainClient::QueueCapture() {
  const int32_t frames = Read(Settings.FftSize);
  Analyser->RecordQueuedFrames(frames);
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

void TMainClient::CloseDevice(const RingAction& action) {
  CloseWaveInput(action.ReportFailure);
  RingEvent closed = RingEvent::Make(RingEventKind::DeviceClosed, CaptureClockUs());
  closed.Succeeded = InputOpen == 0;
  if (action.AbandonOnFailure) ForgetWaveInput();
  Deliver(closed);
}

void TMainClient::OpenDevice(int32_t device) {
  std::string why;
  const bool opened = OpenWaveInputDevice(GetHandle(), static_cast<UINT>(device), why);
  RingEvent event = RingEvent::Make(
      opened ? RingEventKind::DeviceOpened : RingEventKind::DeviceNotOpened, CaptureClockUs());
  event.Device = device;
  event.Text = why;
  Deliver(event);
}

// The old buffer was abandoned: its memory stays with the device that keeps
// it. The worker holds no capture now (the device had the buffer).
void TMainClient::RenewBuffer() {
  Buffer = std::make_unique<TSampleBuffer>();
  if (Buffer->IsValid()) Analyser->UseSamples(Buffer->SampleFrames());
  RingEvent renewed = RingEvent::Make(RingEventKind::BufferRenewed, CaptureClockUs());
  renewed.Succeeded = Buffer->IsValid();
  Deliver(renewed);
}

void TMainClient::PostQuit() {
  PostQuitMessage(kQuitStatus);
  QuitTimerRunning = SetTimer(GetHandle(), kQuitTimerId, kQuitRepeatMs, nullptr) != 0;
}

void TMainClient::StopQuitTimer() {
  if (!QuitTimerRunning) return;
  KillTimer(GetHandle(), kQuitTimerId);
  QuitTimerRunning = false;
}

int TMainClient::Run() {
  WindowWorkerServices services(WorkerTarget);
  return Analyser->Run(StopRequestFlag(), services);
}

void TMainClient::Rescale(bool forced) {
  EnsureExtendedPrecision();  // the column cache is computed here
  RECT area;
  GetClientRect(GetHandle(), &area);
  View.Rescale(area.right, area.bottom, ShownFrames, forced);
}

void TMainClient::Paint(TDC& dc, bool, const RECT&) {
  Rescale(false);
  DrawSpectrum(dc);
}

void TMainClient::DrawSpectrum(TDC& dc) {
  Painter.DrawSpectrum(dc, View, *Shown);
}

bool TMainClient::EraseBackground(HDC) {
  return true;
}

void TMainClient::SizeChanged(UINT, SIZE) {
  InvalidateRect(GetHandle(), nullptr, TRUE);
}

// A mouse move only moves the readout: its old and its new area are redrawn
// from the levels and scales at hand, nothing is analysed or rescaled.
void TMainClient::OnMouseMove(POINT pointer) {
  if (GetActiveWindow() != GetAncestor(GetHandle(), GA_ROOT)) {
    HideReadout();
    return;
  }
  if (!TrackingMouse) {
    TRACKMOUSEEVENT request{sizeof(TRACKMOUSEEVENT), TME_LEAVE, GetHandle(), 0};
    TrackingMouse = TrackMouseEvent(&request) != FALSE;
  }
  const PixelPoint at{pointer.x, pointer.y};
  if (Painter.ReadoutVisible() && Painter.ReadoutPointer() == at) return;
  InvalidateReadout();
  Painter.ShowReadoutAt(at);
  InvalidateReadout();
}

LRESULT TMainClient::OnMouseLeave() {
  TrackingMouse = false;
  HideReadout();
  return 0;
}

void TMainClient::HideReadout() {
  if (!Painter.ReadoutVisible()) return;
  InvalidateReadout();
  Painter.HideReadout();
}

void TMainClient::InvalidateReadout() {
  if (!Painter.ReadoutVisible()) return;
  TClientDC dc(GetHandle());
  const ReadoutArea area = Painter.MeasureReadout(dc, View, *Shown);
  InvalidateRect(GetHandle(), &area.Marker, FALSE);
  InvalidateRect(GetHandle(), &area.Box, FALSE);
}
