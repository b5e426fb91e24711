#include <cmath>
#include <string>

#include "settings/SettingsCodec.h"
#include "settings/SettingsTable.h"
#include "tests/shell/ShellFixture.h"

namespace {

// What the calibration dialog is given, tick by tick of a thread timer
// running in its modal loop: each text typed, then OK; what it said after each.
std::vector<std::wstring> TypedLevels;
std::vector<std::wstring> SaidAfterOk;

void CALLBACK TypeIntoTheCalibrationDialog(HWND, UINT, UINT_PTR, DWORD) {
  const HWND dialog = FindWindowA(nullptr, "Pegel kalibrieren");
  if (!dialog) return;
  if (TypedLevels.size() == 2) {  // open after both: ended, so that the test fails, not hangs
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  if (!TypedLevels.empty()) {
    wchar_t said[200] = {};
    GetDlgItemTextW(dialog, IDC_CALIBRATION_PROBLEM, said, 200);
    SaidAfterOk.push_back(said);
  }
  TypedLevels.push_back(TypedLevels.empty() ? L"vierundneunzig" : L"94,0");
  SetDlgItemTextW(dialog, IDC_KNOWN_LEVEL, TypedLevels.back().c_str());
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

class MenuTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Build();
    Validate();
  }
  // Paints everything that is due, so that a command's own invalidation shows.
  void Validate() {
    UpdateWindow(Frame().GetHandle());
    ValidateRect(Client().GetHandle(), nullptr);
    ValidateRect(View().GetHandle(), nullptr);
  }
  bool RepaintPending() {
    RECT update;
    return GetUpdateRect(Client().GetHandle(), &update, FALSE) &&
           GetUpdateRect(View().GetHandle(), &update, FALSE);
  }
  std::vector<UINT> CheckedOf(std::initializer_list<UINT> group) {
    std::vector<UINT> checked;
    for (UINT item : group)
      if (Checked(item)) checked.push_back(item);
    return checked;
  }
};

// A setting whose row names a command the menu lacks could never be chosen.
TEST_F(MenuTest, EveryCommandOfTheSettingsTableIsAnItemOfTheMenu) {
  for (const SettingDefinition& setting : kSettings)
    for (const MenuChoice& choice : setting.Choices)
      EXPECT_NE(GetMenuState(Menu(), choice.Command, MF_BYCOMMAND), static_cast<UINT>(-1))
          << setting.StoredName << " " << choice.Command;
}

TEST_F(MenuTest, ChannelCommandsSetBothFlagsMoveTheMarkAndRepaint) {
  const std::initializer_list<UINT> channels = {CMD_CHANNEL_LEFT, CMD_CHANNEL_RIGHT,
                                                CMD_CHANNEL_BOTH};
  Command(CMD_CHANNEL_LEFT);
  EXPECT_EQ(Settings.ShowLeft, 1);
  EXPECT_EQ(Settings.ShowRight, 0);
  EXPECT_EQ(CheckedOf(channels), (std::vector<UINT>{CMD_CHANNEL_LEFT}));
  EXPECT_TRUE(RepaintPending());

  Validate();
  Command(CMD_CHANNEL_RIGHT);
  EXPECT_EQ(Settings.ShowLeft, 0);
  EXPECT_EQ(Settings.ShowRight, 1);
  EXPECT_EQ(CheckedOf(channels), (std::vector<UINT>{CMD_CHANNEL_RIGHT}));
  EXPECT_TRUE(RepaintPending());

  Validate();
  Command(CMD_CHANNEL_BOTH);
  Command(CMD_CHANNEL_BOTH);  // the checked item again: same state, still a repaint
  EXPECT_EQ(Settings.ShowLeft, 1);
  EXPECT_EQ(Settings.ShowRight, 1);
  EXPECT_EQ(CheckedOf(channels), (std::vector<UINT>{CMD_CHANNEL_BOTH}));
  EXPECT_TRUE(RepaintPending());
}

TEST_F(MenuTest, TogglesFollowTheMarkAndTwiceGiveBackTheFirstState) {
  Command(CMD_SHOW_MAXIMUM);
  EXPECT_EQ(Settings.ShowMaximum, 0);
  EXPECT_FALSE(Checked(CMD_SHOW_MAXIMUM));
  EXPECT_TRUE(RepaintPending());
  Command(CMD_SHOW_MAXIMUM);
  EXPECT_EQ(Settings.ShowMaximum, 1);
  EXPECT_TRUE(Checked(CMD_SHOW_MAXIMUM));

  Validate();
  Command(CMD_SHOW_PEAKS);
  EXPECT_EQ(Settings.ShowPeaks, 1);
  EXPECT_TRUE(Checked(CMD_SHOW_PEAKS));
  EXPECT_TRUE(RepaintPending());
  Command(CMD_SHOW_PEAKS);
  EXPECT_EQ(Settings.ShowPeaks, 0);

  Validate();
  Command(CMD_AUTO_OFFSET);
  EXPECT_EQ(Read(Settings.AutoOffset), 0);
  EXPECT_FALSE(Checked(CMD_AUTO_OFFSET));
  EXPECT_FALSE(RepaintPending());
  Command(CMD_AUTO_OFFSET);
  EXPECT_EQ(Read(Settings.AutoOffset), 1);
  EXPECT_TRUE(Checked(CMD_AUTO_OFFSET));

  // The new value comes from the mark, not from the stored setting.
  Settings.ShowMaximum = 0;
  Command(CMD_SHOW_MAXIMUM);
  EXPECT_EQ(Settings.ShowMaximum, 0);
}

TEST_F(MenuTest, SizeCommandsMapTheirOwnNumbersAndRepaintNothing) {
  const std::pair<UINT, int32_t> sizes[] = {
      {CMD_SIZE_8192, 8192},   {CMD_SIZE_2048, 2048},     {CMD_SIZE_1024, 1024},
      {CMD_SIZE_4096, 4096},   {CMD_SIZE_16384, 16384},   {CMD_SIZE_32768, 32768},
      {CMD_SIZE_65536, 65536}, {CMD_SIZE_131072, 131072}, {CMD_SIZE_262144, 262144}};
  const std::initializer_list<UINT> group = {CMD_SIZE_1024,  CMD_SIZE_2048,   CMD_SIZE_4096,
                                             CMD_SIZE_8192,  CMD_SIZE_16384,  CMD_SIZE_32768,
                                             CMD_SIZE_65536, CMD_SIZE_131072, CMD_SIZE_262144};
  for (const auto& [command, size] : sizes) {
    Command(command);
    EXPECT_EQ(Read(Settings.FftSize), size) << command;
    EXPECT_EQ(CheckedOf(group), (std::vector<UINT>{command}));
  }
  EXPECT_FALSE(RepaintPending());
  EXPECT_EQ(View().ShownSize(), 0);  // nothing rescales before a spectrum arrives
}

// The wheel reaches the frame (it holds the focus) and zooms the view about
// the pointer; Shift zooms the levels; "Gesamter Bereich" brings back the
// full range. Each change is stored, and the next start shows it;
// "Standardeinstellungen" forgets it.
TEST_F(MenuTest, TheWheelZoomsAboutThePointerAndTheFullRangeComesBack) {
  const HWND view = View().GetHandle();
  RECT area;
  GetClientRect(view, &area);
  const POINT client{area.right / 3, area.bottom / 2};
  POINT screen = client;
  ClientToScreen(view, &screen);
  const auto wheel = [&](int notches, WPARAM keys) {
    SendMessageW(Frame().GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(keys, notches * WHEEL_DELTA),
                 MAKELPARAM(screen.x, screen.y));
  };
  const auto pointedHz = [&] {
    const ViewRange& range = View().RangeShown();
    return range.LowHz() *
           std::pow(range.HighHz() / range.LowHz(), (client.x + 0.5) / (area.right - 1));
  };
  const auto pointedDb = [&] {
    return View().ShownTopDb() -
           (View().ShownTopDb() - View().ShownBottomDb()) * (client.y + 0.5) / (area.bottom - 1);
  };
  const double hz = pointedHz();
  const double db = pointedDb();
  wheel(3, 0);
  EXPECT_NEAR(std::log10(View().RangeShown().HighHz() / View().RangeShown().LowHz()),
              std::log10(2205.0) / std::pow(1.25, 3), 1e-9);
  EXPECT_NEAR(pointedHz(), hz, hz * 1e-9);
  EXPECT_EQ(View().RangeShown().TopDb(), 0.0);
  wheel(2, MK_SHIFT);
  EXPECT_NEAR(View().ShownTopDb() - View().ShownBottomDb(), 140.0 / 1.5625, 1e-9);
  EXPECT_NEAR(pointedDb(), db, 1e-9);
  EXPECT_TRUE(RepaintPending());
  ASSERT_TRUE(Stored.Read("ViewLowHz"));
  EXPECT_EQ(Stored.Read("ViewLowHz")->Number,
            static_cast<uint32_t>(std::lround(View().RangeShown().LowHz() * 1000)));

  // Remembered: the next start shows the same range.
  const ViewRange zoomed = View().RangeShown();
  App.reset();
  Build();
  EXPECT_NEAR(View().RangeShown().LowHz(), zoomed.LowHz(), 1e-3);
  EXPECT_NEAR(View().RangeShown().TopDb(), zoomed.TopDb(), 1e-2);

  Command(CMD_VIEW_FULL_RANGE);
  EXPECT_EQ(View().RangeShown(), ViewRange());
  EXPECT_EQ(Stored.Read("ViewLowHz")->Number, 10000u);
  wheel(1, 0);
  Command(CMD_RESTORE_DEFAULTS);
  EXPECT_EQ(View().RangeShown(), ViewRange());
  EXPECT_FALSE(Stored.Read("ViewLowHz"));
}

// An accelerator's command comes with 1 in the high word of wParam.
TEST_F(MenuTest, ASettingCommandFromAnAcceleratorIsTaken) {
  SendMessageA(Frame().GetHandle(), WM_COMMAND, MAKEWPARAM(CMD_SIZE_4096, 1), 0);
  EXPECT_EQ(Read(Settings.FftSize), 4096);
  EXPECT_TRUE(Checked(CMD_SIZE_4096));
}

TEST_F(MenuTest, RateAndWindowCommandsSetTheirValues) {
  const std::pair<UINT, int32_t> rates[] = {{CMD_RATE_1, 1000},
                                            {CMD_RATE_2, 500},
                                            {CMD_RATE_5, 200},
                                            {CMD_RATE_10, 100},
                                            {CMD_RATE_20, 50}};
  for (const auto& [command, interval] : rates) {
    Command(command);
    EXPECT_EQ(Read(Settings.IntervalMs), interval);
    EXPECT_EQ(CheckedOf({CMD_RATE_1, CMD_RATE_2, CMD_RATE_5, CMD_RATE_10, CMD_RATE_20}),
              (std::vector<UINT>{command}));
  }
  const std::initializer_list<UINT> windows = {
      CMD_WINDOW_OFF,     CMD_WINDOW_TRIANGLE, CMD_WINDOW_HANNING, CMD_WINDOW_WELCH,
      CMD_WINDOW_HAMMING, CMD_WINDOW_BLACKMAN, CMD_WINDOW_PARZEN};
  for (UINT command : windows) {
    Command(command);
    EXPECT_EQ(Read(Settings.Weighting), static_cast<int32_t>(command) - CMD_WINDOW_OFF);
    EXPECT_EQ(CheckedOf(windows), (std::vector<UINT>{command}));
  }
  EXPECT_FALSE(RepaintPending());
}

// "&Eingang" lists the inputs there are when it opens, the measured one
// checked; a choice measures from it, a refused one leaves none checked.
TEST_F(MenuTest, TheInputMenuListsTheDevicesAndAChoiceMeasuresFromIt) {
  const HMENU inputs = GetSubMenu(Menu(), TMainFrame::kInputMenuPosition);
  const auto open = [&] {
    SendMessageA(Frame().GetHandle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(inputs),
                 TMainFrame::kInputMenuPosition);
  };
  const auto items = [&] {
    std::vector<std::string> listed;
    for (int i = 0; i < GetMenuItemCount(inputs); ++i) {
      char text[64] = {};
      GetMenuStringA(inputs, i, text, sizeof(text), MF_BYPOSITION);
      const UINT state = GetMenuState(inputs, i, MF_BYPOSITION);
      listed.push_back(std::string(state & MF_CHECKED ? "* " : "") +
                       (state & MF_GRAYED ? "- " : "") + text);
    }
    return listed;
  };
  Fake.DeviceCount = 3;
  Fake.DeviceNames = {"Mic & Line", "USB", "Monitor"};
  open();
  EXPECT_EQ(items(), (std::vector<std::string>{"* Mic && Line", "USB", "Monitor"}));

  // A device plugged in while the menu is open does not lend the choice its name.
  Fake.DeviceCount = 4;
  Fake.DeviceNames = {"Mic & Line", "Headset", "USB", "Monitor"};
  Command(CMD_INPUT_FIRST + 2);
  ASSERT_TRUE(PumpUntil([&] { return App->Measuring().Capture().OpenInput() == 2; }));
  EXPECT_EQ(LoadSettings(Stored).Input.Name, "Monitor");  // remembered by the name shown
  Fake.DeviceCount = 3;
  Fake.DeviceNames = {"Mic & Line", "USB", "Monitor"};
  EXPECT_EQ(Fake.WaveCalls.back().Function, "waveInStart");
  open();
  EXPECT_EQ(items(), (std::vector<std::string>{"Mic && Line", "USB", "* Monitor"}));

  Fake.OpenResult = MMSYSERR_ALLOCATED;
  Fake.ErrorTexts[MMSYSERR_ALLOCATED] = "The device is in use.";
  Command(CMD_INPUT_FIRST + 1);
  ASSERT_TRUE(PumpUntil([&] { return App->Measuring().Capture().Stopped(); }));
  EXPECT_EQ(Fake.Boxes.back().Text, "The device is in use.");
  EXPECT_EQ(LoadSettings(Stored).Input.Name, "Monitor");  // a refused input is not remembered
  open();
  EXPECT_EQ(items(), (std::vector<std::string>{"Mic && Line", "USB", "Monitor"}));

  Fake.DeviceCount = 0;
  open();
  EXPECT_EQ(items(), (std::vector<std::string>{"- Kein Aufnahmeger\xE4t gefunden"}));
}

// "An&halten" holds the picture: the capture out comes back and nothing more
// is queued or shown; the Space key measures again. Never stored.
TEST_F(MenuTest, AnhaltenHoldsThePictureAndTheSpaceKeyMeasuresAgain) {
  AutoReturn = true;
  Fake.ReturnCapture(Fake.QueuedFrames());  // the first, queued before AutoReturn
  ASSERT_TRUE(PumpUntil([&] { return Fake.CapturesQueued >= 3; }));
  Stored.Values.clear();
  Command(CMD_PAUSE);
  EXPECT_TRUE(Checked(CMD_PAUSE));
  EXPECT_TRUE(App->Measuring().Capture().PictureHeld());
  const int queued = Fake.CapturesQueued;
  PumpUntil(nullptr, 300);
  EXPECT_EQ(Fake.CapturesQueued, queued);

  MSG space = {Frame().GetHandle(), WM_KEYDOWN, VK_SPACE, 0, 0, {0, 0}};
  EXPECT_TRUE(App->Offer(space));
  EXPECT_FALSE(Checked(CMD_PAUSE));
  ASSERT_TRUE(PumpUntil([&] { return Fake.CapturesQueued >= queued + 2; }));
  EXPECT_TRUE(Stored.Values.empty());
}

TEST_F(MenuTest, EachCommandStoresItsSettingAtOnceAndStandardeinstellungenForgetsThem) {
  const struct {
    UINT Command;
    const char* Name;
    uint32_t Value;
  } commands[] = {
      {CMD_SIZE_65536, "FftSize", 65536},    {CMD_RATE_1, "IntervalMs", 1000},
      {CMD_WINDOW_BLACKMAN, "Weighting", 5}, {CMD_CHANNEL_RIGHT, "Channels", 2},
      {CMD_SHOW_MAXIMUM, "ShowMaximum", 0},  {CMD_AUTO_OFFSET, "AutoOffset", 0},
  };
  for (const auto& c : commands) {
    Stored.Values.clear();
    Command(c.Command);
    ASSERT_TRUE(Stored.Values.count(c.Name)) << c.Name;
    EXPECT_EQ(Stored.Values[c.Name].Number, c.Value) << c.Name;
  }
  Stored.Values.erase("FftSize");  // the earlier commands' values are all there
  Command(CMD_CHANNEL_BOTH);
  EXPECT_EQ(Stored.Values["FftSize"].Number, 65536u);

  Validate();
  Command(CMD_RESTORE_DEFAULTS);
  EXPECT_TRUE(Stored.Values.empty());
  EXPECT_TRUE(RepaintPending());
  EXPECT_EQ(Read(Settings.FftSize), 2048);
  EXPECT_EQ(Read(Settings.IntervalMs), 200);
  EXPECT_EQ(Read(Settings.Weighting), 2);
  EXPECT_EQ(Read(Settings.AutoOffset), 1);
  EXPECT_EQ(Settings.ShowMaximum + Settings.ShowLeft + Settings.ShowRight, 3);
  EXPECT_EQ(CheckedOf({CMD_CHANNEL_LEFT, CMD_CHANNEL_RIGHT, CMD_CHANNEL_BOTH, CMD_SHOW_MAXIMUM,
                       CMD_SIZE_1024, CMD_SIZE_2048, CMD_SIZE_65536, CMD_RATE_1, CMD_RATE_5,
                       CMD_WINDOW_HANNING, CMD_WINDOW_BLACKMAN, CMD_AUTO_OFFSET}),
            (std::vector<UINT>{CMD_CHANNEL_BOTH, CMD_SHOW_MAXIMUM, CMD_SIZE_2048, CMD_RATE_5,
                               CMD_WINDOW_HANNING, CMD_AUTO_OFFSET}));
}

// A calibrator's tone of half full scale on a line of the left channel (46
// cycles in 2048 points, -6.02 dBFS) of input "Line In": the dialog refuses
// what is no level, in the dialog, and takes 94,0 dB SPL as a calibration
// of 100.02 dB SPL for a full-scale sine, shown as sine levels; the
// calibration stays through "Standardeinstellungen", holds for a held
// picture when another input is chosen, and goes with "Kalibrierung
// entfernen".
TEST_F(MenuTest, ACalibrationIsTakenPerInputKeptByTheDefaultsAndForgotten) {
  const auto tone = [](int16_t* frames, int32_t count) {
    for (int32_t j = 0; j < count; ++j) {
      frames[2 * j] =
          static_cast<int16_t>(std::lround(16384 * std::sin(6.283185307179586 * 46 * j / 2048)));
      frames[2 * j + 1] = 0;
    }
  };
  Fake.OnQueued = [&](WAVEHDR& header) {
    Fake.ReturnCapture(static_cast<int32_t>(header.dwBufferLength / 4), tone);
  };
  Fake.ReturnCapture(Fake.QueuedFrames(), tone);
  ASSERT_TRUE(
      PumpUntil([&] { return View().ShownSize() == 2048 && View().Shown().SinePeaks[0].Found; }));
  EXPECT_NEAR(View().Shown().SinePeaks[0].LevelHundredthsDb, -602, 1);

  TypedLevels.clear();
  SaidAfterOk.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &TypeIntoTheCalibrationDialog);
  Command(CMD_CALIBRATE);
  KillTimer(nullptr, timer);
  ASSERT_EQ(SaidAfterOk.size(), 1u);
  EXPECT_EQ(SaidAfterOk[0], L"Bitte eine Zahl wie 94,0 eingeben.");
  ASSERT_EQ(TypedLevels.size(), 2u);
  const auto stored = [&] { return LoadSettings(Stored).Calibrations; };
  ASSERT_EQ(stored().count("Line In"), 1u);
  const int32_t calibration = stored()["Line In"];
  EXPECT_NEAR(calibration, 10002, 1);
  EXPECT_EQ(Settings.LevelScale, kScaleSine);
  EXPECT_TRUE(Checked(CMD_SCALE_SINE));
  EXPECT_EQ(LoadSettings(Stored).Choice("LevelScale"), kScaleSine);
  EXPECT_EQ(View().Shown().AxisShiftHundredthsDb, calibration);

