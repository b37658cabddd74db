// The panel layout: the default built in code and shipped as a file, the
// fallback for a missing or unreadable file, atomic saves, a byte-exact
// round trip and a restore that replaces the layout in place; and the
// options panels' hand-back of the panels they show.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "gadgets/qz_colour_swatches.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_screen.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "image/qz_image.h"
#include "objects/object_services.h"
#include "objects/object_text.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/paths.h"
#include "platform/windows.h"
#include "plugins/plugin_layout.h"
#include "plugins/qz_root_plugin.h"
#include "support/object_tree.h"
#include "support/stored_text.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

#define QZ_PANEL_CLASS(name)                          \
  QZ_EXTERN_C_BEGIN                                   \
  QzWord Qz_Init##name##Class(Qz_GlobalData*);        \
  void Qz_Cleanup##name##Class(void);                 \
  QZ_EXTERN_C_END
QZ_PANEL_CLASS(RootPlugin)
QZ_PANEL_CLASS(PluginContainer)
QZ_PANEL_CLASS(PluginContainerWindow)
QZ_PANEL_CLASS(ToolOptionsPlugin)
QZ_PANEL_CLASS(ModeOptionsPlugin)
QZ_PANEL_CLASS(PreviewPlugin)
QZ_PANEL_CLASS(MediaPlugin)
QZ_PANEL_CLASS(ImageControlPlugin)
QZ_PANEL_CLASS(TransparencyPlugin)
QZ_PANEL_CLASS(ChannelsPlugin)
QZ_PANEL_CLASS(ColourChooserPlugin)
QZ_PANEL_CLASS(PalettePlugin)
QZ_PANEL_CLASS(InspectionPlugin)
QZ_PANEL_CLASS(CoordsPlugin)
QZ_PANEL_CLASS(MagnifyPlugin)
QZ_PANEL_CLASS(VignettePlugin)
QZ_PANEL_CLASS(TransGradientPlugin)
QZ_PANEL_CLASS(QZIOPlugin)

namespace {

using Init = QzWord (*)(Qz_GlobalData*);
using Cleanup = void (*)();
const std::pair<Init, Cleanup> kClasses[] = {
    {Qz_InitImageClass, Qz_CleanupImageClass},  // the inspector's view
    {Qz_InitRootPluginClass, Qz_CleanupRootPluginClass},
    {Qz_InitPluginContainerClass, Qz_CleanupPluginContainerClass},
    {Qz_InitPluginContainerWindowClass, Qz_CleanupPluginContainerWindowClass},
    {Qz_InitToolOptionsPluginClass, Qz_CleanupToolOptionsPluginClass},
    {Qz_InitModeOptionsPluginClass, Qz_CleanupModeOptionsPluginClass},
    {Qz_InitPreviewPluginClass, Qz_CleanupPreviewPluginClass},
    {Qz_InitMediaPluginClass, Qz_CleanupMediaPluginClass},
    {Qz_InitImageControlPluginClass, Qz_CleanupImageControlPluginClass},
    {Qz_InitColourSwatchesClass, Qz_CleanupColourSwatchesClass},
    {Qz_InitTransparencyPluginClass, Qz_CleanupTransparencyPluginClass},
    {Qz_InitChannelsPluginClass, Qz_CleanupChannelsPluginClass},
    {Qz_InitColourChooserPluginClass, Qz_CleanupColourChooserPluginClass},
    {Qz_InitPalettePluginClass, Qz_CleanupPalettePluginClass},
    {Qz_InitInspectionPluginClass, Qz_CleanupInspectionPluginClass},
    {Qz_InitCoordsPluginClass, Qz_CleanupCoordsPluginClass},
    {Qz_InitMagnifyPluginClass, Qz_CleanupMagnifyPluginClass},
    {Qz_InitVignettePluginClass, Qz_CleanupVignettePluginClass},
    {Qz_InitTransGradientPluginClass, Qz_CleanupTransGradientPluginClass},
    {Qz_InitQZIOPluginClass, Qz_CleanupQZIOPluginClass}};

std::string textOf(Qz_Object* object) { return qztest::storedText(object); }

Qz_Object* member(Qz_Object* list, uint32_t index) {
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListMemberAt, index));
}

class LayoutTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const auto& c : kClasses) ASSERT_EQ(c.first(nullptr), 1u);
  }
  void TearDown() override {
    Qz_GetImageBase()->panels = nullptr;
    for (const auto& c : kClasses) c.second();
  }
  void write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
  // The image base's screen, open; null when it cannot be made.
  static Qz_Object* openScreen() {
    Qz_Object* screen = Qz_CreateObject("Screen", kScreenSetTitle, "Main", kScreenSetType, 0);
    if (screen && Qz_DoMethod(screen, kScreenOpen) != 1) {
      Qz_DisposeObject(screen);
      screen = nullptr;
    }
    Qz_GetImageBase()->screen = screen;
    return screen;
  }
  // Closes it with the layout it holds.
  static void closeScreen(Qz_Object* screen) {
    Qz_ImageBase* base = Qz_GetImageBase();
    Qz_DoMethod(screen, kScreenClose);
    base->screen = nullptr;
    base->panels = base->panelWindow = nullptr;
    Qz_DisposeObject(screen);
  }

  qztest::UiHarness ui;
  qztest::TempDir dir;
};

TEST_F(LayoutTest, DefaultHoldsTheMainPanelWindowWithItsPages) {
  Qz_Object* root = Qz_DefaultPluginLayout();
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(Qz_DoMethod(root, kLinkedListCount), 1u);
  Qz_Object* window = member(root, 0);
  EXPECT_EQ(Qz_GetObjectClassID(window), kPluginContainerWindowClassId);
  Qz_Object* container = member(window, 0);
  EXPECT_EQ(Qz_GetObjectClassID(container), kPluginContainerClassId);
  // Related panels share a page, so that every tab fits on the screen.
  EXPECT_EQ(Qz_DoMethod(container, kQzContainerPageCount), 8u);
  const char* const panels[] = {"ImageControlPlugin", "ToolOptionsPlugin", "ModeOptionsPlugin", "MediaPlugin",
                                "PreviewPlugin", "TransparencyPlugin", "ChannelsPlugin", "ColourChooserPlugin",
                                "PalettePlugin", "InspectionPlugin", "CoordsPlugin", "VignettePlugin",
                                "TransGradientPlugin", "QZIOPlugin"};
  const std::string text = textOf(root);
  for (const char* panel : panels)
    EXPECT_NE(text.find(panel), std::string::npos) << panel;
  Qz_DisposeObject(root);
}

TEST_F(LayoutTest, ShippedFileIsTheDefaultInCode) {
  // Read from the data root: the layout path itself names the per-user state root.
  char root[4096] = {};
  ASSERT_GT(Qz_GetDataRoot(root, sizeof root), 0u);
  const std::string path = std::string(root) + "/" + kPluginLayoutPath;
  Qz_Object* shipped = Qz_RestoreObjectFromDisk(path.c_str());
  ASSERT_NE(shipped, nullptr) << "the default layout file ships in Data/Prefs";
  Qz_Object* built = Qz_DefaultPluginLayout();
  EXPECT_EQ(textOf(shipped), textOf(built));
  Qz_DisposeObject(shipped);
  Qz_DisposeObject(built);
}

TEST_F(LayoutTest, MissingOrUnreadableFileGivesTheDefault) {
  Qz_Object* reference = Qz_DefaultPluginLayout();
  const std::string expected = textOf(reference);
  Qz_DisposeObject(reference);
  struct Case { const char* name; const char* text; };
  const Case cases[] = {{"missing", nullptr}, {"garbage", "}}}{ not object text\n"},
                        {"empty", ""}, {"not a layout", "Root\n{\n}\n"}};
  for (const Case& c : cases) {
    const std::string path = dir.file(c.name);
    if (c.text) write(path, c.text);
    Qz_Object* root = Qz_LoadPluginLayout(path.c_str());
    ASSERT_NE(root, nullptr) << c.name;
    EXPECT_EQ(textOf(root), expected) << c.name;
    Qz_DisposeObject(root);
  }
}

