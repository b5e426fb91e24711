#pragma once

#include <string>

#include "settings/SettingsStorage.h"

// The settings under one key of HKEY_CURRENT_USER: numbers as REG_DWORD,
// texts as REG_SZ (a wide text through the wide functions, so that it keeps
// every character), each group under a key of its name below. The key is
// opened for each access and made by the first write. A key that cannot be opened, read or written
// costs only the remembering: no box, no exception.
class RegistryStorage : public SettingsStorage {
 public:
  static constexpr const char* kProgramKey = "Software\\Frelox";

  explicit RegistryStorage(std::string subKey = kProgramKey) : SubKey(std::move(subKey)) {}

  std::optional<StoredValue> Read(const char* name) override;
  void WriteNumber(const char* name, uint32_t value) override;
  void WriteText(const char* name, const std::string& value) override;
  void WriteWideText(const char* name, const std::wstring& value) override;
  std::map<std::string, StoredValue> ReadGroup(const char* group) override;
  void WriteGroupNumber(const char* group, const std::string& name, uint32_t value) override;
  void RemoveFromGroup(const char* group, const std::string& name) override;
  // Deletes the key with everything below it.
  void Forget() override;

 private:
  std::string GroupKey(const char* group) const { return SubKey + "\\" + group; }

  std::string SubKey;
};
