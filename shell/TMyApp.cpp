#include "shell/TMyApp.h"

#include "resources/ResourceIds.h"
#include "shell/TLayClient.h"
#include "shell/TMainFrame.h"

void TMyApp::InitMainWindow() {
  // The view exists before the frame stores the settings; it reads none of
  // them until its window is set up.
  auto* client = new TLayClient(*Measured);
  auto* frame = new TMainFrame(nullptr, kTitle, client, Storage, *Measured);
  SetMainWindow(frame);
  frame->AssignMenu(IDM_MAIN);
  frame->SetIcon(IDI_FRELOX);
}

bool TMyApp::PreProcessMessage(MSG& message) {
  if (!Keys) Keys = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
  const TWindow* frame = GetMainWindow();
  if (!Keys || !frame || !frame->GetHandle()) return false;
  return TranslateAcceleratorA(frame->GetHandle(), Keys, &message) != 0;
}