TEST_F(LayoutTest, TwoPagesRoundTripByteExactAndSavingTwiceLeavesOneFile) {
  Qz_Object* root = Qz_DefaultPluginLayout();
  ASSERT_NE(root, nullptr);
  // A second floating window with two pages.
  Qz_Object* window = Qz_CreateObject("PluginContainerWindow");
  Qz_Object* container = Qz_CreateObject("PluginContainer");
  for (const char* panel : {"PreviewPlugin", "RootPlugin"}) {
    Qz_Object* group = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical);
    Qz_DoMethod(group, kLinkedListAddTail, Qz_CreateObject(panel));
    Qz_DoMethod(container, kLinkedListAddTail, group);
  }
  EXPECT_EQ(Qz_DoMethod(container, kQzContainerPageCount), 2u);
  Qz_DoMethod(window, kLinkedListAddTail, container);
  Qz_DoMethod(root, kLinkedListAddTail, window);
  Qz_GetImageBase()->panels = root;

  const std::string path = dir.file("layout.QzStr");
  ASSERT_EQ(Qz_SavePluginLayoutTo(path.c_str()), 1u);
  ASSERT_EQ(Qz_SavePluginLayoutTo(path.c_str()), 1u);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename(), "layout.QzStr");
    ++files;
  }
  EXPECT_EQ(files, 1);

  Qz_Object* restored = Qz_LoadPluginLayout(path.c_str());
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(textOf(restored), textOf(root));
  EXPECT_EQ(Qz_DoMethod(member(member(restored, 1), 0), kQzContainerPageCount), 2u);
  Qz_GetImageBase()->panels = nullptr;
  Qz_DisposeObject(restored);
  Qz_DisposeObject(root);
}

TEST_F(LayoutTest, SaveWithoutALayoutWritesNothing) {
  const std::string path = dir.file("layout.QzStr");
  write(path, "old");
  EXPECT_EQ(Qz_SavePluginLayoutTo(path.c_str()), 0u);
  std::ifstream in(path);
  std::string kept((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(kept, "old");
}

TEST_F(LayoutTest, AnEmptyPageIsLaidOutWithoutAPanel) {
  Qz_Object* container = Qz_CreateObject("PluginContainer");
  ASSERT_NE(container, nullptr);
  Qz_DoMethod(container, kQzContainerNewPage, " ");
  Qz_DoMethod(container, kRootMeasure);
  EXPECT_EQ(Qz_DoMethod(container, kQzContainerPageCount), 1u);
  Qz_DisposeObject(container);
}

// At its first layout a tabbed container labels every tab from its panel
// and loads the panel's tab picture where that file exists (from the data
// root, the program's working folder).
TEST_F(LayoutTest, FirstLayoutLabelsEachTabAndLoadsItsPicture) {
  char root[4096] = {};
  ASSERT_GT(Qz_GetDataRoot(root, sizeof root), 0u);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(root);
  Qz_Object* container = Qz_CreateObject("PluginContainer");
  ASSERT_NE(container, nullptr);
  Qz_Object* panels[] = {Qz_CreateObject("ToolOptionsPlugin"), Qz_CreateObject("ModeOptionsPlugin"),
                         Qz_CreateObject("PreviewPlugin")};
  for (Qz_Object* panel : panels) {
    ASSERT_NE(panel, nullptr);
    Qz_Object* group = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical);
    Qz_DoMethod(group, kLinkedListAddTail, panel);
    Qz_DoMethod(container, kLinkedListAddTail, group);
  }
  Qz_DoMethod(container, kRootMeasure);

  // The container hands list methods to its current page: find the tabbed pages from a panel up.
  Qz_Object* pages = panels[0];
  while (pages && Qz_GetObjectClassID(pages) != kVerticalPagesClassId) pages = Qz_GetParentObject(pages);
  ASSERT_NE(pages, nullptr);
  auto* tabs = reinterpret_cast<Qz_Object*>(Qz_DoMethod(pages, kPagesGetTabs));
  std::vector<Qz_Object*> buttons;
  for (auto* m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tabs, kLinkedListFirst)); m;
       m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(tabs, kLinkedListNext, m)))
    if (Qz_GetObjectClassID(m) == kButtonClassId) buttons.push_back(m);
  ASSERT_EQ(buttons.size(), std::size(panels));
  int pictures = 0;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    Qz_Object* tab = member(buttons[i], 0);
    auto* expected = reinterpret_cast<const char*>(Qz_DoMethod(panels[i], kQzPluginGetShortTitle));
    if (!expected || !*expected) expected = reinterpret_cast<const char*>(Qz_DoMethod(panels[i], kQzPluginGetTitle));
    auto* path = reinterpret_cast<const char*>(Qz_DoMethod(panels[i], kQzPluginGetTabImagePath));
    auto* label = reinterpret_cast<const char*>(Qz_DoMethod(member(tab, 4), kRootGetLabel));
    ASSERT_NE(label, nullptr) << i;
    EXPECT_STREQ(label, expected ? expected : "") << i;
    if (i == 0) {
      EXPECT_STREQ(label, "Tool");
    }
    const bool exists = path && std::filesystem::exists(path);
    pictures += exists;
    EXPECT_EQ(Qz_DoMethod(member(tab, 1), kBitMapGetBitMap) != 0, exists) << i << " " << (path ? path : "");
  }
  EXPECT_GT(pictures, 0) << "the tab pictures are generated into the data root";
  Qz_DisposeObject(container);
  std::filesystem::current_path(before);
}

