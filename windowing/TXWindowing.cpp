#include "windowing/TXWindowing.h"

#include <windows.h>

#include <cstdio>

void ThrowLastWindowsError(const char* operation) {
  const DWORD code = GetLastError();
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  char message[384];
  std::snprintf(message, sizeof message, "Error[window]: %s failed (%lu) %s", operation,
                static_cast<unsigned long>(code), text);
  throw TXWindowing(message);
}
