#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/ResourceIds.h"
#include "tests/resources/DialogTemplateReader.h"
#include "tests/resources/ModuleResource.h"

namespace {

const DWORD kChildStyle = WS_CHILD | WS_VISIBLE;
const WORD kNoControlId = 0xFFFF;  // -1 in the template's 16-bit ID field
const int kTextCapacity = 400;

DialogTemplate ReadAboutBox() {
  const ModuleResource resource(RT_DIALOG, IDD_ABOUT);
  if (!resource.Found()) throw std::runtime_error("no dialog resource");
  return DialogTemplateReader(resource.Data(), resource.Size()).Read();
}

struct ExpectedControl {
  const wchar_t* className;
  DWORD style;
  WORD id;
  short x, y, width, height;
};

TEST(AboutBoxTemplate, IsAClassicTemplateWithoutExtendedStyles) {
  const ModuleResource resource(RT_DIALOG, IDD_ABOUT);
  ASSERT_TRUE(resource.Found());
  EXPECT_FALSE(DialogTemplateReader::IsExtended(resource.Data(), resource.Size()));
}

TEST(AboutBoxTemplate, FrameHasItsStylePlaceCaptionAndFont) {
  const DialogTemplate dialog = ReadAboutBox();
  EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                                             DS_MODALFRAME | DS_SETFONT));
  EXPECT_EQ(dialog.extendedStyle, 0u);
  EXPECT_EQ(dialog.x, 147);
  EXPECT_EQ(dialog.y, 55);
  EXPECT_EQ(dialog.width, 198);
  EXPECT_EQ(dialog.height, 152);
  EXPECT_EQ(dialog.menu, L"") << "no menu";
  EXPECT_EQ(dialog.className, L"") << "the standard dialog class";
  EXPECT_EQ(dialog.caption, L"Über Frelox...");
  EXPECT_EQ(dialog.fontPointSize, 8);
  EXPECT_EQ(dialog.fontFace, L"MS Sans Serif");
}

// The template order puts the contact paragraph (y 94) before the disclaimer
// (y 66).
TEST(AboutBoxTemplate, ControlsComeInTemplateOrder) {
  const ExpectedControl expected[] = {
      {L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 62, 126, 76, 20},
      {L"Static", SS_CENTER | WS_GROUP, kNoControlId, 12, 6, 176, 10},
      {L"Static", SS_CENTER | WS_GROUP, kNoControlId, 6, 24, 187, 10},
      {L"Static", SS_LEFT | WS_GROUP, kNoControlId, 6, 38, 187, 26},
      {L"Static", SS_LEFT | WS_GROUP, kNoControlId, 6, 94, 187, 26},
      {L"Static", SS_LEFT | WS_GROUP, kNoControlId, 6, 66, 187, 26},
  };
  const DialogTemplate dialog = ReadAboutBox();
  ASSERT_EQ(dialog.items.size(), std::size(expected));
  for (std::size_t i = 0; i < dialog.items.size(); ++i) {
    SCOPED_TRACE("control " + std::to_string(i + 1));
    const DialogItem& item = dialog.items[i];
    EXPECT_EQ(item.className, expected[i].className);
    EXPECT_EQ(item.style, expected[i].style | kChildStyle);
    EXPECT_EQ(item.extendedStyle, 0u);
    EXPECT_EQ(item.id, expected[i].id);
    EXPECT_EQ(item.x, expected[i].x);
    EXPECT_EQ(item.y, expected[i].y);
    EXPECT_EQ(item.width, expected[i].width);
    EXPECT_EQ(item.height, expected[i].height);
    EXPECT_EQ(item.creationDataBytes, 0);
  }
  EXPECT_EQ(dialog.items[0].text, L"Geht in Ordnung!");
  EXPECT_EQ(dialog.items[1].text, L"Frelox V1.02");
}

TEST(AboutBoxTemplate, ContactParagraphGivesAnEmailAddress) {
  const DialogTemplate dialog = ReadAboutBox();
  ASSERT_EQ(dialog.items.size(), 6u);
  for (std::size_t i = 2; i < dialog.items.size(); ++i) {
    EXPECT_FALSE(dialog.items[i].text.empty()) << "control " << i + 1;
  }
  EXPECT_NE(dialog.items[4].text.find(L"@example.org"), std::wstring::npos);
}

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

// The texts are the program's own; each must fit its control in the dialog's
// font, or the box cuts a paragraph off.
TEST(AboutBoxWindow, EveryTextFitsItsControl) {
  const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT),
                                         nullptr, PassiveDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  wchar_t text[kTextCapacity] = {};
  GetWindowTextW(dialog, text, kTextCapacity);
  EXPECT_EQ(std::wstring(text), L"Über Frelox...");

  int controls = 0;
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT), ++controls) {
    GetWindowTextW(control, text, kTextCapacity);
    SCOPED_TRACE("control " + std::to_string(controls + 1));
    RECT available = {};
    GetClientRect(control, &available);
    const bool isButton = GetDlgCtrlID(control) == IDOK;
    RECT needed = {0, 0, available.right, 0};
    const HDC dc = GetDC(control);
    const HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text, -1, &needed,
              DT_CALCRECT | DT_EXPANDTABS | (isButton ? DT_SINGLELINE : DT_WORDBREAK));
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
    EXPECT_GT(needed.bottom, 0);
    EXPECT_LE(needed.bottom, available.bottom);
    EXPECT_LE(needed.right, available.right);
  }
  EXPECT_EQ(controls, 6);
  DestroyWindow(dialog);
}

}  // namespace
