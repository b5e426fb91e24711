#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "analysis/AnalysisWorker.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/WeightingWindow.h"
#include "settings/SettingsTable.h"
#include "tests/analysis/TestSignals.h"

namespace {

// Records what the loop asks of the platform; each call may run a scripted action.
class ScriptedServices : public WorkerServices {
 public:
  void SleepMs(int32_t ms) override {
    Sleeps.push_back(ms);
    if (OnSleep) OnSleep(ms);
  }
  void WaitForWake() override {
    ++Waits;
    if (OnWait) OnWait();
  }
  void PostSpectrumReady() override {
    ++Posts;
    if (OnPost) OnPost();
  }

  std::vector<int32_t> Sleeps;
  int Waits = 0;
  int Posts = 0;
  std::function<void(int32_t)> OnSleep;
  std::function<void()> OnWait;
  std::function<void()> OnPost;
};

class WorkerLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    StoreDefaultSettings();
    Analyser = std::make_unique<AnalysisWorker>(Block.Samples.data());
  }
  // Queues and returns one capture of `frames` frames, as the ring does.
  void DeliverCapture(int32_t frames) {
    Analyser->RecordQueuedFrames(frames);
    Analyser->HandOverCapture();
  }

  StereoBlock Block;
  std::unique_ptr<AnalysisWorker> Analyser;
  ScriptedServices Services;
  std::atomic<int32_t> Stop{0};
};

TEST_F(WorkerLoopTest, StopWhileWaitingEndsAfterTheCurrentPoll) {
  Services.OnSleep = [&](int32_t) {
    if (Services.Sleeps.size() == 3) {
      Stop.store(1, std::memory_order_release);
    }
  };
  EXPECT_EQ(Analyser->Run(Stop, Services), 0);
  EXPECT_EQ(Services.Sleeps, (std::vector<int32_t>{10, 10, 10}));
  EXPECT_EQ(Services.Posts, 0);
}

// Held: no poll while nothing can come; measuring again takes the next
// capture at once, and the worker polls again afterwards.
TEST_F(WorkerLoopTest, AnIdleWorkerWaitsWithoutPollingAndMeasuresAgainWhenWoken) {
  Analyser->Idle();
  Services.OnWait = [&] {
    if (Services.Waits < 3) return;  // woken without a capture: waits again
    Analyser->Poll();
    DeliverCapture(1024);
  };
  Services.OnSleep = [&](int32_t) {
    if (Services.Posts == 1 || Services.Sleeps.size() > 3) Stop.store(1, std::memory_order_release);
  };
  EXPECT_EQ(Analyser->Run(Stop, Services), 0);
  EXPECT_EQ(Services.Waits, 3);
  EXPECT_EQ(Services.Sleeps, (std::vector<int32_t>{200, 10}));
  EXPECT_EQ(Services.Posts, 1);
}

TEST_F(WorkerLoopTest, OneCycleTakesTheBufferPausesAnalysesAndPosts) {
  Block.Sine(1, 2048, 64, 32767);
  DeliverCapture(2048);
  Services.OnSleep = [&](int32_t ms) {
    if (ms == 200) {
      EXPECT_FALSE(Analyser->IsDataReady()) << "buffer taken before the pause";
    }
  };
  Services.OnPost = [&] { Stop.store(1, std::memory_order_release); };
  EXPECT_EQ(Analyser->Run(Stop, Services), 0);
  EXPECT_EQ(Services.Sleeps, (std::vector<int32_t>{200}));
  EXPECT_EQ(Services.Posts, 1);
  EXPECT_EQ(Analyser->CycleSize(), 2048);
  EXPECT_GT(Analyser->WorkLevels()[64][1], -700);
}

TEST_F(WorkerLoopTest, StopDuringThePauseTakesEffectAfterThePost) {
  DeliverCapture(1024);
  Services.OnSleep = [&](int32_t ms) {
    if (ms == 200) Stop.store(1, std::memory_order_release);
  };
  EXPECT_EQ(Analyser->Run(Stop, Services), 0);
  EXPECT_EQ(Services.Posts, 1);
}

TEST_F(WorkerLoopTest, SettingsChangedDuringACycleApplyFromTheNextRead) {
  DeliverCapture(1024);
  Services.OnSleep = [&](int32_t ms) {
    if (ms == 200) Write(Settings.IntervalMs, 50);  // during the first pause
  };
  Services.OnPost = [&] {
    if (Services.Posts == 1)
      DeliverCapture(1024);
    else
      Stop.store(1, std::memory_order_release);
  };
  Analyser->Run(Stop, Services);
  EXPECT_EQ(Services.Sleeps, (std::vector<int32_t>{200, 50}));
}

TEST_F(WorkerLoopTest, WeightingIsReadAfterThePause) {
  Block.Sine(0, 2048, 100, 32767);
  DeliverCapture(2048);
  Write(Settings.Weighting, kWindowHanning);
  Services.OnSleep = [&](int32_t) { Write(Settings.Weighting, kWindowOff); };
  Services.OnPost = [&] { Stop.store(1, std::memory_order_release); };
  Analyser->Run(Stop, Services);
  EXPECT_EQ(Analyser->WorkLevels()[100][0], 0);  // analysed without a window
}

TEST_F(WorkerLoopTest, CycleSizeFollowsTheCaptureHandedOverNotTheSetting) {
  Block.Sine(0, 1024, 50, 32767);
  Write(Settings.Weighting, kWindowOff);
  DeliverCapture(1024);
  // The user picks a larger size while the capture of 1024 frames is recorded.
  Write(Settings.FftSize, 262144);
  Services.OnPost = [&] {
    if (Services.Posts == 1) {
      EXPECT_EQ(Analyser->CycleSize(), 1024);
      EXPECT_EQ(Analyser->WorkLevels()[50][0], 0);
      DeliverCapture(Read(Settings.FftSize));  // the next capture has the new size
    } else {
      Stop.store(1, std::memory_order_release);
    }
  };
  Analyser->Run(Stop, Services);
  EXPECT_EQ(Services.Posts, 2);
  EXPECT_EQ(Analyser->CycleSize(), 262144);
}

}  // namespace
