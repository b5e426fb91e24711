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
    if (Writable) Values[name] = {StoredValue::Kind::Number, value, {}, {}};
  }
  void WriteText(const char* name, const std::string& value) override {
    if (Writable) Values[name] = {StoredValue::Kind::Text, 0, value, {}};
  }
  void WriteWideText(const char* name, const std::wstring& value) override {
    if (Writable) Values[name] = {StoredValue::Kind::Text, 0, {}, value};
  }
  std::map<std::string, StoredValue> ReadGroup(const char* group) override {
    const auto found = Groups.find(group);
    if (!Readable || found == Groups.end()) return {};
    return found->second;
  }
  void WriteGroupNumber(const char* group, const std::string& name, uint32_t value) override {
    if (Writable) Groups[group][name] = {StoredValue::Kind::Number, value, {}, {}};
  }
  void RemoveFromGroup(const char* group, const std::string& name) override {
    if (Writable) Groups[group].erase(name);
  }
  void Forget() override {
    if (!Writable) return;
    Values.clear();
    Groups.clear();
  }

  std::map<std::string, StoredValue> Values;
  std::map<std::string, std::map<std::string, StoredValue>> Groups;
  bool Readable = true;
  bool Writable = true;
};
