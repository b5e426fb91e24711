#pragma once

#include <windows.h>

#include <cstddef>

class TWindow;

// Unpacks a message's parameters and calls one handler of one class.
using TDispatchFunction = LRESULT (*)(TWindow& window, WPARAM wParam, LPARAM lParam);

// One row of a class's response table: a window message, or for WM_COMMAND
// a menu command number, and the dispatcher of its handler.
struct TResponseEntry {
  UINT Message;
  UINT Command;  // command number for WM_COMMAND rows; 0 otherwise
  TDispatchFunction Dispatch;
  UINT CommandLast = 0;  // a row for the commands Command..CommandLast; 0: Command alone
  // A row for every command this accepts (Command and CommandLast unused); null: none.
  bool (*Accepts)(UINT command) = nullptr;
};

// A class's static response table. Lookup searches the class's own rows
// first, then the table of its base class, and so on; what no table answers
// goes to the window's default processing.
class TResponseTable {
 public:
  template <std::size_t N>
  constexpr TResponseTable(const TResponseTable* base, const TResponseEntry (&rows)[N])
      : Base(base), Rows(rows), Count(N) {}
  constexpr explicit TResponseTable(const TResponseTable* base)
      : Base(base), Rows(nullptr), Count(0) {}

  const TResponseEntry* Find(UINT message, WPARAM wParam) const;

 private:
  const TResponseTable* Base;
  const TResponseEntry* Rows;
  std::size_t Count;
};

