#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/TSampleBuffer.h"
#include "tests/capture/FakeSystem.h"

namespace {

using Names = std::vector<std::string>;

constexpr SIZE_T kSampleBlockBytes = 1048576;

TEST(TSampleBufferTest, HeaderPointsAtTheWholeClearedSampleBlock) {
  FakeSystem fake;
  TSampleBuffer buffer;
  ASSERT_TRUE(buffer.IsValid());

  const FakeSystem::GlobalBlock& header = fake.Blocks.at(buffer.HeaderBlock());
  const FakeSystem::GlobalBlock& samples = fake.Blocks.at(buffer.SampleBlock());
  EXPECT_EQ(header.Size, sizeof(WAVEHDR));
  EXPECT_EQ(samples.Size, kSampleBlockBytes);
  EXPECT_EQ(header.Flags, static_cast<UINT>(GMEM_MOVEABLE));
  EXPECT_EQ(samples.Flags, static_cast<UINT>(GMEM_MOVEABLE));
  EXPECT_EQ(header.LockCount, 1);
  EXPECT_EQ(samples.LockCount, 1);

  const WAVEHDR* wave = buffer.WaveHeader();
  EXPECT_EQ(static_cast<void*>(const_cast<WAVEHDR*>(wave)), header.Bytes.get());
  EXPECT_EQ(buffer.SampleFrames(), reinterpret_cast<const int16_t*>(samples.Bytes.get()));
  EXPECT_EQ(wave->lpData, reinterpret_cast<LPSTR>(samples.Bytes.get()));
  EXPECT_EQ(wave->dwBufferLength, kSampleBlockBytes);
  EXPECT_EQ(wave->dwFlags, 0u);
  EXPECT_EQ(wave->dwBytesRecorded, 0u);
  const int16_t* frames = buffer.SampleFrames();
  EXPECT_TRUE(
      std::all_of(frames, frames + kSampleBlockBytes / 2, [](int16_t s) { return s == 0; }));
}

// Allocation and lock calls are numbered from 1: header, then samples.
struct FailurePoint {
  int Allocation;
  int Lock;
  int AllocationsMade;
};

TEST(TSampleBufferTest, MissingMemoryLeavesAnEmptyBufferAndNothingAllocated) {
  for (const FailurePoint point : {FailurePoint{1, 0, 0}, FailurePoint{0, 1, 1},
                                   FailurePoint{2, 0, 1}, FailurePoint{0, 2, 2}}) {
    SCOPED_TRACE("allocation " + std::to_string(point.Allocation) + ", lock " +
                 std::to_string(point.Lock));
    FakeSystem fake;
    fake.FailingAllocation = point.Allocation;
    fake.FailingLock = point.Lock;
    {
      TSampleBuffer buffer;
      EXPECT_FALSE(buffer.IsValid());
      EXPECT_EQ(buffer.WaveHeader(), nullptr);
      EXPECT_EQ(buffer.SampleFrames(), nullptr);
      EXPECT_EQ(buffer.HeaderBlock(), nullptr);
      EXPECT_EQ(buffer.SampleBlock(), nullptr);
      EXPECT_EQ(static_cast<int>(fake.Blocks.size()), point.AllocationsMade);
      EXPECT_EQ(fake.LiveBlocks(), 0);
      fake.Calls.clear();
    }
    EXPECT_TRUE(fake.Calls.empty()) << "the destructor touched freed memory";
  }
}

TEST(TSampleBufferTest, DestructionUnlocksUntilUnlockedThenFreesBothBlocks) {
  FakeSystem fake;
  {
    TSampleBuffer buffer;
    ASSERT_TRUE(buffer.IsValid());
    fake.Blocks.at(buffer.HeaderBlock()).LockCount = 3;  // locked again elsewhere
    fake.Calls.clear();
  }
  EXPECT_EQ(fake.Calls, (Names{"GlobalUnlock", "GlobalUnlock", "GlobalUnlock", "GlobalFree",
                               "GlobalUnlock", "GlobalFree"}));
  EXPECT_EQ(fake.LockCountsAtFree, (std::vector<int>{0, 0}));
  EXPECT_EQ(fake.LiveBlocks(), 0);
}

TEST(TSampleBufferTest, AbandonedBufferKeepsItsMemoryLocked) {
  FakeSystem fake;
  HGLOBAL samples = nullptr;
  {
    TSampleBuffer buffer;
    samples = buffer.SampleBlock();
    buffer.Abandon();
    fake.Calls.clear();
  }
  EXPECT_TRUE(fake.Calls.empty());
  EXPECT_EQ(fake.LiveBlocks(), 2);
  EXPECT_EQ(fake.Blocks.at(samples).LockCount, 1);
}

}  // namespace
