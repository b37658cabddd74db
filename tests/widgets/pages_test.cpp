// Tabbed pages: the two-phase children, showing by index and by label,
// and the object text they store and restore.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_window.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_widgets.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"
#include "support/stored_text.h"
#include "support/ui_harness.h"

namespace {

class Pages : public testing::Test {
 protected:
  // Three tabs "One", "Two", "Three" over three text pages "A", "B", "C".
  Qz_Object* make(const char* className) {
    Qz_Object* p = Qz_CreateObject(className);
    if (p == nullptr) return nullptr;
    Qz_DoMethod(p, kPagesLabelsPhase, 1);
    for (const char* label : {"One", "Two", "Three"}) Qz_DoMethod(p, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, label));
    Qz_DoMethod(p, kPagesLabelsPhase, 0);
    for (const char* page : {"A", "B", "C"}) Qz_DoMethod(p, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, page));
    return p;
  }
  static Qz_Object* pageGroup(Qz_Object* p) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(p, kPagesGetPageGroup)); }
  static std::vector<std::string> labels(Qz_Object* group) {
    std::vector<std::string> out;
    for (auto* m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kGroupFirst)); m != nullptr;
         m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(group, kGroupNext, m))) {
      auto* shown = m;
      if (Qz_GetObjectClassID(m) == kButtonClassId) shown = reinterpret_cast<Qz_Object*>(Qz_DoMethod(m, kGroupFirst));
      if (Qz_GetObjectClassID(shown) != 0x40000) continue;  // fillers and spaces
      const char* text = reinterpret_cast<const char*>(Qz_DoMethod(shown, kRootGetLabel));
      out.push_back(text != nullptr ? text : "");
    }
    return out;
  }
  static std::string stored(Qz_Object* p) { return qztest::storedText(p); }

  qztest::UiHarness ui;
};

TEST_F(Pages, TabsAndPagesComeFromTheTwoPhases) {
  for (const char* className : {"Pages", "VerticalPages"}) {
    SCOPED_TRACE(className);
    Qz_Object* p = make(className);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Qz_DoMethod(p, kGroupAddTail, 0), 0u) << "adding NULL does nothing";
    const std::vector<std::string> tabs{"One", "Two", "Three"}, pages{"A", "B", "C"};
    EXPECT_EQ(labels(reinterpret_cast<Qz_Object*>(Qz_DoMethod(p, kPagesGetTabs))), tabs);
    EXPECT_EQ(labels(pageGroup(p)), pages);
    Qz_DoMethod(p, kGroupShowPage, 2);
    EXPECT_EQ(Qz_DoMethod(pageGroup(p), kGroupGetPageIndex), 2u);
    Qz_DoMethod(p, kGroupShowPage, 5);
    EXPECT_EQ(Qz_DoMethod(pageGroup(p), kGroupGetPageIndex), 0u) << "past the end: the first page";
    Qz_DisposeObject(p);
  }
}

