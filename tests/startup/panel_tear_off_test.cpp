// Tearing a panel out of the running program's panel column: the main panel
// window stays where it is, and the panel's new window opens where it was
// dropped, with a frame to move it by and a close box that closes it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/startup.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "image/qz_image.h"
#include "objects/async_methods.h"
#include "objects/object_services.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "objects/qz_object.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "plugins/qz_root_plugin.h"
#include "support/object_tree.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace {

struct Box {
  int left = -1, top = -1, width = -1, height = -1;
  bool operator==(const Box&) const = default;
};

Box edgesOf(const Window* w) { return {w->LeftEdge, w->TopEdge, w->Width, w->Height}; }

// The panels of a class in a panel window: a container hands list walks to
// its current page, so the walk goes through its own group.
std::vector<Qz_Object*> panelsOf(Qz_Object* window, const char* className) {
  std::vector<Qz_Object*> found;
  for (Qz_Object* container : qztest::FindAllOf(window, "PluginContainer")) {
    const std::vector<Qz_Object*> more = qztest::FindAllOf(container->super, className);
    found.insert(found.end(), more.begin(), more.end());
  }
  return found;
}

int32_t panelWindows() {
  return std::atomic_ref<int32_t>(Qz_FindClassFromName("PluginContainerWindow")->liveCount).load();
}

template <typename Done>
bool waitFor(Done done) {
  for (int i = 0; i < 1000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}

// Runs a method on an object of the window's tree, on the window's own thread.
template <typename... Args>
void postTo(Qz_Object* window, Qz_Object* target, uint32_t method, Args... args) {
  Qz_DoMethod(target, kRootSetAsyncPort, Qz_RootInstance(window)->asyncPort);
  Qz_DoAsyncMethod(target, method, args...);
}

// Dropped straight below the column (the pointer's x where the title was
// pressed, so the new window's x is 0) over the desktop.
TEST(PanelTearOff, MainPanelWindowStaysAndTheNewWindowIsFramedWhereDropped) {
  qztest::ScopedStateRoot state;
  qz::headless::setDesktopSize(1600, 1000);
  qz::app::StartupOptions options;
  options.buildWindow = true;
  options.messageBox = [](const char*, const char*, uint32_t) {};
  qz::app::Session s = qz::app::startUp(options);
  ASSERT_EQ(s.exitCode, qz::app::kExitOk);
  constexpr int kDropY = 600;
  Box before, after, torn;
  int tornBorderTop = -1;
  bool closed = false;
  std::thread driver([&] {
    Qz_ImageBase* base = Qz_GetImageBase();
    Window* column = nullptr;
    waitFor([&] { return base->panelWindow && (column = Qz__PlatformWindowOf(base->panelWindow->super)); });
    qz::headless::settle();
    const std::vector<Qz_Object*> previews = column ? panelsOf(base->panelWindow, "PreviewPlugin") : std::vector<Qz_Object*>{};
    if (previews.size() == 1) {
      Qz_Object* preview = previews.front();
      before = edgesOf(column);
      postTo(base->panelWindow, preview, kQzPluginBringToFront);
      qz::headless::settle();
      // The release the window's thread reports after a drag by the title.
      const auto dropped = qz::packWords(kGroupDrop, QzWord(0), column->LeftEdge, kDropY);
      postTo(base->panelWindow, preview, kRootDoNotify, preview, dropped.data());
      // The tear-off runs on the main panel window's thread, which adds the
      // new window to the layout's list.
      const bool made = waitFor([] { return panelWindows() == 2; }) && qztest::settleWindow(base->panelWindow);
      auto* window = made ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(base->panels, kLinkedListLast)) : nullptr;
      Window* w = nullptr;
      if (window && waitFor([&] { return (w = Qz__PlatformWindowOf(window->super)) != nullptr; }) &&
          qztest::settleWindow(window)) {
        after = edgesOf(column);
        torn = edgesOf(w);
        tornBorderTop = w->BorderTop;
        qz::headless::click(w->LeftEdge + w->Width - 13, w->TopEdge + 13);  // the close box
        closed = waitFor([] { return panelWindows() == 1; });
      }
    }
    if (s.app) Qz_DoMethod(s.app, kRootClose);
  });
  qz::app::run(s);
  driver.join();
  qz::app::shutDown(s);
  ASSERT_GE(before.height, 0) << "no Preview panel in the column";
  ASSERT_GE(torn.height, 0) << "not torn off";
  EXPECT_EQ(after, before) << "the main panel window moved: " << after.left << "," << after.top << " "
                           << after.width << "x" << after.height;
  EXPECT_EQ(torn.left, before.left);
  EXPECT_GT(torn.top, kDropY - 2 * (kFrameWidth + kCaptionHeight)) << "not opened where it was dropped";
  EXPECT_LE(torn.top, kDropY);
  EXPECT_EQ(tornBorderTop, kFrameWidth + kCaptionHeight) << "no caption to move it by";
  EXPECT_TRUE(closed) << "its close box did not close it";
}

}  // namespace
