#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "capture/CaptureRing.h"

// The capture ring in a model of its surroundings that shares no code with
// the program: a device that holds the buffer from its queueing until it
// marks it done, a window message queue, one timer, a worker, boxes and a
// clock that only the test moves. The model carries out the ring's actions
// as the view does, keeps what its device, worker and user have done from
// them, never asking the ring, and records every breach of the ring's
// promises in Violations, at the moment it happens.
class RingWorld {
 public:
  static constexpr int64_t kUsPerMs = 1000;

  CaptureRing Ring;
  int64_t NowUs = 0;

  // The settings and the device's behaviour, as a test chooses them.
  int32_t FftSize = 2048;
  bool ResetReturnsBuffer = true;
  std::string QueueError;   // when not empty, the next queueing fails with it
  std::string OpenError;    // when not empty, opening a chosen input fails with it
  bool RenewFails = false;  // no memory for a fresh buffer
  // Runs while an "Error" box is open: its own message loop.
  std::function<void()> OnBox;

  // What happened.
  bool DeviceOpen = false;
  int32_t OpenDeviceId = -1;
  int OpenSerial = 0;                // counts the opens
  bool DeviceHolds = false;          // queued and not yet marked done
  bool DeviceRecords = false;        // since a queueing, until a reset or a close
  bool HeldInputClosed = false;      // the input measured from, closed while held
  bool AbandonedBufferHeld = false;  // the open device keeps a buffer the ring abandoned
  int DevicesAbandoned = 0;          // forgotten without a close
  bool SwitchAsked = false;          // another input chosen, not yet opened
  bool WorkerHolds = false;          // handed over, spectrum not yet shown
  bool Abandoned = false;
  bool TornDown = false;
  bool SetupFailed = false;
  bool ExceptionShown = false;  // an escaped exception's box ends the run
  bool CloseAsked = false;
  bool PictureHeld = false;  // the user holds the picture ("Anhalten" checked)
  int32_t QueuedFrames = 0;
  int64_t QueuedAtUs = 0;
  int Queueings = 0;
  int HandOvers = 0;
  int Resets = 0;
  int QuitsPosted = 0;
  int64_t QuitAtUs = -1;
  std::vector<std::string> Boxes;  // every box, "Error: " + text
  std::string WorkerText;          // the text of a worker that could not be created
  int FailureBoxes = 0;            // boxes that report a failure (which stops measuring) since the
                                   // device was opened or a choice began a switch
  bool TimerArmed = false;
  int64_t TimerDueUs = 0;
  int64_t TimerPeriodUs = 0;
  std::deque<RingEvent> Messages;  // posted to the view, not yet handled
  std::vector<std::string> Violations;

  // Set-up as the view does it; `workerText` non-empty: the worker is refused.
  void SetUp(bool bufferValid = true, bool deviceOpens = true, const std::string& workerText = "");
  // The device finishes the queued capture `afterMs` after its queueing,
  // having recorded `frames` frames (-1: all), and posts its return.
  void Complete(int64_t afterMs, int32_t frames = -1);
  // Handles the next posted message; false when there is none.
  bool HandleMessage();
  void HandleAllMessages();
  // The worker posts its spectrum (it has the buffer).
  void FinishAnalysis();
  // Moves the clock on by `ms`, handling each timer expiry due meanwhile.
  void Advance(int64_t ms);
  // One measuring cycle: the capture returns after its duration, the
  // worker's spectrum is shown.
  void Cycle();
  void RequestClose();
  // The user picks input `device` from the menu.
  void ChooseInput(int32_t device);
  // The user chooses "Anhalten".
  void TogglePause();
  void Teardown();
  void Deliver(RingEventKind kind);
  void Deliver(RingEvent event);

  int64_t CaptureMs() const { return CaptureRing::CaptureTimeMs(QueuedFrames); }

 private:
  void Perform(const RingAction& action);
  void Violation(const std::string& what);
  void Open(int32_t device);
  int BoxesOpen = 0;
  int BufferSerial = 0;           // counts the fresh buffers
  std::deque<int> ReturnSerials;  // the open that recorded each posted return
  std::deque<int> ReturnBuffers;  // and the buffer it returned
  int ReturnedSerial = 0;         // ... of the return handled last
};
