// Pop-up tabs: tabs chosen by index, by label or by hovering open their page
// in a pop-up window placed against the left of the screen; the re-open
// guard after the pop-up lost the focus; the two-phase object text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_pop_tabs.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "gadgets/pop_tabs_logic.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"
#include "support/stored_text.h"
#include "support/ui_harness.h"

namespace {

uint32_t gTicks = 0;
uint32_t fakeTicks() { return gTicks; }

struct PageSize {
  int32_t width, height;
};

class PopTabs : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Qz_InitPopTabsClass(nullptr), 1u);
    qz::poptabs::setTickSource(&fakeTicks);
    gTicks = 100000;
  }
  void TearDown() override {
    for (Qz_Object* p : made_) Qz_DisposeObject(p);
    qz::poptabs::setTickSource(nullptr);
    Qz_GetGlobalData()->sideTabHover = 0;
    Qz_CleanupPopTabsClass();
  }

  // Tabs "One", "Two", "Three" over pages whose groups report the sizes.
  Qz_Object* make(std::vector<PageSize> sizes = {{300, 400}, {100, 200}, {60, 0}}) {
    Qz_Object* p = Qz_CreateObject("PopTabs");
    if (p == nullptr) return nullptr;
    Qz_DoMethod(p, kPagesLabelsPhase, 1);
    const char* names[] = {"One", "Two", "Three"};
    for (std::size_t i = 0; i < sizes.size(); ++i)
      Qz_DoMethod(p, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, names[i]));
    Qz_DoMethod(p, kPagesLabelsPhase, 0);
    for (const PageSize& s : sizes) {
      Qz_Object* page = Qz_CreateObject("Group", kGroupSetMode, 1);
      Qz_DoMethod(page, kGroupAddTail, Qz_CreateObject("Space"));  // room to show it in
      Qz_DoMethod(page, kGroupSetNominalWidth, s.width);
      Qz_DoMethod(page, kGroupSetNominalHeight, s.height);
      Qz_DoMethod(p, kGroupAddTail, page);
    }
    return p;
  }
  // A tab gadget nobody else disposes.
  Qz_Object* own(Qz_Object* p) {
    made_.push_back(p);
    return p;
  }
  static Qz_Object* pageGroup(Qz_Object* p) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(p, kPagesGetPageGroup)); }
  static Qz_Object* popUpOf(Qz_Object* p) { return Qz_GetParentObject(pageGroup(p)); }
  // The tab button of the i-th tab (after the column's lead space).
  static Qz_Object* button(Qz_Object* p, uint32_t i) {
    auto* tabs = reinterpret_cast<Qz_Object*>(Qz_DoMethod(p, kPagesGetTabs));
    return reinterpret_cast<Qz_Object*>(Qz_DoMethod(tabs, kGroupMemberAt, i + 1));
  }
  static bool pressed(Qz_Object* button) { return Qz_DoMethod(button, kButtonGetSelected) != 0; }
  struct Shown {
    bool open;
    int32_t x, y, width, height;
  };
  Shown shown(Qz_Object* p) {
    Qz_Object* popUp = popUpOf(p);
    EXPECT_TRUE(ui.settle(popUp));
    const Window* w = Qz__PlatformWindowOf(popUp);
    if (w == nullptr) return {false, 0, 0, 0, 0};
    return {true, w->LeftEdge, w->TopEdge, w->Width, w->Height};
  }
  static std::string stored(Qz_Object* p) { return qztest::storedText(p); }

  qztest::UiHarness ui;
  std::vector<Qz_Object*> made_;
};

