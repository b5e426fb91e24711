#ifndef FRELOX_TESTS_RESOURCES_DIALOGTEMPLATE_H
#define FRELOX_TESTS_RESOURCES_DIALOGTEMPLATE_H

#include <windows.h>

#include <string>
#include <vector>

// A classic dialog template as stored in a dialog resource. Measures are in
// dialog units. Names given by number read "#N"; the predefined control
// classes are given by their class names ("Button", "Static", ...).
struct DialogItem {
  DWORD style = 0;
  DWORD extendedStyle = 0;
  short x = 0;
  short y = 0;
  short width = 0;
  short height = 0;
  WORD id = 0;
  std::wstring className;
  std::wstring text;
  WORD creationDataBytes = 0;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD extendedStyle = 0;
  short x = 0;
  short y = 0;
  short width = 0;
  short height = 0;
  std::wstring menu;
  std::wstring className;
  std::wstring caption;
  WORD fontPointSize = 0;
  std::wstring fontFace;
  std::vector<DialogItem> items;
};

#endif
