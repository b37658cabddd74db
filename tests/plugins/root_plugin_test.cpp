// RootPlugin in a headless window: fold and unfold, the click threshold of a
// drag by the title, the last panel that never tears off, a failed tear-off
// that keeps the panel, hover and dispose, and the class-name-only object text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "plugins/qz_root_plugin.h"
#include "support/stored_text.h"
#include "support/ui_harness.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
Qz_Object* Qz_LastHoveredPlugin(void);
QZ_EXTERN_C_END

namespace {

Window* windowOf(Qz_Object* o) {
  auto* info = reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(o, kRootGetDrawInfo));
  return info ? info->window : nullptr;
}

class RootPluginTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u); }
  void TearDown() override { Qz_CleanupRootPluginClass(); }

  // A panel titled as given, holding one test gadget as its content.
  Qz_Object* panel(const char* title) {
    Qz_Object* p = Qz_CreateObject("RootPlugin", kQzPluginSetTitle, title);
    if (p) Qz_DoMethod(p, kGroupAddTail, qztest::TestGadget::make({.minWidth = 60, .minHeight = 30}));
    return p;
  }
  Qz_Object* dropGroup(std::vector<Qz_Object*> members) {
    Qz_Object* g = ui.group(1, std::move(members), 2);
    Qz_DoMethod(g, kGroupSetAcceptsDrops, 1);
    return g;
  }

  // A left press and release over the middle of the title: the press is
  // where a drag by the title would start.
  void pressTitle(Qz_Object* win, Qz_Object* p) {
    Window* w = windowOf(p);
    ASSERT_NE(w, nullptr);
    const Qz_LayoutBox b = qztest::UiHarness::box(p);
    pressX = w->LeftEdge + b.left + b.width / 2;
    pressY = w->TopEdge + b.top + 4;
    qz::headless::moveTo(pressX, pressY);
    qz::headless::press();
    ASSERT_TRUE(ui.settle(win));
    qz::headless::release();
    ASSERT_TRUE(ui.settle(win));
    ASSERT_TRUE(ui.settle(win));
  }

  // The drop notification, fired on the window's own thread as a real drop
  // is, so it never races the thread laying the window out.
  void drop(Qz_Object* win, Qz_Object* p, Qz_Object* target, int x, int y) {
    const auto packed = qz::packWords(kGroupDrop, qz::toWord(target), x, y);
    ASSERT_EQ(ui.post(win, p, kRootDoNotify, p, packed.data()), 1u);
    ASSERT_TRUE(ui.settle(win));
  }

  qztest::UiHarness ui;
  int pressX = 0, pressY = 0;
};

TEST_F(RootPluginTest, FoldAndUnfoldAreIdempotentAndMoveTheContentOutAndBack) {
  Qz_Object* gadget = qztest::TestGadget::make({});
  Qz_Object* p = Qz_CreateObject("RootPlugin");
  ASSERT_NE(p, nullptr);
  Qz_DoMethod(p, kGroupAddTail, gadget);
  ASSERT_EQ(Qz_GetParentObject(gadget) != nullptr, true);
  struct Step { uint32_t id; bool inBody; };
  const Step steps[] = {{kQzPluginFold, false}, {kQzPluginFold, false}, {kQzPluginUnfold, true},
                        {kQzPluginUnfold, true}, {kQzPluginFold, false}};
  for (const Step& s : steps) {
    EXPECT_EQ(Qz_DoMethod(p, s.id), 0u);
    EXPECT_EQ(Qz_GetParentObject(gadget) != nullptr, s.inBody) << std::hex << s.id;
  }
  // Disposed while folded, the content goes with the panel (no leak under ASan).
  Qz_DisposeObject(p);
}

TEST_F(RootPluginTest, TitlesAndTabPathAreKept) {
  Qz_Object* p = Qz_CreateObject("RootPlugin", kQzPluginSetTitle, "Preview", kQzPluginSetShortTitle, "Prev",
                                 kQzPluginSetTabImagePath, "Data/Images/Tabs/ModeOptions");
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(p, kQzPluginGetTitle)), "Preview");
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(p, kQzPluginGetShortTitle)), "Prev");
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(p, kQzPluginGetTabImagePath)),
               "Data/Images/Tabs/ModeOptions");
  Qz_DoMethod(p, kQzPluginSetShortTitle, QzWord(0));
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(p, kQzPluginGetShortTitle)), "");
  Qz_DisposeObject(p);
}

TEST_F(RootPluginTest, StoredAsItsClassNameAlone) {
  Qz_Object* p = panel("Stored");
  ASSERT_NE(p, nullptr);
  const std::string stored = qztest::storedText(p);
  ASSERT_FALSE(stored.empty());
  EXPECT_NE(stored.find("RootPlugin"), std::string::npos);
  EXPECT_EQ(stored.find("Group"), std::string::npos) << stored;
  EXPECT_EQ(stored.find("Text"), std::string::npos) << stored;
  Qz_DisposeObject(p);
}

