#include <gtest/gtest.h>

#include "tests/windowing/ProbeWindows.h"
#include "windowing/TClientDC.h"
#include "windowing/TFont.h"
#include "windowing/TPaintDC.h"
#include "windowing/TPen.h"

namespace {

class DeviceContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host.Attributes().Style |= WS_VISIBLE;
    Host.Create();
  }
  THostWindow Host;
};

TEST_F(DeviceContextTest, SelectionsAreUndoneAndObjectsDeleted) {
  const HDC raw = GetDC(Host.GetHandle());
  const HGDIOBJ originalPen = GetCurrentObject(raw, OBJ_PEN);
  const HGDIOBJ originalFont = GetCurrentObject(raw, OBJ_FONT);
  ReleaseDC(Host.GetHandle(), raw);

  {
    TClientDC dc(Host.GetHandle());
    TPen grey(RGB(80, 80, 80));
    TPen green(RGB(0, 255, 0));
    TFont font("Arial", 11);
    EXPECT_EQ(TGdiObject::LiveCount(), 3);
    dc.SelectFont(font);
    dc.SelectPen(grey);
    dc.SelectPen(green);
    EXPECT_EQ(GetCurrentObject(dc.GetHandle(), OBJ_PEN), green.GetHandle());
    dc.RestoreObjects();  // before the objects go
    EXPECT_EQ(GetCurrentObject(dc.GetHandle(), OBJ_PEN), originalPen);
    EXPECT_EQ(GetCurrentObject(dc.GetHandle(), OBJ_FONT), originalFont);
  }
  EXPECT_EQ(TGdiObject::LiveCount(), 0);
}

// A window of a class with its own device context: GetDC hands out the same
// context every time, and it keeps what was selected into it.
class OwnDcWindow {
 public:
  OwnDcWindow() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    Handle = CreateWindowA(kClassName, "own dc", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~OwnDcWindow() { DestroyWindow(Handle); }
  HWND Handle;

 private:
  static constexpr const char* kClassName = "FreloxOwnDcTest";
};

TEST(DeviceContextOwnDcTest, TheWrapperRestoresOnItsOwnWhenItGoesFirst) {
  OwnDcWindow window;
  ASSERT_NE(window.Handle, nullptr);
  const HDC own = GetDC(window.Handle);
  const HGDIOBJ originalPen = GetCurrentObject(own, OBJ_PEN);
  ReleaseDC(window.Handle, own);

  TPen red(RGB(255, 0, 0));
  {
    TClientDC dc(window.Handle);
    ASSERT_EQ(dc.GetHandle(), own);  // the context that outlives the wrapper
    dc.SelectPen(red);
  }
  const HDC again = GetDC(window.Handle);
  ASSERT_EQ(again, own);
  EXPECT_EQ(GetCurrentObject(again, OBJ_PEN), originalPen);
  ReleaseDC(window.Handle, again);
  EXPECT_NE(GetObjectType(red.GetHandle()), 0u);  // put back, not deleted
}

TEST_F(DeviceContextTest, PaintContextCoversTheUpdateRectangle) {
  RECT update{10, 20, 30, 40};
  InvalidateRect(Host.GetHandle(), nullptr, FALSE);
  ValidateRect(Host.GetHandle(), nullptr);
  InvalidateRect(Host.GetHandle(), &update, TRUE);
  TPaintDC dc(Host.GetHandle());
  EXPECT_TRUE(dc.EraseRequested());
  EXPECT_EQ(dc.UpdateRect().left, 10);
  EXPECT_EQ(dc.UpdateRect().bottom, 40);
}

}  // namespace
