#include "tests/capture/FakeSystem.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

FakeSystem* CurrentFake = nullptr;

FakeSystem::WaveCall& Record(const char* function) {
  FakeSystem& fake = FakeSystem::Current();
  fake.Calls.push_back(function);
  fake.WaveCalls.emplace_back();
  fake.WaveCalls.back().Function = function;
  return fake.WaveCalls.back();
}

UINT WINAPI FakeGetNumDevs() {
  Record("waveInGetNumDevs");
  return FakeSystem::Current().DeviceCount;
}

MMRESULT WINAPI FakeGetDevCaps(UINT_PTR deviceId, LPWAVEINCAPSA caps, UINT size) {
  FakeSystem::WaveCall& call = Record("waveInGetDevCapsA");
  call.DeviceId = deviceId;
  call.Size = size;
  FakeSystem& fake = FakeSystem::Current();
  if (fake.CapsResult != MMSYSERR_NOERROR) {
    return fake.CapsResult;
  }
  std::memcpy(caps->szPname, fake.ProductName, sizeof(caps->szPname));
  if (deviceId < fake.DeviceNames.size()) {
    const std::string& name = fake.DeviceNames[deviceId];
    std::memset(caps->szPname, 0, sizeof(caps->szPname));
    std::memcpy(caps->szPname, name.data(), std::min(name.size(), sizeof(caps->szPname) - 1));
  }
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeOpen(LPHWAVEIN handle, UINT deviceId, LPCWAVEFORMATEX format,
                         DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
  FakeSystem::WaveCall& call = Record("waveInOpen");
  call.DeviceId = deviceId;
  call.Format = *format;
  call.Callback = callback;
  call.Instance = instance;
  call.Flags = flags;
  FakeSystem& fake = FakeSystem::Current();
  // A failing device may still have written something into the handle.
  *handle = fake.OpenedHandle;
  if (fake.OpenResult == MMSYSERR_NOERROR && (flags & CALLBACK_TYPEMASK) == CALLBACK_WINDOW)
    fake.CallbackWindow = reinterpret_cast<HWND>(callback);
  return fake.OpenResult;
}

FakeSystem::WaveCall& RecordHeaderCall(const char* function, HWAVEIN handle, LPWAVEHDR header,
                                       UINT size) {
  FakeSystem::WaveCall& call = Record(function);
  call.Handle = handle;
  call.Header = header;
  call.Size = size;
  call.BufferLength = header->dwBufferLength;
  return call;
}

MMRESULT WINAPI FakePrepare(HWAVEIN handle, LPWAVEHDR header, UINT size) {
  RecordHeaderCall("waveInPrepareHeader", handle, header, size);
  return FakeSystem::Current().PrepareResult;
}

MMRESULT WINAPI FakeAdd(HWAVEIN handle, LPWAVEHDR header, UINT size) {
  RecordHeaderCall("waveInAddBuffer", handle, header, size);
  FakeSystem& fake = FakeSystem::Current();
  if (fake.AddResult == MMSYSERR_NOERROR && fake.SimulateDevice) {
    fake.QueuedHeader = header;
    header->dwBytesRecorded = 0;
    header->dwFlags &= ~WHDR_DONE;
    ++fake.CapturesQueued;
    if (fake.OnQueued) fake.OnQueued(*header);
  }
  return fake.AddResult;
}

MMRESULT WINAPI FakeUnprepare(HWAVEIN handle, LPWAVEHDR header, UINT size) {
  RecordHeaderCall("waveInUnprepareHeader", handle, header, size);
  return FakeSystem::Current().UnprepareResult;
}

MMRESULT WINAPI FakeStart(HWAVEIN handle) {
  Record("waveInStart").Handle = handle;
  FakeSystem& fake = FakeSystem::Current();
  fake.ClockUs += fake.StartTakesUs;
  return fake.StartResult;
}

MMRESULT WINAPI FakeReset(HWAVEIN handle) {
  Record("waveInReset").Handle = handle;
  FakeSystem& fake = FakeSystem::Current();
  if (fake.SimulateDevice && fake.QueuedHeader && fake.ResetReturnsBuffer) fake.ReturnCapture(0);
  return fake.ResetResult;
}

constexpr int64_t kFakeClockTicksPerSecond = 1000000;

// Microseconds of real time since `since` (a GetTickCount value).
int64_t RealMicrosecondsSince(DWORD since) {
  return static_cast<int64_t>(GetTickCount() - since) * 1000;
}

BOOL WINAPI FakeQueryPerformanceCounter(LARGE_INTEGER* ticks) {
  const FakeSystem& fake = FakeSystem::Current();
  ticks->QuadPart =
      fake.ClockUs + (fake.ClockFollowsRealTime ? RealMicrosecondsSince(fake.CreatedAtTicks) : 0);
  return TRUE;
}

BOOL WINAPI FakeQueryPerformanceFrequency(LARGE_INTEGER* ticksPerSecond) {
  ticksPerSecond->QuadPart = kFakeClockTicksPerSecond;
  return TRUE;
}

MMRESULT WINAPI FakeClose(HWAVEIN handle) {
  Record("waveInClose").Handle = handle;
  FakeSystem& fake = FakeSystem::Current();
  if (fake.OnClose) fake.OnClose();
  if (fake.SimulateDevice && fake.QueuedHeader) return WAVERR_STILLPLAYING;
  return fake.CloseResult;
}

MMRESULT WINAPI FakeGetErrorText(MMRESULT code, LPSTR text, UINT chars) {
  FakeSystem::WaveCall& call = Record("waveInGetErrorTextA");
  call.ErrorCode = code;
  call.Size = chars;
  FakeSystem& fake = FakeSystem::Current();
  if (fake.ErrorTextResult != MMSYSERR_NOERROR) {
    return fake.ErrorTextResult;
  }
  if (fake.ErrorTextUnterminated) {
    std::memset(text, 'x', chars);
    return MMSYSERR_NOERROR;
  }
  const auto found = fake.ErrorTexts.find(code);
  const std::string message =
      found != fake.ErrorTexts.end() ? found->second : "fake error " + std::to_string(code);
  const size_t length = std::min<size_t>(message.size(), chars - 1);
  std::memcpy(text, message.data(), length);
  text[length] = '\0';
  return MMSYSERR_NOERROR;
}

int WINAPI FakeMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style, WORD language) {
  FakeSystem& fake = FakeSystem::Current();
  fake.Calls.push_back("MessageBoxExA");
  fake.Boxes.push_back({owner, text, caption, style, language, {}});
  if (fake.OnBox) fake.OnBox();
  return IDOK;
}

