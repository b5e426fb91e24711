#pragma once

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

// Every platform call of the capture subsystem goes through this table, so
// that tests can stand in for the sound device, the message boxes, the
// global memory and the clock that times captures. The calls reach WinMM and
// USER through import thunks, which no same-named function in a test could
// intercept.
//
// The product never changes the table: SystemCalls() holds the real functions
// until a ScopedSystemApi replaces them. GUI thread only.
struct SystemApi {
  decltype(&::waveInGetNumDevs) waveInGetNumDevs;
  decltype(&::waveInGetDevCapsA) waveInGetDevCapsA;
  decltype(&::waveInOpen) waveInOpen;
  decltype(&::waveInPrepareHeader) waveInPrepareHeader;
  decltype(&::waveInAddBuffer) waveInAddBuffer;
  decltype(&::waveInStart) waveInStart;
  decltype(&::waveInReset) waveInReset;
  decltype(&::waveInUnprepareHeader) waveInUnprepareHeader;
  decltype(&::waveInClose) waveInClose;
  decltype(&::waveInGetErrorTextA) waveInGetErrorTextA;
  decltype(&::MessageBoxExA) MessageBoxExA;
  decltype(&::MessageBoxExW) MessageBoxExW;
  decltype(&::GlobalAlloc) GlobalAlloc;
  decltype(&::GlobalLock) GlobalLock;
  decltype(&::GlobalUnlock) GlobalUnlock;
  decltype(&::GlobalFree) GlobalFree;
  decltype(&::QueryPerformanceCounter) QueryPerformanceCounter;
  decltype(&::QueryPerformanceFrequency) QueryPerformanceFrequency;
};

// The table in use, process-wide.
SystemApi& SystemCalls();

// The table of the real platform functions.
const SystemApi& RealSystemCalls();