int32_t liveObjects(const char* className) {
  return std::atomic_ref<int32_t>(Qz_FindClassFromName(className)->liveCount).load();
}

// Restore from the container's menu, after a panel was torn off: the layout
// of the file replaces the whole current one, so the torn-off window goes,
// every panel is in one list only and the old windows are disposed.
TEST_F(LayoutTest, RestoreReplacesTheLayoutTornOffWindowsIncluded) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* screen = openScreen();
  ASSERT_NE(screen, nullptr);
  const int32_t windowsBefore = liveObjects("PluginContainerWindow");
  // One window, its container with two pages.
  Qz_Object* root = Qz_CreateObject("Group");
  Qz_Object* window = Qz_CreateObject("PluginContainerWindow", kWindowSetX, 10, kWindowSetY, 10);
  Qz_Object* container = Qz_CreateObject("PluginContainer");
  Qz_Object* preview = Qz_CreateObject("PreviewPlugin");
  Qz_Object* coords = Qz_CreateObject("CoordsPlugin");
  for (Qz_Object* panel : {preview, coords}) {
    Qz_Object* group = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical);
    Qz_DoMethod(group, kLinkedListAddTail, panel);
    Qz_DoMethod(container, kLinkedListAddTail, group);
  }
  Qz_DoMethod(window, kLinkedListAddTail, container);
  Qz_DoMethod(root, kLinkedListAddTail, window);
  base->panels = root;
  // Saved where the menu's restore reads (the harness's own state root).
  ASSERT_EQ(Qz_SavePluginLayout(), 1u);
  Qz_DoMethod(screen, kGroupAddTail, root);
  ASSERT_TRUE(ui.open(window->super));  // the Window instance: the harness reads its platform window

  ASSERT_EQ(ui.post(window, preview, kQzPluginTearOff), 1u);
  ASSERT_TRUE(ui.settle(window));
  ASSERT_EQ(Qz_DoMethod(root, kLinkedListCount), 2u) << "torn off into a window of its own";
  // The new window opens on its own thread, climbing to the screen as it
  // does: it is open before the restore takes the old layout off the screen.
  ASSERT_TRUE(ui.settle(reinterpret_cast<Qz_Object*>(Qz_DoMethod(root, kLinkedListLast))));

  // The menu's choice, on the container window's own thread.
  // Its group instance: the container hands list walks to its current page.
  const std::vector<Qz_Object*> popUps = qztest::FindAllOf(container->super, "PopUp");
  ASSERT_FALSE(popUps.empty());
  Qz_Object* item = Qz_CreateObject("Group", kRootSetUserData, kContainerCommandRestoreLayout);
  const auto chosen = qz::packWords(kPopUpChosen, qz::toWord(item));
  ASSERT_EQ(ui.post(window, popUps.front(), kRootDoNotify, popUps.front(), chosen.data()), 1u);
  // The old windows, the torn-off one included, go on a thread of their own
  // (the window is not waited on: it may be gone by then).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (liveObjects("PluginContainerWindow") > windowsBefore + 1 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(liveObjects("PluginContainerWindow"), windowsBefore + 1);
  Qz_DisposeObject(item);

  Qz_Object* restored = base->panels;
  ASSERT_NE(restored, root);
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(Qz_DoMethod(screen, kLinkedListCount), 1u) << "the old layout left the screen";
  EXPECT_EQ(Qz_DoMethod(screen, kLinkedListFirst), qz::toWord(restored));
  EXPECT_EQ(base->panelWindow, member(restored, 0));
  // The file's one window with its two pages, and each panel made once.
  const std::string text = textOf(restored);
  auto occurrences = [&](const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(occurrences("PluginContainerWindow"), 1);
  for (const char* panel : {"PreviewPlugin", "CoordsPlugin"}) {
    EXPECT_EQ(occurrences(panel), 1) << panel;
    EXPECT_EQ(liveObjects(panel), 1) << panel;
  }

  closeScreen(screen);
}

