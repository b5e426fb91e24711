#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "analysis/MeasurementSettings.h"
#include "display/TMainClient.h"
#include "resources/ResourceIds.h"
#include "shell/TLayClient.h"
#include "shell/TMainFrame.h"
#include "shell/TMyApp.h"
#include "tests/capture/FakeSystem.h"
#include "tests/settings/MemorySettingsStorage.h"
#include "tests/windowing/MessagePump.h"

// The program's windows as its application builds them, with a scripted
// device that returns every capture at once, full; the test pumps messages.
// A posted kThrowMessage makes the message loop throw; the exception box
// runs OnExceptionBox, as a box's own loop would run while it is open.
class TTestApp : public TMyApp {
 public:
  static constexpr UINT kThrowMessage = WM_APP + 1;

  explicit TTestApp(SettingsStorage& storage) : TMyApp(storage) {}

  // Builds, creates and shows the main window, as the run does first.
  void Build() { InitInstance(); }
  // Offers a message as the message loop does; true when it was taken (a key).
  bool Offer(MSG& message) { return PreProcessMessage(message); }
  std::vector<std::string> ExceptionBoxes;
  std::function<void()> OnExceptionBox;

 protected:
  bool PreProcessMessage(MSG& message) override {
    if (message.message == kThrowMessage) throw std::runtime_error("thrown in the loop");
    return TMyApp::PreProcessMessage(message);
  }
  void ShowUnhandledException(const char* text) override {
    ExceptionBoxes.push_back(text);
    if (OnExceptionBox) OnExceptionBox();
  }
};

class ShellTest : public ::testing::Test {
 protected:
  static constexpr int kNoQuit = -999;

  void SetUp() override {
    Fake.SimulateDevice = true;
    Fake.OnQueued = [this](WAVEHDR& header) {
      if (AutoReturn) Fake.ReturnCapture(static_cast<int32_t>(header.dwBufferLength / 4));
    };
  }
  void Build() {
    App = std::make_unique<TTestApp>(Stored);
    App->Build();
  }
  TMainFrame& Frame() { return static_cast<TMainFrame&>(*App->GetMainWindow()); }
  TLayClient& Client() { return static_cast<TLayClient&>(*Frame().GetClientWindow()); }
  TMainClient& View() { return *Client().View; }
  HMENU Menu() { return GetMenu(Frame().GetHandle()); }
  bool Checked(UINT command) {
    return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
  void Command(UINT command) { SendMessageA(Frame().GetHandle(), WM_COMMAND, command, 0); }

  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    return PumpMessagesUntil(done, timeoutMs, &QuitCode);
  }

  FakeSystem Fake;
  // What the program keeps between runs; it outlives the application.
  MemorySettingsStorage Stored;
  std::unique_ptr<TTestApp> App;
  bool AutoReturn = false;
  int QuitCode = kNoQuit;
};
