#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

// An operating-system thread that runs the body Run. The owner starts it and,
// before anything the body uses goes away, calls TerminateAndWait: it sets the
// stop request, which the body polls, and waits for the body to return
// without a time limit.
class TThread {
 public:
  // The system call that creates the thread; tests replace it.
  using CreateThreadFunction = decltype(&::CreateThread);
  static CreateThreadFunction CreateThreadCall;

  TThread() = default;
  // Releases the thread handle; REQUIRES: the thread was never started or has ended.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts the thread at once, default stack and priority. Throws TXWindowing
  // "Error[thread]: creation failure" when the system refuses.
  void Start();
  // Sets the stop request; if the thread runs, waits until it has ended.
  void TerminateAndWait();
  bool IsStarted() const { return Handle != nullptr; }

 protected:
  virtual int Run() = 0;
  bool StopRequested() const { return StopFlag.load(std::memory_order_acquire) != 0; }
  const std::atomic<int32_t>& StopRequestFlag() const { return StopFlag; }

 private:
  static DWORD WINAPI Entry(void* self);

  HANDLE Handle = nullptr;  // GUI thread only
  // Writer: the owner's thread (release). Reader: the thread body (acquire).
  std::atomic<int32_t> StopFlag{0};
};
