#include "capture/CaptureDriver.h"
#include "tests/capture/RingFixture.h"

namespace {

const int32_t kToneLevel = static_cast<int32_t>(2000 * std::log10(16000.0 / 32768 * 0.5));

TEST_F(RingTest, WithoutADeviceNothingIsRecordedAndTheProgramEnds) {
  Fake.DeviceCount = 0;
  Start();
  EXPECT_EQ(WaitForQuit(), 1);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error: No input device found!"}));
  EXPECT_EQ(Fake.CapturesQueued, 0);
  EXPECT_FALSE(Measured->Capture().IsStarted());
  Destroy();
  EXPECT_EQ(CountCalls("waveInClose"), 0u);
}

TEST_F(RingTest, ABufferThatCannotBeAllocatedOpensNoDevice) {
  Fake.FailingAllocation = 2;  // the sample block
  Start();
  EXPECT_EQ(WaitForQuit(), 1);
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].Caption, "Error");
  EXPECT_EQ(CountCalls("waveInOpen"), 0u);
  EXPECT_FALSE(Measured->Capture().IsStarted());
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 0);
}

TEST_F(RingTest, OneCycleShowsTheSpectrumBeforeQueueingTheNextCapture) {
  Start();
  ASSERT_EQ(Fake.QueuedFrames(), 2048);
  EXPECT_TRUE(Measured->Capture().IsStarted());
  EXPECT_EQ(Client->ShownSize(), 0);

  int32_t shownAtQueueing = -1;
  COLORREF gridPixelAtQueueing = 0;
  const int32_t gridColumn = Client->FreqToX(1000.0);
  Fake.OnQueued = [&](WAVEHDR&) {
    shownAtQueueing = Client->ShownSize();
    const HDC dc = GetDC(Client->GetHandle());
    gridPixelAtQueueing = GetPixel(dc, gridColumn, 5);
    ReleaseDC(Client->GetHandle(), dc);
  };
  Write(Settings.FftSize, 4096);  // chosen while the 2048 frames are recorded
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(1));
  EXPECT_EQ(shownAtQueueing, 2048);  // copied and drawn before the next capture
  EXPECT_EQ(gridPixelAtQueueing, RGB(80, 80, 80));
  EXPECT_EQ(Client->Geometry().BinCount(), 1024);  // the first spectrum rescales
  EXPECT_EQ(Fake.QueuedFrames(), 4096);            // the next capture takes the new size

  // Tones of 16000 / 32768 (-6.2 dB) under the Hanning window (-6.0 dB).
  const SpectrumLevels& shown = Client->ShownLevels();
  EXPECT_NEAR(shown[256][0], kToneLevel, 2);  // left tone at line 2048 / 8
  EXPECT_NEAR(shown[128][1], kToneLevel, 2);  // right tone at line 2048 / 16
  EXPECT_LT(shown[128][0], -6000);

  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(2));
  EXPECT_EQ(Client->ShownSize(), 4096);
  EXPECT_EQ(Client->Geometry().BinCount(), 2048);  // rebuilt for the new size
  EXPECT_NEAR(Client->ShownLevels()[512][0], kToneLevel, 2);
  EXPECT_EQ(CountCalls("waveInReset"), 0u);  // buffers that took their time
}

TEST_F(RingTest, TwoBuffersInARowBackSoonerThanTheirSoundLastsDropTheDevicesBacklog) {
  Fake.ClockFollowsRealTime = false;
  Start();
  Fake.ReturnAfterShare = 0.4;  // filled from sound recorded in advance
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(1));
  EXPECT_NEAR(Client->ShownLevels()[256][0], kToneLevel, 2);  // still analysed
  EXPECT_EQ(CountCalls("waveInReset"), 0u);                   // one early return is no backlog
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(2));
  const std::vector<std::string> calls = Fake.WaveCallNames();
  const std::vector<std::string> lastCycle(calls.end() - 5, calls.end());
  EXPECT_EQ(lastCycle,
            (std::vector<std::string>{"waveInUnprepareHeader", "waveInReset", "waveInPrepareHeader",
                                      "waveInAddBuffer", "waveInStart"}));
  Fake.ReturnAfterShare = 0.6;
  for (int32_t spectra = 3; spectra <= 4; ++spectra) {
    ReturnFull();
    ASSERT_TRUE(WaitForSpectrum(spectra));
  }
  EXPECT_EQ(CountCalls("waveInReset"), 1u);
}

