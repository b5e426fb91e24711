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

constexpr UINT_PTR kReturnTimerId = 1;
constexpr UINT_PTR kQuitTimerId = 2;
constexpr const char* kNoBufferText = "Not enough memory for the capture buffer.";
constexpr const char* kShortCapturesText =
    "The input device keeps returning incomplete recordings.";
constexpr const char* kStoppedDeliveringText = "The input device stopped delivering sound.";

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
    Row::Message<TMainClient, &TMainClient::OnCaptureDone>(MM_WIM_DATA),
    Row::Message<TMainClient, &TMainClient::OnSpectrumReady>(kSpectrumReadyMessage),
    Row::Timer<TMainClient, &TMainClient::OnTimer>(),
};
const TResponseTable TMainClient::Table{&TWindow::Table, TMainClient::Rows};

TMainClient::TMainClient(TWindow* parent)
    : TWindow(parent),
      Analyser(std::make_unique<AnalysisWorker>(Buffer.SampleFrames())),
      Shown(std::make_unique<SpectrumLevels>()) {
  ResetWaveInputState();
  Range = kFixedDisplayRange;
}

// Teardown: the worker ends before anything it reads goes, the device is
// closed before the buffer it may own is freed. Throws nothing.
TMainClient::~TMainClient() {
  TearingDown = true;
  StopQuitTimer();  // before any message box of the teardown runs a loop
  TerminateAndWait();
  DisarmReturnTimer();
  ReleaseDevice();
}

void TMainClient::ReleaseDevice() {
  if (Outstanding && InputOpen) {
    // Only a failed way out leaves a buffer queued: take it back first.
    ResetCaptureDevice();
    ReleaseCaptureBuffer(Buffer);
    Outstanding = false;
  }
  CloseWaveInput();
  // A device that could not be closed may still write into the buffer.
  if (InputOpen) Buffer.Abandon();
}

void TMainClient::SetupWindow() {
  TWindow::SetupWindow();
  if (!Buffer.IsValid()) {
    ShowError(kNoBufferText);
    Quit();
    return;
  }
  if (!OpenWaveInput(GetHandle())) {
    Quit();
    return;
  }
  Analyser->ClearDataReady();
  QueueCapture();
  WorkerTarget = GetHandle();
  try {
    Start();
  } catch (const TXWindowing& error) {
    // The program ends in order, like after a close request: when the
    // capture already queued returns. Recorded before the box, whose own
    // message loop may deliver that return: it must end the program, not
    // go to the worker that does not exist.
    CanClose();
    ShowError(error.what());
  }
}

bool TMainClient::CanClose() {
  CloseRequested = true;
  // With the ring stopped by a failure nothing more is analysed: end now.
  // Otherwise the outstanding capture's return ends the program (watched by
  // the return timer), or the cycle in progress queues one more capture and
  // its return does.
  if (Stopped) QuitStopped();
  return false;
}

void TMainClient::QueueCapture() {
  if (Stopped || DeviceReset || TearingDown || QuitPosted) return;
  const int32_t frames = Read(Settings.FftSize);
  Analyser->RecordQueuedFrames(frames);
  // The device may start recording while the start call is still running.
  const int64_t queueingUs = CaptureClockUs();
  const MMRESULT result = QueueCaptureBuffer(Buffer, frames);
  if (result != MMSYSERR_NOERROR) {
    StopRing(WaveInErrorText(result));
    return;
  }
  Outstanding = true;
  QueuedAtUs = queueingUs;
  ArmReturnTimer(CaptureTimeMs() + kReturnGraceMs);
}

void TMainClient::StopRing(const std::string& reason) {
  Stopped = true;
  ShowError(reason.c_str());
  // A close request made before or while the box was open ends the program.
  if (CloseRequested) QuitStopped();
}

void TMainClient::QuitStopped() {
  // A buffer the device still holds may yet be written: it is never freed.
  if (Outstanding) Buffer.Abandon();
  Quit();
}

