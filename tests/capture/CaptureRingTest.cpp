// The capture ring's logic in a model world with a clock only the test moves:
// scenarios for each way through the ring, then seeded random event
// sequences checked against the ring's promises after every step.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>

#include "tests/capture/RingWorld.h"

namespace {

using Phase = CaptureRing::Phase;
using Holder = CaptureRing::Holder;
using RingState = std::pair<Phase, Holder>;

constexpr const char* kStoppedBox = "Error: The input device stopped delivering sound.";
constexpr const char* kShortBox = "Error: The input device keeps returning incomplete recordings.";
constexpr const char* kWorkerText = "Error[thread]: creation failure";
constexpr int64_t kCaptureMs2048 = 47;  // 2048 frames at 44100 Hz, rounded up
constexpr int64_t kLimitMs = kCaptureMs2048 + CaptureRing::kReturnGraceMs;
constexpr int64_t kFirstLimitMs = kCaptureMs2048 + CaptureRing::kStartGraceMs;

class CaptureRingTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(World.Violations, std::vector<std::string>{}); }
  // Set up, with the first capture measured, the second one queued.
  void Measuring() {
    World.SetUp();
    World.Cycle();
    ASSERT_EQ(World.Ring.CurrentPhase(), Phase::Capturing);
  }
  RingWorld World;
};

TEST_F(CaptureRingTest, FailedSetUpsEndTheProgramWithOneBoxAndNoCapture) {
  World.SetUp(/*bufferValid=*/false);
  EXPECT_EQ(World.Boxes,
            std::vector<std::string>{"Error: Not enough memory for the capture buffer."});
  EXPECT_EQ(World.QuitsPosted, 1);
  RingWorld noDevice;
  noDevice.SetUp(true, /*deviceOpens=*/false);
  EXPECT_EQ(noDevice.QuitsPosted, 1);
  for (RingWorld* world : {&World, &noDevice}) {
    EXPECT_EQ(world->Queueings, 0);
    world->Teardown();
    EXPECT_FALSE(world->DeviceOpen);  // never opened, so never closed either
  }
  EXPECT_EQ(noDevice.Violations, std::vector<std::string>{});
}

TEST_F(CaptureRingTest, EachCycleHandsTheCaptureOverAndQueuesTheNextAfterTheSpectrum) {
  World.SetUp();
  EXPECT_EQ(World.Queueings, 1);
  World.Complete(kCaptureMs2048);
  World.HandleAllMessages();
  EXPECT_EQ(World.Ring.CurrentPhase(), Phase::Analysing);
  EXPECT_EQ(World.HandOvers, 1);
  EXPECT_EQ(World.Queueings, 1);  // not before the spectrum is shown
  World.FftSize = 4096;
  World.FinishAnalysis();
  World.HandleAllMessages();
  EXPECT_EQ(World.Queueings, 2);
  EXPECT_EQ(World.QueuedFrames, 4096);
  EXPECT_EQ(World.Resets, 0);
  World.RequestClose();
  World.Cycle();
  World.Teardown();
  EXPECT_TRUE(World.Boxes.empty());
  EXPECT_FALSE(World.DeviceOpen);
}

// The first capture after the device is opened may take seconds to start;
// every later one is overdue two seconds after its sound.
TEST_F(CaptureRingTest, TheFirstCaptureIsGivenTheTimeOfAStartTheOthersTwoSeconds) {
  World.SetUp();
  World.Advance(kFirstLimitMs - 1);
  EXPECT_TRUE(World.Boxes.empty());
  World.Complete(kFirstLimitMs - 1);
  World.HandleAllMessages();
  World.FinishAnalysis();
  World.HandleAllMessages();
  World.Advance(kLimitMs - 1);
  EXPECT_TRUE(World.Boxes.empty());
  World.Advance(1);
  EXPECT_EQ(World.Boxes, std::vector<std::string>{kStoppedBox});

  RingWorld deadAtStart;
  deadAtStart.SetUp();
  deadAtStart.Advance(kFirstLimitMs);
  EXPECT_EQ(deadAtStart.Boxes, std::vector<std::string>{kStoppedBox});
  EXPECT_EQ(deadAtStart.Violations, std::vector<std::string>{});
}

TEST_F(CaptureRingTest, ACloseWhileCapturingEndsAtTheReturnWithoutAnotherSpectrum) {
  Measuring();
  World.RequestClose();
  World.RequestClose();  // twice: no sooner, no differently
  EXPECT_EQ(World.QuitsPosted, 0);
  World.Complete(kCaptureMs2048);
  World.HandleAllMessages();
  EXPECT_EQ(World.QuitsPosted, 1);
  EXPECT_EQ(World.HandOvers, 1);
  EXPECT_FALSE(World.Ring.WatchdogArmed());
  World.Teardown();
  EXPECT_FALSE(World.DeviceOpen);
  EXPECT_FALSE(World.Abandoned);
}

