#include <gtest/gtest.h>

#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "host/host_input.h"
#include "objects/object_services.h"
#include "objects/qz_draw_info.h"
#include "platform/windows.h"
#include "chooser_support.h"
#include "support/ui_harness.h"

namespace {

Qz_Object* asObject(QzWord w) { return reinterpret_cast<Qz_Object*>(w); }

// The platform window an object is shown in (a pop-up's own window while open).
Window* windowOf(Qz_Object* o) {
  auto* info = reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(o, kRootGetDrawInfo));
  return info ? info->window : nullptr;
}

// Moves the pointer over the middle of an object of any open window.
void moveOver(Qz_Object* o) {
  Window* w = windowOf(o);
  ASSERT_NE(w, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(o);
  qz::headless::moveTo(w->LeftEdge + b.left + b.width / 2, w->TopEdge + b.top + b.height / 2);
}

Qz_Object* text(const char* label) { return Qz_CreateObject("Text", kRootSetLabel, label); }

class PopUps : public testing::Test {
 protected:
  // Each input step is handled before the next: input reads the pointer where it is then.
  void step(Qz_Object* win) {
    ASSERT_TRUE(ui.settle(win));
    ASSERT_TRUE(ui.settle(win));
  }
  // A list of "One", "Two" and "Three" in a window of its own, open.
  void openList(Qz_Object** list, Qz_Object** win) {
    *list = Qz_CreateObject("PopUpList");
    ASSERT_NE(*list, nullptr);
    for (const char* label : {"One", "Two", "Three"}) Qz_DoMethod(*list, kGroupAddTail, text(label));
    *win = ui.window("List", 100, 100);
    Qz_DoMethod(*win, kGroupAddTail, *list);
    ASSERT_TRUE(ui.open(*win));
  }
  // The gadget in a window of its own, open, with the button pressed over
  // it; the recorder watches the method from before the press.
  Qz_Object* pressIn(Qz_Object* gadget, qztest::Recorder& r, uint32_t method) {
    Qz_Object* win = ui.window("Pressed", 100, 100);
    Qz_DoMethod(win, kGroupAddTail, gadget);
    EXPECT_TRUE(ui.open(win));
    r.watch(gadget, method);
    moveOver(gadget);
    qz::headless::press();
    step(win);
    return win;
  }
  qztest::UiHarness ui;
};

// With nothing to show the press returns at once and nothing opens; the
// release closes it again.
TEST_F(PopUps, NothingToShowOpensNothingAndReturns) {
  Qz_Object* popUp = Qz_CreateObject("PopUp", kGroupAddTail, text("Empty"));
  Qz_Object* win = ui.window("Empty", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, popUp);
  ASSERT_TRUE(ui.open(win));
  qztest::Recorder r;
  r.watch(popUp, kPopUpOpening);
  r.watch(popUp, kPopUpClosed);
  moveOver(popUp);
  qz::headless::press();
  step(win);
  EXPECT_EQ(r.values(kPopUpOpening).size(), 1u);
  EXPECT_EQ(Qz_GetMouseWindow(), ui.platformWindow(win));
  qz::headless::release();
  step(win);
  EXPECT_EQ(r.values(kPopUpClosed), std::vector<QzWord>{0});
}

TEST_F(PopUps, OpensBelowOrBesideTheButton) {
  struct Case {
    const char* name;
    uint32_t placement;
    int windowX;
    bool leftOfButton;
  };
  const Case cases[] = {{"below", 8, 100, false}, {"right", 2, 100, false}, {"right, near the edge", 2, 950, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Object* popUp = Qz_CreateObject("PopUp", kGroupAddTail, text("Open"), kPopUpSetPlacement, c.placement);
    Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 1);
    Qz_Object* item = Qz_CreateObject("Space", kFixWidth, 80, kFixHeight, 40);
    Qz_DoMethod(popUp, kGroupAddTail, item);
    Qz_Object* win = ui.window("Place", c.windowX, 100);
    Qz_DoMethod(win, kGroupAddTail, popUp);
    ASSERT_TRUE(ui.open(win));
    moveOver(popUp);
    qz::headless::press();
    step(win);
    Window* pw = windowOf(item);
    ASSERT_NE(pw, nullptr);
    Window* bw = ui.platformWindow(win);
    const Qz_LayoutBox b = qztest::UiHarness::box(popUp);
    if (c.placement == 8) {
      EXPECT_EQ(pw->LeftEdge, bw->LeftEdge + b.left);
      EXPECT_EQ(pw->TopEdge, bw->TopEdge + b.top + b.height);
    } else if (!c.leftOfButton) {
      EXPECT_EQ(pw->LeftEdge, bw->LeftEdge + b.left + b.width);
      EXPECT_EQ(pw->TopEdge, bw->TopEdge + b.top);
    } else {
      EXPECT_LE(pw->LeftEdge + pw->Width, bw->LeftEdge + b.left + 1);
    }
    qz::headless::release();
    step(win);
    EXPECT_EQ(windowOf(item), nullptr) << "closed with the release";
    ui.dispose(win);
  }
}

TEST_F(PopUps, ListChosenByReleaseOverALineFiresOnce) {
  Qz_Object* list = nullptr;
  Qz_Object* win = nullptr;
  ASSERT_NO_FATAL_FAILURE(openList(&list, &win));
  qztest::Recorder r;
  r.watch(list, kPopUpListSetEntry);
  r.watch(list, kPopUpListSetIndex);
  EXPECT_EQ(Qz_DoMethod(list, kPopUpListGetIndex), 0u);
  moveOver(list);
  qz::headless::press();
  step(win);
  // The list opens with the current line under the pointer.
  Window* main = ui.platformWindow(win);
  Window* listWindow = Qz_FindWindowUnderMouse(main);
  ASSERT_NE(listWindow, main);
  ASSERT_NE(listWindow, nullptr);
  Qz_Object* lines = asObject(Qz_DoMethod(static_cast<Qz_Object*>(listWindow->OwnerObject), kGroupFirst));
  ASSERT_EQ(Qz_DoMethod(lines, kGroupCount), 3u);
  const Qz_LayoutBox first = qztest::UiHarness::box(asObject(Qz_DoMethod(lines, kGroupMemberAt, 0)));
  const int px = main->LeftEdge + Qz_WindowMouseX(main) - listWindow->LeftEdge;
  const int py = main->TopEdge + Qz_WindowMouseY(main) - listWindow->TopEdge;
  EXPECT_GE(px, first.left);
  EXPECT_LT(px, first.left + first.width);
  EXPECT_GE(py, first.top);
  EXPECT_LT(py, first.top + first.height);
  Qz_Object* third = asObject(Qz_DoMethod(lines, kGroupMemberAt, 2));
  moveOver(third);
  step(win);
  qz::headless::release();
  step(win);
  EXPECT_EQ(Qz_DoMethod(list, kPopUpListGetIndex), 2u);
  EXPECT_EQ(r.values(kPopUpListSetIndex), std::vector<QzWord>{2});
  ASSERT_EQ(r.values(kPopUpListSetEntry).size(), 1u);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(asObject(r.values(kPopUpListSetEntry)[0]), kRootGetLabel)),
               "Three");
  EXPECT_EQ(Qz_DoMethod(lines, kGroupCount), 0u) << "the lines go with the list";
  // Setting the index from outside fires too; the same index does not.
  r.clear();
  ui.post(win, list, kPopUpListSetIndex, 1);
  ui.post(win, list, kPopUpListSetIndex, 1);
  step(win);
  EXPECT_EQ(r.values(kPopUpListSetIndex), std::vector<QzWord>{1});
}

