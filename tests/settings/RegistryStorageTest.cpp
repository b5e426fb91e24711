#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "settings/RegistryStorage.h"

namespace {

// A key of this test's own, so that the user's settings stay untouched.
const std::string kTestKey = "Software\\FreloxTests\\RegistryStorage";

bool KeyExists(const std::string& subKey) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// "&Standardeinstellungen" must leave nothing behind, also where someone
// (a later version, the user) put a key below the program's.
TEST(RegistryStorage, ForgetRemovesTheKeyWithItsValuesAndSubkeys) {
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());  // what an earlier run left
  RegistryStorage storage(kTestKey);
  storage.WriteNumber("FftSize", 8192);
  storage.WriteText("InputName", "USB");
  HKEY below;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (kTestKey + "\\Below\\Deeper").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &below, nullptr),
            ERROR_SUCCESS);
  const DWORD one = 1;
  RegSetValueExA(below, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(below);

  storage.Forget();
  EXPECT_FALSE(KeyExists(kTestKey));
  EXPECT_FALSE(storage.Read("FftSize"));
  EXPECT_TRUE(KeyExists("Software\\FreloxTests"));  // only the storage's own key goes
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\FreloxTests");
}

// A group's values by their names, which may hold any character a product
// name has, a backslash too.
TEST(RegistryStorage, AGroupKeepsNumbersByNameAndForgetsThemOneByOne) {
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
  RegistryStorage storage(kTestKey);
  EXPECT_TRUE(storage.ReadGroup("Calibration").empty());
  storage.WriteGroupNumber("Calibration", "Mic \\ Line (USB)", 10002);
  storage.WriteGroupNumber("Calibration", "Headset", static_cast<uint32_t>(-350));
  std::map<std::string, StoredValue> group = storage.ReadGroup("Calibration");
  ASSERT_EQ(group.size(), 2u);
  EXPECT_EQ(group["Mic \\ Line (USB)"].Number, 10002u);
  EXPECT_EQ(group["Headset"].ValueKind, StoredValue::Kind::Number);
  EXPECT_EQ(static_cast<int32_t>(group["Headset"].Number), -350);
  EXPECT_FALSE(storage.Read("Headset"));  // beside the settings, not among them

  storage.RemoveFromGroup("Calibration", "Headset");
  EXPECT_EQ(storage.ReadGroup("Calibration").count("Headset"), 0u);
  storage.Forget();
  EXPECT_TRUE(storage.ReadGroup("Calibration").empty());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\FreloxTests");
}

// A path of any characters the system allows, as long as it allows, and one
// that an older version stored through the ANSI functions.
TEST(RegistryStorage, ATextKeepsEveryCharacterAndAnOlderAnsiValueReads) {
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
  RegistryStorage storage(kTestKey);
  const std::wstring path =
      L"C:\\Users\\Pawe\u0142\\\U0001F600\\" + std::wstring(2000, L'x') + L".txt";
  storage.WriteWideText("ReferenceFile", path);
  const std::optional<StoredValue> read = storage.Read("ReferenceFile");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->ValueKind, StoredValue::Kind::Text);
  EXPECT_EQ(read->WideText, path);

  storage.WriteText("ReferenceFile", "C:\\Messungen\\alt.txt");
  EXPECT_EQ(storage.Read("ReferenceFile")->WideText, L"C:\\Messungen\\alt.txt");
  EXPECT_EQ(storage.Read("ReferenceFile")->Text, "C:\\Messungen\\alt.txt");
  storage.Forget();
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\FreloxTests");
}

}  // namespace