TEST_F(CaptureRingTest, ACloseDuringTheAnalysisShowsItAndRecordsOneMoreCapture) {
  World.SetUp();
  World.Complete(kCaptureMs2048);
  World.HandleAllMessages();
  World.RequestClose();
  World.FinishAnalysis();
  World.HandleAllMessages();
  EXPECT_EQ(World.Queueings, 2);
  EXPECT_EQ(World.QuitsPosted, 0);
  World.Complete(kCaptureMs2048);
  World.HandleAllMessages();
  EXPECT_EQ(World.QuitsPosted, 1);
  EXPECT_EQ(World.HandOvers, 1);
}

// On the way out a device that keeps the buffer is reset at the limit; if
// the reset does not bring it back either, the program ends a second later
// and abandons the buffer to the device. That close failure is the one box.
TEST_F(CaptureRingTest, TheWayOutResetsAnOverdueDeviceAndThenGivesUp) {
  Measuring();
  World.RequestClose();
  World.Advance(kLimitMs);
  EXPECT_EQ(World.Resets, 1);
  World.HandleAllMessages();  // the reset's return
  EXPECT_EQ(World.QuitsPosted, 1);
  World.Teardown();
  EXPECT_TRUE(World.Boxes.empty());
  EXPECT_FALSE(World.Abandoned);

  RingWorld deaf;
  deaf.ResetReturnsBuffer = false;
  deaf.SetUp();
  deaf.Cycle();
  deaf.RequestClose();
  deaf.Advance(kLimitMs);
  // Asleep while waiting for the reset: the resume watches it afresh.
  deaf.Deliver(RingEventKind::Suspending);
  deaf.NowUs += 3600 * 1000 * RingWorld::kUsPerMs;
  deaf.Deliver(RingEventKind::Resumed);
  deaf.Advance(CaptureRing::kResetGraceMs - 1);
  EXPECT_EQ(deaf.QuitsPosted, 0);
  deaf.Advance(1);
  EXPECT_EQ(deaf.QuitsPosted, 1);
  EXPECT_TRUE(deaf.Abandoned);
  deaf.Teardown();
  EXPECT_EQ(deaf.Boxes, std::vector<std::string>{"Error: close failed"});
  EXPECT_EQ(deaf.Violations, std::vector<std::string>{});
}

// A device that stops delivering while measuring is reported once; a close
// then ends at once, and the end says nothing more even when the device
// keeps the buffer and cannot be closed.
TEST_F(CaptureRingTest, AnOverdueCaptureIsReportedOnceAndTheEndAddsNoSecondBox) {
  for (const bool resetReturns : {true, false}) {
    RingWorld world;
    world.ResetReturnsBuffer = resetReturns;
    world.SetUp();
    world.Cycle();
    world.Advance(kLimitMs);
    EXPECT_EQ(world.Boxes, std::vector<std::string>{kStoppedBox});
    EXPECT_EQ(world.Resets, 1);
    world.HandleAllMessages();
    EXPECT_EQ(world.HandOvers, 1);  // the reset's return is not analysed
    EXPECT_EQ(world.Queueings, 2);
    EXPECT_TRUE(world.Ring.Stopped());
    world.Advance(60000);
    EXPECT_EQ(world.QuitsPosted, 0);  // the last spectrum stays
    world.RequestClose();
    EXPECT_EQ(world.QuitsPosted, 1);
    world.Teardown();
    EXPECT_EQ(world.Boxes.size(), 1u);
    EXPECT_EQ(world.Abandoned, !resetReturns);
    EXPECT_EQ(world.Violations, std::vector<std::string>{});
  }
}

TEST_F(CaptureRingTest, TwoEarlyReturnsInARowDropTheBacklogAndASlowStartIsNotEarly) {
  Measuring();
  World.Complete(kCaptureMs2048 * 4 / 10);
  World.HandleAllMessages();
  EXPECT_EQ(World.Resets, 0);  // one early return is no backlog
  World.FinishAnalysis();
  World.HandleAllMessages();
  World.Complete(kCaptureMs2048 * 4 / 10);
  World.HandleAllMessages();
  EXPECT_EQ(World.Resets, 1);
  EXPECT_EQ(World.Ring.CurrentPhase(), Phase::Analysing);  // and still analysed
  World.FinishAnalysis();
  World.HandleAllMessages();
  World.Complete(kCaptureMs2048 * 4 / 10);
  World.HandleAllMessages();
  EXPECT_EQ(World.Resets, 1);  // counted anew after the reset
  // Short captures back at once say nothing of a backlog.
  World.FinishAnalysis();
  World.HandleAllMessages();
  for (int i = 0; i < 2; ++i) {
    World.Complete(1, 100);
    World.HandleAllMessages();
  }
  EXPECT_EQ(World.Resets, 1);
  // Back at 60 % of the sound's duration: on time, whatever the start took.
  for (int i = 0; i < 4; ++i) {
    World.FinishAnalysis();
    World.HandleAllMessages();
    World.Complete(kCaptureMs2048 * 6 / 10);
    World.HandleAllMessages();
  }
  EXPECT_EQ(World.Resets, 1);
}

