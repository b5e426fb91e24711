#pragma once

#include "windowing/TWindow.h"

// A top-level window with caption, menu and icon whose client window fills
// its client area (kept as it is while the frame is minimised). Closing it, by the close box, the
// system menu, the exit command or the system's end-of-session question, is a close request that
// the application answers by asking the windows whether they may close.
class TFrameWindow : public TWindow {
 public:
  static constexpr UINT kExitCommand = 24310;

  // `client` is constructed without parent; the frame adopts and owns it.
  // No status bar: menu selections are not tracked.
  TFrameWindow(TWindow* parent, const char* title, TWindow* client);

  void AssignMenu(int resourceId) { Attributes().MenuResource = resourceId; }
  void SetIcon(int iconGroupId) { IconGroup = iconGroupId; }
  TWindow* GetClientWindow() const { return Client; }
  // The close request: destroys the window only if it may close.
  void RequestClose();
  // Shows the window the first time, with the start's show command.
  virtual void Show(int showCommand) { ShowWindow(GetHandle(), showCommand); }

  DECLARE_RESPONSE_TABLE();

 protected:
  void SetupWindow() override;

 private:
  void EvSize(UINT sizeType, SIZE size);
  LRESULT EvClose();
  void CmExit();
  LRESULT EvQueryEndSession();
  LRESULT EvQueryDragIcon();
  LRESULT EvPaintIconic();
  LRESULT EvDestroy();
  void EvPowerBroadcast(UINT powerEvent);

  bool MayClose();
  void FitClient();
  void LoadIcons();

  TWindow* Client;
  int IconGroup = 0;
  HICON LargeIcon = nullptr;  // shared icons: loaded, never destroyed
  HICON SmallIcon = nullptr;
};