// A release within 5 pixels of the press in both directions is a click; 6
// in either direction moves the panel to the group it was dropped on.
TEST_F(RootPluginTest, ReleaseWithinFivePixelsIsAClick) {
  struct Case { int dx, dy; bool moves; };
  const Case cases[] = {{0, 0, false}, {5, 5, false}, {-5, -5, false}, {6, 0, true}, {0, 6, true}, {-6, 3, true}};
  for (const Case& c : cases) {
    Qz_Object* a = panel("A");
    Qz_Object* b = panel("B");
    Qz_Object* source = dropGroup({a, b});
    Qz_Object* target = dropGroup({qztest::TestGadget::make({})});
    Qz_Object* win = ui.window("Panels", 100, 100);
    Qz_DoMethod(win, kGroupAddTail, ui.group(2, {source, target}, 4));
    ASSERT_TRUE(ui.open(win));
    pressTitle(win, a);
    ASSERT_EQ(Qz_GetParentObject(a), source) << "a click on the title moves nothing";
    drop(win, a, target, pressX + c.dx, pressY + c.dy);
    EXPECT_EQ(Qz_GetParentObject(a), c.moves ? target : source) << c.dx << "," << c.dy;
    ui.dispose(win);
  }
}

// Dropped outside every window: the only panel stays; a tear-off that cannot
// make its window puts the panel back where it was.
TEST_F(RootPluginTest, DropOutsideKeepsTheLastPanelAndSurvivesAFailedTearOff) {
  for (int panels : {1, 2}) {
    Qz_Object* a = panel("A");
    Qz_Object* source = panels == 1 ? dropGroup({a}) : dropGroup({a, panel("B")});
    Qz_Object* win = ui.window("Panels", 100, 100);
    Qz_DoMethod(win, kGroupAddTail, source);
    ASSERT_TRUE(ui.open(win));
    pressTitle(win, a);
    drop(win, a, nullptr, pressX + 300, pressY + 200);
    EXPECT_EQ(Qz_GetParentObject(a), source) << panels;
    EXPECT_EQ(Qz_DoMethod(source, kGroupIndexOf, a), 0u) << "kept in its place";
    ui.dispose(win);
  }
}

// While the title is dragged an outline of the panel hangs below the
// pointer, centred on it, and follows it; the release takes it away.
TEST_F(RootPluginTest, DragShowsAnOutlineThatFollowsThePointerUntilTheDrop) {
  Qz_Object* a = panel("A");
  Qz_Object* win = ui.window("Panels", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, dropGroup({a}));
  ASSERT_TRUE(ui.open(win));
  Window* w = windowOf(a);
  ASSERT_NE(w, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(a);
  const int x = w->LeftEdge + b.left + b.width / 2, y = w->TopEdge + b.top + 4;
  // Probes of an outline at (px, py): its top edge, its left and right
  // edges, its inside, and a point just below it.
  struct Probe { int dx, dy; bool onOutline; };
  const Probe probes[] = {{0, 0, true}, {-(b.width / 2), b.height / 2, true},
                          {b.width - b.width / 2 - 1, b.height / 2, true}, {0, b.height / 2, false},
                          {0, b.height + 2, false}};
  auto desktop = [&](int px, int py) {
    std::vector<uint32_t> out;
    for (const Probe& p : probes) out.push_back(qz::headless::screenPixel(px + p.dx, py + p.dy));
    return out;
  };
  const int far[][2] = {{x + 400, y + 150}, {x + 500, y + 250}};
  const auto before0 = desktop(far[0][0], far[0][1]), before1 = desktop(far[1][0], far[1][1]);
  qz::headless::moveTo(x, y);
  qz::headless::press();
  ASSERT_TRUE(ui.settle(win));
  for (const auto& at : far) {
    qz::headless::moveTo(at[0], at[1]);
    ASSERT_TRUE(ui.settle(win));
    const auto& before = &at == &far[0] ? before0 : before1;
    const auto during = desktop(at[0], at[1]);
    for (size_t i = 0; i < during.size(); ++i)
      EXPECT_EQ(during[i], probes[i].onOutline ? before[i] ^ 0xFFFFFFu : before[i]) << "probe " << i;
  }
  EXPECT_EQ(desktop(far[0][0], far[0][1]), before0) << "the outline left the place the pointer left";
  qz::headless::release();
  ASSERT_TRUE(ui.settle(win));
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(desktop(far[1][0], far[1][1]), before1) << "the drop takes the outline away";
  EXPECT_NE(Qz_GetParentObject(a), nullptr) << "the only panel stays";
  ui.dispose(win);
}

TEST_F(RootPluginTest, HoverUnfoldsOnTheTabAndDisposeForgetsTheLastHovered) {
  Qz_Object* a = panel("A");
  Qz_Object* win = ui.window("Panels", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, dropGroup({a, qztest::TestGadget::make({.minWidth = 60, .minHeight = 60})}));
  // Command 4 turns hover on, as a chosen menu item with that user data does.
  Qz_Object* item = Qz_CreateObject("Group", kRootSetUserData, kPluginCommandToggleHover);
  Qz_DoNotify(a, 0xC0064, qz::toWord(item));
  Qz_DisposeObject(item);
  Qz_DoMethod(a, kQzPluginFold);
  ASSERT_TRUE(ui.open(win));
  Window* w = windowOf(a);
  ASSERT_NE(w, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(a);
  qz::headless::moveTo(w->LeftEdge + b.left + 10, w->TopEdge + b.top + 4);
  ASSERT_TRUE(ui.settle(win));
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(Qz_LastHoveredPlugin(), a);
  ui.dispose(win);
  EXPECT_EQ(Qz_LastHoveredPlugin(), nullptr);
}

}  // namespace
