// The Group class inside an open window: membership rules, hidden members,
// pages and clipping, checked on the screen's pixels and the gadgets' records.
#include <gtest/gtest.h>

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "platform/graphics.h"
#include "platform/windows.h"
#include "support/ui_harness.h"

namespace {

namespace TestGadget = qztest::TestGadget;

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00;
constexpr uint32_t kRedRgb = 0xFF0000, kGreenRgb = 0x00FF00;

qztest::GadgetSpec spec(int16_t w, int16_t h, uint32_t colour) {
  qztest::GadgetSpec s;
  s.minWidth = w;
  s.minHeight = h;
  s.colour = colour;
  return s;
}

int presses(Qz_Object* gadget) {
  int n = 0;
  for (const auto& e : TestGadget::log(gadget).snapshot()) n += e.cls == IDCMP_MOUSEBUTTONS && e.code == SELECTDOWN;
  return n;
}

class GroupClassTest : public ::testing::Test {
 protected:
  qztest::UiHarness ui;
};

TEST_F(GroupClassTest, MembershipRules) {
  Qz_Object* one = ui.group(2, {});
  Qz_Object* two = ui.group(2, {});
  Qz_Object* g = TestGadget::make({});
  EXPECT_EQ(Qz_DoMethod(one, kGroupAddTail, g), 1u);
  // Already a member elsewhere: refused, and nothing changes.
  EXPECT_EQ(Qz_DoMethod(two, kGroupAddTail, g), 0u);
  EXPECT_EQ(Qz_DoMethod(two, kGroupCount), 0u);
  EXPECT_EQ(Qz_DoMethod(one, kGroupRemove, g), 1u);
  EXPECT_EQ(Qz_DoMethod(two, kGroupAddTail, g), 1u);
  Qz_Object* h = TestGadget::make({});
  Qz_Object* k = TestGadget::make({});
  Qz_DoMethod(two, kGroupAddHead, h);
  Qz_DoMethod(two, kGroupInsertMember, k, h);  // after h
  EXPECT_EQ(Qz_DoMethod(two, kGroupFirst), reinterpret_cast<QzWord>(h));
  EXPECT_EQ(Qz_DoMethod(two, kGroupNext, h), reinterpret_cast<QzWord>(k));
  EXPECT_EQ(Qz_DoMethod(two, kGroupLast), reinterpret_cast<QzWord>(g));
  EXPECT_EQ(Qz_DoMethod(two, kGroupPrevious, h), 0u);
  EXPECT_EQ(Qz_DoMethod(two, kGroupIndexOf, g), 2u);
  EXPECT_EQ(Qz_DoMethod(two, kGroupMemberAt, 99), reinterpret_cast<QzWord>(g));  // past the end: the last
  Qz_DisposeObject(one);
  Qz_DisposeObject(two);
}

TEST_F(GroupClassTest, HiddenMembersTakeNoRoomAndNoInput) {
  Qz_Object* red = TestGadget::make(spec(30, 20, kRed));
  Qz_Object* hidden = TestGadget::make(spec(30, 20, kGreen));
  Qz_Object* win = ui.window("Hidden", 20, 20);
  Qz_DoMethod(hidden, kRootHide);
  Qz_DoMethod(win, kGroupAddTail, ui.group(2, {hidden, red}));
  ASSERT_TRUE(ui.open(win));
  Window* w = ui.platformWindow(win);
  EXPECT_EQ(w->Width - w->BorderLeft - w->BorderRight, 30);
  EXPECT_EQ(qztest::UiHarness::box(red).left, w->BorderLeft);
  ui.click(win, w->BorderLeft + 5, w->BorderTop + 5);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(presses(red), 1);
  EXPECT_EQ(presses(hidden), 0);
  EXPECT_EQ(TestGadget::log(hidden).drawCount(), 0);
}

TEST_F(GroupClassTest, OnlyTheCurrentPageIsDrawnAndHearsInput) {
  Qz_Object* first = TestGadget::make(spec(20, 40, kRed));
  Qz_Object* second = TestGadget::make(spec(60, 10, kGreen));
  Qz_Object* pages = Qz_CreateObject("Group", kGroupSetMode, 4);
  Qz_DoMethod(pages, kGroupAddTail, first);
  Qz_DoMethod(pages, kGroupAddTail, second);  // the last added is shown
  Qz_Object* win = ui.window("Pages", 20, 20);
  Qz_DoMethod(win, kGroupAddTail, pages);
  ASSERT_TRUE(ui.open(win));
  Window* w = ui.platformWindow(win);
  // As large as the largest page in each direction.
  EXPECT_EQ(w->Width - w->BorderLeft - w->BorderRight, 60);
  EXPECT_EQ(w->Height - w->BorderTop - w->BorderBottom, 40);
  EXPECT_EQ(Qz_DoMethod(pages, kGroupGetPageObject), reinterpret_cast<QzWord>(second));
  EXPECT_EQ(TestGadget::log(first).drawCount(), 0);
  EXPECT_EQ(ui.pixel(win, w->BorderLeft + 30, w->BorderTop + 20), kGreenRgb);
  ui.click(win, w->BorderLeft + 5, w->BorderTop + 5);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(presses(second), 1);
  EXPECT_EQ(presses(first), 0);

  ui.post(win, pages, kGroupShowPage, 0);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(Qz_DoMethod(pages, kGroupGetPageIndex), 0u);
  EXPECT_GE(TestGadget::log(first).drawCount(), 1);
  EXPECT_EQ(ui.pixel(win, w->BorderLeft + 10, w->BorderTop + 20), kRedRgb);
}

// A page switch keeps the room the group was given: the new page is placed
// there, not in the group's own (smaller) size, so nothing of the old page
// is left drawn beside it.
TEST_F(GroupClassTest, ASwitchedPageKeepsTheGroupsRoom) {
  Qz_Object* wide = TestGadget::make(spec(120, 10, kRed));
  Qz_Object* first = TestGadget::make(spec(20, 10, kGreen));
  Qz_Object* second = TestGadget::make(spec(30, 10, kRed));
  Qz_Object* pages = Qz_CreateObject("Group", kGroupSetMode, 4);
  Qz_DoMethod(pages, kGroupAddTail, first);
  Qz_DoMethod(pages, kGroupAddTail, second);
  Qz_Object* win = ui.window("Room", 20, 20);
  Qz_DoMethod(win, kGroupAddTail, ui.group(1, {wide, pages}));
  ASSERT_TRUE(ui.open(win));
  const Qz_LayoutBox given = qztest::UiHarness::box(pages);
  ui.post(win, pages, kGroupShowPage, 0);
  ASSERT_TRUE(ui.settle(win));
  const Qz_LayoutBox after = qztest::UiHarness::box(pages);
  EXPECT_EQ(after.left, given.left);
  EXPECT_EQ(after.top, given.top);
  EXPECT_EQ(after.width, given.width);
  EXPECT_EQ(after.height, given.height);
}

// Pages inside something that is hidden and shown again (a panel of the
// panel column that was put behind another): every page still shows when
// it is chosen, the ones that were not shown at the time included.
TEST_F(GroupClassTest, APageNotShownWhileItsGroupWasHiddenShowsWhenChosen) {
  Qz_Object* first = TestGadget::make(spec(40, 20, kRed));
  Qz_Object* second = TestGadget::make(spec(40, 20, kGreen));
  Qz_Object* pages = Qz_CreateObject("Group", kGroupSetMode, 4);
  Qz_DoMethod(pages, kGroupAddTail, first);
  Qz_DoMethod(pages, kGroupAddTail, second);
  Qz_DoMethod(pages, kGroupShowPage, 0u);
  Qz_Object* panel = ui.group(1, {pages});
  Qz_Object* win = ui.window("Behind", 20, 20);
  Qz_DoMethod(win, kGroupAddTail, panel);
  ASSERT_TRUE(ui.open(win));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(ui.onWindowThread(win, [&] {
      Qz_DoMethod(panel, kRootHide);
      Qz_DoMethod(panel, kRootShow);
    }));
    for (uint32_t page : {1u, 0u}) {
      ui.post(win, pages, kGroupShowPage, page);
      ASSERT_TRUE(ui.settle(win));
      Qz_Object* shown = page == 1 ? second : first;
      EXPECT_EQ(Qz_DoMethod(shown, kRootHideCount), 0u) << "page " << page;
      const Qz_LayoutBox box = qztest::UiHarness::box(shown);
      EXPECT_EQ(box.width, 40) << "page " << page;
      EXPECT_EQ(ui.pixel(win, box.left + 5, box.top + 5), page == 1 ? kGreenRgb : kRedRgb) << "page " << page;
    }
  }
}

