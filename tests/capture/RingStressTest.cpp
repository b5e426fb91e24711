// Thousands of cycles with the settings changing under the worker's feet:
// every spectrum shown must have the size of the capture it came from.
#include <random>

#include "tests/capture/RingFixture.h"

namespace {

constexpr int kCycles = 2000;
constexpr DWORD kStressTimeoutMs = 120000;
constexpr UINT kSettingsTimerMs = 1;
const int32_t kSizes[] = {1024, 2048, 4096, 8192};

std::mt19937 Random(2024);

// Changes the worker's settings at random, on the GUI thread, while it runs.
void CALLBACK ChangeSettings(HWND, UINT, UINT_PTR, DWORD) {
  Write(Settings.FftSize, kSizes[Random() % 4]);
  Write(Settings.Weighting, static_cast<int32_t>(Random() % 7));
  Write(Settings.AutoOffset, static_cast<int32_t>(Random() % 2));
}

TEST_F(RingTest, EveryShownMeasurementHasTheSizeOfItsCapture) {
  Write(Settings.IntervalMs, 0);
  Start();
  int32_t previousFrames = Fake.QueuedFrames();
  int mismatches = 0, missingTones = 0;
  Fake.OnQueued = [&](WAVEHDR& header) {
    if (Fake.CapturesQueued > 1) {
      // The capture just shown is the one queued before this one.
      const int32_t shown = Client->ShownSize();
      if (shown != previousFrames) ++mismatches;
      const SpectrumLevels& levels = Client->ShownLevels();
      if (levels[shown / 8][0] < -2000 || levels[shown / 16][1] < -2000) ++missingTones;
    }
    previousFrames = static_cast<int32_t>(header.dwBufferLength / FakeSystem::kBytesPerFrame);
    ChangeSettings(nullptr, 0, 0, 0);
    Fake.ReturnCapture(previousFrames, FillTones);
  };
  ChangeSettings(nullptr, 0, 0, 0);
  ReturnFull();
  const UINT_PTR timer = SetTimer(nullptr, 0, kSettingsTimerMs, &ChangeSettings);
  EXPECT_TRUE(PumpUntil([&] { return Fake.CapturesQueued > kCycles; }, kStressTimeoutMs));
  KillTimer(nullptr, timer);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(missingTones, 0);
  Fake.OnQueued = nullptr;
  Measured->CanClose();
  Fake.ReturnCapture(Fake.QueuedFrames());
  EXPECT_EQ(WaitForQuit(), 1);
}

}  // namespace