// The pop-up's right edge stays at 225; the page's size, within 225 by 271,
// gives the rest. A position past the end chooses the first tab.
TEST_F(PopTabs, AChosenTabOpensItsPageInAPlacedPopUp) {
  Qz_Object* p = own(make());
  ASSERT_NE(p, nullptr);
  struct Case {
    uint32_t index, page;
    Shown expected;
  };
  const Case cases[] = {
      {1, 1, {true, 125, 0, 100, 200}},
      {0, 0, {true, 0, 0, 225, 271}},
      {7, 0, {true, 0, 0, 225, 271}},  // past the end: the first (chosen again, so released below)
  };
  Qz_DoMethod(p, kGroupShowPage, cases[0].index);
  for (std::size_t i = 0; i < 2; ++i) {
    const Case& c = cases[i];
    if (i > 0) Qz_DoMethod(p, kGroupShowPage, c.index);
    const Shown s = shown(p);
    EXPECT_EQ(Qz_DoMethod(pageGroup(p), kGroupGetPageIndex), c.page) << c.index;
    EXPECT_EQ(s.open, c.expected.open) << c.index;
    EXPECT_EQ(s.x, c.expected.x) << c.index;
    EXPECT_EQ(s.y, c.expected.y) << c.index;
    EXPECT_EQ(s.width, c.expected.width) << c.index;
    EXPECT_EQ(s.height, c.expected.height) << c.index;
    EXPECT_TRUE(pressed(button(p, c.page))) << c.index;
  }
  EXPECT_FALSE(pressed(button(p, 1))) << "the tab chosen before is released";
  // Index 7 names the first tab, which is current: it is released and the
  // pop-up stays as it is.
  Qz_DoMethod(p, kGroupShowPage, cases[2].index);
  EXPECT_FALSE(pressed(button(p, 0)));
  EXPECT_TRUE(shown(p).open);
}

// Losing the focus closes the pop-up and releases its tab; that tab chosen
// again within 250 ms (the click that took the focus) is ignored once.
TEST_F(PopTabs, ThePopUpClosesOnDeactivationAndIsNotReopenedAtOnce) {
  Qz_Object* p = own(make());
  ASSERT_NE(p, nullptr);
  Qz_DoMethod(p, kGroupShowPage, 1);
  ASSERT_TRUE(shown(p).open);
  // The deactivation arrives on the pop-up's own thread.
  Qz_Object* popUp = popUpOf(p);
  const auto packed = qz::packWords(kWindowDeactivated, 1);
  ASSERT_EQ(ui.post(popUp, popUp, kRootDoNotify, popUp, packed.data()), 1u);
  EXPECT_FALSE(shown(p).open);
  EXPECT_FALSE(pressed(button(p, 1)));

  struct Step {
    uint32_t after;  // ms since the close
    uint32_t index;
    bool opens;
  };
  const Step steps[] = {{249, 1, false}, {250, 1, true}};
  const uint32_t closedAt = gTicks;
  for (const Step& s : steps) {
    gTicks = closedAt + s.after;
    Qz_DoMethod(p, kGroupShowPage, s.index);
    EXPECT_EQ(shown(p).open, s.opens) << s.after;
  }
  // After a close, another tab opens at once; the guard only holds its own tab.
  Qz_DoMethod(p, kGroupShowPage, kPopTabsClose);
  EXPECT_FALSE(shown(p).open);
  Qz_DoMethod(p, kGroupShowPage, 2);
  EXPECT_TRUE(shown(p).open);
  EXPECT_EQ(Qz_DoMethod(pageGroup(p), kGroupGetPageIndex), 2u);
}

TEST_F(PopTabs, TabsAreChosenByTheirLabelsAndRemovedByThem) {
  Qz_Object* p = own(make());
  ASSERT_NE(p, nullptr);
  auto* second = reinterpret_cast<Qz_Object*>(Qz_DoMethod(button(p, 1), kGroupFirst));
  Qz_Object* stranger = Qz_CreateObject("Text", kRootSetLabel, "None");
  Qz_DoMethod(p, kGroupShowPageObject, stranger);
  EXPECT_FALSE(shown(p).open) << "an object that labels no tab chooses nothing";
  Qz_DoMethod(p, kGroupShowPageObject, second);
  EXPECT_TRUE(shown(p).open);
  EXPECT_EQ(Qz_DoMethod(pageGroup(p), kGroupGetPageIndex), 1u);

  Qz_DoMethod(p, kGroupRemove, second);
  EXPECT_NE(Qz_GetParentObject(button(p, 0)), nullptr) << "removing outside the labels phase does nothing";
  Qz_DoMethod(p, kPagesLabelsPhase, 1);
  Qz_DoMethod(p, kGroupRemove, second);  // the current tab goes, button and label
  Qz_DoMethod(p, kPagesLabelsPhase, 0);
  auto* tabs = reinterpret_cast<Qz_Object*>(Qz_DoMethod(p, kPagesGetTabs));
  EXPECT_EQ(Qz_DoMethod(tabs, kGroupCount), 3u) << "the lead space and two tabs";
  Qz_DoMethod(p, kGroupShowPage, 1);  // now "Three"
  EXPECT_TRUE(pressed(button(p, 1)));
  Qz_DisposeObject(stranger);
}

