// The view as the ring's adapter when the device misbehaves: what the ring
// decides (tested natively in CaptureRingTest) must reach the device, the
// timers and the boxes through the real window messages.
#include "capture/WaveInput.h"
#include "tests/capture/RingFixture.h"
#include "windowing/TThread.h"

namespace {

constexpr int32_t kShortFrames = 100;
constexpr const char* kShortText = "Error: The input device keeps returning incomplete recordings.";
constexpr const char* kStoppedText = "Error: The input device stopped delivering sound.";
// The limit for a 2048-frame capture (46.4 ms) after the first one.
constexpr DWORD kLimitMs = 47 + CaptureRing::kReturnGraceMs;

TEST_F(RingTest, ThreeShortRecordingsInARowStopTheRingAndACloseThenEndsAtOnce) {
  Start();
  for (int i = 0; i < 3; ++i) {
    const int queued = Fake.CapturesQueued;
    ASSERT_TRUE(Fake.ReturnCapture(kShortFrames));
    PumpUntil([&] { return Fake.CapturesQueued > queued || Measured->Capture().Stopped(); });
  }
  EXPECT_TRUE(Measured->Capture().Stopped());
  EXPECT_EQ(Fake.CapturesQueued, 3);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kShortText}));
  EXPECT_EQ(Client->ShownSize(), 0);
  EXPECT_FALSE(Measured->CanClose());
  EXPECT_EQ(WaitForQuit(1000), 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);
}

TEST_F(RingTest, AFailedAddAtSetUpIsShownOnceUndoneAndACloseEndsAtOnce) {
  Fake.AddResult = MMSYSERR_NOMEM;
  Fake.ErrorTexts[MMSYSERR_NOMEM] = "Out of memory.";
  Start();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error: Out of memory."}));
  EXPECT_EQ(CountCalls("waveInUnprepareHeader"), 1u);
  EXPECT_EQ(CountCalls("waveInStart"), 0u);
  EXPECT_TRUE(Measured->Capture().Stopped());
  EXPECT_FALSE(PumpUntil(nullptr, 100));
  EXPECT_EQ(QuitCode, kNoQuit);  // the window stays until the user closes it
  Measured->CanClose();
  EXPECT_EQ(WaitForQuit(1000), 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);
  EXPECT_EQ(Fake.Boxes.size(), 1u);
}

// The watchdog's timer reaches the ring: a device that stops delivering and
// does not even give its buffer back to the reset is reported once; a close
// then ends at once, and the end closes the device without a second box,
// leaving it the buffer.
TEST_F(RingTest, AnOverdueCaptureIsReportedOnceAndTheEndSaysNothingMore) {
  Fake.ResetReturnsBuffer = false;
  Start();
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(1));
  const DWORD queued = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return !Fake.Boxes.empty(); }, kLimitMs + 1000));
  EXPECT_GE(GetTickCount() - queued + 20, kLimitMs);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kStoppedText}));
  EXPECT_EQ(CountCalls("waveInReset"), 1u);
  EXPECT_EQ(Client->ShownSize(), 2048);  // the last spectrum stays
  Measured->CanClose();
  EXPECT_EQ(WaitForQuit(100), 1);
  Destroy();
  EXPECT_EQ(CountCalls("waveInClose"), 1u);
  EXPECT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.LiveBlocks(), 2);  // the device may still write into it
  EXPECT_EQ(InputOpen, 1);
}

// The system tells the measurement (through the frame) that it sleeps and wakes.
TEST_F(RingTest, SuspendAndResumeReachTheWatchdog) {
  Start();
  ASSERT_TRUE(Measured->Capture().RingState().WatchdogArmed());
  Measured->OnPowerEvent(PBT_APMSUSPEND);
  EXPECT_FALSE(Measured->Capture().RingState().WatchdogArmed());
  Measured->OnPowerEvent(PBT_APMRESUMEAUTOMATIC);
  EXPECT_TRUE(Measured->Capture().RingState().WatchdogArmed());
  Measured->OnPowerEvent(PBT_APMSUSPEND);
  Measured->OnPowerEvent(PBT_APMRESUMESUSPEND);
  EXPECT_TRUE(Measured->Capture().RingState().WatchdogArmed());
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(1));
  EXPECT_TRUE(Fake.Boxes.empty());
}

HANDLE WINAPI RefuseThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                           LPDWORD) {
  return nullptr;
}

// The box's own message loop delivers the capture, which returns long before
// anyone reads the box: the quit waits until the box is closed, since it
// would close the box.
TEST_F(RingTest, AWorkerThatCannotBeCreatedEndsTheProgramWhenTheCaptureReturnsDuringItsBox) {
  TThread::CreateThreadCall = &RefuseThread;
  Fake.OnBox = [&] {
    ReturnFull();
    PumpUntil(nullptr, 100);
    EXPECT_EQ(QuitCode, kNoQuit);
  };
  Start();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error: Error[thread]: creation failure"}));
  EXPECT_EQ(WaitForQuit(1000), 1);
  EXPECT_EQ(Fake.CapturesQueued, 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);
  EXPECT_EQ(CountCalls("waveInClose"), 1u);
}

}  // namespace
