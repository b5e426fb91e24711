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

TEST_F(DeviceContextTest, TheWrapperRestoresOnItsOwnWhenItGoesFirst) {
  TPen red(RGB(255, 0, 0));
  {
    TClientDC dc(Host.GetHandle());
    dc.SelectPen(red);
  }
  // The pen is no longer selected anywhere, so deleting it really frees it.
  EXPECT_NE(GetObjectType(red.GetHandle()), 0u);
  const HDC again = GetDC(Host.GetHandle());
  EXPECT_NE(GetCurrentObject(again, OBJ_PEN), red.GetHandle());
  ReleaseDC(Host.GetHandle(), again);
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