int WINAPI FakeWideMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style,
                              WORD language) {
  FakeSystem& fake = FakeSystem::Current();
  fake.Calls.push_back("MessageBoxExW");
  const std::wstring wideCaption(caption);
  fake.Boxes.push_back({owner, {}, std::string(wideCaption.begin(), wideCaption.end()), style,
                        language, text});
  if (fake.OnBox) fake.OnBox();
  return IDOK;
}

int NextHandle = 0x1000;

HGLOBAL WINAPI FakeGlobalAlloc(UINT flags, SIZE_T bytes) {
  FakeSystem& fake = FakeSystem::Current();
  fake.Calls.push_back("GlobalAlloc");
  const int number = static_cast<int>(
      std::count(fake.Calls.begin(), fake.Calls.end(), std::string("GlobalAlloc")));
  if (number == fake.FailingAllocation) {
    return nullptr;
  }
  const HGLOBAL handle = reinterpret_cast<HGLOBAL>(static_cast<intptr_t>(NextHandle += 16));
  FakeSystem::GlobalBlock& block = fake.Blocks[handle];
  block.Bytes.reset(new uint8_t[bytes]);
  std::memset(block.Bytes.get(), fake.FreshMemoryByte, bytes);
  block.Size = bytes;
  block.Flags = flags;
  return handle;
}

FakeSystem::GlobalBlock& LiveBlock(HGLOBAL handle) {
  const auto found = FakeSystem::Current().Blocks.find(handle);
  if (found == FakeSystem::Current().Blocks.end() || found->second.Freed) {
    throw std::logic_error("global memory call on a block that is not allocated");
  }
  return found->second;
}

LPVOID WINAPI FakeGlobalLock(HGLOBAL handle) {
  FakeSystem& fake = FakeSystem::Current();
  fake.Calls.push_back("GlobalLock");
  const int number =
      static_cast<int>(std::count(fake.Calls.begin(), fake.Calls.end(), std::string("GlobalLock")));
  FakeSystem::GlobalBlock& block = LiveBlock(handle);
  if (number == fake.FailingLock) {
    return nullptr;
  }
  ++block.LockCount;
  return block.Bytes.get();
}