// The line opened under the pointer goes dark again once the pointer,
// button held, moves on to another line.
TEST_F(PopUps, HeldPointerMovesTheLitLineAlongTheList) {
  Qz_Object* list = nullptr;
  Qz_Object* win = nullptr;
  ASSERT_NO_FATAL_FAILURE(openList(&list, &win));
  moveOver(list);
  qz::headless::press();
  step(win);
  Window* listWindow = Qz_FindWindowUnderMouse(ui.platformWindow(win));
  ASSERT_NE(listWindow, nullptr);
  Qz_Object* lines = asObject(Qz_DoMethod(static_cast<Qz_Object*>(listWindow->OwnerObject), kGroupFirst));
  ASSERT_EQ(Qz_DoMethod(lines, kGroupCount), 3u);
  // A pixel at the left end of a line, where no letter is drawn.
  auto edgeOf = [&](uint32_t index) {
    const Qz_LayoutBox b = qztest::UiHarness::box(asObject(Qz_DoMethod(lines, kGroupMemberAt, index)));
    return qz::headless::screenPixel(listWindow->LeftEdge + b.left + 1, listWindow->TopEdge + b.top + b.height / 2);
  };
  const uint32_t lit = edgeOf(0), dark = edgeOf(1);
  ASSERT_NE(lit, dark) << "the line under the pointer is lit";
  moveOver(asObject(Qz_DoMethod(lines, kGroupMemberAt, 2)));
  step(win);
  EXPECT_EQ(edgeOf(0), dark) << "the first line went dark";
  EXPECT_EQ(edgeOf(2), lit) << "the line under the pointer is lit";
  qz::headless::release();
  step(win);
  EXPECT_EQ(Qz_DoMethod(list, kPopUpListGetIndex), 2u);
}

