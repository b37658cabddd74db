// The menu bar: its model, the strip above the desktop and the drop-downs,
// and what a pick posts to the main window.
#include <string>

#include "platform/clipboard.h"
#include "platform/menu_bar.h"
#include "tests/windows/window_fixture.h"

using namespace qztest;

namespace {

// Headless text is 8 pixels a character: "File" spans x 2..49, "Edit" 50..97.
// Drop-down rows are 19 pixels high from y 2, a separator 7; the strip is y -20..-1.
constexpr int kStripY = -10;
constexpr int kFileX = 20, kEditX = 70;
int rowY(int row) { return 2 + row * 19 + 9; }
constexpr int kMoreY = 2 + 2 * 19 + 7 + 9;

Window* gMain = nullptr;
Window* mainWindow() { return gMain; }

class MenuBarTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    main_ = open(0, 200, 400, 200);
    ASSERT_NE(main_, nullptr);
    gMain = main_;
    QzWindowHooks hooks{};
    hooks.mainWindow = mainWindow;
    Qz_SetWindowHooks(&hooks);
    bar_ = Qz_CreateMenu();
    file_ = Qz_CreateMenu();
    edit_ = Qz_CreateMenu();
    more_ = Qz_CreateMenu();
    Qz_AppendMenuItem(file_, 51, "Open\tCtrl+O");
    Qz_AppendMenuItem(file_, 52, "Save");
    Qz_AppendMenuSeparator(file_);
    Qz_AppendMenuItem(more_, 64, "Grab");
    Qz_AppendSubMenu(file_, more_, "More");
    Qz_AppendMenuItem(edit_, 137, "Copy");
    Qz_AppendMenuItem(edit_, 138, "Paste");
    Qz_AppendSubMenu(bar_, file_, "File");
    Qz_AppendSubMenu(bar_, edit_, "Edit");
    Qz_SetPasteMenuItem(bar_, 138);
    Qz_SetMainMenu(bar_);
    drain(main_);
  }
  void TearDown() override {
    Qz_SetMainMenu(nullptr);
    for (QzMenu* m : {bar_, file_, edit_, more_}) Qz_DestroyMenu(m);
    gMain = nullptr;
    WindowTest::TearDown();
  }
  std::vector<Msg> picks() {
    std::vector<Msg> out;
    for (const Msg& m : drain(main_))
      if (m.cls == IDCMP_MENUCOMMAND) out.push_back(m);
    return out;
  }

  Window* main_ = nullptr;
  QzMenu *bar_ = nullptr, *file_ = nullptr, *edit_ = nullptr, *more_ = nullptr;
};

TEST_F(MenuBarTest, ModelDumpsAndChangesByIdThroughSubMenus) {
  EXPECT_EQ(qz::menus::dump(bar_),
            "> File\n  51 Open\tCtrl+O\n  52 Save\n  -\n  > More\n    64 Grab\n> Edit\n  137 Copy\n  138 Paste\n");
  EXPECT_EQ(Qz_EnableMenuItem(bar_, 64, 0), 1);
  EXPECT_EQ(Qz_CheckMenuItem(bar_, 52, 1), 1);
  EXPECT_EQ(Qz_SetMenuItemLabel(bar_, 51, "Load"), 1);
  EXPECT_EQ(Qz_GetMenuItemState(bar_, 64), 0);
  EXPECT_EQ(Qz_GetMenuItemState(bar_, 52), 3);
  EXPECT_EQ(Qz_GetMenuItemState(bar_, 99), -1);
  EXPECT_EQ(Qz_EnableMenuItem(bar_, 99, 0), 0);
  EXPECT_NE(qz::menus::dump(bar_).find("51 Load\n  52 Save [check]\n  -\n  > More\n    64 Grab [grey]"),
            std::string::npos);
  // A shared menu lives on in the menus that hold it after its handle goes.
  QzMenu* other = Qz_CreateMenu();
  Qz_AppendSubMenu(other, edit_, "Edit");
  Qz_DestroyMenu(edit_);
  edit_ = nullptr;
  EXPECT_EQ(Qz_GetMenuItemState(other, 137), 1);
  EXPECT_EQ(Qz_AppendMenuItem(edit_, 1, "gone"), 0);
  Qz_DestroyMenu(other);
}

