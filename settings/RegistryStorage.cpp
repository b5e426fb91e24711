#include "settings/RegistryStorage.h"

#include <windows.h>

#include <algorithm>

namespace {

// Texts longer than this are not ours: they read as a value of another kind.
constexpr DWORD kMaxTextBytes = 1024;

// A value's data as read: a number, a text, or of another kind.
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

// Longer value names are not ours; a product name has at most 31 characters.
constexpr DWORD kMaxNameChars = 256;

}  // namespace

std::optional<StoredValue> RegistryStorage::Read(const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SubKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return std::nullopt;
  BYTE data[kMaxTextBytes + 1] = {};
  DWORD type = REG_NONE;
  DWORD size = kMaxTextBytes;
  const LONG result = RegQueryValueExA(key, name, nullptr, &type, data, &size);
  RegCloseKey(key);
  if (result == ERROR_MORE_DATA) return StoredValue{};  // Other
  if (result != ERROR_SUCCESS) return std::nullopt;
  return ValueOf(type, data, size);
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
    BYTE data[kMaxTextBytes + 1] = {};
    DWORD type = REG_NONE;
    DWORD size = kMaxTextBytes;
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
  WriteValue(GroupKey(group), name.c_str(), REG_DWORD, &number, sizeof number);
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
  WriteValue(SubKey, name, REG_DWORD, &number, sizeof number);
}

void RegistryStorage::WriteText(const char* name, const std::string& value) {
  WriteValue(SubKey, name, REG_SZ, value.c_str(), static_cast<unsigned long>(value.size() + 1));
}

void RegistryStorage::WriteValue(const std::string& subKey, const char* name, unsigned long type,
                                 const void* data, unsigned long size) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

// The whole tree: a key with subkeys cannot be deleted on its own.
void RegistryStorage::Forget() {
  RegDeleteTreeA(HKEY_CURRENT_USER, SubKey.c_str());
}