// A menu whose items sit in a framed group: the pointer meets the group's
// own frame first, and the item it then moves onto is still what a release
// chooses (the group itself never is).
TEST_F(PopUps, ItemInAFramedGroupIsChosenAfterThePointerCrossesTheFrame) {
  Qz_Object* popUp = Qz_CreateObject("PopUp", kGroupAddTail, text("Menu"));
  Qz_Object* items = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 1, kGroupSetSpacing, 4);
  ASSERT_TRUE(popUp && items);
  std::vector<Qz_Object*> entries;
  for (const char* label : {"One", "Two", "Three"}) {
    entries.push_back(Qz_CreateObject("MenuItem", kMenuItemSetText, label));
    Qz_DoMethod(items, kGroupAddTail, entries.back());
  }
  Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 1);
  Qz_DoMethod(popUp, kGroupAddTail, items);
  Qz_DoMethod(popUp, kPopUpChildrenInPopUp, 0);
  qztest::Recorder r;
  Qz_Object* win = pressIn(popUp, r, kPopUpChosen);
  Window* menu = windowOf(items);
  ASSERT_NE(menu, nullptr);
  ASSERT_NE(menu, ui.platformWindow(win)) << "the menu opened in a window of its own";
  const Qz_LayoutBox frame = qztest::UiHarness::box(items);
  qz::headless::moveTo(menu->LeftEdge + frame.left, menu->TopEdge + frame.top);
  step(win);
  moveOver(entries[1]);
  step(win);
  qz::headless::release();
  step(win);
  EXPECT_EQ(r.values(kPopUpChosen), std::vector<QzWord>{qz::toWord(entries[1])});
}

TEST_F(PopUps, ToolListShowsAndReportsTheChosenTool) {
  Qz_Object* tools = Qz_CreateObject("PopUpToolList");
  ASSERT_NE(tools, nullptr);
  std::vector<Qz_Object*> buttons;
  for (int i = 0; i < 3; ++i) {
    Qz_Object* picture = Qz_CreateObject("BitMap", kFixWidth, 16, kFixHeight, 16);
    buttons.push_back(Qz_CreateObject("Button", kGroupAddTail, picture));
    Qz_DoMethod(tools, kGroupAddTail, buttons.back());
  }
  qztest::Recorder r;
  Qz_Object* win = pressIn(tools, r, kPopUpToolListChosen);
  ASSERT_NE(windowOf(buttons[1]), nullptr) << "the palette is open";
  moveOver(buttons[1]);
  step(win);
  qz::headless::release();
  step(win);
  EXPECT_EQ(r.values(kPopUpToolListChosen), std::vector<QzWord>{reinterpret_cast<QzWord>(buttons[1])});
  EXPECT_EQ(windowOf(buttons[1]), nullptr);
}

class Menus : public PopUps {
 protected:
  Qz_Object* item(const char* label) { return Qz_CreateObject("MenuItem", kMenuItemSetText, label); }
  Qz_Object* menu(const char* title, std::vector<Qz_Object*> items) {
    Qz_Object* m = Qz_CreateObject("Menu", kMenuSetTitle, title);
    for (Qz_Object* i : items) Qz_DoMethod(m, kGroupAddTail, i);
    return m;
  }
  static int shortcutsFor(uint32_t code) {
    int n = 0;
    List* list = Qz_GetGlobalData()->shortcutList;
    for (Node* node = list->lh_Head; node->ln_Succ; node = node->ln_Succ)
      if (reinterpret_cast<Qz_ShortcutKey*>(node)->keyCode == code) ++n;
    return n;
  }
  void ctrlKey(uint16_t vk, char32_t ch) {
    qz::headless::keyDown(qz::host::kVkControl);
    qz::headless::typeKey(vk, ch);
    qz::headless::keyUp(qz::host::kVkControl);
  }
};

