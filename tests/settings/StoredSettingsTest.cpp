#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "settings/InputChoice.h"
#include "settings/PlacementFit.h"
#include "settings/SettingsCodec.h"
#include "tests/settings/MemorySettingsStorage.h"

// Failure messages name the rectangles.
std::ostream& operator<<(std::ostream& out, const ScreenRect& r) {
  return out << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

namespace {

// Every stored field, the placement's as -1 when there is none.
auto Fields(const StoredSettings& s) {
  const StoredPlacement none{{-1, -1, -1, -1}, false};
  const StoredPlacement& p = s.Placement ? *s.Placement : none;
  return std::make_tuple(s.Choices, s.Input.Name, s.Input.NumberHint, s.ReferenceFile,
                         p.Normal.Left, p.Normal.Top, p.Normal.Right, p.Normal.Bottom, p.Maximized,
                         s.Calibrations);
}

// Legal values, none of them a default.
StoredSettings Chosen() {
  StoredSettings chosen;
  chosen.Choice("FftSize") = 65536;
  chosen.Choice("Weighting") = 5;
  chosen.Choice("AutoOffset") = 0;
  chosen.Choice("IntervalMs") = 1000;
  chosen.Choice("ShowMaximum") = 0;
  chosen.Choice("Channels") = 1;  // the left one alone
  chosen.Choice("ShowPeaks") = 1;
  chosen.Choice("LevelScale") = 2;
  chosen.Choice("FrequencyWeighting") = 1;
  chosen.Input = {"USB Audio CODEC", 2};
  chosen.ReferenceFile = L"C:\\Messungen\\Referenz.txt";
  chosen.Calibrations = {{"USB Audio CODEC", 10002}, {"Mic \\ Line", -350}};
  chosen.Placement = StoredPlacement{{-1900, -20, -700, 800}, true};
  return chosen;
}

MemorySettingsStorage StorageHolding(const StoredSettings& settings) {
  MemorySettingsStorage storage;
  SaveChoices(storage, settings);
  SavePlacement(storage, *settings.Placement);
  SaveCalibrations(storage, settings.Calibrations);
  return storage;
}

TEST(StoredSettings, NothingStoredOrNothingReadableGivesTheFirstStart) {
  MemorySettingsStorage empty;
  EXPECT_EQ(Fields(LoadSettings(empty)), Fields(StoredSettings{}));

  MemorySettingsStorage locked = StorageHolding(Chosen());
  locked.Readable = false;
  EXPECT_EQ(Fields(LoadSettings(locked)), Fields(StoredSettings{}));
}

TEST(StoredSettings, WhatIsSavedIsLoadedAgain) {
  for (const int32_t channels : {1, 2, 3}) {
    StoredSettings chosen = Chosen();
    chosen.Choice("Channels") = channels;
    MemorySettingsStorage storage = StorageHolding(chosen);
    SCOPED_TRACE("channels " + std::to_string(channels));
    EXPECT_EQ(Fields(LoadSettings(storage)), Fields(chosen));
  }
}

StoredValue Number(uint32_t value) {
  return {StoredValue::Kind::Number, value, {}, {}};
}
StoredValue Text(const char* text) {
  return {StoredValue::Kind::Text, 0, text, {}};
}
StoredValue OtherKind() {
  return {StoredValue::Kind::Other, 0, {}, {}};
}

std::function<void(StoredSettings&)> BackToDefault(const char* name) {
  return [name](StoredSettings& s) { s.Choice(name) = StoredSettings{}.Choice(name); };
}

// One stored value spoilt: only its own setting (or the placement as a
// whole) falls back to the default.
TEST(StoredSettings, EachBadValueFallsBackAlone) {
  struct Case {
    const char* Name;
    std::optional<StoredValue> Value;  // nothing: the value is missing
    std::function<void(StoredSettings&)> Expect;
  };
  const Case cases[] = {
      {"FftSize", Number(3000), BackToDefault("FftSize")},
      {"FftSize", Text("65536"), BackToDefault("FftSize")},
      {"FftSize", std::nullopt, BackToDefault("FftSize")},
      {"IntervalMs", Number(300), BackToDefault("IntervalMs")},
      {"Weighting", Number(7), BackToDefault("Weighting")},
      {"Weighting", Number(0xFFFFFFFF), BackToDefault("Weighting")},
      {"AutoOffset", Number(2), BackToDefault("AutoOffset")},
      {"ShowMaximum", OtherKind(), BackToDefault("ShowMaximum")},
      {"ShowPeaks", Number(2), BackToDefault("ShowPeaks")},
      {"LevelScale", Number(3), BackToDefault("LevelScale")},
      {"FrequencyWeighting", Text("A"), BackToDefault("FrequencyWeighting")},
      {"Channels", Number(0), [&](StoredSettings& s) { s.Choice("Channels") = 3; }},
      {"Channels", Number(4), [&](StoredSettings& s) { s.Choice("Channels") = 3; }},
      {kInputNameValue, Number(1), [&](StoredSettings& s) { s.Input.Name.clear(); }},
      {kInputNumberValue, Number(256), [&](StoredSettings& s) { s.Input.NumberHint = 0; }},
      {kReferenceFileValue, Number(1), [&](StoredSettings& s) { s.ReferenceFile.clear(); }},
      {kWindowLeftValue, std::nullopt, [&](StoredSettings& s) { s.Placement.reset(); }},
      {kWindowRightValue, Number(static_cast<uint32_t>(-1900)),
       [&](StoredSettings& s) { s.Placement.reset(); }},
      {kWindowBottomValue, Number(40000), [&](StoredSettings& s) { s.Placement.reset(); }},
      {kWindowMaximizedValue, Number(2), [&](StoredSettings& s) { s.Placement.reset(); }},
  };
  for (const Case& c : cases) {
    MemorySettingsStorage storage = StorageHolding(Chosen());
    if (c.Value)
      storage.Values[c.Name] = *c.Value;
    else
      storage.Values.erase(c.Name);
    StoredSettings expected = Chosen();
    c.Expect(expected);
    SCOPED_TRACE(std::string(c.Name) + " spoilt");
    EXPECT_EQ(Fields(LoadSettings(storage)), Fields(expected));
  }
}

// Calibrations are kept per input by its name, one by one: each can be
// forgotten alone, a spoilt one is left out alone, and they can be stored
// again after everything was forgotten.
TEST(StoredSettings, CalibrationsAreKeptPerInputName) {
  MemorySettingsStorage storage = StorageHolding(Chosen());
  std::map<std::string, StoredValue>& group = storage.Groups[kCalibrationGroup];
  group["Text"] = Text("94,0");
  group["Too far"] = Number(static_cast<uint32_t>(-50001));
  InputCalibrations expected = Chosen().Calibrations;
  EXPECT_EQ(LoadSettings(storage).Calibrations, expected);

  ForgetCalibration(storage, "USB Audio CODEC");
  expected.erase("USB Audio CODEC");
  EXPECT_EQ(LoadSettings(storage).Calibrations, expected);
  storage.Forget();
  EXPECT_TRUE(LoadSettings(storage).Calibrations.empty());
  SaveCalibrations(storage, expected);
  EXPECT_EQ(LoadSettings(storage).Calibrations, expected);
}

const ScreenRect kLeftMonitor{0, 0, 1920, 1040};  // work area above a task bar
const ScreenRect kRightMonitor{1920, 0, 3200, 1024};

TEST(PlacementFit, AReachableWindowStaysAndALostOneMovesOntoTheNearestMonitor) {
  const std::vector<ScreenRect> both = {kLeftMonitor, kRightMonitor};
  const std::vector<ScreenRect> leftOnly = {kLeftMonitor};
  const struct {
    const char* What;
    ScreenRect Window;
    std::vector<ScreenRect> Areas;
    ScreenRect Expected;
  } cases[] = {
      {"inside", {100, 100, 900, 700}, leftOnly, {100, 100, 900, 700}},
      {"across both monitors", {1500, 100, 2300, 700}, both, {1500, 100, 2300, 700}},
      {"mostly off, title bar reachable",
       {1870, 1020, 2670, 1620},
       leftOnly,
       {1870, 1020, 2670, 1620}},
      {"on the monitor unplugged", {2000, 200, 2800, 800}, leftOnly, {1120, 200, 1920, 800}},
      {"only a sliver of the title bar", {1890, 200, 2690, 800}, leftOnly, {1120, 200, 1920, 800}},
      {"title bar above the top", {100, -300, 900, 300}, leftOnly, {100, 0, 900, 600}},
      {"far below, nearer the right one", {3000, 5000, 3400, 5300}, both, {2800, 724, 3200, 1024}},
      {"larger than the monitor", {-5000, 0, -1000, 3000}, leftOnly, {0, 0, 1920, 1040}},
      {"no monitor known", {-5000, 0, -4000, 300}, {}, {-5000, 0, -4000, 300}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_EQ(FitOntoMonitors(c.Window, c.Areas), c.Expected);
  }
}

TEST(InputChoice, TheRememberedInputIsFoundByNameWithItsNumberAsHint) {
  const std::vector<std::string> devices = {"Microphone", "USB Audio", "Line In", "USB Audio"};
  const struct {
    const char* Name;
    int32_t Hint;
    int32_t Device;
    bool Gone;
  } cases[] = {
      {"", 3, 0, false},                                      // none chosen
      {"USB Audio", 3, 3, false},                             // the second of two of that name
      {"USB Audio", 2, 1, false},                             // renumbered: the first of that name
      {"USB Audio", 9, 1, false},                             // hint beyond the list
      {"Line In", -1, 2, false},  {"usb audio", 1, 0, true},  // names compare exactly
      {"Headset", 0, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " at " + std::to_string(c.Hint));
    const InputResolution found = ResolveInput({c.Name, c.Hint}, devices);
    EXPECT_EQ(found.Device, c.Device);
    EXPECT_EQ(found.RememberedGone, c.Gone);
  }
  const InputResolution none = ResolveInput({"Headset", 0}, {});
  EXPECT_EQ(none.Device, 0);
  EXPECT_TRUE(none.RememberedGone);
}

}  // namespace
