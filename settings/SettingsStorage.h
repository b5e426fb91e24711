#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

// One value as the storage holds it. A value of any other kind than a 32-bit
// number or a text is Other, so that a reader can tell it from a missing one.
struct StoredValue {
  enum class Kind { Number, Text, Other };
  Kind ValueKind = Kind::Other;
  uint32_t Number = 0;
  // A text as WriteText stores it, in the system's code page (a product
  // name), and as WriteWideText does, in UTF-16 (a path, which may hold any
  // character). A store gives at least the one that was written.
  std::string Text;
  std::wstring WideText;
};

// Where the user's settings are kept between runs: named values in one
// place per user. Implementations never throw and never show anything: a
// place that cannot be read reads as empty, and a failed write is dropped,
// so that storage that is locked away costs nothing but the remembering.
class SettingsStorage {
 public:
  virtual ~SettingsStorage() = default;

  // The value of that name; nothing when it is missing or cannot be read.
  virtual std::optional<StoredValue> Read(const char* name) = 0;
  virtual void WriteNumber(const char* name, uint32_t value) = 0;
  virtual void WriteText(const char* name, const std::string& value) = 0;
  virtual void WriteWideText(const char* name, const std::wstring& value) = 0;

  // A group of values kept beside the settings, named by the user's things
  // (an input's product name) rather than by the program: every value of
  // the group by its name; empty when there is none or it cannot be read.
  virtual std::map<std::string, StoredValue> ReadGroup(const char* group) = 0;
  virtual void WriteGroupNumber(const char* group, const std::string& name, uint32_t value) = 0;
  virtual void RemoveFromGroup(const char* group, const std::string& name) = 0;

  // Removes every stored value, the groups' too.
  virtual void Forget() = 0;
};
