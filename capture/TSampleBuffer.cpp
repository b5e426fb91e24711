#include "capture/TSampleBuffer.h"

#include <cstring>

#include "capture/CaptureFormat.h"

namespace {

// The lock count of a global memory block has eight bits, so no block needs
// more unlocks than this before it is unlocked.
constexpr int kMaxUnlocks = 256;

// Allocates and locks a movable block of `bytes`; null handle and pointer if
// either step fails (nothing is left allocated then).
void* AllocateLocked(SIZE_T bytes, HGLOBAL& memory) {
  const SystemApi& api = SystemCalls();
  memory = api.GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) {
    return nullptr;
  }
  void* address = api.GlobalLock(memory);
  if (address == nullptr) {
    api.GlobalFree(memory);
    memory = nullptr;
  }
  return address;
}

// Unlocks until the platform reports the block unlocked, then frees it.
void UnlockAndFree(HGLOBAL& memory) {
  if (memory == nullptr) {
    return;
  }
  const SystemApi& api = SystemCalls();
  for (int unlocks = 0; unlocks < kMaxUnlocks && api.GlobalUnlock(memory); ++unlocks) {
  }
  api.GlobalFree(memory);
  memory = nullptr;
}

}  // namespace

TSampleBuffer::TSampleBuffer() {
  Allocate();
}

TSampleBuffer::~TSampleBuffer() {
  if (!Abandoned) {
    Release();
  }
}

void TSampleBuffer::Allocate() {
  Header = static_cast<WAVEHDR*>(AllocateLocked(sizeof(WAVEHDR), HeaderMemory));
  if (Header == nullptr) {
    return;
  }
  Samples = static_cast<int16_t*>(AllocateLocked(kSampleBlockBytes, SampleMemory));
  if (Samples == nullptr) {
    Release();
    return;
  }
  std::memset(Samples, 0, kSampleBlockBytes);
  *Header = WAVEHDR{};
  Header->lpData = reinterpret_cast<LPSTR>(Samples);
  Header->dwBufferLength = kSampleBlockBytes;
  Header->dwFlags = 0;
}

void TSampleBuffer::Release() {
  UnlockAndFree(HeaderMemory);
  UnlockAndFree(SampleMemory);
  Header = nullptr;
  Samples = nullptr;
}
