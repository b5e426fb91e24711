#include <gtest/gtest.h>

#include "tests/windowing/ProbeWindows.h"
#include "windowing/TDecoratedFrame.h"

namespace {

constexpr int kMissingIconGroup = 999;

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Client = new TProbeWindow(nullptr, false);
    Frame = std::make_unique<TDecoratedFrame>(nullptr, "Probe frame", Client);
    Frame->SetIcon(kMissingIconGroup);
    Frame->Create();
    CreatedVisible = IsWindowVisible(Frame->GetHandle());
    ShowWindow(Frame->GetHandle(), SW_SHOW);
    Pump();
  }
  // Lets posted messages arrive.
  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }

  bool CreatedVisible = true;
  TProbeWindow* Client;  // owned by Frame
  std::unique_ptr<TDecoratedFrame> Frame;
};

TEST_F(FrameTest, HasTheFrameStylesAndTheClientFillsItsClientArea) {
  const LONG style = GetWindowLongA(Frame->GetHandle(), GWL_STYLE);
  EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  EXPECT_FALSE(CreatedVisible);  // shown by its owner when its set-up is done
  char title[64];
  GetWindowTextA(Frame->GetHandle(), title, sizeof title);
  EXPECT_STREQ(title, "Probe frame");
  EXPECT_EQ(GetClassLongPtrA(Frame->GetHandle(), GCLP_HICON), 0);

  SetWindowPos(Frame->GetHandle(), nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE);
  RECT frameArea, clientArea;
  GetClientRect(Frame->GetHandle(), &frameArea);
  GetClientRect(Client->GetHandle(), &clientArea);
  EXPECT_EQ(clientArea.right, frameArea.right);
  EXPECT_EQ(clientArea.bottom, frameArea.bottom);
}

TEST_F(FrameTest, CloseBoxAndExitCommandAreTheSameCloseRequest) {
  SendMessageA(Frame->GetHandle(), WM_CLOSE, 0, 0);
  SendMessageA(Frame->GetHandle(), WM_COMMAND, TFrameWindow::kExitCommand, 0);
  EXPECT_EQ(Client->CloseChecks, 2);
  EXPECT_TRUE(IsWindow(Frame->GetHandle()));

  Client->MayClose = true;
  SendMessageA(Frame->GetHandle(), WM_COMMAND, TFrameWindow::kExitCommand, 0);
  EXPECT_EQ(Frame->GetHandle(), nullptr);
}

TEST_F(FrameTest, EndOfSessionQuestionIsAnsweredByTheCloseCheck) {
  EXPECT_EQ(SendMessageA(Frame->GetHandle(), WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_EQ(Client->CloseChecks, 1);
  Client->MayClose = true;
  EXPECT_EQ(SendMessageA(Frame->GetHandle(), WM_QUERYENDSESSION, 0, 0), TRUE);
}

TEST_F(FrameTest, IconsFallBackToTheSystemIconWithoutAResource) {
  const HICON standard = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  const HWND frame = Frame->GetHandle();
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(frame, WM_QUERYDRAGICON, 0, 0)), standard);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(frame, WM_GETICON, ICON_BIG, 0)), standard);
  EXPECT_NE(SendMessageA(frame, WM_GETICON, ICON_SMALL, 0), 0);
}

// A window deep inside the frame that records the power events it hears.
class TPowerProbe : public TWindow {
 public:
  explicit TPowerProbe(TWindow* parent) : TWindow(parent) {}
  std::vector<UINT> Heard;
  DECLARE_RESPONSE_TABLE();

 private:
  void PowerEvent(UINT powerEvent) { Heard.push_back(powerEvent); }
};
const TResponseEntry TPowerProbe::Rows[] = {
    Row::PowerBroadcast<TPowerProbe, &TPowerProbe::PowerEvent>(),
};
const TResponseTable TPowerProbe::Table{&TWindow::Table, TPowerProbe::Rows};

// The system tells only top-level windows that it sleeps or wakes.
TEST(FramePowerTest, SleepAndWakeReachTheWindowsInsideTheFrame) {
  auto* client = new TProbeWindow(nullptr);
  auto* probe = new TPowerProbe(client);
  TDecoratedFrame frame(nullptr, "Power frame", client);
  frame.Create();
  EXPECT_EQ(SendMessageA(frame.GetHandle(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0), TRUE);
  SendMessageA(frame.GetHandle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_EQ(probe->Heard, (std::vector<UINT>{PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC}));
}

}  // namespace
