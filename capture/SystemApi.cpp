#include "capture/SystemApi.h"

const SystemApi& RealSystemCalls() {
  static const SystemApi real{
      &::waveInGetNumDevs,
      &::waveInGetDevCapsA,
      &::waveInOpen,
      &::waveInPrepareHeader,
      &::waveInAddBuffer,
      &::waveInStart,
      &::waveInReset,
      &::waveInUnprepareHeader,
      &::waveInClose,
      &::waveInGetErrorTextA,
      &::MessageBoxExA,
      &::MessageBoxExW,
      &::GlobalAlloc,
      &::GlobalLock,
      &::GlobalUnlock,
      &::GlobalFree,
      &::QueryPerformanceCounter,
      &::QueryPerformanceFrequency,
  };
  return real;
}

SystemApi& SystemCalls() {
  // Made on first use, so that it is ready for any caller, also during the
  // construction of other process-wide objects.
  static SystemApi current = RealSystemCalls();
  return current;
}
