#include "windowing/ProgramText.h"

#include <windows.h>

namespace {

constexpr UINT kWindows1252 = 1252;

}  // namespace

std::wstring WideProgramText(std::string_view windows1252) {
  if (windows1252.empty()) return {};
  const int length = static_cast<int>(windows1252.size());
  const int chars = MultiByteToWideChar(kWindows1252, 0, windows1252.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(kWindows1252, 0, windows1252.data(), length, wide.data(), chars);
  return wide;
}
