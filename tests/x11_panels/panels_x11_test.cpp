// The running program's panels on the X11 host, moved with the mouse: a
// panel dragged out of the column into a window of its own docks again
// when dropped on the column (its window goes), and closing its window puts
// it back into the column, where it came from, instead of destroying it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/startup.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "host/host_backend.h"
#include "host/host_input.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "plugins/qz_root_plugin.h"
#include "support/object_tree.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "x11_gui/x11_gui_support.h"

namespace {

using namespace qztest::x11;

int32_t panelWindows() {
  return std::atomic_ref<int32_t>(Qz_FindClassFromName("PluginContainerWindow")->liveCount).load();
}

// Up to 20 seconds unless told otherwise: sanitizer builds are slow.
template <typename Done>
bool waitFor(Done done, int milliseconds = 20000) {
  for (int i = 0; i < milliseconds / 5 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}

// The Preview panels in a panel window's tree: a container hands list walks
// to its current page, so the walk goes through its own group.
std::vector<Qz_Object*> previewsIn(Qz_Object* window) {
  std::vector<Qz_Object*> found;
  if (!window) return found;
  for (Qz_Object* container : qztest::FindAllOf(window, "PluginContainer")) {
    const std::vector<Qz_Object*> more = qztest::FindAllOf(container->super, "PreviewPlugin");
    found.insert(found.end(), more.begin(), more.end());
  }
  return found;
}

// Where the program's desktop begins on the X screen, below the menu strip:
// window edges are the desktop's.
void deskOrigin(int* left, int* top) {
  qz::host::Backend::GrabArea screen;
  *left = *top = 0;
  qz::host::backend().grabScreenArea(&screen, left, top);
  *top += qz::host::menuStripHeight();
}

// Presses the title of a panel shown in the window, moves the pointer in
// steps, as a hand would, and lets go at (toX, toY) on the desktop.
void dragTitle(Qz_Object* fromObject, Window* from, Qz_Object* panel, int toX, int toY) {
  int deskX = 0, deskY = 0;
  deskOrigin(&deskX, &deskY);
  const Qz_LayoutBox b = qztest::UiHarness::box(panel);
  const int x = deskX + from->LeftEdge + b.left + b.width / 2, y = deskY + from->TopEdge + b.top + 4;
  // Something posted to the window after reading its tree: what the drag
  // makes it do follows the reading.
  settle(fromObject);
  toX += deskX;
  toY += deskY;
  xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  for (int step = 1; step <= 8; ++step) {
    xdotool("mousemove " + std::to_string(x + (toX - x) * step / 8) + " " + std::to_string(y + (toY - y) * step / 8));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  xdotool("mouseup 1");
}

// The program as started from the command line, with no tip of the day in the way.
class PanelsOnX11 : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    if (!qztest::haveTool("xdotool")) GTEST_SKIP() << "xdotool is missing";
    std::filesystem::create_directories(state_.path() + "/Data/Prefs");
    std::ofstream(state_.path() + "/Data/Prefs/TipOfTheDay.txt") << "0,0\n";
  }

  // Runs the steps on a thread of their own while the program runs, then quits.
  template <typename Steps>
  void runProgram(Steps steps) {
    qz::app::StartupOptions options;
    options.messageBox = [](const char*, const char*, uint32_t) {};
    qz::app::Session s = qz::app::startUp(options);
    ASSERT_EQ(s.exitCode, qz::app::kExitOk);
    std::thread driver([&] {
      steps();
      if (s.app) Qz_DoMethod(s.app, kRootClose);
    });
    qz::app::run(s);
    driver.join();
    qz::app::shutDown(s);
  }

  // The main panel window, open and showing the Preview panel's page: the
  // column and the panel, or nulls.
  Qz_Object* showPreview(Window** column) {
    Qz_ImageBase* base = Qz_GetImageBase();
    if (!waitFor([&] { return base->panelWindow && (*column = Qz__PlatformWindowOf(base->panelWindow->super)); }))
      return nullptr;
    // The column moves as the main window's tool bar comes: pressed only
    // once it stands still.
    for (int still = 0, tries = 0; still < 3 && tries < 100; ++tries) {
      const int left = (*column)->LeftEdge, top = (*column)->TopEdge, height = (*column)->Height;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (base->mainWindow) settle(base->mainWindow);
      settle(base->panelWindow);
      const bool same = left == (*column)->LeftEdge && top == (*column)->TopEdge && height == (*column)->Height;
      still = same ? still + 1 : 0;
    }
    const std::vector<Qz_Object*> previews = previewsIn(base->panelWindow);
    if (previews.size() != 1) return nullptr;
    Qz_DoMethod(previews[0], kRootSetAsyncPort, Qz_RootInstance(base->panelWindow)->asyncPort);
    Qz_DoAsyncMethod(previews[0], kQzPluginBringToFront);
    settle(base->panelWindow);
    return previews[0];
  }

  // Drags the panel out of the column onto the desktop; its new window, open.
  Qz_Object* tearOff(Window* column, Qz_Object* preview, Window** torn) {
    Qz_ImageBase* base = Qz_GetImageBase();
    // On a busy machine a drag can begin before the column's last layout
    // has placed the title where it was read: one that tore nothing off is
    // made again.
    bool tornOff = false;
    for (int attempt = 0; attempt < 3 && !tornOff; ++attempt) {
      dragTitle(base->panelWindow, column, preview, kDesktopX, kDesktopY);
      // The window is made, then joins the layout's list on the column's thread.
      tornOff = waitFor([] { return panelWindows() == 2; }, 8000);
    }
    if (!tornOff || !settle(base->panelWindow)) return nullptr;
    auto* window = reinterpret_cast<Qz_Object*>(Qz_DoMethod(base->panels, kLinkedListLast));
    if (!window || !(*torn = waitForPlatformWindow(window->super)) || !settle(window)) return nullptr;
    return window;
  }

  static constexpr int kDesktopX = 700, kDesktopY = 600;
  qztest::ScopedStateRoot state_;
};

TEST_F(PanelsOnX11, APanelDroppedOnTheColumnDocksAndItsWindowGoes) {
  struct Case {
    const char* name;
    int x, y;  // where on the column, from its top-left corner
  };
  // The tab strip, the room below the panels, and the panels themselves.
  const Case cases[] = {{"on the tab strip", 8, 330}, {"below the panels", 70, 520}, {"on a panel", 70, 60}};
  int docked = 0;
  Window* column = nullptr;
  runProgram([&] {
    Qz_ImageBase* base = Qz_GetImageBase();
    for (const Case& c : cases) {
      Qz_Object* preview = showPreview(&column);
      Window* torn = nullptr;
      Qz_Object* window = preview ? tearOff(column, preview, &torn) : nullptr;
      if (!window || previewsIn(window).size() != 1) {
        Screenshot shot;
        shot.take(screenshotPath("panels-not-torn-off.png"));
        ADD_FAILURE() << c.name << ": not torn off (the screen: " << screenshotPath("panels-not-torn-off.png") << ")";
        return;
      }
      dragTitle(window, torn, preview, column->LeftEdge + c.x, column->TopEdge + c.y);
      const bool gone = waitFor([] { return panelWindows() == 1; });
      settle(base->panelWindow);
      EXPECT_TRUE(gone) << c.name << ": the floating window stayed";
      const bool inColumn = previewsIn(base->panelWindow).size() == 1;
      EXPECT_TRUE(inColumn) << c.name << ": the panel is not in the column";
      if (!gone || !inColumn) return;
      ++docked;
    }
    Screenshot shot;
    shot.take(screenshotPath("panels-docked.png"));
  });
  EXPECT_EQ(docked, 3);
}

TEST_F(PanelsOnX11, ClosingAFloatingWindowPutsItsPanelBackWhereItCameFrom) {
  bool closed = false, back = false, samePlace = false;
  runProgram([&] {
    Qz_ImageBase* base = Qz_GetImageBase();
    Window* column = nullptr;
    Qz_Object* preview = showPreview(&column);
    Qz_Object* page = preview ? Qz_GetParentObject(preview) : nullptr;
    const QzWord index = page ? Qz_DoMethod(page, kGroupIndexOf, preview) : 0;
    Window* torn = nullptr;
    if (!preview || !tearOff(column, preview, &torn)) return;
    int x = 0, y = 0;
    closeBoxPosition(torn, &x, &y);
    int deskX = 0, deskY = 0;
    deskOrigin(&deskX, &deskY);
    clickAt(deskX + x, deskY + y);
    closed = waitFor([] { return panelWindows() == 1; });
    settle(base->panelWindow);
    const std::vector<Qz_Object*> previews = previewsIn(base->panelWindow);
    back = previews.size() == 1 && previews[0] == preview;
    samePlace = back && Qz_GetParentObject(preview) == page && Qz_DoMethod(page, kGroupIndexOf, preview) == index;
  });
  EXPECT_TRUE(closed) << "the close box did not close the floating window";
  EXPECT_TRUE(back) << "the panel went with its window";
  EXPECT_TRUE(samePlace) << "not back in the page it was torn off from";
}

}  // namespace