TEST_F(CaptureRingTest, ShortRecordingsAreRecordedAgainAndThreeInARowStopTheRing) {
  World.SetUp();
  for (int i = 0; i < 2; ++i) {
    World.Complete(kCaptureMs2048, 100);
    World.HandleAllMessages();
  }
  World.Cycle();  // a full one resets the count
  EXPECT_EQ(World.HandOvers, 1);
  for (int i = 0; i < 3; ++i) {
    World.Complete(kCaptureMs2048, 100);
    World.HandleAllMessages();
  }
  EXPECT_EQ(World.HandOvers, 1);
  EXPECT_EQ(World.Queueings, 6);
  EXPECT_EQ(World.Boxes, std::vector<std::string>{kShortBox});
  EXPECT_EQ(World.Ring.CurrentPhase(), Phase::Stopped);
  World.RequestClose();
  EXPECT_EQ(World.QuitsPosted, 1);
}

TEST_F(CaptureRingTest, ARefusedQueueingStopsTheRingAndACloseThenEndsAtOnce) {
  World.QueueError = "Out of memory.";
  World.SetUp();
  EXPECT_EQ(World.Boxes, std::vector<std::string>{"Error: Out of memory."});
  EXPECT_TRUE(World.Ring.Stopped());
  EXPECT_EQ(World.QuitsPosted, 0);  // the window stays until the user closes it
  World.RequestClose();
  EXPECT_EQ(World.QuitsPosted, 1);

  // Refused while a close was pending: the program ends once the box is read.
  RingWorld closing;
  closing.SetUp();
  closing.Complete(kCaptureMs2048);
  closing.HandleAllMessages();
  closing.RequestClose();
  closing.QueueError = "No driver.";
  closing.OnBox = [&] { EXPECT_EQ(closing.QuitsPosted, 0); };
  closing.FinishAnalysis();
  closing.HandleAllMessages();
  EXPECT_EQ(closing.QuitsPosted, 1);
  EXPECT_EQ(closing.Violations, std::vector<std::string>{});
}

// The box's own message loop delivers what is pending: a capture's return,
// a close request. Each ends the program in order, with the one box.
TEST_F(CaptureRingTest, EventsDuringAnOpenBoxEndTheProgramInOrder) {
  World.OnBox = [&] {
    World.Complete(kCaptureMs2048);
    World.HandleAllMessages();
  };
  World.SetUp(true, true, kWorkerText);
  EXPECT_EQ(World.Boxes, std::vector<std::string>{std::string("Error: ") + kWorkerText});
  EXPECT_EQ(World.QuitsPosted, 1);
  EXPECT_EQ(World.HandOvers, 0);

  RingWorld later;
  later.SetUp(true, true, kWorkerText);
  EXPECT_EQ(later.QuitsPosted, 0);  // waits for the queued capture
  later.Complete(kCaptureMs2048);
  later.HandleAllMessages();
  EXPECT_EQ(later.QuitsPosted, 1);
  later.Teardown();
  EXPECT_FALSE(later.DeviceOpen);
  EXPECT_EQ(later.Violations, std::vector<std::string>{});

  RingWorld shortBox;
  shortBox.SetUp();
  shortBox.OnBox = [&] { shortBox.RequestClose(); };
  for (int i = 0; i < 3; ++i) {
    shortBox.Complete(kCaptureMs2048, 100);
    shortBox.HandleAllMessages();
  }
  EXPECT_EQ(shortBox.QuitsPosted, 1);
  EXPECT_EQ(shortBox.Boxes, std::vector<std::string>{kShortBox});
  EXPECT_EQ(shortBox.Violations, std::vector<std::string>{});
}

// Asleep, the device records nothing and a timer may count the time anyway:
// the watchdog is off from the suspend and starts afresh at the resume.
TEST_F(CaptureRingTest, SleepStopsTheWatchdogAndTheResumeGivesTheDeviceAFreshStart) {
  Measuring();
  World.Advance(kCaptureMs2048);
  World.Deliver(RingEventKind::Suspending);
  EXPECT_FALSE(World.Ring.WatchdogArmed());
  World.NowUs += 3600 * 1000 * RingWorld::kUsPerMs;  // an hour asleep
  World.Deliver(RingEventKind::WatchdogExpired);     // a timer message from before
  World.Deliver(RingEventKind::Resumed);
  EXPECT_TRUE(World.Boxes.empty());
  const int64_t resumedUs = World.NowUs;
  World.Advance(kFirstLimitMs - 1);
  EXPECT_TRUE(World.Boxes.empty());
  World.Advance(1);
  EXPECT_EQ(World.Boxes, std::vector<std::string>{kStoppedBox});
  EXPECT_EQ(World.NowUs - resumedUs, kFirstLimitMs * RingWorld::kUsPerMs);
}

