#pragma once

// Modal message boxes without an owner window, with an OK button. They return
// when the user has dismissed them. GUI thread only.

// Caption "Error", stop-sign icon.
void ShowError(const char* text);

// Caption "Info", information icon.
void ShowInfo(const char* text);
