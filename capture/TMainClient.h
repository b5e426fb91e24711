#pragma once

#include <cstdint>
#include <memory>

#include "analysis/AnalysisWorker.h"
#include "analysis/LevelTypes.h"
#include "capture/TSampleBuffer.h"
#include "display/ViewGeometry.h"
#include "display/ViewPainter.h"
#include "windowing/TThread.h"
#include "windowing/TWindow.h"

// The spectrum view: a child window that shows the latest spectrum, the owner
// of the wave input device and of the one capture buffer, and the worker
// thread that analyses it.
//
// Thread safety. One capture buffer travels a ring of three owners, which is
// what keeps the two threads apart without a lock:
//  - Capturing: the device owns the buffer (queued by the GUI thread).
//  - Analysing: MM_WIM_DATA returns it to the GUI thread, which hands it to
//    the worker through the analyser's DataReady flag (release/acquire). The
//    worker alone reads the samples and writes DcOffset, CycleSize and
//    WorkLevels, then posts WM_SPECTRUM_READY.
//  - Showing: the GUI thread, handling that message, copies the levels into
//    ShownLevels and draws them; only then does it queue the buffer again.
// ShownSize, ShownLevels, the view geometry, ClosePending and the ring's own
// state belong to the GUI thread alone. The settings the worker reads are
// relaxed atomics (analysis/MeasurementSettings.h). The stop request of the
// thread base is the only other signal; it is set by the destructor.
//
// Ending: a close request never ends the program at once. The close check
// records ClosePending and answers no; the program quits with status 1 when
// the outstanding buffer comes back. A device that never returns it is reset
// after the capture time plus kReturnGraceMs, and given up kResetGraceMs later.
// The quit message is posted again every kQuitRepeatMs until the message loop
// has taken it: a menu's own loop, open at the moment of the first one, may
// swallow it.
//
// A device that stops delivering: while measuring, a buffer not back after
// the capture time plus kReturnGraceMs is overdue (a pulled USB device, a
// sound server gone). The device is reset, the user is told in an "Error"
// box, and the ring stops; the last spectrum stays until the user closes the
// program, which then ends at once, leaving a buffer the device still holds
// allocated. What the reset returns is not analysed.
//
// Fresh sound: a device that keeps recording while no buffer is queued (as
// Wine's drivers do) fills the next buffer from a backlog that grows with
// every cycle, so the spectrum would fall further and further behind the
// sound. Such a buffer comes back sooner than its frames last, timed from
// before its queueing (a slow start must not make a capture look short);
// after kEarlyReturnsBeforeReset such returns in a row the device is reset
// while no buffer is queued, which discards the backlog. A device that
// records only while a buffer is queued never returns one that early and is
// never reset.
//
// Large (several MiB): the parent creates it on the heap.
class TMainClient : public TWindow, public TThread {
 public:
  static constexpr UINT kSpectrumReadyMessage = WM_USER;
  static constexpr int kQuitStatus = 1;
  static constexpr UINT kReturnGraceMs = 2000;
  static constexpr UINT kResetGraceMs = 1000;
  static constexpr int32_t kMaxShortCapturesInARow = 3;
  static constexpr int32_t kEarlyReturnsBeforeReset = 2;
  static constexpr UINT kQuitRepeatMs = 100;
  // A buffer back in less than this share of its recording time holds sound
  // recorded before it was queued.
  static constexpr double kEarlyReturnShare = 0.5;

  explicit TMainClient(TWindow* parent);
  ~TMainClient() override;

  // Records the close request and answers no, every time.
  bool CanClose() override;

  // Brings the view's scales up to date with its client size (and, when
  // forced, with ShownSize).
  void Rescale(bool forced);
  const ViewGeometry& Geometry() const { return View; }
  int32_t FreqToX(double frequencyHz) const { return View.FreqToX(frequencyHz); }
  int32_t LevelToY(double levelDb) const { return View.LevelToY(levelDb); }

  // What tests and the axis frame may look at; GUI thread only.
  int32_t ShownSize() const { return ShownFrames; }
  const SpectrumLevels& ShownLevels() const { return *Shown; }
  bool ClosePending() const { return CloseRequested; }
  bool RingStopped() const { return Stopped; }

  // Neither timer runs on, and no capture's return posts a quit message any
  // more: the run ends when the exception's box is closed.
  void StopBeforeExceptionBox() override;

  DECLARE_RESPONSE_TABLE();

 protected:
  void SetupWindow() override;
  void Paint(TDC& dc, bool erase, const RECT& updateRect) override;
  int Run() override;

 private:
  bool EraseBackground(HDC dc);
  void SizeChanged(UINT sizeType, SIZE size);
  LRESULT OnCaptureDone();
  LRESULT OnSpectrumReady();
  void OnTimer(UINT_PTR timerId);
  void ReturnTimerExpired();
  void StopOverdueCapture();

  void QueueCapture();
  void DrawSpectrum(TDC& dc);
  void StopRing(const std::string& reason);
  void Quit();
  void QuitStopped();
  void ArmReturnTimer(UINT delayMs);
  void DisarmReturnTimer();
  void StopQuitTimer();
  UINT CaptureTimeMs() const;
  bool ReturnedEarly() const;
  void ReleaseDevice();

  TSampleBuffer Buffer;
  std::unique_ptr<AnalysisWorker> Analyser;  // the worker's state, see above
  std::unique_ptr<SpectrumLevels> Shown;     // GUI thread
  int32_t ShownFrames = 0;                   // GUI thread
  ViewGeometry View;                         // GUI thread
  ViewPainter Painter;                       // GUI thread
  HWND WorkerTarget = nullptr;               // written before the worker starts

  // The ring's state: GUI thread only.
  bool CloseRequested = false;
  bool Outstanding = false;  // the device holds the buffer
  bool Stopped = false;      // a device failure ended the ring
  bool DeviceReset = false;  // the way out reset the device
  bool QuitPosted = false;
  bool TearingDown = false;
  bool ReturnTimerArmed = false;  // watches the outstanding capture
  bool QuitTimerRunning = false;
  int32_t ShortCapturesInARow = 0;
  int32_t EarlyReturnsInARow = 0;
  int64_t QueuedAtUs = 0;  // when the queueing of the outstanding capture began
};
