#include <gtest/gtest.h>

#include "tests/windowing/ProbeWindows.h"

namespace {

constexpr UINT kBaseMessage = WM_USER + 1;
constexpr UINT kDerivedMessage = WM_USER + 2;
constexpr UINT kUnhandledMessage = WM_USER + 3;
constexpr UINT kSharedCommand = 10;
constexpr UINT kBaseCommand = 11;
constexpr UINT kGroupCommandA = 20;
constexpr UINT kGroupCommandB = 21;
constexpr UINT kRangeFirst = 30;
constexpr UINT kRangeLast = 33;

// Commands that a list outside the class names: here the odd ones of the forties.
bool IsOddForty(UINT command) {
  return command / 10 == 4 && command % 2 == 1;
}

class TBaseProbe : public TProbeWindow {
 public:
  using TProbeWindow::TProbeWindow;
  DECLARE_RESPONSE_TABLE();

 public:
  LRESULT EvBase() {
    Log.push_back("base message");
    return 41;
  }
  void CmShared() { Log.push_back("base shared"); }
  void CmBase() { Log.push_back("base command"); }
  void SizeChanged(UINT type, SIZE size) {
    Log.push_back("size " + std::to_string(type) + " " + std::to_string(size.cx) + "x" +
                  std::to_string(size.cy));
  }
};

const TResponseEntry TBaseProbe::Rows[] = {
    Row::Message<TBaseProbe, &TBaseProbe::EvBase>(kBaseMessage),
    Row::Command<TBaseProbe, &TBaseProbe::CmShared>(kSharedCommand),
    Row::Command<TBaseProbe, &TBaseProbe::CmBase>(kBaseCommand),
    Row::Size<TBaseProbe, &TBaseProbe::SizeChanged>(),
};
const TResponseTable TBaseProbe::Table{&TWindow::Table, TBaseProbe::Rows};

class TDerivedProbe : public TBaseProbe {
 public:
  using TBaseProbe::TBaseProbe;
  DECLARE_RESPONSE_TABLE();

 public:
  LRESULT EvDerived() {
    Log.push_back("derived message");
    return 42;
  }
  void CmShared() { Log.push_back("derived shared"); }
  void CmGroup(UINT id) { Log.push_back("group " + std::to_string(id)); }
};

const TResponseEntry TDerivedProbe::Rows[] = {
    Row::Message<TDerivedProbe, &TDerivedProbe::EvDerived>(kDerivedMessage),
    Row::Command<TDerivedProbe, &TDerivedProbe::CmShared>(kSharedCommand),
    Row::CommandWithId<TDerivedProbe, &TDerivedProbe::CmGroup>(kGroupCommandA),
    Row::CommandWithId<TDerivedProbe, &TDerivedProbe::CmGroup>(kGroupCommandB),
    Row::CommandRange<TDerivedProbe, &TDerivedProbe::CmGroup>(kRangeFirst, kRangeLast),
    Row::CommandsAccepted<TDerivedProbe, &TDerivedProbe::CmGroup>(&IsOddForty),
};
const TResponseTable TDerivedProbe::Table{&TBaseProbe::Table, TDerivedProbe::Rows};

class ResponseTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Probe = new TDerivedProbe(&Host);
    Host.Create();
    Probe->Log.clear();
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(Probe->GetHandle(), message, wParam, lParam);
  }

  THostWindow Host;
  TDerivedProbe* Probe;  // owned by Host
};

TEST_F(ResponseTableTest, OwnRowsComeFirstThenTheBaseTable) {
  EXPECT_EQ(Send(kDerivedMessage), 42);
  EXPECT_EQ(Send(kBaseMessage), 41);
  Send(WM_COMMAND, kSharedCommand);
  Send(WM_COMMAND, kBaseCommand);
  EXPECT_EQ(Probe->Log, (std::vector<std::string>{"derived message", "base message",
                                                  "derived shared", "base command"}));
}

// An accelerator's command has 1 in the high word, a control's its notification.
TEST_F(ResponseTableTest, CommandRowsReceiveTheirIdAndUnknownOnesGoToDefaultProcessing) {
  Send(WM_COMMAND, MAKEWPARAM(kRangeLast, 1));
  Send(WM_COMMAND, MAKEWPARAM(41, BN_CLICKED));
  Send(WM_COMMAND, kGroupCommandB);
  Send(WM_COMMAND, kGroupCommandA);
  for (UINT command = kRangeFirst - 1; command <= kRangeLast + 1; ++command)
    Send(WM_COMMAND, command);
  for (UINT command = 40; command <= 43; ++command) Send(WM_COMMAND, command);
  Send(WM_COMMAND, 99);
  Send(WM_COMMAND, kBaseCommand);  // the accepting row takes no command it declines
  EXPECT_EQ(Send(kUnhandledMessage), 0);
  EXPECT_EQ(Probe->Log,
            (std::vector<std::string>{"group 33", "group 41", "group 21", "group 20", "group 30", "group 31", "group 32",
                                      "group 33", "group 41", "group 43", "base command"}));
}

TEST_F(ResponseTableTest, SizeMessagesArriveUnpacked) {
  SetWindowPos(Probe->GetHandle(), nullptr, 0, 0, 123, 45, SWP_NOZORDER | SWP_NOMOVE);
  Send(WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(7, 9));
  ASSERT_EQ(Probe->Log.size(), 2u);
  EXPECT_EQ(Probe->Log[0], "size 0 123x45");
  EXPECT_EQ(Probe->Log[1], "size 1 7x9");
}

}  // namespace
