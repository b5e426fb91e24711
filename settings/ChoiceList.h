#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>

// One menu item and the value it chooses for its setting.
struct MenuChoice {
  uint32_t Command = 0;
  int32_t Value = 0;
};

// The most menu items one setting may have.
constexpr size_t kMaxChoicesPerSetting = 16;

// A setting's menu items in menu order. They are held in the setting's own
// row, so that a setting is declared in one place, and the row stays a
// constant: a row with more items than fit does not compile.
class ChoiceList {
 public:
  constexpr ChoiceList(std::initializer_list<MenuChoice> choices) {
    if (choices.size() > kMaxChoicesPerSetting)
      throw std::length_error("more menu items than a setting may have");
    for (const MenuChoice& choice : choices) Items[Count++] = choice;
  }

  constexpr const MenuChoice* begin() const { return Items; }
  constexpr const MenuChoice* end() const { return Items + Count; }
  constexpr size_t size() const { return Count; }

 private:
  MenuChoice Items[kMaxChoicesPerSetting] = {};
  size_t Count = 0;
};
