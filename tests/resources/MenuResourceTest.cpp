#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/ResourceIds.h"

namespace {

const UINT kNoCommand = 0;
const int kCaptionCapacity = 100;

// One menu item as the user sees it: a command, or a pop-up with its items.
struct MenuEntry {
  std::wstring caption;
  UINT command;
  std::vector<MenuEntry> items;
  bool grey = false;
  bool separator = false;
};

MenuEntry Command(const wchar_t* caption, UINT command) {
  return {caption, command, {}};
}
MenuEntry Popup(const wchar_t* caption, std::vector<MenuEntry> items) {
  return {caption, kNoCommand, std::move(items)};
}
MenuEntry Grey(const wchar_t* caption, UINT command) {
  return {caption, command, {}, true};
}
MenuEntry Separator() {
  return {L"", kNoCommand, {}, false, true};
}

// The main menu with the command numbers the frame's handlers map.
const std::vector<MenuEntry>& ExpectedMenuBar() {
  static const std::vector<MenuEntry> bar = {
      Popup(L"&Programm",
            {Command(L"&Aufnahme analysieren...\tStrg+O", 186), Separator(),
             Command(L"Spektrum &exportieren...\tStrg+S", 180),
             Command(L"Bild &kopieren\tStrg+C", 181), Command(L"Bild &speichern...", 182),
             Separator(), Command(L"&Beenden", 24310)}),
      Popup(L"&Ansicht",
            {Popup(L"&Kanäle",
                   {Command(L"&Links", 102), Command(L"&Rechts", 101), Command(L"&Beide", 103)}),
             Command(L"&Maximum anzeigen", 104), Command(L"&Spitzenwerte anzeigen", 130),
             Command(L"&Verzerrung anzeigen", 320),
             Popup(L"&Pegel", {Command(L"&Unkorrigiert", 160), Command(L"&Sinuspegel (dBFS)", 161),
                               Command(L"&Rauschdichte (dB/Hz)", 162)}),
             Popup(L"&Frequenzbewertung",
                   {Command(L"&Keine", 165), Command(L"&A", 166), Command(L"&C", 167)}),
             Separator(), Command(L"Maximum &halten", 140),
             Command(L"Gehaltenes Maximum &zurücksetzen", 141), Separator(),
             Command(L"Als &Referenz übernehmen", 183), Command(L"Referenz &laden...", 184),
             Command(L"Referenz &entfernen", 185), Separator(),
             Command(L"&Gesamter Bereich\tPos1", 300), Command(L"&Bereich...", 301)}),
      Popup(L"&Messung",
            {Popup(L"&Anzahl Stützpunkte",
                   {Command(L"&1024 Punkte", 117), Command(L"&2048 Punkte", 120),
                    Command(L"&4096 Punkte", 119), Command(L"&8192 Punkte", 118),
                    Command(L"1&6384 Punkte", 121), Command(L"&32768 Punkte", 124),
                    Command(L"6&5536 Punkte", 125), Command(L"131072 Punkte", 126),
                    Command(L"262144 Punkte", 128)}),
             Popup(L"&Meßgeschwindigkeit",
                   {Command(L"&1 Messung/s", 105), Command(L"&2 Messungen/s", 106),
                    Command(L"&5 Messungen/s", 107), Command(L"1&0 Messungen/s", 108),
                    Command(L"20 Messungen/s", 109)}),
             Popup(L"&Bewertungsfenster",
                   {Command(L"&Aus", 110), Command(L"&Dreieck", 111), Command(L"&Hanning", 112),
                    Command(L"&Welch", 113), Command(L"Ha&mming", 114), Command(L"&Blackman", 115),
                    Command(L"&Parzen", 116)}),
             Popup(L"M&ittelung",
                   {Command(L"&Aus", 150), Command(L"&4 Messungen (exponentiell)", 151),
                    Command(L"&16 Messungen (exponentiell)", 152),
                    Command(L"&64 Messungen (exponentiell)", 153), Command(L"&Fortlaufend", 154),
                    Separator(), Command(L"Mittelung &neu beginnen", 155)}),
             Command(L"Automatische &Offsetkorrektur", 122), Separator(),
             Command(L"Pegel &kalibrieren...", 170), Command(L"Kalibrierung &entfernen", 171),
             Separator(), Command(L"An&halten\tLeertaste", 156), Separator(),
             Command(L"&Standardeinstellungen", 131)}),
      // Filled with the devices when it opens.
      Popup(L"&Eingang", {Grey(L"Kein Aufnahmegerät gefunden", 199)}),
      Command(L"&Über...", 123),
  };
  return bar;
}

// Compares a loaded menu with the expected items, recursing into pop-ups;
// `path` names the position in failure messages.
void ExpectMenuMatches(HMENU menu, const std::vector<MenuEntry>& expected,
                       const std::wstring& path) {
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected.size()))
      << "items of " << std::string(path.begin(), path.end());
  for (UINT position = 0; position < expected.size(); ++position) {
    const MenuEntry& entry = expected[position];
    SCOPED_TRACE("item " + std::to_string(position) + " below " +
                 std::string(path.begin(), path.end()));
    wchar_t caption[kCaptionCapacity] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = caption;
    info.cch = kCaptionCapacity;
    ASSERT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info));
    if (entry.separator) {
      EXPECT_EQ(info.fType, static_cast<UINT>(MFT_SEPARATOR));
      continue;
    }
    EXPECT_EQ(std::wstring(caption), entry.caption);
    EXPECT_EQ(info.fType, static_cast<UINT>(MFT_STRING)) << "a plain text item";
    EXPECT_EQ((info.fState & MFS_GRAYED) != 0, entry.grey) << "grey only where expected";
    EXPECT_EQ(info.fState & ~MFS_GRAYED, static_cast<UINT>(MFS_UNCHECKED)) << "nothing checked";
    if (entry.items.empty()) {
      EXPECT_EQ(info.hSubMenu, nullptr) << "a command, not a pop-up";
      EXPECT_EQ(info.wID, entry.command);
    } else {
      ASSERT_NE(info.hSubMenu, nullptr) << "a pop-up";
      ExpectMenuMatches(info.hSubMenu, entry.items, path + L" > " + entry.caption);
    }
  }
}

class MainMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    menu_ = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_MAIN));
    ASSERT_NE(menu_, nullptr);
  }
  void TearDown() override {
    if (menu_ != nullptr) DestroyMenu(menu_);
  }

  HMENU menu_ = nullptr;
};

TEST_F(MainMenuTest, HasEveryCaptionAndCommandInOrder) {
  ExpectMenuMatches(menu_, ExpectedMenuBar(), L"menu bar");
}

// Keyboard users reach an item by its underlined letter: within one pop-up
// (or the bar) no two items may share it.
void ExpectUniqueAccessKeys(HMENU menu, const std::wstring& path) {
  std::wstring keys;
  for (int position = 0; position < GetMenuItemCount(menu); ++position) {
    wchar_t caption[kCaptionCapacity] = {};
    GetMenuStringW(menu, position, caption, kCaptionCapacity, MF_BYPOSITION);
    const wchar_t* mark = wcschr(caption, L'&');
    if (mark && mark[1]) {
      const wchar_t key = towlower(mark[1]);
      EXPECT_EQ(keys.find(key), std::wstring::npos)
          << "'" << static_cast<char>(key) << "' twice in "
          << std::string(path.begin(), path.end());
      keys += key;
    }
    if (HMENU popup = GetSubMenu(menu, position))
      ExpectUniqueAccessKeys(popup, path + L" > " + caption);
  }
}

TEST_F(MainMenuTest, AccessKeysAreUniqueWithinEachPopup) {
  ExpectUniqueAccessKeys(menu_, L"menu bar");
}

