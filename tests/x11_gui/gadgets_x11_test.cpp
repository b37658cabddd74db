// Tabbed pages, a radio column and the folder tree of a temporary tree on
// the X11 host: clicks switch the page and mark a radio row. The
// screenshot is left for people to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/async_methods.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "x11_gui/x11_gui_support.h"

namespace {

using namespace qztest::x11;

Qz_Object* text(const char* label) { return Qz_CreateObject("Text", kRootSetLabel, label); }

// The child node of a folder node with that shown name.
Qz_Object* childNamed(Qz_Object* node, const std::string& name) {
  for (auto* c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(node, kGroupFirst)); c != nullptr;
       c = reinterpret_cast<Qz_Object*>(Qz_DoMethod(node, kGroupNext, c))) {
    if (name == reinterpret_cast<const char*>(Qz_DoMethod(c, kListTreeNodeGetName))) return c;
  }
  return nullptr;
}

// Runs a method on the window's own thread.
void post(Qz_Object* window, Qz_Object* target, uint32_t method, QzWord argument) {
  Qz_DoMethod(target, kRootSetAsyncPort, Qz_RootInstance(window)->asyncPort);
  Qz_DoAsyncMethod(target, method, argument);
}

TEST(X11Gadgets, PagesRadioColumnAndFolderTreeAnswerClicks) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (!qztest::haveTool("xdotool") || !qztest::haveTool("import")) GTEST_SKIP() << "xdotool or ImageMagick is missing";
  qztest::ScopedStateRoot stateRoot;
  qztest::TempDir dir;
  for (const char* name : {"a/B", "a/c/deep", "a/c/deeper", "a/.hidden", "a/d", "a/e", "a/f", "a/g", "a/h"}) {
    std::filesystem::create_directories(dir.file(name));
  }
  Qz_Init();
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);

  Qz_Object* pages = Qz_CreateObject("Pages");
  Qz_Object* radio = Qz_CreateObject("MutualExclude");
  Qz_Object* check = Qz_CreateObject("CheckBox", kRootSetLabel, "Show hidden folders");
  ASSERT_TRUE(pages && radio && check);
  for (const char* label : {"Small", "Medium", "Large"}) Qz_DoMethod(radio, kGroupAddTail, text(label));
  Qz_DoMethod(pages, kPagesLabelsPhase, 1);
  Qz_DoMethod(pages, kGroupAddTail, text("Options"));
  Qz_DoMethod(pages, kGroupAddTail, text("Size"));
  Qz_DoMethod(pages, kPagesLabelsPhase, 0);
  Qz_DoMethod(pages, kGroupAddTail, check);
  Qz_DoMethod(pages, kGroupAddTail, radio);
  Qz_DoMethod(pages, kGroupShowPage, 0);

  // The temporary tree is the home root, so the tree shows it first.
  const char* home = std::getenv("HOME");
  const std::string savedHome = home != nullptr ? home : "";
  setenv("HOME", dir.path().c_str(), 1);
  Qz_Object* tree = Qz_CreateObject("DirTree");
  setenv("HOME", savedHome.c_str(), 1);
  ASSERT_NE(tree, nullptr);
  const QzWord shown = Qz_DoMethod(tree, kDirTreeShowPath, dir.file("a").c_str());
  ASSERT_NE(shown, 0u);
  auto* folder = reinterpret_cast<Qz_Object*>(shown);

  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetSpacing, 8, kRootSetWeight, 100);
  // Groups weigh 200 by default; an even split keeps both inside the row.
  Qz_DoMethod(pages, kRootSetWeight, 100);
  Qz_DoMethod(tree, kRootSetWeight, 100);
  Qz_DoMethod(row, kGroupAddTail, pages);
  Qz_DoMethod(row, kGroupAddTail, tree);
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Gadgets", kWindowSetKind, 1, kWindowSetX, 60,
                                   kWindowSetY, 60, kWindowSetW, 560, kWindowSetH, 300);
  Qz_DoMethod(win, kGroupAddTail, row);
  Qz_DoMethod(win, kRootOpen);
  Window* w = waitForPlatformWindow(win);
  ASSERT_NE(w, nullptr);
  post(win, tree, kVirtualGroupShowObject, shown);
  ASSERT_TRUE(settle(win));

  // A click on the second tab shows the radio column.
  auto* tabs = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kPagesGetTabs));
  ASSERT_TRUE(clickObject(w, reinterpret_cast<Qz_Object*>(Qz_DoMethod(tabs, kGroupMemberAt, 2))));
  ASSERT_TRUE(settle(win));
  EXPECT_EQ(Qz_DoMethod(reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kPagesGetPageGroup)), kGroupGetPageIndex), 1u);
  // A click on the last radio row marks it.
  auto* lastRow = reinterpret_cast<Qz_Object*>(Qz_DoMethod(radio, kGroupMemberAt, 2));
  ASSERT_TRUE(clickObject(w, reinterpret_cast<Qz_Object*>(Qz_DoMethod(lastRow, kGroupFirst))));
  ASSERT_TRUE(settle(win));
  EXPECT_EQ(Qz_DoMethod(radio, kMutualExcludeGetMarked), 2u);

  // The folder shown is the selected node, opened on its sub-folders.
  EXPECT_EQ(Qz_DoMethod(tree, kListTreeGetSelectedNode), shown);
  EXPECT_EQ(Qz_DoMethod(folder, kListTreeNodeGetExpanded), 1u);
  Qz_Object* c = childNamed(folder, "c");
  ASSERT_NE(c, nullptr);
  // A click on the arrow at the start of "c"'s row opens it on its sub-folders.
  const Qz_LayoutBox cRow = qztest::UiHarness::box(c);
  ASSERT_TRUE(clickAt(w->LeftEdge + cRow.left + 7, w->TopEdge + cRow.top + 8));
  ASSERT_TRUE(settle(win));
  EXPECT_EQ(Qz_DoMethod(c, kListTreeNodeGetExpanded), 1u);
  EXPECT_NE(childNamed(c, "deep"), nullptr);

  Screenshot shot;
  ASSERT_TRUE(shot.take(screenshotPath("gadgets_screenshot.png")));
  Qz_DisposeObject(win);
  Qz_CleanUp();
}

}  // namespace