// The device sleeps with the system: the first capture queued after a resume
// gets the time of a start, the one after it not, whatever the ring was doing
// and whichever event it handles first. As the system suspends, a driver
// returns the capture out, short; that return is posted and the resume is
// sent, so the resume may come first.
TEST_F(CaptureRingTest, TheFirstCaptureQueuedAfterAResumeGetsTheStartLimitWhicheverComesFirst) {
  enum class Sleep { WhileAnalysing, ReturnHandledAfterTheResume, ReturnHandledBeforeTheResume };
  for (const Sleep sleep : {Sleep::WhileAnalysing, Sleep::ReturnHandledAfterTheResume,
                            Sleep::ReturnHandledBeforeTheResume}) {
    RingWorld world;
    world.SetUp();
    world.Cycle();
    world.Complete(kCaptureMs2048, sleep == Sleep::WhileAnalysing ? -1 : 100);
    if (sleep == Sleep::WhileAnalysing) world.HandleAllMessages();
    world.Deliver(RingEventKind::Suspending);
    if (sleep == Sleep::ReturnHandledBeforeTheResume) world.HandleAllMessages();
    world.NowUs += 3600 * 1000 * RingWorld::kUsPerMs;
    world.Deliver(RingEventKind::Resumed);
    const int queueings = world.Queueings;
    if (sleep == Sleep::WhileAnalysing) world.FinishAnalysis();
    if (sleep == Sleep::ReturnHandledBeforeTheResume) {
      // The capture queued again while asleep is watched from the resume.
      EXPECT_EQ(world.TimerPeriodUs, kFirstLimitMs * RingWorld::kUsPerMs);
      world.Cycle();
    }
    world.HandleAllMessages();
    EXPECT_EQ(world.Queueings, queueings + 1);
    EXPECT_EQ(world.TimerPeriodUs, kFirstLimitMs * RingWorld::kUsPerMs) << static_cast<int>(sleep);
    world.Cycle();
    EXPECT_EQ(world.TimerPeriodUs, kLimitMs * RingWorld::kUsPerMs);
    EXPECT_TRUE(world.Boxes.empty());
    EXPECT_EQ(world.Violations, std::vector<std::string>{});
  }
}

TEST_F(CaptureRingTest, ACaptureQueuedJustBeforeSleepIsWatchedOnlyFromTheResume) {
  World.SetUp();
  World.Complete(kCaptureMs2048);
  World.HandleAllMessages();
  World.Deliver(RingEventKind::Suspending);
  World.FinishAnalysis();
  World.HandleAllMessages();  // queued after the suspend
  EXPECT_EQ(World.Ring.CurrentPhase(), Phase::Capturing);
  EXPECT_FALSE(World.TimerArmed);
  World.Advance(600000);
  World.Deliver(RingEventKind::Resumed);
  World.Deliver(RingEventKind::Resumed);  // both resume notices may come
  World.Complete(600000 + kCaptureMs2048);
  World.HandleAllMessages();
  EXPECT_TRUE(World.Boxes.empty());
  EXPECT_EQ(World.HandOvers, 2);
}

TEST_F(CaptureRingTest, ATimerThatFiresEarlyWatchesOnForTheRest) {
  World.SetUp();
  World.NowUs += (kFirstLimitMs - 20) * RingWorld::kUsPerMs;
  World.Deliver(RingEventKind::WatchdogExpired);
  EXPECT_TRUE(World.Boxes.empty());
  EXPECT_EQ(World.TimerPeriodUs, 20 * RingWorld::kUsPerMs);
  World.Advance(20);
  EXPECT_EQ(World.Boxes, std::vector<std::string>{kStoppedBox});
}