// The main panel window (the layout's first) lies undecorated under the
// tool bar; every other panel window opens with a caption to move it by and
// a close box, whether torn off or read back from the layout file.
TEST_F(LayoutTest, OnlyTheLayoutsFirstWindowOpensWithoutAFrame) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* screen = openScreen();
  ASSERT_NE(screen, nullptr);
  Qz_Object* root = Qz_CreateObject("Group");
  std::vector<Qz_Object*> windows;
  for (const char* name : {"PreviewPlugin", "CoordsPlugin"}) {
    Qz_Object* window = Qz_CreateObject("PluginContainerWindow", kWindowSetX, 10 + 300 * int(windows.size()),
                                        kWindowSetY, 10);
    Qz_Object* container = Qz_CreateObject("PluginContainer");
    Qz_Object* group = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical);
    Qz_DoMethod(group, kLinkedListAddTail, Qz_CreateObject(name));
    Qz_DoMethod(container, kLinkedListAddTail, group);
    Qz_DoMethod(window, kLinkedListAddTail, container);
    Qz_DoMethod(root, kLinkedListAddTail, window);
    windows.push_back(window);
  }
  base->panels = root;
  Qz_DoMethod(screen, kGroupAddTail, root);
  Qz_DoMethod(root, kRootOpen);
  std::vector<int> captions;
  for (Qz_Object* window : windows) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!ui.platformWindow(window->super) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(ui.settle(window->super));
    const Window* w = ui.platformWindow(window->super);
    captions.push_back(w->BorderTop);
    // A stored layout keeps the size inside the frame, which reopening asks for.
    EXPECT_EQ(Qz_DoMethod(window, kWindowGetW), uint32_t(w->Width - w->BorderLeft - w->BorderRight));
    EXPECT_EQ(Qz_DoMethod(window, kWindowGetH), uint32_t(w->Height - w->BorderTop - w->BorderBottom));
  }
  EXPECT_EQ(captions, (std::vector<int>{0, kFrameWidth + kCaptionHeight}));

  closeScreen(screen);
}

// A file that holds no layout restores nothing: the layout stays.
TEST_F(LayoutTest, RestoreOfAFileWithoutALayoutKeepsTheCurrentOne) {
  Qz_Object* root = Qz_DefaultPluginLayout();
  ASSERT_NE(root, nullptr);
  Qz_GetImageBase()->panels = root;
  const std::string path = dir.file("layout.QzStr");
  EXPECT_EQ(Qz_RestorePluginLayoutFrom(path.c_str()), 0u) << "missing";
  write(path, "}}}{ not object text\n");
  EXPECT_EQ(Qz_RestorePluginLayoutFrom(path.c_str()), 0u) << "garbage";
  EXPECT_EQ(Qz_GetImageBase()->panels, root);
  Qz_GetImageBase()->panels = nullptr;
  Qz_DisposeObject(root);
}

// The options panels hand the image base their groups and give the panels
// shown in them back when they go: those belong to the tools and modes.
TEST_F(LayoutTest, OptionsPanelsLeaveTheShownPanelsToTheirOwners) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* tools = Qz_CreateObject("ToolOptionsPlugin");
  Qz_Object* modes = Qz_CreateObject("ModeOptionsPlugin");
  ASSERT_NE(tools, nullptr);
  ASSERT_NE(modes, nullptr);
  ASSERT_NE(base->panelGroups[0], nullptr);
  EXPECT_EQ(base->panelGroups[1], tools);
  ASSERT_NE(base->modePanelGroup, nullptr);
  EXPECT_EQ(Qz_DoMethod(modes, kQzPreviewGetIcon), 0u);
  Qz_Object* toolPanels[] = {Qz_CreateObject("Group"), Qz_CreateObject("Group")};
  Qz_Object* modePanel = Qz_CreateObject("Group");
  for (Qz_Object* p : toolPanels) Qz_DoMethod(base->panelGroups[0], kLinkedListAddTail, p);
  Qz_DoMethod(base->modePanelGroup, kLinkedListAddTail, modePanel);
  Qz_DisposeObject(tools);
  Qz_DisposeObject(modes);
  EXPECT_EQ(base->panelGroups[0], nullptr);
  EXPECT_EQ(base->panelGroups[1], nullptr);
  EXPECT_EQ(base->modePanelGroup, nullptr);
  // Still alive (a second dispose of a freed object would be refused).
  for (Qz_Object* p : toolPanels) {
    EXPECT_EQ(Qz_GetParentObject(p), nullptr);
    Qz_DisposeObject(p);
  }
  Qz_DisposeObject(modePanel);
}

}  // namespace