BOOL WINAPI FakeGlobalUnlock(HGLOBAL handle) {
  FakeSystem::Current().Calls.push_back("GlobalUnlock");
  FakeSystem::GlobalBlock& block = LiveBlock(handle);
  if (block.LockCount == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  --block.LockCount;
  return block.LockCount > 0;
}

HGLOBAL WINAPI FakeGlobalFree(HGLOBAL handle) {
  FakeSystem& fake = FakeSystem::Current();
  fake.Calls.push_back("GlobalFree");
  FakeSystem::GlobalBlock& block = LiveBlock(handle);
  fake.LockCountsAtFree.push_back(block.LockCount);
  block.Freed = true;
  return nullptr;
}

constexpr SystemApi kFakeCalls{
    &FakeGetNumDevs,
    &FakeGetDevCaps,
    &FakeOpen,
    &FakePrepare,
    &FakeAdd,
    &FakeStart,
    &FakeReset,
    &FakeUnprepare,
    &FakeClose,
    &FakeGetErrorText,
    &FakeMessageBox,
    &FakeWideMessageBox,
    &FakeGlobalAlloc,
    &FakeGlobalLock,
    &FakeGlobalUnlock,
    &FakeGlobalFree,
    &FakeQueryPerformanceCounter,
    &FakeQueryPerformanceFrequency,
};

}  // namespace

FakeSystem::FakeSystem() : CreatedAtTicks(GetTickCount()), Installed(kFakeCalls) {
  if (CurrentFake != nullptr) {
    throw std::logic_error("one FakeSystem at a time");
  }
  CurrentFake = this;
}

FakeSystem::~FakeSystem() {
  CurrentFake = nullptr;
}

FakeSystem& FakeSystem::Current() {
  return *CurrentFake;
}

void FakeSystem::UseRealWaveInput() {
  const SystemApi& real = RealSystemCalls();
  SystemApi& calls = SystemCalls();
  calls.waveInGetNumDevs = real.waveInGetNumDevs;
  calls.waveInGetDevCapsA = real.waveInGetDevCapsA;
  calls.waveInOpen = real.waveInOpen;
  calls.waveInPrepareHeader = real.waveInPrepareHeader;
  calls.waveInAddBuffer = real.waveInAddBuffer;
  calls.waveInStart = real.waveInStart;
  calls.waveInReset = real.waveInReset;
  calls.waveInUnprepareHeader = real.waveInUnprepareHeader;
  calls.waveInClose = real.waveInClose;
  calls.waveInGetErrorTextA = real.waveInGetErrorTextA;
  calls.QueryPerformanceCounter = real.QueryPerformanceCounter;
  calls.QueryPerformanceFrequency = real.QueryPerformanceFrequency;
}

std::vector<std::string> FakeSystem::WaveCallNames() const {
  std::vector<std::string> names;
  for (const WaveCall& call : WaveCalls) {
    names.push_back(call.Function);
  }
  return names;
}

int FakeSystem::LiveBlocks() const {
  return static_cast<int>(std::count_if(Blocks.begin(), Blocks.end(),
                                        [](const auto& entry) { return !entry.second.Freed; }));
}

bool FakeSystem::ReturnCapture(int32_t recordedFrames,
                               const std::function<void(int16_t*, int32_t)>& fill) {
  if (!QueuedHeader || !CallbackWindow) return false;
  WAVEHDR* header = QueuedHeader;
  QueuedHeader = nullptr;
  const int32_t capacity = static_cast<int32_t>(header->dwBufferLength / kBytesPerFrame);
  const int32_t frames = std::min(recordedFrames, capacity);
  ClockUs += static_cast<int64_t>(ReturnAfterShare * capacity * kFakeClockTicksPerSecond / 44100);
  if (fill) fill(reinterpret_cast<int16_t*>(header->lpData), frames);
  header->dwBytesRecorded = static_cast<DWORD>(frames) * kBytesPerFrame;
  header->dwFlags |= WHDR_DONE;
  ++CapturesReturned;
  PostMessageA(CallbackWindow, MM_WIM_DATA, reinterpret_cast<WPARAM>(OpenedHandle),
               reinterpret_cast<LPARAM>(header));
  return true;
}

int32_t FakeSystem::QueuedFrames() const {
  return QueuedHeader ? static_cast<int32_t>(QueuedHeader->dwBufferLength / kBytesPerFrame) : 0;
}
