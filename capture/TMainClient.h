#pragma once

#include <cstdint>
#include <memory>

#include "analysis/AnalysisWorker.h"
#include "analysis/LevelTypes.h"
#include "capture/CaptureRing.h"
#include "capture/TSampleBuffer.h"
#include "display/ViewGeometry.h"
#include "display/ViewPainter.h"
#include "windowing/TThread.h"
#include "windowing/TWindow.h"

// The spectrum view: a child window that shows the latest spectrum, the owner
// of the wave input device and of the one capture buffer, and the worker
// thread that analyses it.
//
// The ring itself (capture/CaptureRing.h) is portable logic: this class turns
// window messages, timer expiries and power events into its events, and its
// actions into calls to the device, the worker, the timers and the boxes.
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
// ShownSize, ShownLevels, the view geometry and the ring belong to the GUI
// thread alone. The settings the worker reads are relaxed atomics
// (analysis/MeasurementSettings.h). The stop request of the thread base is
// the only other signal; it is set by the destructor.
//
// The quit message is posted again every kQuitRepeatMs until the message
// loop has taken it: a menu's own loop, open at the moment of the first one,
// may swallow it.
//
// Large (several MiB): the parent creates it on the heap.
class TMainClient : public TWindow, public TThread {
 public:
  static constexpr UINT kSpectrumReadyMessage = WM_USER;
  static constexpr int kQuitStatus = 1;
  static constexpr UINT kQuitRepeatMs = 100;

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

  // Takes the readout under the mouse off the picture, redrawing only its
  // area; called when the pointer leaves the view or the frame loses the
  // activation.
  void HideReadout();

  // What tests and the axis frame may look at; GUI thread only.
  int32_t ShownSize() const { return ShownFrames; }
  const SpectrumLevels& ShownLevels() const { return *Shown; }
  bool ClosePending() const { return Ring.ClosePending(); }
  // The input measured from, or CaptureRing::kNoDevice.
  int32_t OpenInput() const { return Ring.OpenInput(); }

  // Before the set-up: the input to start with (the one remembered from the
  // last run), and whether to name device 0 in any case (that one is gone).
  void StartWith(int32_t device, bool announce);

  // The user chose input `device`: measure from it (nothing changes if it
  // is the one measured from).
  void ChooseInput(int32_t device);
  bool RingStopped() const { return Ring.Stopped(); }
  const CaptureRing& RingState() const { return Ring; }

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
  LRESULT OnCaptureDone(WPARAM device, LPARAM header);
  LRESULT OnSpectrumReady();
  void OnTimer(UINT_PTR timerId);
  void OnPowerEvent(UINT powerEvent);
  void OnMouseMove(POINT pointer);
  LRESULT OnMouseLeave();
  void InvalidateReadout();

  // Hands the event to the ring and carries out what it answers.
  void Deliver(RingEventKind kind);
  void Deliver(const RingEvent& event);
  void Perform(const RingAction& action);
  void QueueCapture();
  void CloseDevice(const RingAction& action);
  void OpenDevice(int32_t device);
  void RenewBuffer();
  void PostQuit();
  void StopQuitTimer();

  void DrawSpectrum(TDC& dc);

  // The one capture buffer; replaced only when a device keeps the old one.
  std::unique_ptr<TSampleBuffer> Buffer;     // GUI thread
  std::unique_ptr<AnalysisWorker> Analyser;  // the worker's state, see above
  std::unique_ptr<SpectrumLevels> Shown;     // GUI thread
  int32_t ShownFrames = 0;                   // GUI thread
  ViewGeometry View;                         // GUI thread
  ViewPainter Painter;                       // GUI thread
  HWND WorkerTarget = nullptr;               // written before the worker starts
  CaptureRing Ring;                          // GUI thread
  bool QuitTimerRunning = false;             // GUI thread
  int32_t StartInput = 0;                    // GUI thread, read at set-up
  bool AnnounceStartInput = false;           // GUI thread, read at set-up
  bool TrackingMouse = false;                // GUI thread: a WM_MOUSELEAVE is asked for
};