// Dispatchers, one per handler signature: each unpacks the message's
// parameters and calls the handler with them.
namespace Dispatch {

template <class T, void (T::*Handler)()>
LRESULT Command(TWindow& window, WPARAM, LPARAM) {
  (static_cast<T&>(window).*Handler)();
  return 0;
}

// The command number is the low word: the high word says where the command
// came from (1 for an accelerator, a notification code for a control).
template <class T, void (T::*Handler)(UINT)>
LRESULT CommandWithId(TWindow& window, WPARAM wParam, LPARAM) {
  (static_cast<T&>(window).*Handler)(LOWORD(wParam));
  return 0;
}

template <class T, LRESULT (T::*Handler)()>
LRESULT Message(TWindow& window, WPARAM, LPARAM) {
  return (static_cast<T&>(window).*Handler)();
}

// WM_INITMENUPOPUP: the popup about to open and its position in its parent.
template <class T, void (T::*Handler)(HMENU popup, UINT position)>
LRESULT InitMenuPopup(TWindow& window, WPARAM wParam, LPARAM lParam) {
  (static_cast<T&>(window).*Handler)(reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
  return 0;
}

template <class T, void (T::*Handler)(UINT sizeType, SIZE size)>
LRESULT Size(TWindow& window, WPARAM wParam, LPARAM lParam) {
  const SIZE size{static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
  (static_cast<T&>(window).*Handler)(static_cast<UINT>(wParam), size);
  return 0;
}

template <class T, void (T::*Handler)(UINT_PTR timerId)>
LRESULT Timer(TWindow& window, WPARAM wParam, LPARAM) {
  (static_cast<T&>(window).*Handler)(static_cast<UINT_PTR>(wParam));
  return 0;
}

template <class T, bool (T::*Handler)(HDC dc)>
LRESULT EraseBackground(TWindow& window, WPARAM wParam, LPARAM) {
  return (static_cast<T&>(window).*Handler)(reinterpret_cast<HDC>(wParam)) ? TRUE : FALSE;
}

// WM_POWERBROADCAST: the handler gets the power event; the message is granted.
template <class T, void (T::*Handler)(UINT powerEvent)>
LRESULT PowerBroadcast(TWindow& window, WPARAM wParam, LPARAM) {
  (static_cast<T&>(window).*Handler)(static_cast<UINT>(wParam));
  return TRUE;
}

// WM_MOUSEMOVE: the handler gets the pointer in client coordinates.
template <class T, void (T::*Handler)(POINT pointer)>
LRESULT MouseMove(TWindow& window, WPARAM, LPARAM lParam) {
  const POINT pointer{static_cast<LONG>(static_cast<short>(LOWORD(lParam))),
                      static_cast<LONG>(static_cast<short>(HIWORD(lParam)))};
  (static_cast<T&>(window).*Handler)(pointer);
  return 0;
}

// Any message: the handler gets both parameters as they came and answers
// the message itself, e.g. by passing it on to the default processing.
template <class T, LRESULT (T::*Handler)(WPARAM wParam, LPARAM lParam)>
LRESULT WithParameters(TWindow& window, WPARAM wParam, LPARAM lParam) {
  return (static_cast<T&>(window).*Handler)(wParam, lParam);
}

}  // namespace Dispatch

// Row builders. A class lists its rows as, e.g.,
//   Row::Command<TMainFrame, &TMainFrame::CmAbout>(CMD_ABOUT)
namespace Row {

template <class T, void (T::*Handler)()>
constexpr TResponseEntry Command(UINT command) {
  return {WM_COMMAND, command, &Dispatch::Command<T, Handler>};
}

template <class T, void (T::*Handler)(UINT)>
constexpr TResponseEntry CommandWithId(UINT command) {
  return {WM_COMMAND, command, &Dispatch::CommandWithId<T, Handler>};
}

// One handler for a run of command numbers, each passed to it.
template <class T, void (T::*Handler)(UINT)>
constexpr TResponseEntry CommandRange(UINT first, UINT last) {
  return {WM_COMMAND, first, &Dispatch::CommandWithId<T, Handler>, last};
}

// One handler for every command that `accepts` answers true for, each
// passed to it: for commands that a table outside the class lists.
template <class T, void (T::*Handler)(UINT)>
constexpr TResponseEntry CommandsAccepted(bool (*accepts)(UINT command)) {
  return {WM_COMMAND, 0, &Dispatch::CommandWithId<T, Handler>, 0, accepts};
}

template <class T, LRESULT (T::*Handler)()>
constexpr TResponseEntry Message(UINT message) {
  return {message, 0, &Dispatch::Message<T, Handler>};
}

template <class T, void (T::*Handler)(HMENU, UINT)>
constexpr TResponseEntry InitMenuPopup() {
  return {WM_INITMENUPOPUP, 0, &Dispatch::InitMenuPopup<T, Handler>};
}

template <class T, void (T::*Handler)(UINT, SIZE)>
constexpr TResponseEntry Size() {
  return {WM_SIZE, 0, &Dispatch::Size<T, Handler>};
}

template <class T, void (T::*Handler)(UINT_PTR)>
constexpr TResponseEntry Timer() {
  return {WM_TIMER, 0, &Dispatch::Timer<T, Handler>};
}

template <class T, bool (T::*Handler)(HDC)>
constexpr TResponseEntry EraseBackground() {
  return {WM_ERASEBKGND, 0, &Dispatch::EraseBackground<T, Handler>};
}

template <class T, void (T::*Handler)(UINT)>
constexpr TResponseEntry PowerBroadcast() {
  return {WM_POWERBROADCAST, 0, &Dispatch::PowerBroadcast<T, Handler>};
}

template <class T, void (T::*Handler)(POINT)>
constexpr TResponseEntry MouseMove() {
  return {WM_MOUSEMOVE, 0, &Dispatch::MouseMove<T, Handler>};
}

template <class T, LRESULT (T::*Handler)(WPARAM, LPARAM)>
constexpr TResponseEntry WithParameters(UINT message) {
  return {message, 0, &Dispatch::WithParameters<T, Handler>};
}

}  // namespace Row

// Declares a class's rows, its table and its lookup override, inside the
// class body. The rows are members so that they may name private handlers.
#define DECLARE_RESPONSE_TABLE()                         \
 public:                                                 \
  static const TResponseTable Table;                     \
  const TResponseTable& ResponseTable() const override { \
    return Table;                                        \
  }                                                      \
                                                         \
 private:                                                \
  static const TResponseEntry Rows[]
