#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/main_window.h"
#include "app/startup.h"
#include "objects/qz_object.h"
#include "platform/windows.h"
#include "support/temp_dir.h"

namespace {

// The tool bar is a row across the whole top of the screen, however narrow
// its buttons are.
TEST(MainWindowLayout, SpansTheScreenWidthAtTheTop) {
  qztest::ScopedStateRoot state;
  qz::app::StartupOptions options;
  options.buildWindow = true;
  options.messageBox = [](const char*, const char*, uint32_t) {};
  qz::app::Session s = qz::app::startUp(options);
  ASSERT_EQ(s.exitCode, qz::app::kExitOk);
  int width = -1, top = -1, screenWidth = 0;
  std::thread closer([&] {
    for (int i = 0; i < 1000 && qz::app::hasMainWindow() && !qz::app::mainPlatformWindow(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (Window* w = qz::app::mainPlatformWindow()) {
      width = w->Width;
      top = w->TopEdge;
    }
    if (Screen* screen = LockPubScreen(nullptr)) screenWidth = screen->Width;
    if (s.app) Qz_DoMethod(s.app, kRootClose);
  });
  qz::app::run(s);
  closer.join();
  qz::app::shutDown(s);
  ASSERT_GT(screenWidth, 0);
  EXPECT_EQ(width, screenWidth);
  EXPECT_EQ(top, 0);
}

}  // namespace
