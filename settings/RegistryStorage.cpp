#include "settings/RegistryStorage.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

// Texts longer than this are not ours: they read as a value of another kind.
// A group's values are numbers; a setting's text may be the longest path.
constexpr DWORD kMaxGroupTextBytes = 1024;
constexpr DWORD kMaxTextChars = 32767;

// A group value's data as read: a number, a text, or of another kind.
StoredValue ValueOf(DWORD type, const BYTE* data, DWORD size) {
  StoredValue value;
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    value.ValueKind = StoredValue::Kind::Number;
    CopyMemory(&value.Number, data, sizeof(DWORD));
  } else if (type == REG_SZ) {
    // The stored text may or may not carry its terminating zero.
    value.ValueKind = StoredValue::Kind::Text;
    value.Text.assign(reinterpret_cast<const char*>(data), size);
    value.Text.erase(std::min(value.Text.find('\0'), value.Text.size()));
  }
  return value;
}

// A text in the system's code page, as the ANSI functions give it.
std::string NarrowText(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), length, narrow.data(), bytes, nullptr, nullptr);
  return narrow;
}

std::wstring WideName(const char* name) {
  const int chars = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name, -1, wide.data(), chars);
  wide.resize(wide.find(L'\0'));
  return wide;
}

// A key of HKEY_CURRENT_USER opened for setting values, made if needed;
// closed when it goes. A failure leaves it null, and setting a value fails.
class WritableKey {
 public:
  explicit WritableKey(const std::string& subKey) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &Key, nullptr) != ERROR_SUCCESS)
      Key = nullptr;
  }
  ~WritableKey() {
    if (Key) RegCloseKey(Key);
  }
  WritableKey(const WritableKey&) = delete;
  WritableKey& operator=(const WritableKey&) = delete;

  HKEY Get() const { return Key; }

 private:
  HKEY Key = nullptr;
};

// Longer value names are not ours; a product name has at most 31 characters.
constexpr DWORD kMaxNameChars = 256;

}  // namespace

// Read as UTF-16: the registry keeps every REG_SZ so, the ones an older
// version stored through the ANSI functions too.
std::optional<StoredValue> RegistryStorage::Read(const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SubKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return std::nullopt;
  std::vector<wchar_t> data(kMaxTextChars + 1);
  DWORD type = REG_NONE;
  DWORD size = kMaxTextChars * sizeof(wchar_t);
  const LONG result = RegQueryValueExW(key, WideName(name).c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(key);
  if (result == ERROR_MORE_DATA) return StoredValue{};  // Other
  if (result != ERROR_SUCCESS) return std::nullopt;
  StoredValue value;
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    value.ValueKind = StoredValue::Kind::Number;
    CopyMemory(&value.Number, data.data(), sizeof(DWORD));
  } else if (type == REG_SZ) {
    // The stored text may or may not carry its terminating zero.
    value.ValueKind = StoredValue::Kind::Text;
    value.WideText.assign(data.data(), size / sizeof(wchar_t));
    value.WideText.erase(std::min(value.WideText.find(L'\0'), value.WideText.size()));
    value.Text = NarrowText(value.WideText);
  }
  return value;
}

std::map<std::string, StoredValue> RegistryStorage::ReadGroup(const char* group) {
  std::map<std::string, StoredValue> values;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, GroupKey(group).c_str(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return values;
  for (DWORD index = 0;; ++index) {
    char name[kMaxNameChars] = {};
    DWORD nameChars = kMaxNameChars;
    BYTE data[kMaxGroupTextBytes + 1] = {};
    DWORD type = REG_NONE;
    DWORD size = kMaxGroupTextBytes;
    const LONG result = RegEnumValueA(key, index, name, &nameChars, nullptr, &type, data, &size);
    if (result == ERROR_MORE_DATA) continue;  // not ours
    if (result != ERROR_SUCCESS) break;
    values[std::string(name, nameChars)] = ValueOf(type, data, size);
  }
  RegCloseKey(key);
  return values;
}

void RegistryStorage::WriteGroupNumber(const char* group, const std::string& name, uint32_t value) {
  const DWORD number = value;
  const WritableKey key(GroupKey(group));
  RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
}

void RegistryStorage::RemoveFromGroup(const char* group, const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, GroupKey(group).c_str(), 0, KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS)
    return;
  RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
}

void RegistryStorage::WriteNumber(const char* name, uint32_t value) {
  const DWORD number = value;
  const WritableKey key(SubKey);
  RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
}

void RegistryStorage::WriteText(const char* name, const std::string& value) {
  const WritableKey key(SubKey);
  RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}

void RegistryStorage::WriteWideText(const char* name, const std::wstring& value) {
  const WritableKey key(SubKey);
  RegSetValueExW(key.Get(), WideName(name).c_str(), 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The whole tree: a key with subkeys cannot be deleted on its own.
void RegistryStorage::Forget() {
  RegDeleteTreeA(HKEY_CURRENT_USER, SubKey.c_str());
}