TEST_F(MenuBarTest, PicksPostTheirIdToTheMainWindowAndCloseTheMenu) {
  Qz_EnableMenuItem(bar_, 52, 0);
  struct Case {
    const char* name;
    int titleX;
    int x, y;  // the second click
    std::vector<Msg> posted;
    bool openAfter;
  };
  const Case cases[] = {
      {"an item", kFileX, 30, rowY(0), {{IDCMP_MENUCOMMAND, 51, 0}}, false},
      {"a greyed item posts nothing and keeps the menu", kFileX, 30, rowY(1), {}, true},
      {"a sub-menu title posts nothing", kFileX, 30, kMoreY, {}, true},
      {"the other menu", kEditX, 60, rowY(0), {{IDCMP_MENUCOMMAND, 137, 0}}, false},
      {"outside every menu closes it", kFileX, 300, 300, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qz::headless::click(c.titleX, kStripY);
    EXPECT_TRUE(qz::menus::dropDownOpen());
    qz::headless::click(c.x, c.y);
    EXPECT_EQ(picks(), c.posted);
    EXPECT_EQ(qz::menus::dropDownOpen(), c.openAfter);
    if (qz::menus::dropDownOpen()) qz::headless::typeKey(qz::host::kVkEscape);
    EXPECT_FALSE(qz::menus::dropDownOpen());
  }
  // The press that closed a menu over a window never reached it.
  EXPECT_TRUE(drain(main_).empty());
}

TEST_F(MenuBarTest, HoverOpensSubMenusAndTheStripSwitchesMenus) {
  qz::headless::click(kFileX, kStripY);
  qz::headless::moveTo(30, kMoreY);  // "More": its sub-menu opens to the right
  const int subX = 200, subY = kMoreY;
  qz::headless::click(subX, subY);
  EXPECT_EQ(picks(), (std::vector<Msg>{{IDCMP_MENUCOMMAND, 64, 0}}));
  // With a menu open, moving along the strip opens the one under the pointer.
  qz::headless::click(kFileX, kStripY);
  qz::headless::moveTo(kEditX, kStripY);
  qz::headless::click(60, rowY(0));
  EXPECT_EQ(picks(), (std::vector<Msg>{{IDCMP_MENUCOMMAND, 137, 0}}));
}

// A pointer that passes over another title on its way there has already
// switched to that menu: the click that follows keeps it open. A second
// click on the title of a menu a click opened closes it.
TEST_F(MenuBarTest, ClickOnAnotherTitleOpensItAtOnce) {
  qz::headless::click(kEditX, kStripY);
  qz::headless::moveTo(kFileX, kStripY);
  qz::headless::click(kFileX, kStripY);
  ASSERT_TRUE(qz::menus::dropDownOpen());
  qz::headless::click(30, rowY(0));
  EXPECT_EQ(picks(), (std::vector<Msg>{{IDCMP_MENUCOMMAND, 51, 0}}));

  // Pressed open, held onto the other title and released there: it stays.
  qz::headless::moveTo(kFileX, kStripY);
  qz::headless::press();
  qz::headless::moveTo(kEditX, kStripY);
  qz::headless::release();
  ASSERT_TRUE(qz::menus::dropDownOpen());
  qz::headless::click(kEditX, kStripY);
  EXPECT_TRUE(qz::menus::dropDownOpen()) << "the menu the pointer switched to stays for its click";
  qz::headless::click(kEditX, kStripY);
  EXPECT_FALSE(qz::menus::dropDownOpen()) << "a second click on its title closes it";
  EXPECT_TRUE(picks().empty());
}

// An open sub-menu closes once the pointer rests on another item of its
// parent, held or not; coming back to its own item opens it again.
TEST_F(MenuBarTest, SubMenuClosesWhenThePointerMovesToAnotherItemOfItsParent) {
  const int subX = 200;
  for (const bool held : {false, true}) {
    SCOPED_TRACE(held ? "button held" : "button released");
    if (held) {
      qz::headless::moveTo(kFileX, kStripY);
      qz::headless::press();
    } else {
      qz::headless::click(kFileX, kStripY);
    }
    qz::headless::moveTo(30, kMoreY);
    qz::headless::moveTo(subX, kMoreY);  // into the sub-menu, onto "Grab"
    qz::headless::moveTo(30, rowY(1));   // back onto "Save" of the parent
    qz::headless::moveTo(subX, kMoreY);  // where "Grab" was: outside every menu now
    if (held) qz::headless::release();
    qz::headless::click(subX, kMoreY);
    EXPECT_TRUE(picks().empty()) << "the sub-menu had closed";
    EXPECT_FALSE(qz::menus::dropDownOpen());
  }
  qz::headless::click(kFileX, kStripY);
  qz::headless::moveTo(30, kMoreY);
  qz::headless::moveTo(30, rowY(0));
  qz::headless::moveTo(30, kMoreY);
  qz::headless::click(subX, kMoreY);
  EXPECT_EQ(picks(), (std::vector<Msg>{{IDCMP_MENUCOMMAND, 64, 0}}));
}

TEST_F(MenuBarTest, PasteItemFollowsTheClipboardEachTimeAMenuOpens) {
  for (const bool picture : {false, true, false}) {
    SCOPED_TRACE(picture ? "a picture" : "text");
    if (picture) {
      const char png[] = "\x89PNG";
      Qz_ClipboardSetData("image/png", png, 4);
    } else {
      Qz_ClipboardSetText("words");
    }
    qz::headless::click(kEditX, kStripY);
    qz::menus::settlePasteCheck();
    EXPECT_EQ(Qz_GetMenuItemState(bar_, 138), picture ? 1 : 0);
    qz::headless::typeKey(qz::host::kVkEscape);
  }
}

TEST_F(MenuBarTest, StripIsDrawnWhenItChangesAndDropDownsLieOverWindows) {
  qz::raster::PixelBuffer strip(screen_->Width, qz::host::kMenuStripHeight);
  EXPECT_FALSE(qz::host::composeMenuStrip(strip).empty());
  EXPECT_TRUE(qz::host::composeMenuStrip(strip).empty()) << "nothing changed";
  // Title text is drawn in black on the face colour.
  bool ink = false;
  for (int x = 2; x < 50; ++x)
    for (int y = 0; y < qz::host::kMenuStripHeight; ++y) ink = ink || strip.at(x, y) == 0x000000;
  EXPECT_TRUE(ink);
  Qz_DrawMenuBar();
  EXPECT_FALSE(qz::host::composeMenuStrip(strip).empty());

  const uint32_t under = qz::headless::screenPixel(10, 210);
  qz::headless::click(kFileX, kStripY);
  // The drop-down's face covers the main window below the strip.
  EXPECT_EQ(qz::headless::screenPixel(5, 20), 0xD4D0C8u);
  qz::headless::typeKey(qz::host::kVkEscape);
  EXPECT_EQ(qz::headless::screenPixel(10, 210), under);
}

}  // namespace
