// The capture code against the real platform functions under Wine.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "capture/CaptureDevice.h"
#include "capture/ScopedSystemApi.h"
#include "capture/TSampleBuffer.h"
#include "capture/WaveInError.h"
#include "capture/WaveInput.h"
#include "tests/capture/FakeSystem.h"

namespace {

std::vector<UINT> LockCountsAtFree;

HGLOBAL WINAPI FreeRecordingLockCount(HGLOBAL memory) {
  LockCountsAtFree.push_back(GlobalFlags(memory) & GMEM_LOCKCOUNT);
  return GlobalFree(memory);
}

TEST(RealGlobalMemoryTest, BufferLivesInLockedMovableBlocksThatAreFreedUnlocked) {
  SystemApi calls = RealSystemCalls();
  calls.GlobalFree = &FreeRecordingLockCount;
  ScopedSystemApi installed(calls);
  LockCountsAtFree.clear();
  {
    TSampleBuffer buffer;
    ASSERT_TRUE(buffer.IsValid());
    EXPECT_EQ(GlobalSize(buffer.HeaderBlock()), sizeof(WAVEHDR));
    EXPECT_EQ(GlobalSize(buffer.SampleBlock()), 1048576u);
    EXPECT_EQ(GlobalFlags(buffer.HeaderBlock()) & GMEM_LOCKCOUNT, 1u);
    EXPECT_EQ(GlobalFlags(buffer.SampleBlock()) & GMEM_LOCKCOUNT, 1u);
    // Movable blocks: the handle is not the address.
    EXPECT_NE(static_cast<void*>(buffer.HeaderBlock()), static_cast<void*>(buffer.WaveHeader()));
    EXPECT_EQ(GlobalHandle(buffer.WaveHeader()), buffer.HeaderBlock());
    EXPECT_EQ(GlobalHandle(buffer.SampleFrames()), buffer.SampleBlock());
    const int16_t* frames = buffer.SampleFrames();
    EXPECT_TRUE(std::all_of(frames, frames + 524288, [](int16_t s) { return s == 0; }));
    EXPECT_NE(GlobalLock(buffer.SampleBlock()), nullptr);  // a second lock to undo
  }
  EXPECT_EQ(LockCountsAtFree, (std::vector<UINT>{0, 0}));
}

TEST(RealWaveInputTest, DeviceListOfThePlatformDecidesTheOpen) {
  FakeSystem fake;
  fake.UseRealWaveInput();
  ResetWaveInputState();
  const UINT devices = waveInGetNumDevs();
  const bool opened = OpenWaveInput(nullptr);
  if (devices == 0) {
    // Wine without a sound server.
    EXPECT_FALSE(opened);
    ASSERT_EQ(fake.Boxes.size(), 1u);
    EXPECT_EQ(fake.Boxes[0].Text, "No input device found!");
    EXPECT_EQ(fake.Boxes[0].Caption, "Error");
  } else {
    EXPECT_TRUE(opened) << (fake.Boxes.empty() ? "" : fake.Boxes.back().Text);
    EXPECT_EQ(fake.Boxes.size(), devices > 1 ? 1u : 0u);
  }
  EXPECT_EQ(InputOpen, opened ? 1 : 0);
  const size_t boxesOfTheOpen = fake.Boxes.size();
  CloseWaveInput();
  EXPECT_EQ(InputOpen, 0);
  EXPECT_EQ(fake.Boxes.size(), boxesOfTheOpen) << "the close failed";
}

TEST(RealWaveInputTest, QueueingWithoutAnOpenDeviceReportsThePlatformsRefusal) {
  FakeSystem fake;
  fake.UseRealWaveInput();
  ResetWaveInputState();
  TSampleBuffer buffer;
  ASSERT_TRUE(buffer.IsValid());
  EXPECT_EQ(QueueCaptureBuffer(buffer, 2048), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
  const std::string text = WaveInErrorText(MMSYSERR_INVALHANDLE);
  EXPECT_FALSE(text.empty());
  EXPECT_LE(text.size(), 200u);
  EXPECT_EQ(text.find("Wave input error"), std::string::npos) << text;
}

}  // namespace