TEST_F(CaptureRingTest, AfterTheExceptionBoxNothingIsQueuedOrQuitAndTeardownTakesTheBufferBack) {
  Measuring();
  World.Deliver(RingEventKind::ExceptionBox);
  EXPECT_FALSE(World.TimerArmed);
  World.RequestClose();
  World.Advance(60000);
  EXPECT_EQ(World.QuitsPosted, 0);
  World.Teardown();
  EXPECT_EQ(World.Resets, 1);
  EXPECT_FALSE(World.DeviceOpen);
  EXPECT_FALSE(World.Abandoned);

  // Back after the box has come up: taken back, neither analysed nor queued.
  RingWorld returned;
  returned.SetUp();
  returned.Cycle();
  returned.Deliver(RingEventKind::ExceptionBox);
  returned.Complete(kCaptureMs2048);
  returned.HandleAllMessages();
  EXPECT_EQ(returned.HandOvers, 1);
  EXPECT_EQ(returned.Queueings, 2);
  EXPECT_EQ(returned.QuitsPosted, 0);
  returned.Teardown();
  EXPECT_EQ(returned.Resets, 0);  // nothing left to ask back
  EXPECT_FALSE(returned.DeviceOpen);
  EXPECT_EQ(returned.Violations, std::vector<std::string>{});
}

// Choosing another input: from every phase a user can choose in, the ring
// ends up measuring the chosen device, its first capture watched like the
// first one after the start; nothing the old device recorded after the
// choice is analysed (the model world flags that).
TEST_F(CaptureRingTest, ChoosingAnotherInputMeasuresItFromEveryPhase) {
  enum class Before { Capturing, Analysing, Stopped, StoppedDeviceKeepsBuffer };
  struct Case {
    Before Phase;
    int HandOversBefore;  // handed over before the switch
    int Resets;           // in all: the switch's, an overdue capture's
  };
  for (const Case& c :
       {Case{Before::Capturing, 1, 1}, Case{Before::Analysing, 2, 0}, Case{Before::Stopped, 1, 1},
        Case{Before::StoppedDeviceKeepsBuffer, 1, 2}}) {
    RingWorld world;
    world.ResetReturnsBuffer = c.Phase != Before::StoppedDeviceKeepsBuffer;
    world.SetUp();
    world.Cycle();
    if (c.Phase == Before::Analysing) {
      world.Complete(kCaptureMs2048);
      world.HandleAllMessages();
    }
    if (c.Phase == Before::Stopped || c.Phase == Before::StoppedDeviceKeepsBuffer) {
      world.Advance(kLimitMs);
      world.HandleAllMessages();
      ASSERT_TRUE(world.Ring.Stopped());
    }
    const int queueings = world.Queueings;
    world.ChooseInput(2);
    world.HandleAllMessages();  // a reset's return
    if (c.Phase == Before::StoppedDeviceKeepsBuffer) {
      EXPECT_EQ(world.Queueings, queueings);  // the reset gets its time
      world.Advance(CaptureRing::kResetGraceMs);
      EXPECT_EQ(world.DevicesAbandoned, 1);
    }
    if (c.Phase == Before::Analysing) {
      EXPECT_EQ(world.Queueings, queueings);  // not before the old spectrum is shown
      world.FinishAnalysis();
      world.HandleAllMessages();
    }
    EXPECT_EQ(world.Ring.OpenInput(), 2);
    EXPECT_EQ(world.OpenSerial, 2);
    EXPECT_EQ(world.Ring.CurrentPhase(), Phase::Capturing);
    EXPECT_EQ(world.Queueings, queueings + 1);
    EXPECT_EQ(world.TimerPeriodUs, kFirstLimitMs * RingWorld::kUsPerMs);
    EXPECT_EQ(world.HandOvers, c.HandOversBefore);
    world.Cycle();
    EXPECT_EQ(world.HandOvers, c.HandOversBefore + 1);
    world.ChooseInput(2);  // the open input again: nothing changes
    EXPECT_EQ(world.OpenSerial, 2);
    EXPECT_EQ(world.Resets, c.Resets);
    world.RequestClose();
    world.Cycle();
    EXPECT_EQ(world.QuitsPosted, 1);
    world.Teardown();
    EXPECT_FALSE(world.DeviceOpen);
    EXPECT_EQ(world.Violations, std::vector<std::string>{}) << static_cast<int>(c.Phase);
  }
}