// The command names the program's handlers use must reach the items with
// these captions; sizes and rates are not numbered in menu order.
TEST_F(MainMenuTest, CommandNamesReachTheirItems) {
  const struct {
    UINT command;
    const wchar_t* caption;
  } commands[] = {
      {CMD_EXIT, L"&Beenden"},
      {CMD_CHANNEL_LEFT, L"&Links"},
      {CMD_CHANNEL_RIGHT, L"&Rechts"},
      {CMD_CHANNEL_BOTH, L"&Beide"},
      {CMD_SHOW_MAXIMUM, L"&Maximum anzeigen"},
      {CMD_SHOW_PEAKS, L"&Spitzenwerte anzeigen"},
      {CMD_SHOW_DISTORTION, L"&Verzerrung anzeigen"},
      {CMD_SIZE_1024, L"&1024 Punkte"},
      {CMD_SIZE_2048, L"&2048 Punkte"},
      {CMD_SIZE_4096, L"&4096 Punkte"},
      {CMD_SIZE_8192, L"&8192 Punkte"},
      {CMD_SIZE_16384, L"1&6384 Punkte"},
      {CMD_SIZE_32768, L"&32768 Punkte"},
      {CMD_SIZE_65536, L"6&5536 Punkte"},
      {CMD_SIZE_131072, L"131072 Punkte"},
      {CMD_SIZE_262144, L"262144 Punkte"},
      {CMD_RATE_1, L"&1 Messung/s"},
      {CMD_RATE_2, L"&2 Messungen/s"},
      {CMD_RATE_5, L"&5 Messungen/s"},
      {CMD_RATE_10, L"1&0 Messungen/s"},
      {CMD_RATE_20, L"20 Messungen/s"},
      {CMD_WINDOW_OFF, L"&Aus"},
      {CMD_WINDOW_TRIANGLE, L"&Dreieck"},
      {CMD_WINDOW_HANNING, L"&Hanning"},
      {CMD_WINDOW_WELCH, L"&Welch"},
      {CMD_WINDOW_HAMMING, L"Ha&mming"},
      {CMD_WINDOW_BLACKMAN, L"&Blackman"},
      {CMD_WINDOW_PARZEN, L"&Parzen"},
      {CMD_AUTO_OFFSET, L"Automatische &Offsetkorrektur"},
      {CMD_HOLD_MAXIMUM, L"Maximum &halten"},
      {CMD_HOLD_RESET, L"Gehaltenes Maximum &zurücksetzen"},
      {CMD_AVERAGE_OFF, L"&Aus"},
      {CMD_AVERAGE_CONTINUOUS, L"&Fortlaufend"},
      {CMD_AVERAGE_RESTART, L"Mittelung &neu beginnen"},
      {CMD_PAUSE, L"An&halten\tLeertaste"},
      {CMD_ANALYSE_RECORDING, L"&Aufnahme analysieren...\tStrg+O"},
      {CMD_EXPORT_SPECTRUM, L"Spektrum &exportieren...\tStrg+S"},
      {CMD_COPY_PICTURE, L"Bild &kopieren\tStrg+C"},
      {CMD_SAVE_PICTURE, L"Bild &speichern..."},
      {CMD_REFERENCE_TAKE, L"Als &Referenz übernehmen"},
      {CMD_REFERENCE_LOAD, L"Referenz &laden..."},
      {CMD_REFERENCE_REMOVE, L"Referenz &entfernen"},
      {CMD_VIEW_FULL_RANGE, L"&Gesamter Bereich\tPos1"},
      {CMD_VIEW_RANGE, L"&Bereich..."},
      {CMD_SCALE_UNCORRECTED, L"&Unkorrigiert"},
      {CMD_SCALE_SINE, L"&Sinuspegel (dBFS)"},
      {CMD_SCALE_DENSITY, L"&Rauschdichte (dB/Hz)"},
      {CMD_WEIGHTING_NONE, L"&Keine"},
      {CMD_WEIGHTING_A, L"&A"},
      {CMD_WEIGHTING_C, L"&C"},
      {CMD_CALIBRATE, L"Pegel &kalibrieren..."},
      {CMD_FORGET_CALIBRATION, L"Kalibrierung &entfernen"},
      {CMD_ABOUT, L"&Über..."},
  };
  for (const auto& command : commands) {
    wchar_t caption[kCaptionCapacity] = {};
    GetMenuStringW(menu_, command.command, caption, kCaptionCapacity, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(caption), command.caption) << "command " << command.command;
  }
}

}  // namespace
