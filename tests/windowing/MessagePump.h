#pragma once

#include <windows.h>

#include <functional>

// Dispatches the thread's messages until `done` holds, a WM_QUIT arrives (its
// code goes to *quitCode) or timeoutMs have passed. True when `done` held.
inline bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs, int* quitCode) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (done && done()) return true;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        *quitCode = static_cast<int>(message.wParam);
        return done && done();
      }
      DispatchMessageA(&message);
    }
    Sleep(1);
  }
  return false;
}