// A chosen input that cannot be opened stops measuring with one box and the
// last spectrum; the next choice, the same input's included, tries again.
// Without memory for a fresh buffer it is the same. A worker analysing a
// capture of the old device keeps it: nothing is queued before its spectrum.
TEST_F(CaptureRingTest, AnInputThatCannotBeOpenedStopsTheRingUntilTheNextChoice) {
  Measuring();
  World.OpenError = "The device is busy.";
  World.ChooseInput(1);
  World.HandleAllMessages();
  EXPECT_EQ(World.Boxes, std::vector<std::string>{"Error: The device is busy."});
  EXPECT_TRUE(World.Ring.Stopped());
  EXPECT_EQ(World.Ring.OpenInput(), CaptureRing::kNoDevice);
  World.Advance(60000);
  EXPECT_EQ(World.Queueings, 2);
  World.OpenError.clear();
  World.ChooseInput(1);
  World.Cycle();
  EXPECT_EQ(World.HandOvers, 2);

  RingWorld noMemory;
  noMemory.ResetReturnsBuffer = false;
  noMemory.RenewFails = true;
  noMemory.SetUp();
  noMemory.Cycle();
  noMemory.ChooseInput(1);
  noMemory.Advance(CaptureRing::kResetGraceMs);
  EXPECT_EQ(noMemory.Boxes,
            std::vector<std::string>{"Error: Not enough memory for the capture buffer."});
  EXPECT_TRUE(noMemory.Ring.Stopped());
  noMemory.RenewFails = false;
  noMemory.ChooseInput(1);
  noMemory.Cycle();
  EXPECT_EQ(noMemory.HandOvers, 2);
  noMemory.RequestClose();
  noMemory.Cycle();
  noMemory.Teardown();
  EXPECT_EQ(noMemory.QuitsPosted, 1);
  EXPECT_EQ(noMemory.Violations, std::vector<std::string>{});

  RingWorld analysing;
  analysing.SetUp();
  analysing.Complete(kCaptureMs2048);
  analysing.HandleAllMessages();
  analysing.OpenError = "The device is busy.";
  analysing.ChooseInput(1);
  EXPECT_TRUE(analysing.Ring.Stopped());
  EXPECT_EQ(analysing.Ring.BufferHolder(), Holder::Worker);
  analysing.OpenError.clear();
  analysing.ChooseInput(1);
  EXPECT_EQ(analysing.Ring.OpenInput(), 1);
  EXPECT_EQ(analysing.Queueings, 1);
  analysing.FinishAnalysis();
  analysing.HandleAllMessages();
  EXPECT_EQ(analysing.Queueings, 2);
  EXPECT_EQ(analysing.Violations, std::vector<std::string>{});
}

// A close while the old device is asked for the buffer ends the program at
// its return, or a reset grace later; asleep, that grace starts at the resume.
TEST_F(CaptureRingTest, ACloseOrASleepDuringASwitchIsTheWayOutOfACapture) {
  for (const bool resetReturns : {true, false}) {
    RingWorld world;
    world.ResetReturnsBuffer = resetReturns;
    world.SetUp();
    world.Cycle();
    world.ChooseInput(1);
    world.Deliver(RingEventKind::Suspending);
    world.NowUs += 3600 * 1000 * RingWorld::kUsPerMs;
    world.Deliver(RingEventKind::Resumed);
    world.RequestClose();
    world.HandleAllMessages();
    world.Advance(CaptureRing::kResetGraceMs - 1);
    EXPECT_EQ(world.QuitsPosted, resetReturns ? 1 : 0);
    world.Advance(1);
    EXPECT_EQ(world.QuitsPosted, 1);
    EXPECT_EQ(world.OpenSerial, 1);  // the chosen input is never opened
    world.Teardown();
    EXPECT_TRUE(world.Boxes.size() <= 1u);
    EXPECT_EQ(world.Violations, std::vector<std::string>{});
  }
}