  Command(CMD_RESTORE_DEFAULTS);
  EXPECT_EQ(Settings.LevelScale, kScaleUncorrected);
  EXPECT_EQ(View().Shown().AxisShiftHundredthsDb, 0);
  EXPECT_EQ(stored().at("Line In"), calibration);
  Command(CMD_SCALE_SINE);
  EXPECT_EQ(View().Shown().AxisShiftHundredthsDb, calibration);

  // A held picture keeps the numbers of the input that recorded it when
  // another is chosen: its calibration and its name, as the export states it.
  Fake.DeviceCount = 2;
  Fake.DeviceNames = {"Line In", "USB Mic"};
  CaptureDriver& capture = App->Measuring().Capture();
  Command(CMD_PAUSE);
  capture.ChooseInput(1);
  ASSERT_TRUE(PumpUntil([&] { return capture.OpenInput() == 1; }));
  EXPECT_EQ(View().Shown().Input, "Line In");
  EXPECT_EQ(View().Shown().AxisShiftHundredthsDb, calibration);
  capture.ChooseInput(0);
  ASSERT_TRUE(PumpUntil([&] { return capture.OpenInput() == 0; }));
  Command(CMD_PAUSE);

  Command(CMD_FORGET_CALIBRATION);
  EXPECT_TRUE(stored().empty());
  EXPECT_EQ(View().Shown().AxisShiftHundredthsDb, 0);
}

}  // namespace
