#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "capture/CaptureDevice.h"
#include "capture/WaveInput.h"
#include "tests/capture/FakeSystem.h"

namespace {

// What the device makes of the recorded calls, by the platform's rules rather
// than by the order the code happens to use: a header is queued only once
// prepared, unprepared only while the device does not hold it, recorded
// into only once the device is started, and a reset stops the device and
// hands back what is queued. Calls fail as scripted.
struct HeaderState {
  bool Prepared = false;
  bool Queued = false;
  bool Recording = false;
  DWORD QueuedBytes = 0;
  std::vector<std::string> Faults;
};

HeaderState Replay(const FakeSystem& fake, const WAVEHDR* header, HeaderState state = {}) {
  for (const FakeSystem::WaveCall& call : fake.WaveCalls) {
    const std::string& f = call.Function;
    if (call.Handle != fake.OpenedHandle) state.Faults.push_back(f + " on another handle");
    if (call.Header && (call.Header != header || call.Size != sizeof(WAVEHDR)))
      state.Faults.push_back(f + " with another header or size");
    if (f == "waveInPrepareHeader") {
      if (fake.PrepareResult == MMSYSERR_NOERROR) state.Prepared = true;
    } else if (f == "waveInAddBuffer") {
      if (!state.Prepared) {
        state.Faults.push_back("queued unprepared");
      } else if (fake.AddResult == MMSYSERR_NOERROR) {
        state.Queued = true;
        state.QueuedBytes = call.BufferLength;
      }
    } else if (f == "waveInStart") {
      if (fake.StartResult == MMSYSERR_NOERROR) state.Recording = true;
    } else if (f == "waveInReset") {
      if (fake.ResetResult == MMSYSERR_NOERROR) state.Queued = state.Recording = false;
    } else if (f == "waveInUnprepareHeader") {
      if (state.Queued) {
        state.Faults.push_back("unprepared while queued");
      } else if (fake.UnprepareResult == MMSYSERR_NOERROR) {
        state.Prepared = false;
      }
    }
  }
  return state;
}

// Idle: neither prepared nor held by the device, and no rule broken.
void ExpectIdle(const HeaderState& state) {
  EXPECT_FALSE(state.Prepared);
  EXPECT_FALSE(state.Queued);
  EXPECT_TRUE(state.Faults.empty()) << state.Faults.front();
}

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

  HeaderState Replayed(HeaderState before = {}) {
    return Replay(Fake, Buffer.WaveHeader(), before);
  }

  FakeSystem Fake;
  TSampleBuffer Buffer;
};

TEST_F(CaptureDeviceTest, AQueuedCaptureHoldsFourBytesPerFrame) {
  const std::pair<int32_t, DWORD> sizes[] = {{2048, 8192}, {1024, 4096}, {262144, 1048576}};
  for (const auto& [frames, bytes] : sizes) {
    Fake.WaveCalls.clear();
    EXPECT_EQ(QueueCaptureBuffer(Buffer, frames), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    const HeaderState state = Replayed();
    EXPECT_TRUE(state.Prepared);
    EXPECT_TRUE(state.Queued);
    EXPECT_TRUE(state.Recording);
    EXPECT_EQ(state.QueuedBytes, bytes);
    EXPECT_TRUE(state.Faults.empty()) << state.Faults.front();
  }
}

TEST_F(CaptureDeviceTest, FrameCountsBeyondTheSampleBlockAreRefusedWithoutACall) {
  for (int32_t frames : {0, -1, 262145}) {
    EXPECT_EQ(QueueCaptureBuffer(Buffer, frames), static_cast<MMRESULT>(MMSYSERR_INVALPARAM));
  }
  EXPECT_TRUE(Fake.WaveCalls.empty());
  EXPECT_EQ(Buffer.WaveHeader()->dwBufferLength, 1048576u);
}

// A failed queueing returns the failing call's code and leaves the buffer idle.
TEST_F(CaptureDeviceTest, FailedQueueingLeavesTheBufferIdle) {
  Fake.PrepareResult = MMSYSERR_INVALPARAM;
  EXPECT_EQ(QueueCaptureBuffer(Buffer, 2048), static_cast<MMRESULT>(MMSYSERR_INVALPARAM));
  ExpectIdle(Replayed());
  Fake.PrepareResult = MMSYSERR_NOERROR;

  Fake.WaveCalls.clear();
  Fake.AddResult = MMSYSERR_NODRIVER;
  EXPECT_EQ(QueueCaptureBuffer(Buffer, 2048), static_cast<MMRESULT>(MMSYSERR_NODRIVER));
  ExpectIdle(Replayed());
  Fake.AddResult = MMSYSERR_NOERROR;

  // The device holds the buffer when the start fails: it must give it back first.
  Fake.WaveCalls.clear();
  Fake.StartResult = MMSYSERR_NOMEM;
  EXPECT_EQ(QueueCaptureBuffer(Buffer, 4096), static_cast<MMRESULT>(MMSYSERR_NOMEM));
  ExpectIdle(Replayed());
  EXPECT_TRUE(Fake.Boxes.empty());
}

TEST_F(CaptureDeviceTest, TheFirstFailureIsReportedNotTheCleanUps) {
  Fake.AddResult = MMSYSERR_NODRIVER;
  Fake.UnprepareResult = WAVERR_STILLPLAYING;
  EXPECT_EQ(QueueCaptureBuffer(Buffer, 2048), static_cast<MMRESULT>(MMSYSERR_NODRIVER));
  Fake.AddResult = MMSYSERR_NOERROR;
  Fake.StartResult = MMSYSERR_NOMEM;
  Fake.ResetResult = MMSYSERR_INVALHANDLE;
  EXPECT_EQ(QueueCaptureBuffer(Buffer, 2048), static_cast<MMRESULT>(MMSYSERR_NOMEM));
}

TEST_F(CaptureDeviceTest, ReleaseAndResetActOnTheOpenDevicesBuffer) {
  HeaderState returned;  // a capture that came back: still prepared
  returned.Prepared = true;
  EXPECT_EQ(ReleaseCaptureBuffer(Buffer), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  ExpectIdle(Replayed(returned));

  Fake.WaveCalls.clear();
  HeaderState queued = returned;
  queued.Queued = true;
  EXPECT_EQ(ResetCaptureDevice(), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  const HeaderState afterReset = Replayed(queued);
  EXPECT_FALSE(afterReset.Queued);
  EXPECT_TRUE(afterReset.Faults.empty()) << afterReset.Faults.front();

  Fake.UnprepareResult = MMSYSERR_INVALHANDLE;
  Fake.ResetResult = MMSYSERR_NODRIVER;
  EXPECT_EQ(ReleaseCaptureBuffer(Buffer), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(ResetCaptureDevice(), static_cast<MMRESULT>(MMSYSERR_NODRIVER));
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
