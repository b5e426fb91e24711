#include <string>

#include "settings/SettingsCodec.h"
#include "tests/shell/ShellFixture.h"
#include "windowing/TApplication.h"

namespace {

const UINT kAllItems[] = {
    CMD_CHANNEL_LEFT,   CMD_CHANNEL_RIGHT, CMD_CHANNEL_BOTH,   CMD_SHOW_MAXIMUM,
    CMD_SIZE_1024,      CMD_SIZE_2048,     CMD_SIZE_4096,      CMD_SIZE_8192,
    CMD_SIZE_16384,     CMD_SIZE_32768,    CMD_SIZE_65536,     CMD_SIZE_131072,
    CMD_SIZE_262144,    CMD_RATE_1,        CMD_RATE_2,         CMD_RATE_5,
    CMD_RATE_10,        CMD_RATE_20,       CMD_WINDOW_OFF,     CMD_WINDOW_TRIANGLE,
    CMD_WINDOW_HANNING, CMD_WINDOW_WELCH,  CMD_WINDOW_HAMMING, CMD_WINDOW_BLACKMAN,
    CMD_WINDOW_PARZEN,  CMD_AUTO_OFFSET,   CMD_ABOUT,          CMD_EXIT,
    CMD_SHOW_PEAKS,
};

// Legal choices, none of them a default.
StoredSettings Chosen() {
  StoredSettings chosen;
  chosen.Choice("FftSize") = 8192;
  chosen.Choice("Weighting") = 5;
  chosen.Choice("AutoOffset") = 0;
  chosen.Choice("IntervalMs") = 1000;
  chosen.Choice("ShowMaximum") = 0;
  chosen.Choice("Channels") = 1;  // the left one alone
  return chosen;
}

// Stored settings that cannot be read count as none: the first start's.
TEST_F(ShellTest, TheFrameStoresTheDefaultsWhateverTheSettingsHeld) {
  Write(Settings.FftSize, 65536);
  Write(Settings.Weighting, 5);
  Write(Settings.AutoOffset, 0);
  Write(Settings.IntervalMs, 1000);
  Settings.ShowMaximum = Settings.ShowLeft = Settings.ShowRight = 0;
  Settings.ShowPeaks = 1;
  SaveChoices(Stored, Chosen());
  Stored.Readable = Stored.Writable = false;
  Build();
  EXPECT_EQ(Read(Settings.FftSize), 2048);
  EXPECT_EQ(Read(Settings.Weighting), 2);
  EXPECT_EQ(Read(Settings.AutoOffset), 1);
  EXPECT_EQ(Read(Settings.IntervalMs), 200);
  EXPECT_EQ(Settings.ShowMaximum, 1);
  EXPECT_EQ(Settings.ShowLeft, 1);
  EXPECT_EQ(Settings.ShowRight, 1);
  EXPECT_EQ(Settings.ShowPeaks, 0);
  Command(CMD_SIZE_4096);
  EXPECT_EQ(Read(Settings.FftSize), 4096);
  EXPECT_TRUE(Fake.Boxes.empty());
}

TEST_F(ShellTest, StartTakesTheStoredSettingsWithTheirMarksAndMovesALostPlaceOnScreen) {
  SaveChoices(Stored, Chosen());
  SavePlacement(Stored, {{-4000, 50, -3400, 450}, false});  // on a monitor unplugged since
  Build();
  std::vector<UINT> checked;
  for (UINT item : kAllItems)
    if (Checked(item)) checked.push_back(item);
  EXPECT_EQ(checked,
            (std::vector<UINT>{CMD_CHANNEL_LEFT, CMD_SIZE_8192, CMD_RATE_1, CMD_WINDOW_BLACKMAN}));
  EXPECT_EQ(Fake.QueuedFrames(), 8192);
  RECT frame;
  GetWindowRect(Frame().GetHandle(), &frame);
  EXPECT_EQ(frame.left, 0);
  EXPECT_EQ(frame.right - frame.left, 600);
  EXPECT_EQ(frame.bottom - frame.top, 400);
  EXPECT_TRUE(IsWindowVisible(Frame().GetHandle()));
}

// A monitor with task bars at its left and top, its work area starting at
// (150, 60); the system's placement coordinates here are the screen's. A
// place whose title bar lies under the top bar moves down into the work area.
TEST_F(ShellTest, APlaceUnderATaskBarMovesIntoTheWorkAreaWhereverItsOriginIs) {
  const auto realAreas = TMainFrame::MonitorWorkAreas;
  TMainFrame::MonitorWorkAreas = [] { return std::vector<ScreenRect>{{150, 60, 1280, 1024}}; };
  SavePlacement(Stored, {{200, 5, 800, 405}, false});
  Build();
  TMainFrame::MonitorWorkAreas = realAreas;
  RECT frame;
  GetWindowRect(Frame().GetHandle(), &frame);
  EXPECT_EQ(frame.left, 200);
  EXPECT_EQ(frame.top, 60);
  EXPECT_EQ(frame.right - frame.left, 600);
  EXPECT_EQ(frame.bottom - frame.top, 400);
}

TEST_F(ShellTest, AMaximisedFrameStartsSoAndItsPlaceIsStoredAtTheEnd) {
  SavePlacement(Stored, {{100, 80, 740, 560}, true});
  Build();
  EXPECT_TRUE(IsZoomed(Frame().GetHandle()));
  ShowWindow(Frame().GetHandle(), SW_RESTORE);
  RECT frame;
  GetWindowRect(Frame().GetHandle(), &frame);
  EXPECT_EQ(frame.left, 100);
  EXPECT_EQ(frame.bottom, 560);
  SetWindowPos(Frame().GetHandle(), nullptr, 120, 90, 700, 500, SWP_NOZORDER);
  ShowWindow(Frame().GetHandle(), SW_MINIMIZE);
  App.reset();
  const StoredPlacement expected{{120, 90, 820, 590}, false};
  EXPECT_EQ(LoadSettings(Stored).Placement->Normal, expected.Normal);
  EXPECT_FALSE(LoadSettings(Stored).Placement->Maximized);
}

// The process may be ended once the session's end is answered, before the
// frame is destroyed: the place and the settings are stored then. A session
// that goes on stores nothing.
TEST_F(ShellTest, AnEndingSessionStoresThePlaceAndTheSettings) {
  Build();
  SetWindowPos(Frame().GetHandle(), nullptr, 120, 90, 700, 500, SWP_NOZORDER);
  Stored.Values.clear();
  SendMessageA(Frame().GetHandle(), WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(Stored.Values.empty());
  SendMessageA(Frame().GetHandle(), WM_ENDSESSION, TRUE, 0);
  ASSERT_TRUE(LoadSettings(Stored).Placement);
  EXPECT_EQ(LoadSettings(Stored).Placement->Normal, (ScreenRect{120, 90, 820, 590}));
  EXPECT_EQ(Stored.Values.count("FftSize"), 1u);
}

const StoredPlacement kMaximisedAt{{100, 80, 740, 560}, true};

// Started minimised, a frame that was maximised when the program last ended
// stays minimised; restored, it is maximised, and restored again it stands
// at its remembered place.
void ExpectMinimisedRestoringMaximised(HWND frame) {
  EXPECT_TRUE(IsIconic(frame));
  ShowWindow(frame, SW_RESTORE);
  EXPECT_TRUE(IsZoomed(frame));
  ShowWindow(frame, SW_RESTORE);
  RECT placed;
  GetWindowRect(frame, &placed);
  EXPECT_EQ(placed.left, kMaximisedAt.Normal.Left);
  EXPECT_EQ(placed.bottom, kMaximisedAt.Normal.Bottom);
}

// The show command the application passes to its frame, for one test.
class ScopedStartupShowCommand {
 public:
  explicit ScopedStartupShowCommand(int show) { TApplication::RecordStartup(nullptr, "", show); }
  ~ScopedStartupShowCommand() { TApplication::RecordStartup(nullptr, "", SW_SHOWDEFAULT); }
};

TEST_F(ShellTest, AMinimisedStartKeepsARememberedMaximisedFrameMinimised) {
  for (const int show : {SW_SHOWMINIMIZED, SW_MINIMIZE, SW_SHOWMINNOACTIVE}) {
    SCOPED_TRACE("show command " + std::to_string(show));
    const ScopedStartupShowCommand startup(show);
    SavePlacement(Stored, kMaximisedAt);
    Build();
    ExpectMinimisedRestoringMaximised(Frame().GetHandle());
    App.reset();
  }
}

// Set for the child process that the next test starts minimised.
constexpr char kStartedMinimisedVariable[] = "FRELOX_TEST_STARTED_MINIMIZED";
constexpr DWORD kChildTimeoutMs = 60000;

TEST_F(ShellTest, StartedMinimisedChild) {
  if (!GetEnvironmentVariableA(kStartedMinimisedVariable, nullptr, 0))
    GTEST_SKIP() << "runs only in the process that the next test starts minimised";
  SavePlacement(Stored, kMaximisedAt);
  Build();
  ExpectMinimisedRestoringMaximised(Frame().GetHandle());
}

// A shortcut's "Run: Minimized" reaches the program only through its start-up
// information: the entry point passes SW_SHOWDEFAULT on.
TEST_F(ShellTest, AStartMinimisedThroughTheStartupInformationIsHonoured) {
  char exe[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(nullptr, exe, MAX_PATH), 0u);
  std::string commandLine =
      std::string("\"") + exe + "\" --gtest_filter=ShellTest.StartedMinimisedChild";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINNOACTIVE;
  PROCESS_INFORMATION child = {};
  SetEnvironmentVariableA(kStartedMinimisedVariable, "1");
  const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableA(kStartedMinimisedVariable, nullptr);
  ASSERT_TRUE(started);
  EXPECT_EQ(WaitForSingleObject(child.hProcess, kChildTimeoutMs), WAIT_OBJECT_0);
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(child.hProcess, &exitCode);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  EXPECT_EQ(exitCode, 0u);
}

TEST_F(ShellTest, StartChecksExactlyTheSixDefaultItemsAndQueuesTwoThousandFrames) {
  Build();
  std::vector<UINT> checked;
  for (UINT item : kAllItems)
    if (Checked(item)) checked.push_back(item);
  EXPECT_EQ(checked, (std::vector<UINT>{CMD_CHANNEL_BOTH, CMD_SHOW_MAXIMUM, CMD_SIZE_2048,
                                        CMD_RATE_5, CMD_WINDOW_HANNING, CMD_AUTO_OFFSET}));
  EXPECT_EQ(Fake.CapturesQueued, 1);
  EXPECT_EQ(Fake.QueuedFrames(), 2048);
  EXPECT_TRUE(App->Measuring().Capture().IsStarted());
}

// With several inputs the "Info" box names device 0 while the view's set-up
// opens it: no empty frame may stand behind it.
TEST_F(ShellTest, TheFrameIsShownOnlyOnceTheDeviceIsOpen) {
  Fake.DeviceCount = 2;
  bool visibleDuringBox = true;
  Fake.OnBox = [&] { visibleDuringBox = IsWindowVisible(App->GetMainWindow()->GetHandle()); };
  Build();
  ASSERT_EQ(Fake.Boxes.size(), 1u);
  EXPECT_EQ(Fake.Boxes[0].Caption, "Info");
  EXPECT_FALSE(visibleDuringBox);
  EXPECT_TRUE(IsWindowVisible(Frame().GetHandle()));
  EXPECT_EQ(Fake.CapturesQueued, 1);
}

TEST_F(ShellTest, WindowsAreNestedAndPlacedAsTheAxisFrameNeeds) {
  Build();
  char caption[32];
  GetWindowTextA(Frame().GetHandle(), caption, sizeof caption);
  EXPECT_STREQ(caption, "Frelox");
  EXPECT_EQ(GetParent(View().GetHandle()), Client().GetHandle());
  EXPECT_FALSE(GetWindowLongA(Client().GetHandle(), GWL_STYLE) & WS_CLIPCHILDREN);
  SetWindowPos(Frame().GetHandle(), nullptr, 0, 0, 800, 500, SWP_NOZORDER | SWP_NOMOVE);
  RECT client, view;
  GetClientRect(Client().GetHandle(), &client);
  GetWindowRect(View().GetHandle(), &view);
  MapWindowPoints(nullptr, Client().GetHandle(), reinterpret_cast<POINT*>(&view), 2);
  EXPECT_EQ(view.left, 40);
  EXPECT_EQ(view.top, 10);
  EXPECT_EQ(view.right, client.right - 1);
  EXPECT_EQ(view.bottom, client.bottom - 21);

  // Minimised, the view keeps its place and scales, also for a new spectrum.
  View().Rescale(false);
  const int32_t width = View().Geometry().ViewWidth();
  const int32_t height = View().Geometry().ViewHeight();
  ShowWindow(Frame().GetHandle(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(Frame().GetHandle()));
  Fake.ReturnCapture(Fake.QueuedFrames());
  ASSERT_TRUE(PumpUntil([&] { return View().ShownSize() == 2048; }));
  for (const int show : {SW_MINIMIZE, SW_RESTORE}) {
    ShowWindow(Frame().GetHandle(), show);
    RECT placed;
    GetClientRect(View().GetHandle(), &placed);
    EXPECT_EQ(placed.right, width) << show;
    EXPECT_EQ(placed.bottom, height) << show;
    EXPECT_EQ(View().Geometry().ViewWidth(), width) << show;
    EXPECT_EQ(View().Geometry().ViewHeight(), height) << show;
  }
}

TEST_F(ShellTest, TheFrameShowsTheProgramsIconInBothSizes) {
  Build();
  const HWND frame = Frame().GetHandle();
  const HICON standard = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  const auto big = reinterpret_cast<HICON>(SendMessageA(frame, WM_GETICON, ICON_BIG, 0));
  const auto small = reinterpret_cast<HICON>(SendMessageA(frame, WM_GETICON, ICON_SMALL, 0));
  const auto drag = reinterpret_cast<HICON>(SendMessageA(frame, WM_QUERYDRAGICON, 0, 0));
  EXPECT_NE(big, nullptr);
  EXPECT_NE(big, standard);
  EXPECT_EQ(drag, big);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(small, &info));
  BITMAP mask{};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, GetSystemMetrics(SM_CXSMICON));
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}

// The input chosen last is measured from the start, found by its name; one
// that is gone gives device 0, named in the "Info" box even when alone.
TEST_F(ShellTest, TheRememberedInputIsMeasuredFromTheStartOrDevice0NamedIfItIsGone) {
  struct Case {
    const char* Name;  // remembered, with its number
    int32_t Number;
    std::vector<std::string> Devices;
    UINT Opened;
    std::vector<std::string> Boxes;
  };
  const Case cases[] = {
      {"USB", 1, {"Mic", "USB"}, 1, {"Using USB."}},
      {"USB", 0, {"Line", "Mic", "USB"}, 2, {"Using USB."}},  // moved since
      {"USB", 1, {"Mic"}, 0, {"Using Mic."}},                 // gone
      {"", 0, {"Mic"}, 0, {}},
  };
  for (const Case& c : cases) {
    StoredSettings stored;
    stored.Input.Name = c.Name;
    stored.Input.NumberHint = c.Number;
    SaveChoices(Stored, stored);
    Fake.DeviceNames = c.Devices;
    Fake.DeviceCount = static_cast<UINT>(c.Devices.size());
    Fake.Boxes.clear();
    Build();
    EXPECT_EQ(App->Measuring().Capture().OpenInput(), static_cast<int32_t>(c.Opened)) << c.Name;
    std::vector<std::string> boxes;
    for (const auto& box : Fake.Boxes) boxes.push_back(box.Text);
    EXPECT_EQ(boxes, c.Boxes);
    App.reset();
  }
}

TEST_F(ShellTest, AWindowThatCannotBeCreatedEndsTheRunWithMinusOne) {
  class TBrokenApp : public TTestApp {
   public:
    using TTestApp::TTestApp;

   protected:
    void InitMainWindow() override {
      TTestApp::InitMainWindow();
      GetMainWindow()->AssignMenu(4711);  // no such menu: the frame cannot be created
    }
  } app(Stored);
  EXPECT_EQ(app.Run(), -1);
  ASSERT_EQ(app.ExceptionBoxes.size(), 1u);
  EXPECT_NE(app.ExceptionBoxes[0].find("LoadMenu"), std::string::npos);
}

}  // namespace
