#include "capture/MessageBoxes.h"

#include "capture/SystemApi.h"

namespace {

constexpr WORD kNeutralLanguage = 0;

void ShowBox(const char* text, const char* caption, UINT icon) {
  SystemCalls().MessageBoxExA(nullptr, text, caption, MB_OK | icon, kNeutralLanguage);
}

}  // namespace

void ShowError(const char* text) {
  ShowBox(text, "Error", MB_ICONHAND);
}

void ShowInfo(const char* text) {
  ShowBox(text, "Info", MB_ICONASTERISK);
}

void ShowError(HWND owner, const std::wstring& text) {
  SystemCalls().MessageBoxExW(owner, text.c_str(), L"Error", MB_OK | MB_ICONHAND,
                              kNeutralLanguage);
}