TEST_F(Pages, StoredAsTwoPhaseObjectTextAndRestored) {
  Qz_Object* p = make("Pages");
  ASSERT_NE(p, nullptr);
  const std::string text = stored(p);
  const char* expected =
      "Pages\n{\n"
      "\tQz_AddingPageLabels,\t\t\t1,\n"
      "\tText\n\t{\n\t\tQz_SetLabel,\t\t\tOne,\n\t}\n"
      "\tText\n\t{\n\t\tQz_SetLabel,\t\t\tTwo,\n\t}\n"
      "\tText\n\t{\n\t\tQz_SetLabel,\t\t\tThree,\n\t}\n"
      "\tQz_AddingPageLabels,\t\t\t0,\n"
      "\tText\n\t{\n\t\tQz_SetLabel,\t\t\tA,\n\t}\n"
      "\tText\n\t{\n\t\tQz_SetLabel,\t\t\tB,\n\t}\n"
      "\tText\n\t{\n\t\tQz_SetLabel,\t\t\tC,\n\t}\n"
      "}\n";
  EXPECT_EQ(text, expected) << "labels in the labels phase, pages after it; the tabs are made again from the labels";

  std::string copy = text;
  Qz_Object* back = Qz_CreateObjectsFromString(copy.data());
  ASSERT_NE(back, nullptr) << Qz_GetObjectTextError();
  EXPECT_EQ(labels(reinterpret_cast<Qz_Object*>(Qz_DoMethod(back, kPagesGetTabs))),
            (std::vector<std::string>{"One", "Two", "Three"}));
  EXPECT_EQ(labels(pageGroup(back)), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(stored(back), text) << "a second round gives the same text";
  Qz_DisposeObject(back);
  Qz_DisposeObject(p);
}

TEST_F(Pages, ClickingATabShowsItsPageWithoutReFiring) {
  Qz_Object* p = make("Pages");
  ASSERT_NE(p, nullptr);
  Qz_Object* win = ui.window("Tabs", 100, 100, 240, 120);
  Qz_DoMethod(win, kGroupAddTail, p);
  ASSERT_TRUE(ui.open(win));
  ui.post(win, p, kGroupShowPage, 0);
  ASSERT_TRUE(ui.settle(win));
  auto* tabs = reinterpret_cast<Qz_Object*>(Qz_DoMethod(p, kPagesGetTabs));
  auto* second = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tabs, kGroupMemberAt, 2));  // after the lead space
  ASSERT_EQ(Qz_GetObjectClassID(second), kButtonClassId);
  const Qz_LayoutBox b = qztest::UiHarness::box(second);
  const Qz_LayoutBox whole = qztest::UiHarness::box(p);
  for (uint32_t i = 1; i <= 3; ++i) {
    const Qz_LayoutBox tab = qztest::UiHarness::box(reinterpret_cast<Qz_Object*>(Qz_DoMethod(tabs, kGroupMemberAt, i)));
    EXPECT_LE(tab.left + tab.width, whole.left + whole.width) << "tab " << i << " stays inside the gadget";
  }
  for (int i = 0; i < 2; ++i) {
    ui.click(win, b.left + b.width / 2, b.top + b.height / 2);
    ASSERT_TRUE(ui.settle(win));
    EXPECT_EQ(Qz_DoMethod(pageGroup(p), kGroupGetPageIndex), 1u);
    EXPECT_NE(Qz_DoMethod(second, kButtonGetSelected), 0u) << "the current tab stays pressed";
  }
  auto* page = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pageGroup(p), kGroupMemberAt, 1));
  EXPECT_EQ(Qz_DoMethod(page, kRootHideCount), 0u) << "the page is shown";
  EXPECT_GT(qztest::UiHarness::box(page).width, 0);
  auto* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tabs, kGroupMemberAt, 1));
  EXPECT_EQ(Qz_DoMethod(first, kButtonGetSelected), 0u);
}

// With the side-tab preference on, a pointer move over a vertical tab with
// no button held shows its page; with a button held, the preference off, or
// the pointer off the tabs, nothing changes.
TEST_F(Pages, HoveringOverAVerticalTabShowsItsPageWhenThePreferenceIsOn) {
  Qz_Object* p = make("VerticalPages");
  ASSERT_NE(p, nullptr);
  Qz_Object* win = ui.window("Tabs", 100, 100, 240, 160);
  Qz_DoMethod(win, kGroupAddTail, p);
  ASSERT_TRUE(ui.open(win));
  ui.post(win, p, kGroupShowPage, 0);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_NE(Qz_DoMethod(win, kWindowGetOptions) & 1, 0u) << "the window passes pointer moves on";
  auto* tabs = reinterpret_cast<Qz_Object*>(Qz_DoMethod(p, kPagesGetTabs));
  const Qz_LayoutBox third = qztest::UiHarness::box(reinterpret_cast<Qz_Object*>(Qz_DoMethod(tabs, kGroupMemberAt, 3)));
  const Qz_LayoutBox pages = qztest::UiHarness::box(pageGroup(p));
  struct Case {
    int32_t hover;
    uint16_t qualifier;
    bool overTab;
    uint32_t page;
  };
  const Case cases[] = {{0, 0, true, 0}, {1, 0x4000, true, 0}, {1, 0x2000, true, 0}, {1, 0, false, 0}, {1, 0, true, 2}};
  for (const Case& c : cases) {
    Qz_GetGlobalData()->sideTabHover = c.hover;
    Qz_InputEvent e{};
    e.cls = IDCMP_MOUSEMOVE;
    e.qualifier = c.qualifier;
    e.mouseX = int16_t(c.overTab ? third.left + third.width / 2 : pages.left + pages.width / 2);
    e.mouseY = int16_t(c.overTab ? third.top + third.height / 2 : pages.top + pages.height / 2);
    ASSERT_EQ(ui.post(win, p, kRootHandleIDCMP, &e), 1u);
    ASSERT_TRUE(ui.settle(win));
    EXPECT_EQ(Qz_DoMethod(pageGroup(p), kGroupGetPageIndex), c.page) << c.hover << " " << c.qualifier << " " << c.overTab;
  }
  Qz_GetGlobalData()->sideTabHover = 0;
}

}  // namespace
