#pragma once

#include <windows.h>

#include <string>

// Modal message boxes with an OK button. They return when the user has
// dismissed them. GUI thread only.

// Caption "Error", stop-sign icon, without an owner window: for failures of
// the device, which may come while no window of the program can own a box.
void ShowError(const char* text);

// Caption "Info", information icon, without an owner window.
void ShowInfo(const char* text);

// Caption "Error", stop-sign icon, owned by `owner` (the window whose
// command failed), which is disabled while it is open and stays behind it.
// The text is UTF-16, so that it can name any path.
void ShowError(HWND owner, const std::wstring& text);
