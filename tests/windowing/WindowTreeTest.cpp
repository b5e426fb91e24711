#include <gtest/gtest.h>

#include "display/ViewPlacement.h"
#include "tests/windowing/ProbeWindows.h"
#include "windowing/TLayoutWindow.h"

namespace {

RECT ChildRect(const TWindow& child) {
  RECT rect;
  GetWindowRect(child.GetHandle(), &rect);
  MapWindowPoints(nullptr, GetParent(child.GetHandle()), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST(CloseCheck, AWindowMayCloseOnlyIfEveryExistingChildMay) {
  THostWindow host;
  auto* agreeing = new TProbeWindow(&host, true);
  auto* refusing = new TProbeWindow(&host, false);
  auto* grandchild = new TProbeWindow(agreeing, true);
  host.Create();
  EXPECT_FALSE(host.CanClose());
  EXPECT_EQ(refusing->CloseChecks, 1);
  EXPECT_EQ(grandchild->CloseChecks, 1);

  refusing->MayClose = true;
  EXPECT_TRUE(host.CanClose());
}

TEST(CloseCheck, ChildrenWithoutAWindowAreNotAsked) {
  THostWindow host;
  auto* refusing = new TProbeWindow(&host, false);
  EXPECT_TRUE(host.CanClose());  // nothing created yet
  EXPECT_EQ(refusing->CloseChecks, 0);
}

TEST(CloseCheck, DestroyingTheParentDestroysTheChildWindows) {
  THostWindow host;
  auto* child = new TProbeWindow(&host);
  host.Create();
  const HWND childHandle = child->GetHandle();
  ASSERT_TRUE(IsWindow(childHandle));
  host.Destroy();
  EXPECT_FALSE(IsWindow(childHandle));
  EXPECT_EQ(child->GetHandle(), nullptr);
}

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Layout = new TLayoutWindow(&Host);
    View = new TProbeWindow(Layout);
    Layout->SetChildLayoutMetrics(View, kViewConstraints);
    Host.Create();
  }
  void Resize(int width, int height) {
    SetWindowPos(Layout->GetHandle(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
  }

  THostWindow Host;
  TLayoutWindow* Layout;
  TProbeWindow* View;
};

TEST_F(LayoutTest, PlacesTheViewByItsEdgeConstraints) {
  Resize(641, 341);
  const RECT rect = ChildRect(*View);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 10);
  EXPECT_EQ(rect.right - rect.left, 600);
  EXPECT_EQ(rect.bottom - rect.top, 310);

  Resize(300, 200);
  const RECT smaller = ChildRect(*View);
  EXPECT_EQ(smaller.right - smaller.left, 259);
  EXPECT_EQ(smaller.bottom - smaller.top, 169);
}

TEST_F(LayoutTest, IgnoresMinimisedSizesAndGivesTinyFramesAnEmptyView) {
  Resize(641, 341);
  SendMessageA(Layout->GetHandle(), WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
  EXPECT_EQ(ChildRect(*View).right - ChildRect(*View).left, 600);
  EXPECT_EQ(Layout->ClientSize().cx, 641);

  Resize(41, 31);
  const RECT empty = ChildRect(*View);
  EXPECT_EQ(empty.right - empty.left, 0);
  EXPECT_EQ(empty.bottom - empty.top, 0);
}

}  // namespace
