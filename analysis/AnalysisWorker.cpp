#include "analysis/AnalysisWorker.h"

#include "analysis/ChannelAnalysis.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/WeightingWindow.h"

AnalysisWorker::AnalysisWorker(const int16_t* samples) : Samples(samples) {}

int32_t AnalysisWorker::Run(const std::atomic<int32_t>& stopRequested, WorkerServices& services) {
  for (;;) {
    if (stopRequested.load(std::memory_order_acquire)) return 0;
    if (!DataReady.load(std::memory_order_acquire)) {
      if (Waiting.load(std::memory_order_acquire)) {
        services.WaitForWake();
      } else {
        services.SleepMs(kPollIntervalMs);
      }
      continue;
    }
    DataReady.store(0, std::memory_order_release);
    services.SleepMs(Read(Settings.IntervalMs));
    AnalyseCapture();
    services.PostSpectrumReady();
  }
}

void AnalysisWorker::AnalyseCapture() {
  // The size of the capture in hand, not the FftSize of the moment: a size
  // chosen while the buffer was recording takes effect with the next capture,
  // so frames that were never recorded are never analysed.
  const int32_t lastFrames = CycleFrames;
  const int32_t lastWindow = CycleWindow;
  const int32_t lastLength = Averager.AverageLength();
  CycleFrames = QueuedFrames;
  const int32_t n = CycleFrames;
  CycleWindow = Read(Settings.Weighting);
  const int32_t autoOffset = Read(Settings.AutoOffset);
  const int32_t length = Read(Settings.AverageLength);
  // A line of another size, window or offset correction is another quantity.
  const bool newMeaning =
      n != lastFrames || CycleWindow != lastWindow || autoOffset != LastAutoOffset;
  LastAutoOffset = autoOffset;
  Averager.BeginSpectrum(length, newMeaning || QueuedRestartsAverage);

  const double* weights = Weights.Weights(WindowTable[CycleWindow], n);
  PowerAverager* averager = Averager.Active() ? &Averager : nullptr;
  for (int32_t channel = 0; channel < 2; ++channel)
    AnalyseChannel(Samples, channel, n, weights, Settings.AutoOffset, Offsets[channel], averager,
                   Levels, FloorPowers);

  // The held maximum follows every restart of the average and takes only
  // settled averages.
  if (newMeaning || QueuedRestartsAverage || QueuedRestartsHold || length != lastLength ||
      QueuedHoldRestartsAsked != HoldRestartsHonoured)
    HeldCount = 0;
  HoldRestartsHonoured = QueuedHoldRestartsAsked;
  if (Averager.Settled()) {
    const bool afresh = HeldCount == 0;
    for (int32_t j = 0; j < n / 2; ++j) {
      for (int32_t channel = 0; channel < 2; ++channel) {
        int32_t& held = Held[j][channel];
        if (afresh || Levels[j][channel] > held) held = Levels[j][channel];
      }
    }
    ++HeldCount;
  }
  QueuedRestartsAverage = false;
  QueuedRestartsHold = false;
}
