#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/CaptureDevice.h"
#include "capture/WaveInput.h"
#include "tests/capture/FakeSystem.h"

namespace {

using Names = std::vector<std::string>;

class CaptureDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWaveInputState();
    ASSERT_TRUE(OpenWaveInput(nullptr));
    ASSERT_TRUE(Buffer.IsValid());
    Fake.Calls.clear();
    Fake.WaveCalls.clear();
  }
  void TearDown() override { ResetWaveInputState(); }

  // Every header call went to the open device with this buffer's header and its real size.
  void ExpectHeaderCallsOnTheBuffer() {
    for (const FakeSystem::WaveCall& call : Fake.WaveCalls) {
      EXPECT_EQ(call.Handle, Fake.OpenedHandle) << call.Function;
      if (call.Header != nullptr) {
        EXPECT_EQ(call.Header, Buffer.WaveHeader()) << call.Function;
        EXPECT_EQ(call.Size, sizeof(WAVEHDR)) << call.Function;
      }
    }
  }

  FakeSystem Fake;
  TSampleBuffer Buffer;
};

TEST_F(CaptureDeviceTest, QueueingAsksForFourBytesPerFrame) {
  for (int32_t frames : {2048, 1024, 262144}) {
    Fake.WaveCalls.clear();
    EXPECT_EQ(QueueCaptureBuffer(Buffer, frames), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    ASSERT_EQ(Fake.WaveCallNames(),
              (Names{"waveInPrepareHeader", "waveInAddBuffer", "waveInStart"}));
    EXPECT_EQ(Fake.WaveCalls[0].BufferLength, static_cast<DWORD>(frames * 4));
    EXPECT_EQ(Fake.WaveCalls[1].BufferLength, static_cast<DWORD>(frames * 4));
    ExpectHeaderCallsOnTheBuffer();
  }
}

TEST_F(CaptureDeviceTest, FrameCountsBeyondTheSampleBlockAreRefusedWithoutACall) {
  for (int32_t frames : {0, -1, 262145}) {
    EXPECT_EQ(QueueCaptureBuffer(Buffer, frames), static_cast<MMRESULT>(MMSYSERR_INVALPARAM));
  }
  EXPECT_TRUE(Fake.WaveCalls.empty());
  EXPECT_EQ(Buffer.WaveHeader()->dwBufferLength, 1048576u);
}

TEST_F(CaptureDeviceTest, FailedPrepareReturnsItsCodeAndQueuesNothing) {
  Fake.PrepareResult = MMSYSERR_INVALPARAM;
  EXPECT_EQ(QueueCaptureBuffer(Buffer, 2048), static_cast<MMRESULT>(MMSYSERR_INVALPARAM));
  EXPECT_EQ(Fake.WaveCallNames(), Names{"waveInPrepareHeader"});
}

TEST_F(CaptureDeviceTest, FailedAddUnpreparesAndReturnsTheAddsCode) {
  Fake.AddResult = MMSYSERR_NODRIVER;
  Fake.UnprepareResult = WAVERR_STILLPLAYING;
  EXPECT_EQ(QueueCaptureBuffer(Buffer, 2048), static_cast<MMRESULT>(MMSYSERR_NODRIVER));
  EXPECT_EQ(Fake.WaveCallNames(),
            (Names{"waveInPrepareHeader", "waveInAddBuffer", "waveInUnprepareHeader"}));
  ExpectHeaderCallsOnTheBuffer();
}

TEST_F(CaptureDeviceTest, FailedStartTakesTheBufferBackAndReturnsTheStartsCode) {
  Fake.StartResult = MMSYSERR_NOMEM;
  Fake.ResetResult = MMSYSERR_INVALHANDLE;
  EXPECT_EQ(QueueCaptureBuffer(Buffer, 4096), static_cast<MMRESULT>(MMSYSERR_NOMEM));
  EXPECT_EQ(Fake.WaveCallNames(), (Names{"waveInPrepareHeader", "waveInAddBuffer", "waveInStart",
                                         "waveInReset", "waveInUnprepareHeader"}));
  ExpectHeaderCallsOnTheBuffer();
  EXPECT_TRUE(Fake.Boxes.empty());
}

TEST_F(CaptureDeviceTest, ReleaseUnpreparesTheHeaderWithItsSize) {
  Fake.UnprepareResult = MMSYSERR_INVALHANDLE;
  EXPECT_EQ(ReleaseCaptureBuffer(Buffer), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(Fake.WaveCallNames(), Names{"waveInUnprepareHeader"});
  ExpectHeaderCallsOnTheBuffer();
}

TEST_F(CaptureDeviceTest, ResetGoesToTheOpenDevice) {
  Fake.ResetResult = MMSYSERR_NODRIVER;
  EXPECT_EQ(ResetCaptureDevice(), static_cast<MMRESULT>(MMSYSERR_NODRIVER));
  EXPECT_EQ(Fake.WaveCallNames(), Names{"waveInReset"});
  ExpectHeaderCallsOnTheBuffer();
}

TEST_F(CaptureDeviceTest, RecordedFramesCountOnlyCompleteFramesWithinTheRequest) {
  EXPECT_EQ(RecordedFrames(Buffer), 0);  // never returned
  ASSERT_EQ(QueueCaptureBuffer(Buffer, 2048), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  WAVEHDR& header = *Buffer.WaveHeader();
  header.dwBytesRecorded = 8192;
  EXPECT_EQ(RecordedFrames(Buffer), 2048);
  header.dwBytesRecorded = 4099;
  EXPECT_EQ(RecordedFrames(Buffer), 1024);
  header.dwBytesRecorded = 1048576;
  EXPECT_EQ(RecordedFrames(Buffer), 2048);
}

TEST(CaptureDeviceWithoutMemoryTest, InvalidBufferIsNeverHandedToTheDevice) {
  FakeSystem fake;
  fake.FailingAllocation = 2;
  TSampleBuffer buffer;
  ASSERT_FALSE(buffer.IsValid());
  fake.WaveCalls.clear();
  EXPECT_EQ(QueueCaptureBuffer(buffer, 2048), static_cast<MMRESULT>(MMSYSERR_NOMEM));
  EXPECT_EQ(ReleaseCaptureBuffer(buffer), static_cast<MMRESULT>(MMSYSERR_NOMEM));
  EXPECT_EQ(RecordedFrames(buffer), 0);
  EXPECT_TRUE(fake.WaveCalls.empty());
}

}  // namespace
