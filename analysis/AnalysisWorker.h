#pragma once

#include <atomic>
#include <cstdint>

#include "analysis/LevelTypes.h"
#include "analysis/PowerAverager.h"
#include "analysis/WeightTable.h"
#include "analysis/WorkerServices.h"

// The analyser's half of the measurement ring: the state the worker thread
// shares with the GUI thread, and the worker's loop.
//
// Ownership moves with the one capture buffer: the GUI thread records the
// queued frame count before it queues the buffer and sets DataReady once the
// device has returned it (release); the worker takes it by clearing DataReady
// (after an acquire read), analyses, and posts the spectrum-ready message; the
// GUI thread reads CycleSize and WorkLevels while handling that message and
// only then queues the buffer again. No lock is needed.
//
// Large (several MiB): create it on the heap.
class AnalysisWorker {
 public:
  // `samples`: the capture buffer's interleaved stereo frames, room for kMaxFftSize frames.
  explicit AnalysisWorker(const int16_t* samples);

  // GUI thread, while the buffer is idle: the capture about to be queued holds `frames` frames.
  void RecordQueuedFrames(int32_t frames) {
    QueuedFrames = frames;
    QueuedHoldRestartsAsked = HoldRestartsAsked;
  }
  // GUI thread, while the buffer is idle: the capture about to be queued
  // starts the average, the held maximum, or both afresh (another input, a
  // restart asked for by the user); a restart of the average restarts the
  // held maximum too. Other changes that alter what a line means (size,
  // window, offset correction, averaging) the worker finds itself.
  void RecordRestarts(bool average, bool hold) {
    QueuedRestartsAverage = average;
    QueuedRestartsHold = hold;
  }
  // GUI thread: the frame count of the capture last queued.
  int32_t QueuedFrameCount() const { return QueuedFrames; }
  // GUI thread, at any time: the held maximum starts afresh with the next
  // capture queued, and from this call on HasHeldLevels answers false until
  // a spectrum of such a capture has been held.
  void AskHoldRestart() { ++HoldRestartsAsked; }
  // GUI thread: the capture buffer is now another one (the old one was left
  // to a device that kept it). REQUIRES: the worker holds no capture; the
  // next HandOverCapture publishes the change.
  void UseSamples(const int16_t* samples) { Samples = samples; }
  // GUI thread: the capture has come back; the worker owns the buffer from now on.
  void HandOverCapture() { DataReady.store(1, std::memory_order_release); }
  // GUI thread, at set-up before the first capture is queued.
  void ClearDataReady() { DataReady.store(0, std::memory_order_release); }
  bool IsDataReady() const { return DataReady.load(std::memory_order_acquire) != 0; }
  // GUI thread: no capture can be handed over until further notice (the
  // picture is held, measuring stopped): the worker stops polling DataReady
  // and waits for a wake. REQUIRES: the services' wake works.
  void Idle() { Waiting.store(1, std::memory_order_release); }
  // GUI thread: captures may come again, or the stop request was set: the
  // worker polls again. The caller then wakes it through the services' event.
  void Poll() { Waiting.store(0, std::memory_order_release); }

  // The worker loop: waits for a capture (polling DataReady every
  // kPollIntervalMs, or while Idle waiting for a wake), pauses IntervalMs,
  // analyses it and posts the result, until stopRequested is found set while
  // waiting. Returns 0.
  int32_t Run(const std::atomic<int32_t>& stopRequested, WorkerServices& services);

  // One analysis of the capture in hand: both channels into WorkLevels.
  // Worker thread only (or a test standing in for it).
  void AnalyseCapture();

  // Read by the GUI thread only while handling the spectrum-ready message.
  int32_t CycleSize() const { return CycleFrames; }
  // The weighting window the last spectrum was analysed with.
  int32_t CycleWeighting() const { return CycleWindow; }
  // The levels to show: the average when averaging.
  const SpectrumLevels& WorkLevels() const { return Levels; }
  // The power of each of WorkLevels' lines at the floor.
  const SpectrumFloorPowers& WorkFloorPowers() const { return FloorPowers; }
  // Each line's highest shown level since the held maximum's last restart,
  // taken only from settled averages (PowerAverager::Settled): the first,
  // barely averaged spectra scatter more than the average will. Valid only
  // where HasHeldLevels.
  const SpectrumLevels& HeldLevels() const { return Held; }
  // Whether HeldLevels holds a spectrum analysed since the last restart,
  // the last one asked for included. GUI thread, as the levels.
  bool HasHeldLevels() const { return HeldCount > 0 && HoldRestartsHonoured == HoldRestartsAsked; }
  // How many spectra the held maximum holds.
  int32_t HeldSpectra() const { return HeldCount; }
  // The spectra in the average shown, and the averaging length
  // (PowerAverager::kOff, kContinuous or N).
  int32_t CycleAverageCount() const { return Averager.Count(); }
  int32_t CycleAverageLength() const { return Averager.AverageLength(); }
  int16_t DcOffset(int32_t channel) const { return Offsets[channel]; }

 private:
  static constexpr int32_t kPollIntervalMs = 10;

  // Writer: GUI thread, while the worker holds no capture. Reader: worker,
  // after the acquire of DataReady.
  const int16_t* Samples;
  // Writers: GUI thread sets 1 (release) in the buffer-done handler and 0 at
  // set-up; the worker sets 0 when it takes the buffer. Reader: worker (acquire).
  std::atomic<int32_t> DataReady{0};
  // Writer: GUI thread (release), Idle and Poll. Reader: worker (acquire),
  // while DataReady is 0: 1 makes it wait for a wake instead of polling.
  std::atomic<int32_t> Waiting{0};
  // Writer: GUI thread when queueing. Reader: worker, after the acquire of DataReady.
  int32_t QueuedFrames = 0;
  // Writer: GUI thread when queueing. Reader: worker, after the acquire of DataReady.
  bool QueuedRestartsAverage = false;
  bool QueuedRestartsHold = false;
  // How many hold restarts were asked for. GUI thread only.
  uint32_t HoldRestartsAsked = 0;
  // Writer: GUI thread when queueing. Reader: worker, after the acquire of DataReady.
  uint32_t QueuedHoldRestartsAsked = 0;
  // Writer and reader: worker. Offsets persist from cycle to cycle.
  int16_t Offsets[2] = {0, 0};
  // Writer: worker. Reader: GUI thread, after receiving the spectrum-ready message.
  int32_t CycleFrames = 0;
  int32_t CycleWindow = 0;
  SpectrumLevels Levels{};
  SpectrumFloorPowers FloorPowers{};
  SpectrumLevels Held{};
  int32_t HeldCount = 0;  // spectra in Held since its restart
  // The count of restarts asked for that the held maximum last restarted for.
  uint32_t HoldRestartsHonoured = 0;
  // Writer: worker. Reader: worker, and the GUI thread's count and length
  // as the levels above.
  PowerAverager Averager;
  // What the lines of the last spectrum meant; worker only.
  int32_t LastAutoOffset = -1;
  WeightTable Weights;  // worker only
};
