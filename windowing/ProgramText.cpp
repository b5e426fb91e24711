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

namespace {

std::string Narrow(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const char* missing = codePage == CP_UTF8 ? nullptr : "?";
  const int bytes =
      WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, missing, nullptr);
  std::string narrow(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0)
    WideCharToMultiByte(codePage, 0, wide.data(), length, narrow.data(), bytes, missing, nullptr);
  return narrow;
}

}  // namespace

std::string ProgramTextFromWide(std::wstring_view wide) {
  return Narrow(kWindows1252, wide);
}

std::string Utf8FromWide(std::wstring_view wide) {
  return Narrow(CP_UTF8, wide);
}

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int length = static_cast<int>(utf8.size());
  const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(chars > 0 ? chars : 0), L'\0');
  if (chars > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), chars);
  return wide;
}