TEST_F(Menus, HeldButtonSlidesAlongTheBarAndChoosesOnRelease) {
  Qz_Object* open = item("Open");
  Qz_Object* check = item("Check");
  Qz_Object* off = item("Disabled");
  Qz_Object* copy = item("Copy");
  Qz_Object* file = menu("File", {open, check, off});
  Qz_Object* edit = menu("Edit", {copy});
  Qz_DoMethod(check, kMenuItemSetCheck, kMenuItemCheckable);
  Qz_DoMethod(off, kRootDisable);
  Qz_Object* bar = Qz_CreateObject("MenuBar", kGroupAddTail, file, kGroupAddTail, edit);
  Qz_Object* win = ui.window("Menus", 100, 100, 300, 0);
  Qz_DoMethod(win, kGroupAddTail, bar);
  Qz_DoMethod(win, kGroupAddTail, Qz_CreateObject("Space", kFixHeight, 100));
  ASSERT_TRUE(ui.open(win));
  qztest::Recorder r;
  for (Qz_Object* m : {file, edit}) {
    r.watch(m, kPopUpOpening);
    r.watch(m, kPopUpClosed);
    r.watch(m, kPopUpChosen);
  }
  auto opened = [&](Qz_Object* m) { return windowOf(m == file ? open : copy) != nullptr; };

  moveOver(file);
  qz::headless::press();
  step(win);
  EXPECT_TRUE(opened(file));
  moveOver(edit);  // the button still held
  step(win);
  EXPECT_TRUE(opened(edit));
  EXPECT_FALSE(opened(file));
  moveOver(copy);
  step(win);
  qz::headless::release();
  step(win);
  EXPECT_FALSE(opened(edit));
  EXPECT_EQ(r.values(kPopUpChosen), std::vector<QzWord>{reinterpret_cast<QzWord>(copy)});

  struct Choice {
    const char* name;
    Qz_Object* item;
    std::size_t fired;
    QzWord checkAfter;
  };
  const Choice choices[] = {{"check item on", check, 1, kMenuItemChecked},
                            {"check item off", check, 1, kMenuItemCheckable},
                            {"disabled item fires nothing", off, 0, 0}};
  for (const Choice& c : choices) {
    SCOPED_TRACE(c.name);
    r.clear();
    moveOver(file);
    qz::headless::press();
    step(win);
    ASSERT_TRUE(opened(file));
    moveOver(c.item);
    step(win);
    qz::headless::release();
    step(win);
    EXPECT_EQ(r.values(kPopUpChosen).size(), c.fired);
    EXPECT_EQ(Qz_DoMethod(c.item, kMenuItemGetCheck), c.checkAfter);
    EXPECT_FALSE(opened(file));
  }
}

TEST_F(Menus, ShortcutsRunTheirItemUntilTheMenuGoes) {
  Qz_Object* open = item("Open");
  Qz_Object* file = menu("File", {open});
  Qz_DoMethod(open, kMenuItemSetShortcut, 'o');
  Qz_Object* win = ui.window("Keys", 100, 100, 200, 0);
  Qz_DoMethod(win, kGroupAddTail, Qz_CreateObject("MenuBar", kGroupAddTail, file));
  ASSERT_TRUE(ui.open(win));
  ActivateWindow(ui.platformWindow(win));
  qztest::Recorder r;
  r.watch(file, kPopUpChosen);
  ctrlKey('O', 'o');
  step(win);
  EXPECT_EQ(r.values(kPopUpChosen), std::vector<QzWord>{reinterpret_cast<QzWord>(open)});
  // The item shows its shortcut at its right end.
  bool shown = false;
  for (Qz_Object* m = asObject(Qz_DoMethod(open, kGroupFirst)); m; m = asObject(Qz_DoMethod(open, kGroupNext, m)))
    if (Qz_Object* t = asObject(Qz_DoMethod(m, kGroupFirst)))
      for (; t; t = asObject(Qz_DoMethod(m, kGroupNext, t)))
        if (const auto* l = reinterpret_cast<const char*>(Qz_DoMethod(t, kRootGetLabel)))
          shown = shown || std::string(l) == "Ctrl+O";
  EXPECT_TRUE(shown);

  // A menu made and disposed (as a requester's is) leaves no shortcut behind.
  Qz_Object* quit = item("Quit");
  Qz_Object* gone = menu("Gone", {quit});
  Qz_DoMethod(quit, kMenuItemSetShortcut, 'q');
  EXPECT_EQ(shortcutsFor('q'), 1);
  Qz_DisposeObject(gone);
  EXPECT_EQ(shortcutsFor('q'), 0);
  ctrlKey('Q', 'q');  // would reach the disposed item
  step(win);
  EXPECT_EQ(shortcutsFor('o'), 1);
}