TEST_F(PopTabs, StoredAsTwoPhaseObjectTextAndRestored) {
  Qz_Object* p = own(make({{100, 100}, {100, 100}}));
  ASSERT_NE(p, nullptr);
  // Two tabs over one page: the second page goes.
  auto* second = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pageGroup(p), kGroupMemberAt, 1));
  Qz_DoMethod(pageGroup(p), kGroupRemove, second);
  Qz_DisposeObject(second);
  const std::string text = stored(p);
  const std::string expected =
      "PopTabs\n{\n"
      "Qz_AddingPageLabels,\t\t\t1,\n"
      "\tText\n\t{\n\t\tQz_SetLabel,\t\t\tOne,\n\t}\n"
      "\tText\n\t{\n\t\tQz_SetLabel,\t\t\tTwo,\n\t}\n"
      "Qz_AddingPageLabels,\t\t\t0,\n";
  ASSERT_EQ(text.substr(0, expected.size()), expected) << text;
  EXPECT_NE(text.find("\tGroup\n", expected.size()), std::string::npos) << "then the page: " << text;

  std::string copy = text;
  Qz_Object* back = Qz_CreateObjectsFromString(copy.data());
  ASSERT_NE(back, nullptr) << Qz_GetObjectTextError();
  own(back);
  auto* tabs = reinterpret_cast<Qz_Object*>(Qz_DoMethod(back, kPagesGetTabs));
  EXPECT_EQ(Qz_DoMethod(tabs, kGroupCount), 3u);
  EXPECT_EQ(Qz_DoMethod(pageGroup(back), kGroupCount), 1u);
  EXPECT_EQ(stored(back), text);
}

// With the side-tab preference on, a pointer move over a tab with no button
// held chooses it; with a button held, or the preference off, nothing.
TEST_F(PopTabs, HoveringOverATabChoosesItWhenThePreferenceIsOn) {
  Qz_Object* p = make({{100, 100}, {100, 100}});
  ASSERT_NE(p, nullptr);
  Qz_Object* win = ui.window("Tabs", 300, 100, 120, 160);
  Qz_DoMethod(win, kGroupAddTail, p);
  ASSERT_TRUE(ui.open(win));
  ASSERT_TRUE(ui.settle(win));
  EXPECT_NE(Qz_DoMethod(win, kWindowGetOptions) & 1, 0u) << "the tabs' window hears moves while the pop-up is active";
  const Qz_LayoutBox b = qztest::UiHarness::box(button(p, 1));
  struct Case {
    int32_t hover;
    uint16_t qualifier;
    bool opens;
  };
  const Case cases[] = {{0, 0, false}, {1, 0x4000, false}, {1, 0x2000, false}, {1, 0, true}};
  for (const Case& c : cases) {
    Qz_GetGlobalData()->sideTabHover = c.hover;
    Qz_InputEvent e{};
    e.cls = IDCMP_MOUSEMOVE;
    e.qualifier = c.qualifier;
    e.mouseX = int16_t(b.left + b.width / 2);
    e.mouseY = int16_t(b.top + b.height / 2);
    ASSERT_EQ(ui.post(win, p, kRootHandleIDCMP, &e), 1u);
    ASSERT_TRUE(ui.settle(win));
    EXPECT_EQ(shown(p).open, c.opens) << c.hover << " " << c.qualifier;
  }
  EXPECT_EQ(Qz_DoMethod(pageGroup(p), kGroupGetPageIndex), 1u);
  ui.dispose(win);
}

}  // namespace