LRESULT TMainClient::OnCaptureDone() {
  if (!Outstanding) return 0;  // returned by a reset after the ring had stopped
  Outstanding = false;
  DisarmReturnTimer();
  ReleaseCaptureBuffer(Buffer);
  if (CloseRequested) {
    Quit();
    return 0;
  }
  if (Stopped) return 0;  // an overdue capture that the reset returned
  // No buffer is queued now: a reset only stops the device and drops what it
  // recorded in advance; the next queueing starts it again.
  EarlyReturnsInARow = ReturnedEarly() ? EarlyReturnsInARow + 1 : 0;
  if (EarlyReturnsInARow >= kEarlyReturnsBeforeReset) {
    ResetCaptureDevice();
    EarlyReturnsInARow = 0;
  }
  if (RecordedFrames(Buffer) < Analyser->QueuedFrameCount()) {
    // Never analyse frames that were not recorded: try again, a few times.
    if (++ShortCapturesInARow >= kMaxShortCapturesInARow)
      StopRing(kShortCapturesText);
    else
      QueueCapture();
    return 0;
  }
  ShortCapturesInARow = 0;
  Analyser->HandOverCapture();
  return 0;
}

LRESULT TMainClient::OnSpectrumReady() {
  const int32_t cycleSize = Analyser->CycleSize();
  const SpectrumLevels& work = Analyser->WorkLevels();
  std::copy_n(work.begin(), cycleSize / 2, Shown->begin());
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
  QueueCapture();
  return 0;
}

void TMainClient::OnTimer(UINT_PTR timerId) {
  if (timerId == kQuitTimerId) {
    PostQuitMessage(kQuitStatus);
  } else if (timerId == kReturnTimerId) {
    ReturnTimerExpired();
  }
}

void TMainClient::ReturnTimerExpired() {
  DisarmReturnTimer();
  if (!Outstanding || Stopped) return;
  if (!CloseRequested) {
    StopOverdueCapture();
    return;
  }
  if (!DeviceReset) {
    // The buffer is overdue: the reset returns it, and its return ends the program.
    DeviceReset = true;
    ResetCaptureDevice();
    ArmReturnTimer(kResetGraceMs);
    return;
  }
  // Still nothing: end anyway, and never free memory the driver may still write.
  Buffer.Abandon();
  Quit();
}

void TMainClient::StopOverdueCapture() {
  // Stopped first: the reset may return the buffer during the box, and that
  // return must not be analysed.
  Stopped = true;
  ResetCaptureDevice();
  StopRing(kStoppedDeliveringText);
}

void TMainClient::Quit() {
  if (QuitPosted) return;
  QuitPosted = true;
  PostQuitMessage(kQuitStatus);
  QuitTimerRunning = SetTimer(GetHandle(), kQuitTimerId, kQuitRepeatMs, nullptr) != 0;
}

void TMainClient::StopBeforeExceptionBox() {
  QuitPosted = true;  // also queues no further capture
  StopQuitTimer();
  DisarmReturnTimer();
  TWindow::StopBeforeExceptionBox();
}

void TMainClient::StopQuitTimer() {
  if (!QuitTimerRunning) return;
  KillTimer(GetHandle(), kQuitTimerId);
  QuitTimerRunning = false;
}

void TMainClient::ArmReturnTimer(UINT delayMs) {
  ReturnTimerArmed = SetTimer(GetHandle(), kReturnTimerId, delayMs, nullptr) != 0;
}

void TMainClient::DisarmReturnTimer() {
  if (!ReturnTimerArmed) return;
  KillTimer(GetHandle(), kReturnTimerId);
  ReturnTimerArmed = false;
}

UINT TMainClient::CaptureTimeMs() const {
  const int64_t frames = Analyser->QueuedFrameCount();
  return static_cast<UINT>((frames * 1000 + kSampleRateHz - 1) / kSampleRateHz);
}

bool TMainClient::ReturnedEarly() const {
  const double recordingUs = 1e6 * Analyser->QueuedFrameCount() / kSampleRateHz;
  return CaptureClockUs() - QueuedAtUs < kEarlyReturnShare * recordingUs;
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