// "Anhalten" from each holder: nothing is queued or analysed while held (the
// model world flags that), the capture out is taken back unanalysed, and once
// the buffer is back the device records no more, so that measuring again
// holds no backlog; the first capture is watched like the first after the
// start. While held: a close ends at once or at the
// return, sleep keeps watching the capture out, a device that stops is
// reported once, a switch opens the chosen input but stays held, and an input
// that cannot be opened again stops measuring with one box.
TEST_F(CaptureRingTest, APictureHeldFromEveryHolderMeasuresAgainWhenLetGo) {
  enum class While { Capturing, Analysing, CaptureBack };
  enum class Then { GoOn, Close, SleepAndWake, DeviceStops, Switch, Unplugged };
  for (const While when : {While::Capturing, While::Analysing, While::CaptureBack}) {
    for (const Then then : {Then::GoOn, Then::Close, Then::SleepAndWake, Then::DeviceStops,
                            Then::Switch, Then::Unplugged}) {
      const std::string name =
          std::to_string(static_cast<int>(when)) + "/" + std::to_string(static_cast<int>(then));
      RingWorld world;
      world.SetUp();
      world.Cycle();
      if (when == While::Analysing) {
        world.Complete(kCaptureMs2048);
        world.HandleAllMessages();
      }
      world.TogglePause();
      ASSERT_EQ(world.Ring.CurrentPhase(), Phase::Paused) << name;
      if (when == While::CaptureBack) {
        world.Complete(kCaptureMs2048);
        world.HandleAllMessages();
      }
      world.FinishAnalysis();  // the spectrum in analysis is still shown
      world.HandleAllMessages();
      const int handOvers = world.HandOvers;
      if (then == Then::Close) {
        world.RequestClose();
        world.Complete(kCaptureMs2048);  // the capture out, if any
        world.HandleAllMessages();
        EXPECT_EQ(world.QuitsPosted, 1) << name;
        EXPECT_EQ(world.HandOvers, handOvers) << name;
        EXPECT_TRUE(world.Boxes.empty()) << name;
      } else if (then == Then::Unplugged) {  // the input cannot be opened again
        world.Complete(kCaptureMs2048);
        world.HandleAllMessages();
        world.OpenError = "gone";
        world.TogglePause();
        EXPECT_EQ(world.Boxes, std::vector<std::string>{"Error: gone"}) << name;
        EXPECT_TRUE(world.Ring.Stopped()) << name;
        world.OpenError.clear();
        world.ChooseInput(0);  // plugged in again
        world.Cycle();
        EXPECT_EQ(world.HandOvers, handOvers + 1) << name;
      } else if (then == Then::DeviceStops) {
        world.Advance(kFirstLimitMs);
        world.HandleAllMessages();
        const bool captureOut = when == While::Capturing;
        EXPECT_EQ(world.Boxes.size(), captureOut ? 1u : 0u) << name;
        EXPECT_EQ(world.Ring.Stopped(), captureOut) << name;
        if (!captureOut) {
          EXPECT_EQ(world.Ring.CurrentPhase(), Phase::Paused) << name;
        }
      } else {
        if (then == Then::SleepAndWake) {
          world.Deliver(RingEventKind::Suspending);
          world.NowUs += 3600 * 1000 * RingWorld::kUsPerMs;
          world.Deliver(RingEventKind::Resumed);
          EXPECT_EQ(world.TimerArmed, when == While::Capturing) << name;
        }
        if (then == Then::Switch) {
          world.ChooseInput(1);
          world.HandleAllMessages();
          world.Advance(CaptureRing::kResetGraceMs);
          EXPECT_EQ(world.Ring.OpenInput(), 1) << name;
          EXPECT_EQ(world.Ring.CurrentPhase(), Phase::Paused) << name;
        }
        world.Complete(kCaptureMs2048);
        world.HandleAllMessages();
        EXPECT_EQ(world.HandOvers, handOvers) << name;
        EXPECT_FALSE(world.DeviceRecords) << name << ": recording on while held";
        const int queueings = world.Queueings;
        world.TogglePause();  // measure again
        EXPECT_EQ(world.Queueings, queueings + 1) << name;
        EXPECT_EQ(world.TimerPeriodUs, kFirstLimitMs * RingWorld::kUsPerMs) << name;
        world.Cycle();
        EXPECT_EQ(world.HandOvers, handOvers + 1) << name;
        EXPECT_TRUE(world.Boxes.empty()) << name;
      }
      world.Teardown();
      EXPECT_EQ(world.Violations, std::vector<std::string>{}) << name;
    }
  }
}

// Random worlds: every kind of event at any moment, against the promises.
class RandomRing {
 public:
  RandomRing(uint32_t seed, std::set<RingState>& statesSeen)
      : Random(seed), StatesSeen(statesSeen) {
    World.ResetReturnsBuffer = Chance(0.7);
    World.FftSize = Size();
  }

  void Run(int steps) {
    const bool workerFails = Chance(0.05);
    World.SetUp(!Chance(0.02), !Chance(0.02), workerFails ? kWorkerText : "");
    World.OnBox = [&] {
      CheckOverdueReport();
      for (int i = Pick(4); i > 0; --i) Step();
    };
    for (int i = 0; i < steps; ++i) Step();
    World.OnBox = nullptr;
    CheckClosing();
    World.Teardown();
  }

  RingWorld World;

 private:
  void Step() {
    switch (Pick(17)) {
      case 0:
        World.Complete(Pick(static_cast<int>(World.CaptureMs()) + 1));
        break;  // early
      case 1:
        World.Complete(World.CaptureMs());
        break;
      case 2:
        World.Complete(World.CaptureMs() + Pick(3000));
        break;  // late
      case 3:
        World.Complete(World.CaptureMs(), Pick(World.QueuedFrames));
        break;  // short
      case 4:
      case 5:
        World.HandleMessage();
        break;
      case 6:
        World.FinishAnalysis();
        break;
      case 7:
        World.Advance(Pick(4000));
        break;
      case 8:
        if (Chance(0.3)) World.RequestClose();
        break;
      case 9:
        Sleep();
        break;
      case 10:
        World.FftSize = Size();
        break;
      case 11:
        World.QueueError = Chance(0.05) ? "No driver." : "";
        break;
      case 12:
        if (Chance(0.02)) World.Deliver(RingEventKind::ExceptionBox);
        break;
      case 13:
        World.ChooseInput(Pick(3));
        break;
      case 14:
        World.OpenError = Chance(0.3) ? "The device is busy." : "";
        World.RenewFails = Chance(0.1);
        break;
      case 15:
        World.TogglePause();
        break;
      default:
        World.Advance(Pick(50));
        break;
    }
    StatesSeen.insert({World.Ring.CurrentPhase(), World.Ring.BufferHolder()});
  }

