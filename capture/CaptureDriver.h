#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisWorker.h"
#include "capture/AnalysisDisplay.h"
#include "capture/CaptureRing.h"
#include "capture/TSampleBuffer.h"
#include "windowing/TEvent.h"
#include "windowing/TThread.h"

// Measures: owns the wave input device, the one capture buffer, the worker
// thread that analyses it and the timers, and carries out what the capture
// ring (capture/CaptureRing.h) decides. Window messages and timer expiries
// reach it through the window it was started with (the measurement's
// message-only window), power events through the measurement; each becomes a
// ring event, and the ring's actions become calls to the device, the worker,
// the timers and its owner (AnalysisDisplay).
//
// Thread safety. One capture buffer travels a ring of three holders, which is
// what keeps the two threads apart without a lock:
//  - the device records into it (queued by the GUI thread);
//  - MM_WIM_DATA returns it to the GUI thread, which hands it to the worker
//    through the analyser's DataReady flag (release/acquire). The worker alone
//    reads the samples and writes DcOffset, CycleSize and WorkLevels, then
//    posts kSpectrumReadyMessage;
//  - the GUI thread, handling that message, has the display show the levels;
//    only then does it queue the buffer again.
// While no capture can come (the picture held, measuring stopped) the worker
// waits on WorkerWake instead of polling; the driver wakes it when captures
// may come again, at every hand-over and for the stop request.
// The ring, the buffer pointer and the timers belong to the GUI thread. The
// settings the worker reads are relaxed atomics (analysis/MeasurementSettings.h).
// The thread base's stop request is the only other signal; the destructor
// sets it.
//
// The quit message is posted again every kQuitRepeatMs until the message
// loop has taken it: a menu's own loop, open at the moment of the first one,
// may swallow it.
//
// Large (several MiB): create it on the heap.
class CaptureDriver : public TThread {
 public:
  static constexpr UINT kSpectrumReadyMessage = WM_USER;
  static constexpr int kQuitStatus = 1;
  static constexpr UINT kQuitRepeatMs = 100;

  explicit CaptureDriver(AnalysisDisplay& display);
  // Stops the worker before anything it reads goes, and closes the device
  // before the buffer it may hold is freed. Throws nothing.
  ~CaptureDriver() override;

  // Before Start: the input to start with (the one remembered from the last
  // run), and whether to name device 0 in any case (that one is gone).
  void StartWith(int32_t device, bool announce);

  // Opens the input with `window` as the target of the device's, the
  // timers' and the worker's messages, queues the first capture and starts
  // the worker. A failure is shown and ends the program.
  void Start(HWND window);

  // The user chose input `device`: measure from it (nothing changes if it
  // is the one measured from).
  void ChooseInput(int32_t device);

  // "Anhalten": holds the picture, or measures again.
  void TogglePause();
  // The next capture queued starts the average (and with it the held
  // maximum), or the held maximum alone, afresh; the held maximum shown
  // goes at once.
  void RestartAveraging() { AverageRestartDue = true; }
  void RestartHeldMaximum() {
    Analyser->AskHoldRestart();
    Display.ForgetHeldLevels();
  }

  // A close request: the program ends once the buffer is back.
  void RequestClose();

  // Neither timer runs on, and no capture's return posts a quit message any
  // more: the run ends when the exception's box is closed.
  void StopBeforeExceptionBox();

  // The messages of the window given to Start, passed on by it.
  void OnCaptureDone(LPARAM header);
  void OnSpectrumReady();
  void OnTimer(UINT_PTR timerId);
  void OnPowerEvent(UINT powerEvent);

  // GUI thread only.
  bool ClosePending() const { return Ring.ClosePending(); }
  // The input measured from, or CaptureRing::kNoDevice.
  int32_t OpenInput() const { return Ring.OpenInput(); }
  bool Stopped() const { return Ring.Stopped(); }
  bool PictureHeld() const { return Ring.PictureHeld(); }
  const CaptureRing& RingState() const { return Ring; }

 protected:
  int Run() override;

 private:
  // Hands the event to the ring and carries out what it answers.
  void Deliver(RingEventKind kind);
  void Deliver(const RingEvent& event);
  void Perform(const RingAction& action);
  void QueueCapture();
  void CloseDevice(const RingAction& action);
  void OpenDevice(int32_t device, bool reopens);
  void RenewBuffer();
  void PostQuit();
  void StopQuitTimer();
  // Input `device` is open: its name is read now, the owner told later.
  void NoteOpened(int32_t device);
  // What the owner is told once the outermost Deliver has returned.
  void TellOwner();
  // Whether the worker polls or waits, after the ring's latest event.
  void FollowWithWorker();

  AnalysisDisplay& Display;
  // The one capture buffer; replaced only when a device keeps the old one.
  std::unique_ptr<TSampleBuffer> Buffer;     // GUI thread
  std::unique_ptr<AnalysisWorker> Analyser;  // the worker's state, see above
  HWND Window = nullptr;                     // written before the worker starts
  CaptureRing Ring;                          // GUI thread
  bool QuitTimerRunning = false;             // GUI thread
  int32_t StartInput = 0;                    // GUI thread, read by Start
  bool AnnounceStartInput = false;           // GUI thread, read by Start
  // Set by the GUI thread, waited on by the worker while it is idle.
  TEvent WorkerWake;
  bool WorkerIdle = false;  // GUI thread: the worker was told to wait
  // Nested Deliver calls under way, and what the outermost one tells the
  // owner when it returns: inputs opened, the held picture as last told.
  int32_t DeliveryDepth = 0;  // GUI thread
  struct OpenedInput {
    int32_t Device;
    std::string Name;  // its product name when it was opened
  };
  std::vector<OpenedInput> OpenedInputs;  // GUI thread
  bool ToldPictureHeld = false;           // GUI thread
  // The input of the capture queued last, and of the one handed to the worker.
  int32_t QueuedDevice = CaptureRing::kNoDevice;    // GUI thread
  int32_t AnalysedDevice = CaptureRing::kNoDevice;  // GUI thread
  // Restarts for the next capture queued (another input, the user's wish).
  bool AverageRestartDue = false;  // GUI thread
  bool HoldRestartDue = false;     // GUI thread
};
