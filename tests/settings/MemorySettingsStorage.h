#pragma once

#include <map>
#include <string>

#include "settings/SettingsStorage.h"

// Settings kept in memory for tests; Readable and Writable off make it
// behave as storage that is locked away.
class MemorySettingsStorage : public SettingsStorage {
 public:
  std::optional<StoredValue> Read(const char* name) override {
    const auto found = Values.find(name);
    if (!Readable || found == Values.end()) return std::nullopt;
    return found->second;
  }
  void WriteNumber(const char* name, uint32_t value) override {
    if (Writable) Values[name] = {StoredValue::Kind::Number, value, {}};
  }
  void WriteText(const char* name, const std::string& value) override {
    if (Writable) Values[name] = {StoredValue::Kind::Text, 0, value};
  }
  void Forget() override {
    if (Writable) Values.clear();
  }

  std::map<std::string, StoredValue> Values;
  bool Readable = true;
  bool Writable = true;
};