namespace {

// Closing a floating window puts its panels into the main panel column, the
// image-control panel included and those of pages not shown: none of them
// goes with the window.
TEST_F(LayoutTest, ClosingAFloatingWindowPutsItsPanelsIntoTheColumn) {
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* screen = openScreen();
  ASSERT_NE(screen, nullptr);
  auto panelWindow = [](std::initializer_list<const char*> panels, int x) {
    Qz_Object* window = Qz_CreateObject("PluginContainerWindow", kWindowSetX, x, kWindowSetY, 10);
    Qz_Object* container = Qz_CreateObject("PluginContainer");
    for (const char* name : panels) {  // a page each
      Qz_Object* group = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical);
      Qz_DoMethod(group, kLinkedListAddTail, Qz_CreateObject(name));
      Qz_DoMethod(container, kLinkedListAddTail, group);
    }
    Qz_DoMethod(window, kLinkedListAddTail, container);
    return window;
  };
  Qz_Object* root = Qz_CreateObject("Group");
  Qz_Object* column = panelWindow({"CoordsPlugin"}, 10);
  Qz_Object* floating = panelWindow({"ImageControlPlugin", "PreviewPlugin"}, 300);
  for (Qz_Object* window : {column, floating}) Qz_DoMethod(root, kLinkedListAddTail, window);
  base->panels = root;
  base->panelWindow = column;
  Qz_DoMethod(screen, kGroupAddTail, root);
  ASSERT_TRUE(ui.open(column->super));
  ASSERT_TRUE(ui.open(floating->super));
  EXPECT_EQ(Qz_PluginCount(floating), 2);

  // Its close box, on its own thread.
  ASSERT_EQ(ui.post(floating, floating, kQzPluginClose), 1u);
  ASSERT_TRUE(ui.settle(floating));
  ASSERT_TRUE(ui.settle(column));
  EXPECT_EQ(Qz_PluginCount(floating), 0);
  const std::vector<Qz_Object*> containers = qztest::FindAllOf(column, "PluginContainer");
  ASSERT_EQ(containers.size(), 1u);
  for (const char* panel : {"CoordsPlugin", "ImageControlPlugin", "PreviewPlugin"})
    EXPECT_EQ(qztest::FindAllOf(containers[0]->super, panel).size(), 1u) << panel;
  EXPECT_EQ(Qz_PluginCount(column), 3);

  closeScreen(screen);
}

// A floating window holding the image-control panel is kept like those of
// the options groups: closing it would take the global shortcut keys along.
TEST_F(LayoutTest, AWindowShowingTheImageControlPanelIsNeverClosed) {
  const struct {
    const char* panel;
    bool kept;
  } cases[] = {{"ImageControlPlugin", true}, {"CoordsPlugin", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.panel);
    Qz_Object* window = Qz_CreateObject("PluginContainerWindow");
    Qz_Object* container = Qz_CreateObject("PluginContainer");
    Qz_Object* page = Qz_CreateObject("Group", kGroupSetMode, kPluginGroupVertical);
    Qz_Object* panel = Qz_CreateObject(c.panel);
    ASSERT_TRUE(window && container && page && panel);
    Qz_DoMethod(page, kLinkedListAddTail, panel);
    Qz_DoMethod(container, kLinkedListAddTail, page);
    Qz_DoMethod(window, kLinkedListAddTail, container);
    EXPECT_EQ(Qz_PluginHoldsOptions(window), c.kept);
    EXPECT_EQ(Qz_PluginHoldsOptions(container), c.kept);
    Qz_DisposeObject(window);
  }
}

}  // namespace
