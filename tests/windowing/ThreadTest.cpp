#include <gtest/gtest.h>

#include <atomic>

#include "windowing/FpuPrecision.h"
#include "windowing/TThread.h"
#include "windowing/TXWindowing.h"

namespace {

class TPollingThread : public TThread {
 public:
  std::atomic<int> Passes{0};
  std::atomic<bool> SawStop{false};

 protected:
  int Run() override {
    while (!StopRequested()) {
      ++Passes;
      Sleep(1);
    }
    SawStop = true;
    return 0;
  }
};

TEST(Thread, StartsRunsAndIsStoppedAndWaitedFor) {
  TPollingThread thread;
  thread.Start();
  EXPECT_TRUE(thread.IsStarted());
  while (thread.Passes < 3) Sleep(1);
  thread.TerminateAndWait();
  EXPECT_TRUE(thread.SawStop);  // the body had returned when the wait ended
}

TEST(Thread, ANeverStartedThreadNeedsNoStop) {
  TPollingThread thread;
  thread.TerminateAndWait();
  EXPECT_FALSE(thread.IsStarted());
  EXPECT_EQ(thread.Passes, 0);
}

HANDLE WINAPI RefuseThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                           LPDWORD) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

TEST(Thread, CreationFailureIsTheThreadLayersError) {
  TPollingThread thread;
  TThread::CreateThreadCall = &RefuseThread;
  try {
    thread.Start();
    ADD_FAILURE() << "no error";
  } catch (const TXWindowing& error) {
    EXPECT_STREQ(error.what(), "Error[thread]: creation failure");
  }
  TThread::CreateThreadCall = &::CreateThread;
  EXPECT_FALSE(thread.IsStarted());
  thread.TerminateAndWait();
}

struct ObservedPrecision {
  uint16_t Before = 0, After = 0;
};

// A thread routine has the system's calling convention (__stdcall on i686).
DWORD WINAPI ObservePrecision(void* out) {
  auto* seen = static_cast<ObservedPrecision*>(out);
  seen->Before = X87ControlWord() & kX87PrecisionMask;
  EnsureExtendedPrecision();
  seen->After = X87ControlWord() & kX87PrecisionMask;
  return 0;
}

// The precision control is per thread: a new thread starts below 64 bits and
// the GUI thread has to set it, with rounding and exception masks.
TEST(FpuPrecision, ExtendedPrecisionIsSetPerThread) {
  // 53 bits, rounding toward zero, invalid operation, zero divide and
  // overflow unmasked, as a foreign DLL might leave it.
  const uint16_t foreign = 0x0E72;
  __asm__ volatile("fldcw %0" : : "m"(foreign));
  EnsureExtendedPrecision();
  EXPECT_EQ(X87ControlWord(), kX87DisplayWord);
  ObservedPrecision observed;
  const HANDLE worker = CreateThread(nullptr, 0, &ObservePrecision, &observed, 0, nullptr);
  ASSERT_NE(worker, nullptr);
  WaitForSingleObject(worker, INFINITE);
  CloseHandle(worker);
  EXPECT_NE(observed.Before, kX87Precision64);
  EXPECT_EQ(observed.After, kX87Precision64);
}

}  // namespace