TEST_F(GroupClassTest, PlacedSmallerThanItsMinimumClipsItsDrawing) {
  Qz_Object* left = TestGadget::make(spec(40, 20, kRed));
  Qz_Object* right = TestGadget::make(spec(40, 20, kGreen));
  Qz_Object* row = ui.group(2, {left, right});
  Qz_Object* win = ui.window("Clip", 20, 20);
  Qz_DoMethod(win, kGroupAddTail, row);
  ASSERT_TRUE(ui.open(win));
  Window* w = ui.platformWindow(win);
  // The row placed in 50 pixels.
  ui.post(win, row, kRootPlace, w->BorderLeft, w->BorderTop, 50, 20);
  ASSERT_TRUE(ui.settle(win));
  const Qz_LayoutBox box = qztest::UiHarness::box(row);
  EXPECT_EQ(box.width, 50);
  ASSERT_NE(box.clipRegion, nullptr);
  EXPECT_EQ(box.clipRegion->bounds.MaxX, w->BorderLeft + 49);
  // Drawn again over a white window: the second member shows only up to the clip.
  SetAPen(w->RPort, kDirectColourFlag | 0xFFFFFF);
  RectFill(w->RPort, w->BorderLeft, w->BorderTop, w->Width - w->BorderRight - 1, w->Height - w->BorderBottom - 1);
  ui.post(win, row, kRootDraw);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(ui.pixel(win, w->BorderLeft + 45, w->BorderTop + 10), kGreenRgb);
  EXPECT_EQ(ui.pixel(win, w->BorderLeft + 60, w->BorderTop + 10), 0xFFFFFFu);
}

}  // namespace
