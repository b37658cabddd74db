// The two menu bars as built: their items, labels and shortcuts, and which
// items are greyed with no image open and with one.
#include <set>
#include <string>

#include "app/main_menu.h"
#include "app/menu_commands.h"
#include "main_menu_env.h"
#include "platform/menu_bar.h"

namespace qztest {
namespace {

// The full bar: ids, catalogue labels and shortcut suffixes.
const char* const kFullBar =
      "> File\n"
      "  60 New\tCtrl+N\n"
      "  51 Open\tCtrl+O\n"
      "  139 Browse...\tCtrl+B\n"
      "  52 Save\tCtrl+S\n"
      "  53 Save As...\n"
      "  54 Save a Copy...\n"
      "  55 Save for the Web...\n"
      "  61 Revert\n"
      "  -\n"
      "  > Acquire\n"
      "    64 Grab Screen...\n"
      "    -\n"
      "    62 From TWAIN Source...\n"
      "    63 Select Source...\n"
      "  -\n"
      "  56 Page Setup...\n"
      "  57 Print...\tCtrl+P\n"
      "  -\n"
      "  65 Close\n"
      "  66 Close All\n"
      "  -\n"
      "  59 Convert Files...\n"
      "  -\n"
      "  67 Preferences...\n"
      "  -\n"
      "  68 Check for Updates...\n"
      "  -\n"
      "  69 Quit\n"
      "> Edit\n"
      "  135 Undo\tCtrl+Z\n"
      "  136 Redo\n"
      "  -\n"
      "  137 Copy Image to Clipboard\tCtrl+C\n"
      "  138 Paste Image from Clipboard\tCtrl+V\n"
      "> Image\n"
      "  > Flip\n"
      "    89 Horizontally\n"
      "    91 Vertically\n"
      "    90 Both Ways\n"
      "  > Rotate\n"
      "    95 90° Clockwise\n"
      "    96 90° Anticlockwise\n"
      "    97 180°\n"
      "    98 Free Rotate...\n"
      "  > Scale\n"
      "    78 Double Size\n"
      "    79 Half Size\n"
      "    80 Scale...\n"
      "  112 Invert\n"
      "  100 Add Space\n"
      "  133 Duplicate\n"
      "  -\n"
      "  83 Grid Settings...\n"
      "  84 Snap to Grid\n"
      "  -\n"
      "  85 New View\n"
      "  86 Hide View\n"
      "  87 Fit to Window\n"
      "> Layer\n"
      "  > New Layer\n"
      "    73 Paint Layer\n"
      "    74 Image Layer\n"
      "  -\n"
      "  > Flip\n"
      "    92 Horizontally\n"
      "    94 Vertically\n"
      "    93 Both Ways\n"
      "  -\n"
      "  > Arrange\n"
      "    115 To Front\n"
      "    116 Forward\n"
      "    117 Backward\n"
      "    118 To Back\n"
      "  > Place\n"
      "    76 Top Left\n"
      "    77 Centre\n"
      "  -\n"
      "  119 Make Alpha from Layer\n"
      "  120 Apply Alpha to Layer\n"
      "  114 Duplicate Layer\n"
      "  -\n"
      "  81 Scale\n"
      "  113 Invert\n"
      "  -\n"
      "  101 Hide Layer\n"
      "  102 Show Layer\n"
      "  -\n"
      "  88 Transparency Off\n"
      "  -\n"
      "  75 Delete Layer\n"
      "> Help\n"
      "  124 Help Contents\tF1\n"
      "  125 Help Index\n"
      "  126 Search Help...\n"
      "  123 Getting Started\n"
      "  -\n"
      "  129 Tutorials\n"
      "  -\n"
      "  131 Tip of the Day\n"
      "  -\n"
      "  103 About Quillantrix...\n";

// A bar's items without their greying, which the build's requesters decide.
std::string layout(QzMenu* bar) {
  std::string text = qz::menus::dump(bar);
  for (std::size_t at; (at = text.find(" [grey]")) != std::string::npos;) text.erase(at, 7);
  return text;
}

std::set<uint16_t> greyed(QzMenu* bar) {
  std::set<uint16_t> out;
  for (const qz::app::MenuCommand& c : qz::app::menuCommands())
    if (Qz_GetMenuItemState(bar, c.id) == 0) out.insert(c.id);
  return out;
}

std::set<uint16_t> unavailable() {
  std::set<uint16_t> out;
  for (const qz::app::MenuCommand& c : qz::app::menuCommands())
    if (!qz::app::menuCommandAvailable(c.id)) out.insert(c.id);
  return out;
}

class Bars : public MainMenuTest {
 protected:
  // As the main window does.
  void SetUp() override {
    QzMenu* reduced = Qz__CreateMainMenuBar();
    ASSERT_NE(reduced, nullptr);
    Qz_SetMainMenu(reduced);
  }
  void TearDown() override {
    qz::app::destroyMainMenuBars();
    MainMenuTest::TearDown();
  }
};

TEST_F(Bars, FullAndReducedBarsHoldTheTablesItemsInOrder) {
  EXPECT_EQ(layout(qz::app::fullMenuBar()), kFullBar);
  // The reduced bar shares File, Edit and Help, without Image and Layer.
  std::string reduced = kFullBar;
  reduced.erase(reduced.find("> Image\n"), reduced.find("> Help\n") - reduced.find("> Image\n"));
  EXPECT_EQ(layout(qz::app::reducedMenuBar()), reduced);
  EXPECT_EQ(Qz__CreateMainMenuBar(), qz::app::reducedMenuBar()) << "built once";
  // Without a colour-management library item 144 is not there at all.
  EXPECT_EQ(Qz_GetMenuItemState(qz::app::fullMenuBar(), 144), -1);
}

TEST_F(Bars, NoImageGreysTheImageItemsAndAnImageEnablesWhatTheBuildCanDo) {
  const std::set<uint16_t> needImage = {52, 53, 54, 55, 56, 57, 61, 65, 89, 90, 91, 92, 93, 94, 135, 136, 137};
  std::set<uint16_t> expected = unavailable();
  expected.insert(needImage.begin(), needImage.end());
  expected.erase(144);  // not in the bars
  EXPECT_EQ(greyed(qz::app::fullMenuBar()), expected) << "the state at start";
  EXPECT_EQ(Qz_GetMainMenu(), qz::app::reducedMenuBar());

  qz::app::setImageMenus();
  std::set<uint16_t> open = unavailable();
  open.erase(144);
  EXPECT_EQ(greyed(qz::app::fullMenuBar()), open);
  EXPECT_EQ(Qz_GetMainMenu(), qz::app::fullMenuBar());
  for (uint16_t id : {51, 52, 60, 135, 136, 137, 138})
    EXPECT_EQ(Qz_GetMenuItemState(qz::app::fullMenuBar(), id) == 1, qz::app::menuCommandAvailable(id)) << id;

  qz::app::setNoImageMenus();
  EXPECT_EQ(greyed(qz::app::fullMenuBar()), expected);
  EXPECT_EQ(Qz_GetMainMenu(), qz::app::reducedMenuBar());
  // The scanner commands have no scanner program here.
  for (uint16_t id : {62, 63}) EXPECT_FALSE(qz::app::menuCommandAvailable(id));
  EXPECT_EQ(qz::app::Qz__SendScannerRequest(2024, 0, 0), 0u);
}

TEST_F(Bars, LabelsAndCheckFollowTheirState) {
  QzMenu* full = qz::app::fullMenuBar();
  qz::app::relabelViewItem(false);
  qz::app::relabelLayerItem(false);
  qz::app::setSnapCheck(true);
  const std::string text = qz::menus::dump(full);
  EXPECT_NE(text.find("86 Show View\n"), std::string::npos);
  EXPECT_NE(text.find("88 Transparency On\n"), std::string::npos);
  EXPECT_NE(text.find("84 Snap to Grid [check]\n"), std::string::npos);
  qz::app::relabelViewItem(true);
  qz::app::relabelLayerItem(true);
  qz::app::setSnapCheck(false);
  EXPECT_EQ(layout(full), kFullBar);
}

}  // namespace
}  // namespace qztest
