#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/MeasurementSettings.h"
#include "display/TMainClient.h"
#include "measurement/Measurement.h"
#include "settings/SettingsTable.h"
#include "tests/capture/FakeSystem.h"
#include "tests/windowing/MessagePump.h"
#include "windowing/TThread.h"

// The measurement with a scripted device, shown by the spectrum view in a
// top-level host window, and a message pump that the tests drive.

inline constexpr int kNoQuit = -999;
inline constexpr int kViewWidthPx = 601;
inline constexpr int kViewHeightPx = 301;

// A top-level window holding the view, as the axis frame does.
class THost : public TWindow {
 public:
  THost() : TWindow(nullptr, "ring host") {
    Attributes().Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    Attributes().W = 700;
    Attributes().H = 450;
  }
};

// Set when the body of a worker thread made through ObservedCreateThread returns.
inline std::atomic<bool> WorkerEnded{false};

// Creates the worker as the system would, with a body that reports its end
// in WorkerEnded. Stands in for TThread::CreateThreadCall.
inline HANDLE WINAPI ObservedCreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                                          LPTHREAD_START_ROUTINE routine, LPVOID argument,
                                          DWORD flags, LPDWORD id) {
  struct Body {
    LPTHREAD_START_ROUTINE Routine;
    LPVOID Argument;
    static DWORD WINAPI Run(LPVOID self) {
      std::unique_ptr<Body> body(static_cast<Body*>(self));
      const DWORD result = body->Routine(body->Argument);
      WorkerEnded = true;
      return result;
    }
  };
  WorkerEnded = false;
  auto* body = new Body{routine, argument};
  const HANDLE thread = ::CreateThread(attributes, stackSize, &Body::Run, body, flags, id);
  if (thread == nullptr) delete body;
  return thread;
}

// Fills the frames with a full-scale tone on line frames / 8 (left) and
// frames / 16 (right), so a spectrum shows which capture size it came from.
inline constexpr double kTwoPi = 6.283185307179586;

inline void FillTones(int16_t* samples, int32_t frames) {
  for (int32_t j = 0; j < frames; ++j) {
    samples[2 * j] = static_cast<int16_t>(16000 * std::sin(kTwoPi * j / 8.0));
    samples[2 * j + 1] = static_cast<int16_t>(16000 * std::sin(kTwoPi * j / 16.0));
  }
}

class RingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StoreDefaultSettings();
    Write(Settings.IntervalMs, 50);
    Fake.SimulateDevice = true;
    // The watchdog's timers run in real time; tests of scripted capture
    // times stop the clock.
    Fake.ClockFollowsRealTime = true;
    TThread::CreateThreadCall = &ObservedCreateThread;
  }
  void TearDown() override { TThread::CreateThreadCall = &::CreateThread; }

  void Start() {
    Measured = std::make_unique<Measurement>();
    Host = std::make_unique<THost>();
    Client = new TMainClient(Host.get(), *Measured);
    Host->Create();
    Measured->Start();
    SetWindowPos(Client->GetHandle(), nullptr, 0, 0, kViewWidthPx, kViewHeightPx,
                 SWP_NOZORDER | SWP_NOMOVE);
  }
  // Dispatches messages until `done` holds or WM_QUIT arrives (its code is
  // kept) or the time runs out. True when `done` held.
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    return PumpMessagesUntil(done, timeoutMs, &QuitCode);
  }
  int WaitForQuit(DWORD timeoutMs = 5000) {
    PumpUntil([&] { return QuitCode != kNoQuit; }, timeoutMs);
    return QuitCode;
  }
  bool WaitForSpectrum(int32_t count, DWORD timeoutMs = 5000) {
    return PumpUntil([&] { return Fake.CapturesQueued >= count + 1; }, timeoutMs);
  }
  void ReturnFull() { ASSERT_TRUE(Fake.ReturnCapture(Fake.QueuedFrames(), FillTones)); }
  // The view first: it stops listening to the measurement.
  void Destroy() {
    Host.reset();
    Measured.reset();
  }
  size_t CountCalls(const std::string& name) const {
    return std::count(Fake.Calls.begin(), Fake.Calls.end(), name);
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : Fake.Boxes) texts.push_back(box.Caption + ": " + box.Text);
    return texts;
  }

  FakeSystem Fake;
  std::unique_ptr<Measurement> Measured;
  std::unique_ptr<THost> Host;
  TMainClient* Client = nullptr;  // owned by Host
  int QuitCode = kNoQuit;
};
