#include <gtest/gtest.h>

#include "tests/windowing/ProbeWindows.h"
#include "windowing/TDialog.h"

namespace {

constexpr int kProbeDialog = 7;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMs = 50;

HWND FoundDialog = nullptr;
WPARAM CloseWith = IDOK;
int TicksWhileOpen = 0;

// Runs inside the dialog's modal loop: proves other messages are dispatched,
// then ends the dialog as a user would.
void CALLBACK CloseTheDialog(HWND, UINT, UINT_PTR, DWORD) {
  ++TicksWhileOpen;
  FoundDialog = FindWindowA(nullptr, "Probe dialog");
  if (FoundDialog && TicksWhileOpen >= 2) {
    if (CloseWith == WM_CLOSE)
      PostMessageA(FoundDialog, WM_CLOSE, 0, 0);
    else
      PostMessageA(FoundDialog, WM_COMMAND, CloseWith, 0);
  }
}

INT_PTR RunProbeDialog(WPARAM closeWith) {
  THostWindow owner;
  owner.Create();
  FoundDialog = nullptr;
  TicksWhileOpen = 0;
  CloseWith = closeWith;
  const UINT_PTR timer = SetTimer(nullptr, kTimerId, kTimerMs, &CloseTheDialog);
  TDialog dialog(&owner, kProbeDialog);
  const INT_PTR result = dialog.Execute();
  KillTimer(nullptr, timer);
  EXPECT_TRUE(FoundDialog != nullptr);
  EXPECT_FALSE(IsWindow(FoundDialog));
  EXPECT_TRUE(IsWindowEnabled(owner.GetHandle()));
  return result;
}

TEST(ModalDialog, RunsModallyWhileOtherMessagesAreDispatchedAndEndsByOk) {
  EXPECT_EQ(RunProbeDialog(IDOK), IDOK);
  EXPECT_GE(TicksWhileOpen, 2);
}

TEST(ModalDialog, EscapeAndTheCloseBoxEndItToo) {
  EXPECT_EQ(RunProbeDialog(IDCANCEL), IDCANCEL);
  EXPECT_EQ(RunProbeDialog(WM_CLOSE), IDCANCEL);
}

TEST(ModalDialog, AMissingResourceIsTheWindowingLayersError) {
  TDialog dialog(nullptr, 4711);
  EXPECT_ANY_THROW(dialog.Execute());
}

}  // namespace