// A capture is timed from before its queueing: a start that takes 15 ms,
// with the buffer back one capture time after the queueing began, is on time.
TEST_F(RingTest, ASlowStartDoesNotMakeACaptureLookEarly) {
  Write(Settings.FftSize, 1024);
  Fake.ClockFollowsRealTime = false;
  Fake.StartTakesUs = 15000;
  const double captureUs = 1e6 * 1024 / 44100;
  Fake.ReturnAfterShare = (captureUs - 15000) / captureUs;
  Start();
  for (int32_t spectra = 1; spectra <= 4; ++spectra) {
    ReturnFull();
    ASSERT_TRUE(WaitForSpectrum(spectra));
  }
  EXPECT_EQ(CountCalls("waveInReset"), 0u);
}

// A switch away from a device that keeps the buffer: after the reset's
// grace the old buffer is left to it (never freed), the chosen input records
// into a fresh one, and a late return of the old one is not taken for it.
TEST_F(RingTest, ASwitchFromADeviceThatKeepsTheBufferMeasuresWithAFreshOne) {
  Fake.DeviceCount = 2;
  Start();
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(1));
  WAVEHDR* const oldHeader = Fake.QueuedHeader;
  Fake.ResetReturnsBuffer = false;
  Measured->Capture().ChooseInput(1);
  ASSERT_TRUE(PumpUntil([&] { return Fake.CapturesQueued == 3; }, 3000));
  EXPECT_EQ(Fake.WaveCalls.back().Function, "waveInStart");
  const auto opened = std::find_if(Fake.WaveCalls.rbegin(), Fake.WaveCalls.rend(),
                                   [](const auto& call) { return call.Function == "waveInOpen"; });
  EXPECT_EQ(opened->DeviceId, 1u);
  EXPECT_EQ(Measured->Capture().OpenInput(), 1);
  EXPECT_NE(Fake.QueuedHeader, oldHeader);
  EXPECT_EQ(Fake.LiveBlocks(), 4);

  PostMessageA(Client->GetHandle(), MM_WIM_DATA, 0, reinterpret_cast<LPARAM>(oldHeader));
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(Fake.CapturesQueued, 3);
  EXPECT_EQ(Measured->Capture().RingState().CurrentPhase(), CaptureRing::Phase::Capturing);
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(3));
  EXPECT_NEAR(Client->ShownLevels()[256][0], kToneLevel, 2);
  Measured->CanClose();
  ReturnFull();
  ASSERT_EQ(WaitForQuit(), 1);
  Destroy();
  EXPECT_EQ(Fake.LiveBlocks(), 2);  // the old device's
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Info: Using Line In."}));
}

TEST_F(RingTest, TeardownStopsTheWorkerThenClosesTheDeviceThenFreesTheBuffer) {
  Start();
  ReturnFull();
  ASSERT_TRUE(WaitForSpectrum(1));
  Measured->CanClose();
  ReturnFull();
  ASSERT_EQ(WaitForQuit(), 1);
  bool workerEndedAtClose = false;
  int liveBlocksAtClose = 0;
  Fake.OnClose = [&] {
    workerEndedAtClose = WorkerEnded;
    liveBlocksAtClose = Fake.LiveBlocks();
  };
  Destroy();
  EXPECT_TRUE(workerEndedAtClose);
  EXPECT_EQ(liveBlocksAtClose, 2);  // header and samples still there at the close
  EXPECT_EQ(Fake.LiveBlocks(), 0);
  EXPECT_EQ(CountCalls("waveInClose"), 1u);
  EXPECT_TRUE(Fake.Boxes.empty());
}

}  // namespace

namespace {

// A menu's own message loop may take the quit message and drop it; the view
// posts it again until the program's loop has it.
TEST_F(RingTest, AQuitMessageSwallowedByAnotherLoopIsPostedAgain) {
  Start();
  Measured->CanClose();
  ReturnFull();
  ASSERT_EQ(WaitForQuit(), 1);  // taken by "another loop" and dropped
  QuitCode = kNoQuit;
  EXPECT_EQ(WaitForQuit(4 * CaptureDriver::kQuitRepeatMs), 1);
  EXPECT_EQ(Fake.CapturesQueued, 1);
}

}  // namespace
