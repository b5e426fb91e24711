#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "capture/ScopedSystemApi.h"

// A scripted stand-in for the platform table: the test chooses the devices
// and the result of every call; every call is recorded with its arguments and
// message boxes are recorded instead of shown. Installed for its lifetime;
// one at a time.
class FakeSystem {
 public:
  struct WaveCall {
    std::string Function;
    HWAVEIN Handle = nullptr;
    UINT_PTR DeviceId = 0;
    WAVEFORMATEX Format{};
    DWORD_PTR Callback = 0;
    DWORD_PTR Instance = 0;
    DWORD Flags = 0;
    WAVEHDR* Header = nullptr;
    UINT Size = 0;           // header or record size, or the text buffer's size
    DWORD BufferLength = 0;  // dwBufferLength at the moment of the call
    MMRESULT ErrorCode = 0;  // for waveInGetErrorTextA
  };
  struct Box {
    HWND Owner;
    std::string Text;
    std::string Caption;
    UINT Style;
    WORD Language;
    std::wstring WideText;  // of a box shown through MessageBoxExW (Text stays empty)
  };
  struct GlobalBlock {
    std::unique_ptr<uint8_t[]> Bytes;
    SIZE_T Size = 0;
    UINT Flags = 0;
    int LockCount = 0;
    bool Freed = false;
  };

  FakeSystem();
  ~FakeSystem();
  FakeSystem(const FakeSystem&) = delete;
  FakeSystem& operator=(const FakeSystem&) = delete;

  // Lets the real WinMM functions answer; message boxes stay recorded.
  void UseRealWaveInput();

  // Scripted device side.
  UINT DeviceCount = 1;
  char ProductName[MAXPNAMELEN] = "Line In";
  std::vector<std::string> DeviceNames;  // per device when given; else ProductName for all
  HWAVEIN OpenedHandle = reinterpret_cast<HWAVEIN>(0x5150);
  MMRESULT CapsResult = MMSYSERR_NOERROR;
  MMRESULT OpenResult = MMSYSERR_NOERROR;
  MMRESULT PrepareResult = MMSYSERR_NOERROR;
  MMRESULT AddResult = MMSYSERR_NOERROR;
  MMRESULT StartResult = MMSYSERR_NOERROR;
  MMRESULT ResetResult = MMSYSERR_NOERROR;
  MMRESULT UnprepareResult = MMSYSERR_NOERROR;
  MMRESULT CloseResult = MMSYSERR_NOERROR;
  MMRESULT ErrorTextResult = MMSYSERR_NOERROR;
  std::map<MMRESULT, std::string> ErrorTexts;
  // Fills the whole text buffer without a terminating zero, as no good platform does.
  bool ErrorTextUnterminated = false;

  // The device model, off unless SimulateDevice: an added buffer stays
  // queued until the test returns it (as MM_WIM_DATA to the window given at
  // open), a reset returns it at once unless ResetReturnsBuffer is false (a
  // device that stopped answering), and closing fails while it is queued.
  static constexpr int32_t kBytesPerFrame = 4;
  bool SimulateDevice = false;
  bool ResetReturnsBuffer = true;
  HWND CallbackWindow = nullptr;
  WAVEHDR* QueuedHeader = nullptr;
  int CapturesQueued = 0;
  int CapturesReturned = 0;
  // Called when a buffer is queued, e.g. to return it at once.
  std::function<void(WAVEHDR&)> OnQueued;
  // Fills the first recordedFrames frames of the queued buffer with `fill`
  // (when given), marks it done and posts MM_WIM_DATA. False when none is queued.
  bool ReturnCapture(int32_t recordedFrames,
                     const std::function<void(int16_t*, int32_t)>& fill = {});
  // Runs when the device is asked to close.
  std::function<void()> OnClose;
  // Runs while a message box would be open.
  std::function<void()> OnBox;
  // The capture clock (microseconds) stands still but for ReturnCapture, which
  // moves it on by this share of the returned buffer's recording time: 1, a
  // device that records only while the buffer is queued; less, one that
  // fills it from sound recorded in advance.
  int64_t ClockUs = 0;
  double ReturnAfterShare = 1.0;
  // How far waveInStart moves the clock on: a start that takes its time.
  int64_t StartTakesUs = 0;
  // The clock also runs with real time, as the program's timers do.
  bool ClockFollowsRealTime = false;
  const DWORD CreatedAtTicks;
  // Frames asked for by the queued buffer; 0 when none is queued.
  int32_t QueuedFrames() const;

  // Scripted global memory: the n-th allocation or lock (counted from 1) fails.
  int FailingAllocation = 0;
  int FailingLock = 0;
  // Fresh blocks are filled with this byte, as reused memory may be.
  uint8_t FreshMemoryByte = 0xCD;

  // Records.
  std::vector<std::string> Calls;  // every call, by function name, in order
  std::vector<WaveCall> WaveCalls;
  std::vector<Box> Boxes;
  std::map<HGLOBAL, GlobalBlock> Blocks;
  std::vector<int> LockCountsAtFree;

  std::vector<std::string> WaveCallNames() const;
  int LiveBlocks() const;

  static FakeSystem& Current();

 private:
  ScopedSystemApi Installed;
};