// With the button held, sliding onto a sub-menu item opens its sub-menu;
// sliding on to another item of the parent closes it again, with any open
// inside it (that item lit, its own sub-menu opened), and a release in a
// sub-menu chooses there.
TEST_F(Menus, HeldButtonSlidesThroughSubMenusAndChoosesThere) {
  Qz_Object* a = item("A");
  Qz_Object* more = item("More");
  Qz_Object* inner = item("Inner");
  Qz_Object* other = item("Other");
  Qz_Object* second = item("Second");
  Qz_Object* deeper = item("Deeper");
  Qz_Object* deepest = item("Deepest");
  Qz_Object* m = menu("Menu", {a, more, other});
  Qz_DoMethod(more, kGroupAddTail, inner);
  Qz_DoMethod(more, kGroupAddTail, deeper);
  Qz_DoMethod(deeper, kGroupAddTail, deepest);
  Qz_DoMethod(other, kGroupAddTail, second);
  Qz_Object* bar = Qz_CreateObject("MenuBar", kGroupAddTail, m);
  Qz_Object* win = ui.window("Menus", 100, 100, 300, 0);
  Qz_DoMethod(win, kGroupAddTail, bar);
  Qz_DoMethod(win, kGroupAddTail, Qz_CreateObject("Space", kFixHeight, 150));
  ASSERT_TRUE(ui.open(win));
  qztest::Recorder r;
  r.watch(m, kPopUpChosen);
  moveOver(m);
  qz::headless::press();
  step(win);
  ASSERT_NE(windowOf(more), nullptr) << "the menu is open";
  moveOver(more);  // the button still held
  step(win);
  ASSERT_NE(windowOf(inner), nullptr) << "the sub-menu opened";
  moveOver(deeper);
  step(win);
  ASSERT_NE(windowOf(deepest), nullptr) << "a sub-menu inside the sub-menu opened";
  moveOver(other);
  step(win);
  EXPECT_EQ(windowOf(inner), nullptr) << "the first sub-menu closed";
  EXPECT_EQ(windowOf(deepest), nullptr) << "with the one open inside it";
  ASSERT_NE(windowOf(second), nullptr) << "the other item's sub-menu opened";
  moveOver(a);
  step(win);
  EXPECT_EQ(windowOf(second), nullptr);
  // A plain item is lit under the pointer: a pixel at its left end, where no letter is drawn.
  auto edgeOf = [&](Qz_Object* o) {
    Window* w = windowOf(o);
    const Qz_LayoutBox b = qztest::UiHarness::box(o);
    return qz::headless::screenPixel(w->LeftEdge + b.left + 1, w->TopEdge + b.top + b.height / 2);
  };
  EXPECT_NE(edgeOf(a), edgeOf(more)) << "the item under the pointer is lit";
  moveOver(more);
  step(win);
  ASSERT_NE(windowOf(inner), nullptr) << "back on its item, the sub-menu opens again";
  EXPECT_EQ(edgeOf(a), edgeOf(other)) << "the first item went dark";
  moveOver(deeper);
  step(win);
  EXPECT_NE(windowOf(deepest), nullptr) << "and the one inside it too";
  moveOver(inner);
  step(win);
  qz::headless::release();
  step(win);
  EXPECT_EQ(r.values(kPopUpChosen), std::vector<QzWord>{reinterpret_cast<QzWord>(inner)});
  EXPECT_EQ(windowOf(inner), nullptr);
}

TEST_F(Menus, FirstChildMakesASubMenuInPlace) {
  Qz_Object* a = item("A");
  Qz_Object* more = item("More");
  Qz_Object* z = item("Z");
  Qz_Object* m = menu("Menu", {a, more, z});
  Qz_DoMethod(more, kGroupAddTail, item("Inner"));
  std::vector<Qz_Object*> order;
  for (Qz_Object* i = asObject(Qz_DoMethod(m, kGroupFirst)); i; i = asObject(Qz_DoMethod(m, kGroupNext, i)))
    order.push_back(i);
  EXPECT_EQ(order, (std::vector<Qz_Object*>{a, more, z}));
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(more, kMenuItemGetText)), "More");
  Qz_Object* inner = asObject(Qz_DoMethod(more, kGroupFirst));
  ASSERT_NE(inner, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(inner, kMenuItemGetText)), "Inner");
  Qz_DisposeObject(m);
}

}  // namespace
