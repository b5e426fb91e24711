// The ring when the device misbehaves: short recordings, failed queueing,
// a buffer that never returns (while measuring or on the way out), a worker
// that cannot start.
#include "capture/WaveInput.h"
#include "tests/capture/RingFixture.h"
#include "windowing/TThread.h"

namespace {

constexpr int32_t kShortFrames = 100;
constexpr const char* kShortText = "Error: The input device keeps returning incomplete recordings.";
constexpr const char* kStoppedText = "Error: The input device stopped delivering sound.";
// The limit for a 2048-frame capture (46.4 ms), and the slack of the test's
// own clock, which reads the time a little after the queueing.
constexpr DWORD kLimitMs = 47 + TMainClient::kReturnGraceMs;
constexpr DWORD kClockSlackMs = 10;

TEST_F(RingTest, AShortRecordingIsNeverAnalysedButRecordedAgain) {
  Start();
  ASSERT_TRUE(Fake.ReturnCapture(kShortFrames, FillTones));
  ASSERT_TRUE(PumpUntil([&] { return Fake.CapturesQueued == 2; }));
  ASSERT_TRUE(Fake.ReturnCapture(kShortFrames, FillTones));
  ASSERT_TRUE(PumpUntil([&] { return Fake.CapturesQueued == 3; }));
  EXPECT_EQ(Client->ShownSize(), 0);
  ReturnFull();  // a full one resets the count
  ASSERT_TRUE(PumpUntil([&] { return Client->ShownSize() == 2048; }));
  for (int i = 0; i < 2; ++i) {
    const int queued = Fake.CapturesQueued;
    ASSERT_TRUE(Fake.ReturnCapture(kShortFrames));
    ASSERT_TRUE(PumpUntil([&] { return Fake.CapturesQueued == queued + 1; }));
  }
  EXPECT_TRUE(Fake.Boxes.empty());
  EXPECT_FALSE(Client->RingStopped());
}

TEST_F(RingTest, ThreeShortRecordingsInARowStopTheRingAndACloseThenEndsAtOnce) {
  Start();
  for (int i = 0; i < 3; ++i) {
    const int queued = Fake.CapturesQueued;
    ASSERT_TRUE(Fake.ReturnCapture(kShortFrames));
    PumpUntil([&] { return Fake.CapturesQueued > queued || Client->RingStopped(); });
  }
  EXPECT_TRUE(Client->RingStopped());
  EXPECT_EQ(Fake.CapturesQueued, 3);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kShortText}));
  EXPECT_EQ(Client->ShownSize(), 0);
  EXPECT_FALSE(Client->CanClose());
  EXPECT_EQ(WaitForQuit(1000), 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);
}

TEST_F(RingTest, ACloseRequestWhileTheShortRecordingsBoxIsOpenEndsTheProgram) {
  Start();
  // The box's own message loop runs: a close request and what is pending arrive.
  Fake.OnBox = [&] {
    Client->CanClose();
    PumpUntil(nullptr, 100);
  };
  for (int i = 0; i < 3; ++i) {
    const int queued = Fake.CapturesQueued;
    ASSERT_TRUE(Fake.ReturnCapture(kShortFrames, FillTones));
    PumpUntil([&] { return Fake.CapturesQueued > queued || Client->RingStopped(); });
  }
  EXPECT_EQ(WaitForQuit(1000), 1);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kShortText}));
  EXPECT_EQ(Client->ShownSize(), 0);
  EXPECT_EQ(Fake.CapturesQueued, 3);
}

TEST_F(RingTest, AFailedAddAtSetUpIsShownOnceUndoneAndACloseEndsAtOnce) {
  Fake.AddResult = MMSYSERR_NOMEM;
  Fake.ErrorTexts[MMSYSERR_NOMEM] = "Out of memory.";
  Start();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error: Out of memory."}));
  EXPECT_EQ(CountCalls("waveInUnprepareHeader"), 1u);
  EXPECT_EQ(CountCalls("waveInStart"), 0u);
  EXPECT_TRUE(Client->RingStopped());
  EXPECT_FALSE(PumpUntil(nullptr, 100));
  EXPECT_EQ(QuitCode, kNoQuit);  // the window stays until the user closes it
  Client->CanClose();
  EXPECT_EQ(WaitForQuit(1000), 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);
  EXPECT_EQ(Fake.Boxes.size(), 1u);
}

TEST_F(RingTest, ACloseRequestWhileTheErrorBoxIsOpenEndsTheProgram) {
  Fake.PrepareResult = MMSYSERR_NODRIVER;
  Fake.OnBox = [&] { Client->CanClose(); };
  Start();
  EXPECT_EQ(WaitForQuit(1000), 1);
  EXPECT_EQ(CountCalls("waveInAddBuffer"), 0u);
  EXPECT_EQ(Fake.Boxes.size(), 1u);
}

