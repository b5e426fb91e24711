#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "windowing/TResponseTable.h"

class TDC;

// A window of the program: a C++ object that owns a Windows window and the
// child window objects created with it as parent. Messages reach the object
// through one static window procedure, which finds the object and looks the
// message up in the class's response table (then the base classes' tables,
// then default processing). GUI thread only.
class TWindow {
 public:
  // Window attributes used when the window is created.
  struct TAttributes {
    DWORD Style = WS_CHILD | WS_VISIBLE;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, W = 0, H = 0;
    int MenuResource = 0;  // top-level windows only
    // A window without parent that only receives messages (HWND_MESSAGE):
    // never shown, no broadcasts.
    bool MessageOnly = false;
  };

  // A child registers with its parent, which owns and destroys it.
  explicit TWindow(TWindow* parent, const char* title = nullptr);
  virtual ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  // Creates the Windows window, then runs SetupWindow. Throws TXWindowing.
  void Create();
  // Destroys the Windows window (the children's first). The object lives on.
  void Destroy();
  // Takes a window constructed without parent as a child, e.g. a frame's client.
  void Adopt(TWindow* child);

  // Whether the window may close: by default, if every child that has a
  // window may close.
  virtual bool CanClose();

  // The run ends with an exception whose box is about to open: stops whatever
  // would post a quit message (and so end that box at once), e.g. a repeating
  // timer. By default, the children's that have a window.
  virtual void StopBeforeExceptionBox();

  HWND GetHandle() const { return Handle; }
  TWindow* GetParent() const { return Parent; }
  const std::vector<std::unique_ptr<TWindow>>& GetChildren() const { return Children; }
  TAttributes& Attributes() { return Attr; }
  const std::string& GetTitle() const { return Title; }

  // Message dispatch through the response tables.
  virtual const TResponseTable& ResponseTable() const { return Table; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  static const TResponseTable Table;

  // The paint dispatch: BeginPaint, Paint with a TPaintDC, EndPaint.
  LRESULT EvPaint();

 protected:
  // Called once the window exists; the base creates the child windows.
  virtual void SetupWindow();
  // Draws the window into the paint device context.
  virtual void Paint(TDC& dc, bool erase, const RECT& updateRect);
  // Messages that no table answers.
  virtual LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static const TResponseEntry Rows[];
  static LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterWindowClass();
  void AddChild(TWindow* child);

  TWindow* Parent;
  std::string Title;
  TAttributes Attr;
  HWND Handle = nullptr;
  std::vector<std::unique_ptr<TWindow>> Children;
};

// The class name under which every window of the program is registered.
extern const char* const kWindowClassName;
