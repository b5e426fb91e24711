#pragma once

#include <windows.h>

#include <cstddef>

// A part of a frame's commands kept in a class of its own (not a window):
// its rows map command numbers to its handlers, as a window's response
// table does for a window.
template <class T>
struct CommandRow {
  UINT First;
  UINT Last;              // 0: First alone
  bool (*Accepts)(UINT);  // non-null: every command it accepts; First and Last unused
  void (T::*Handler)(UINT command);
};

// Calls the handler of the first row that takes `command`; false when none does.
template <class T, std::size_t N>
bool DispatchCommand(T& unit, const CommandRow<T> (&rows)[N], UINT command) {
  for (const CommandRow<T>& row : rows) {
    const bool takes = row.Accepts
                           ? row.Accepts(command)
                           : command == row.First ||
                                 (row.Last != 0 && command >= row.First && command <= row.Last);
    if (!takes) continue;
    (unit.*row.Handler)(command);
    return true;
  }
  return false;
}