TEST_F(RingTest, AFailedStartMidRunResetsUnpreparesAndStopsTheRing) {
  Start();
  Fake.StartResult = MMSYSERR_NODRIVER;  // the device goes away during this capture
  Fake.ErrorTexts[MMSYSERR_NODRIVER] = "No driver.";
  // The box's own message loop delivers the buffer that the reset returned.
  Fake.OnBox = [&] { PumpUntil(nullptr, 100); };
  ReturnFull();
  ASSERT_TRUE(PumpUntil([&] { return Client->RingStopped(); }));
  EXPECT_EQ(Client->ShownSize(), 2048);  // the spectrum in hand was still shown
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error: No driver."}));
  const auto& calls = Fake.WaveCallNames();
  const auto reset = std::find(calls.rbegin(), calls.rend(), "waveInReset");
  const auto unprepare = std::find(calls.rbegin(), calls.rend(), "waveInUnprepareHeader");
  ASSERT_NE(reset, calls.rend());
  EXPECT_LT(unprepare, reset);  // (reverse order) the unprepare came after the reset
  PumpUntil(nullptr, 100);      // the buffer the reset returned is not taken for a capture
  EXPECT_EQ(Client->ShownSize(), 2048);
  EXPECT_EQ(Fake.CapturesQueued, 2);
  Client->CanClose();
  EXPECT_EQ(WaitForQuit(1000), 1);
  EXPECT_EQ(Fake.Boxes.size(), 1u);
}

TEST_F(RingTest, ADeviceThatNeverReturnsTheBufferIsResetAfterTheCaptureTimePlusTwoSeconds) {
  const DWORD start = GetTickCount();
  Start();
  Client->CanClose();
  EXPECT_EQ(WaitForQuit(6000), 1);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, kLimitMs);
  EXPECT_LT(elapsed, kLimitMs + TMainClient::kResetGraceMs);
  EXPECT_EQ(CountCalls("waveInReset"), 1u);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);  // the reset returned it: freed as usual
  EXPECT_TRUE(Fake.Boxes.empty());
}

TEST_F(RingTest, ADeviceThatIgnoresTheResetToIsLeftWithItsBufferAndTheProgramEnds) {
  Fake.ResetReturnsBuffer = false;
  const DWORD start = GetTickCount();
  Start();
  Client->CanClose();
  EXPECT_EQ(WaitForQuit(8000), 1);
  EXPECT_GE(GetTickCount() - start, kLimitMs + TMainClient::kResetGraceMs);
  Destroy();
  // The device still holds the buffer: the close fails, is shown once, and
  // the memory it may still write into stays allocated.
  EXPECT_EQ(Fake.LiveBlocks(), 2);
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].Caption, "Error");
  EXPECT_EQ(InputOpen, 1);
}

// While measuring, no close request: the overdue capture is reported once,
// the ring stops with the last spectrum shown, and a close ends at once.
TEST_F(RingTest, ACaptureOverdueWhileMeasuringIsReportedOnceAndStopsTheRing) {
  Start();
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(1));
  const DWORD queued = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return !Fake.Boxes.empty(); }, kLimitMs + 1000));
  EXPECT_GE(GetTickCount() - queued + kClockSlackMs, kLimitMs);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kStoppedText}));
  EXPECT_TRUE(Client->RingStopped());
  EXPECT_EQ(CountCalls("waveInReset"), 1u);
  PumpUntil(nullptr, 200);  // the buffer the reset returned is neither analysed nor queued
  EXPECT_EQ(Fake.CapturesQueued, 2);
  EXPECT_EQ(Client->ShownSize(), 2048);
  EXPECT_EQ(QuitCode, kNoQuit);  // the last spectrum stays until the user closes
  Client->CanClose();
  EXPECT_EQ(WaitForQuit(100), 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);
  EXPECT_EQ(Fake.Boxes.size(), 1u);
}

// A device that does not even give its buffer back to the reset: the close
// still ends the program at once, and the buffer stays allocated.
TEST_F(RingTest, AfterAnOverdueCaptureThatTheResetKeepsACloseEndsAtOnceLeavingTheBuffer) {
  Fake.ResetReturnsBuffer = false;
  Start();
  ASSERT_TRUE(PumpUntil([&] { return !Fake.Boxes.empty(); }, kLimitMs + 1000));
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kStoppedText}));
  Client->CanClose();
  EXPECT_EQ(WaitForQuit(100), 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 2);
}

TEST_F(RingTest, ACaptureBackJustInsideTheLimitIsMeasuredAsUsual) {
  Start();
  PumpUntil(nullptr, kLimitMs - 100);
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(1));
  ReturnFull();  // and the next one is watched anew
  ASSERT_TRUE(WaitForSpectrum(2));
  EXPECT_TRUE(Fake.Boxes.empty());
  EXPECT_FALSE(Client->RingStopped());
  EXPECT_EQ(CountCalls("waveInReset"), 0u);
}

HANDLE WINAPI RefuseThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                           LPDWORD) {
  return nullptr;
}

// The box's own message loop delivers the capture, which returns long before
// anyone reads the box.
TEST_F(RingTest, AWorkerThatCannotBeCreatedEndsTheProgramWhenTheCaptureReturnsDuringItsBox) {
  TThread::CreateThreadCall = &RefuseThread;
  Fake.OnBox = [&] {
    ReturnFull();
    PumpUntil(nullptr, 100);
  };
  Start();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error: Error[thread]: creation failure"}));
  EXPECT_EQ(WaitForQuit(1000), 1);
  EXPECT_EQ(Fake.CapturesQueued, 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);
}

TEST_F(RingTest, AWorkerThatCannotBeCreatedEndsTheProgramWhenTheQueuedCaptureReturns) {
  TThread::CreateThreadCall = &RefuseThread;
  Start();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error: Error[thread]: creation failure"}));
  EXPECT_TRUE(Client->ClosePending());
  EXPECT_FALSE(Client->IsStarted());
  ReturnFull();
  EXPECT_EQ(WaitForQuit(), 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);
  EXPECT_EQ(CountCalls("waveInClose"), 1u);
}

}  // namespace
