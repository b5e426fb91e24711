#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/windowing/ProbeWindows.h"
#include "windowing/TApplication.h"
#include "windowing/TDecoratedFrame.h"
#include "windowing/TXWindowing.h"

namespace {

constexpr UINT kThrowMessage = WM_USER + 10;
constexpr UINT kQuitMessage = WM_USER + 11;

// A client that can end the loop or throw from a handler when told to.
class TScriptedClient : public TProbeWindow {
 public:
  TScriptedClient() : TProbeWindow(nullptr, false) {}
  // Like a teardown that shows a box, whose loop dispatches a message.
  ~TScriptedClient() override {
    if (ThrowInTeardown) SendMessageA(GetHandle(), kThrowMessage, 0, 0);
  }
  bool ThrowInTeardown = false;
  DECLARE_RESPONSE_TABLE();

 public:
  LRESULT EvThrow() { throw TXWindowing("Error[probe]: handler failed"); }
  LRESULT EvQuit() {
    PostQuitMessage(1);
    return 0;
  }
};

const TResponseEntry TScriptedClient::Rows[] = {
    Row::Message<TScriptedClient, &TScriptedClient::EvThrow>(kThrowMessage),
    Row::Message<TScriptedClient, &TScriptedClient::EvQuit>(kQuitMessage),
};
const TResponseTable TScriptedClient::Table{&TWindow::Table, TScriptedClient::Rows};

enum class Script { PostQuit, ThrowInHandler, ThrowInMainWindowStep, ThrowNonStandard };

class TProbeApp : public TApplication {
 public:
  explicit TProbeApp(Script script) : Action(script) {}

  std::vector<std::string> Boxes;
  TScriptedClient* Client = nullptr;

 protected:
  void InitMainWindow() override {
    if (Action == Script::ThrowInMainWindowStep) throw TXWindowing("Error[probe]: no window");
    if (Action == Script::ThrowNonStandard) throw 42;
    Client = new TScriptedClient;
    SetMainWindow(new TDecoratedFrame(nullptr, "Probe", Client));
  }
  void InitInstance() override {
    TApplication::InitInstance();
    const UINT message = Action == Script::PostQuit ? kQuitMessage : kThrowMessage;
    PostMessageA(Client->GetHandle(), message, 0, 0);
  }
  void ShowUnhandledException(const char* text) override { Boxes.push_back(text); }

 private:
  Script Action;
};

TEST(ApplicationRun, EndsWithTheQuitMessagesCode) {
  TProbeApp app(Script::PostQuit);
  EXPECT_EQ(app.Run(), 1);
  EXPECT_TRUE(app.Boxes.empty());
  EXPECT_TRUE(IsWindow(app.GetMainWindow()->GetHandle()));  // destroyed with the app
}

TEST(ApplicationRun, AnExceptionFromAHandlerEndsTheRunWithMinusOne) {
  TProbeApp app(Script::ThrowInHandler);
  EXPECT_EQ(app.Run(), TApplication::kExceptionExitCode);
  EXPECT_EQ(app.Boxes, (std::vector<std::string>{"Error[probe]: handler failed"}));
}

TEST(ApplicationRun, AnExceptionInTheMainWindowStepIsShownToo) {
  TProbeApp app(Script::ThrowInMainWindowStep);
  EXPECT_EQ(app.Run(), -1);
  EXPECT_EQ(app.Boxes, (std::vector<std::string>{"Error[probe]: no window"}));

  TProbeApp unknown(Script::ThrowNonStandard);
  EXPECT_EQ(unknown.Run(), -1);
  EXPECT_EQ(unknown.Boxes, (std::vector<std::string>{"Unknown Exception"}));
}

TEST(ApplicationRun, WhatAHandlerRaisesWhileTheWindowsAreDestroyedEscapesTheTeardown) {
  TProbeApp app(Script::PostQuit);
  EXPECT_EQ(app.Run(), 1);
  app.Client->ThrowInTeardown = true;
  EXPECT_THROW(app.DestroyMainWindow(), TXWindowing);
  EXPECT_EQ(app.GetMainWindow(), nullptr);
  EXPECT_NO_THROW(app.DestroyMainWindow());
}

TEST(ApplicationRun, CloseQuestionAsksTheMainWindowAndItsChildren) {
  TProbeApp app(Script::PostQuit);
  EXPECT_EQ(app.Run(), 1);
  EXPECT_FALSE(app.CanClose());
  const int checks = app.Client->CloseChecks;
  SendMessageA(app.GetMainWindow()->GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app.Client->CloseChecks, checks + 1);
  EXPECT_TRUE(IsWindow(app.GetMainWindow()->GetHandle()));
}

}  // namespace