  // Suspend, a long time asleep, wake: the resume notice may come after the
  // timer's message, which then must not count.
  void Sleep() {
    Asleep = true;
    World.Deliver(RingEventKind::Suspending);
    if (Chance(0.2)) return;  // asleep through the next steps
    World.NowUs += static_cast<int64_t>(Pick(100000)) * RingWorld::kUsPerMs;
    if (Chance(0.5)) World.Deliver(RingEventKind::WatchdogExpired);
    Asleep = false;
    LastResumeUs = World.NowUs;
    World.Deliver(RingEventKind::Resumed);
  }

  // "stopped delivering" only for a buffer that was out longer than its
  // limit while the system was awake.
  void CheckOverdueReport() {
    const size_t reported = std::count(World.Boxes.begin(), World.Boxes.end(), kStoppedBox);
    if (reported == 0 || Checked) return;
    Checked = true;
    const int64_t watchedFromUs = std::max(World.QueuedAtUs, LastResumeUs);
    const int64_t limitUs = (World.CaptureMs() + CaptureRing::kReturnGraceMs) * RingWorld::kUsPerMs;
    if (Asleep || World.NowUs - watchedFromUs < limitUs)
      World.Violations.push_back("a false overdue report");
  }

  // A close request ends the program within the capture time and the grace
  // periods, whatever the device does, once the system is awake.
  void CheckClosing() {
    Asleep = false;
    World.Deliver(RingEventKind::Resumed);
    World.QueueError.clear();
    World.OpenError.clear();
    World.RenewFails = false;
    World.RequestClose();
    if (World.ExceptionShown) return;  // the exception's box ends the run instead
    const bool deviceAlive = Chance(0.5);
    const int64_t startUs = World.NowUs;
    const int32_t frames = std::max(World.QueuedFrames, World.FftSize);
    const int64_t boundMs = CaptureRing::CaptureTimeMs(frames) + CaptureRing::kStartGraceMs +
                            CaptureRing::kResetGraceMs + kDrainStepMs;
    while (World.QuitsPosted == 0 && World.NowUs - startUs <= boundMs * RingWorld::kUsPerMs) {
      if (deviceAlive) World.Complete(World.CaptureMs());
      World.HandleAllMessages();
      World.FinishAnalysis();
      World.HandleAllMessages();
      World.Advance(kDrainStepMs);
    }
    if (World.QuitsPosted != 1) World.Violations.push_back("a close request that never ended");
  }

  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(Random) < p; }
  int Pick(int n) { return n <= 0 ? 0 : static_cast<int>(Random() % static_cast<uint32_t>(n)); }
  int32_t Size() { return 1024 << Pick(9); }

  static constexpr int64_t kDrainStepMs = 10;
  std::mt19937 Random;
  std::set<RingState>& StatesSeen;
  int64_t LastResumeUs = 0;
  bool Asleep = false;
  bool Checked = false;
};

TEST(CaptureRingRandomTest, ThousandsOfRandomSequencesKeepEveryPromise) {
  constexpr uint32_t kSequences = 20000;
  constexpr int kSteps = 60;
  std::set<RingState> statesSeen;
  for (uint32_t seed = 1; seed <= kSequences; ++seed) {
    RandomRing run(seed, statesSeen);
    run.Run(kSteps);
    ASSERT_EQ(run.World.Violations, std::vector<std::string>{}) << "seed " << seed;
  }
  // Every state a step can leave the ring in was reached, and no other
  // (Created and Queueing pass within one step, as does a switch whose old
  // device has given the buffer back; TornDown comes at the end).
  const std::set<RingState> reachable = {{Phase::Capturing, Holder::Device},
                                         {Phase::Analysing, Holder::Worker},
                                         {Phase::Switching, Holder::Device},
                                         {Phase::Paused, Holder::View},
                                         {Phase::Paused, Holder::Device},
                                         {Phase::Paused, Holder::Worker},
                                         {Phase::Stopped, Holder::View},
                                         {Phase::Stopped, Holder::Device},
                                         {Phase::Stopped, Holder::Worker},
                                         {Phase::Stopped, Holder::Abandoned},
                                         {Phase::ClosingAfterReset, Holder::Device},
                                         {Phase::Ended, Holder::View},
                                         {Phase::Ended, Holder::Device},
                                         {Phase::Ended, Holder::Worker},
                                         {Phase::Ended, Holder::Abandoned}};
  EXPECT_EQ(statesSeen, reachable);
}

}  // namespace
