#include "shell/FreloxMain.h"

#include "shell/TMyApp.h"

int FreloxMain(int, char**) {
  TMyApp app;
  return app.Run();
}
