#include "shell/FreloxMain.h"
#include "tests/shell/ShellFixture.h"
#include "windowing/TApplication.h"

namespace {

constexpr UINT_PTR kScriptTimerId = 77;
constexpr UINT kScriptTickMs = 20;

// Drives a whole run of the program from a timer inside its message loop.
std::function<void()> Script;
void CALLBACK RunScript(HWND, UINT, UINT_PTR, DWORD) {
  if (Script) Script();
}

HWND MainWindow() {
  TApplication* app = TApplication::Current();
  return app && app->GetMainWindow() ? app->GetMainWindow()->GetHandle() : nullptr;
}

TEST_F(ShellTest, ExitCommandEndsWithOneOnlyWhenTheOutstandingBufferReturns) {
  int tick = 0;
  bool stillOpenAfterExit = false;
  char caption[32] = "";
  Script = [&] {
    const HWND frame = MainWindow();
    if (!frame) return;
    ++tick;
    if (tick == 1) {
      GetWindowTextA(frame, caption, sizeof caption);
      SendMessageA(frame, WM_COMMAND, CMD_EXIT, 0);
      SendMessageA(frame, WM_CLOSE, 0, 0);  // the close box after the exit command
    } else if (tick == 5) {
      stillOpenAfterExit = IsWindow(frame) && Fake.QueuedHeader != nullptr;
      Fake.ReturnCapture(Fake.QueuedFrames());
    }
  };
  const UINT_PTR timer = SetTimer(nullptr, kScriptTimerId, kScriptTickMs, &RunScript);
  const int result = FreloxMain({});
  KillTimer(nullptr, timer);
  Script = nullptr;
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(stillOpenAfterExit);
  EXPECT_STREQ(caption, "Frelox");
  EXPECT_EQ(Fake.CapturesQueued, 1);
  EXPECT_EQ(Fake.LiveBlocks(), 0);
}

TEST_F(ShellTest, TheExceptionBoxStaysOpenWhenTheQuitMessageWasPostedBeforeIt) {
  Build();
  Frame().CanClose();
  Fake.ReturnCapture(Fake.QueuedFrames());  // its return posts the quit message
  PostMessageA(Frame().GetHandle(), TTestApp::kThrowMessage, 0, 0);
  int quitWhileBoxOpen = kNoQuit;
  App->OnExceptionBox = [&] {
    PumpMessagesUntil(nullptr, 4 * CaptureDriver::kQuitRepeatMs, &quitWhileBoxOpen);
  };
  EXPECT_EQ(App->Run(), TApplication::kExceptionExitCode);
  EXPECT_EQ(App->ExceptionBoxes, (std::vector<std::string>{"thrown in the loop"}));
  EXPECT_EQ(quitWhileBoxOpen, kNoQuit);
}

TEST_F(ShellTest, AboutBoxIsModalWhileMeasurementGoesOnAndChangesNothing) {
  AutoReturn = true;
  Build();
  const int capturesBefore = Fake.CapturesQueued;
  int capturesWhileOpen = 0;
  HWND about = nullptr;
  Script = [&] {
    about = GetLastActivePopup(Frame().GetHandle());
    if (about == Frame().GetHandle()) return;
    if (Fake.CapturesQueued >= capturesBefore + 3) {
      capturesWhileOpen = Fake.CapturesQueued - capturesBefore;
      EXPECT_FALSE(IsWindowEnabled(Frame().GetHandle()));  // modal: the owner is disabled
      PostMessageA(about, WM_COMMAND, IDOK, 0);
    }
  };
  Write(Settings.IntervalMs, 50);
  const UINT_PTR timer = SetTimer(nullptr, kScriptTimerId, kScriptTickMs, &RunScript);
  Command(CMD_ABOUT);  // returns when the box has been closed
  KillTimer(nullptr, timer);
  Script = nullptr;
  EXPECT_GE(capturesWhileOpen, 3);
  EXPECT_TRUE(IsWindowEnabled(Frame().GetHandle()));
  EXPECT_EQ(Read(Settings.IntervalMs), 50);
  EXPECT_EQ(Read(Settings.FftSize), 2048);
  EXPECT_TRUE(Checked(CMD_CHANNEL_BOTH));
}

}  // namespace
