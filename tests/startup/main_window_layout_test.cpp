#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/startup.h"
#include "app/tip_window.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "image/qz_image.h"
#include "objects/qz_object.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "support/object_tree.h"
#include "support/temp_dir.h"

namespace {

// A session that builds the main window, its messages kept quiet.
qz::app::Session startWithMainWindow() {
  qz::app::StartupOptions options;
  options.buildWindow = true;
  options.messageBox = [](const char*, const char*, uint32_t) {};
  return qz::app::startUp(options);
}

// The tool bar is a row across the whole top of the screen, however narrow
// its buttons are.
TEST(MainWindowLayout, SpansTheScreenWidthAtTheTop) {
  qztest::ScopedStateRoot state;
  qz::app::Session s = startWithMainWindow();
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

// Every member of the tool bar lies on the screen, and every button's
// picture reaches the screen: a row wider than the window is cut by its clip
// and, with the window's refresh, showed nothing at all.
TEST(MainWindowLayout, ToolBarFitsTheScreenAndShowsItsPictures) {
  qztest::ScopedStateRoot state;
  qz::app::Session s = startWithMainWindow();
  ASSERT_EQ(s.exitCode, qz::app::kExitOk);
  struct Member {
    std::string className;
    Qz_LayoutBox box;
    std::set<uint32_t> pictureColours;
  };
  std::vector<Member> members;
  int screenWidth = 0;
  std::thread closer([&] {
    for (int i = 0; i < 1000 && qz::app::hasMainWindow() && !qz::app::mainPlatformWindow(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    qz::headless::settle();
    if (Screen* screen = LockPubScreen(nullptr)) screenWidth = screen->Width;
    Qz_Object* window = Qz_GetImageBase()->mainWindow;
    auto* row = window ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(window, kGroupFirst)) : nullptr;
    for (auto* m = row ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kGroupFirst)) : nullptr; m != nullptr;
         m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kGroupNext, m))) {
      Member member{m->objectClass->name, Qz_RootInstance(m)->box, {}};
      if (member.className == "Button") {
        auto* face = reinterpret_cast<Qz_Object*>(Qz_DoMethod(m, kGroupFirst));
        if (face != nullptr && std::strcmp(face->objectClass->name, "BitMap") == 0) {
          const Qz_LayoutBox& b = Qz_RootInstance(face)->box;
          for (uint32_t p : qz::headless::screenPixels(b.left, b.top, b.width, b.height))
            member.pictureColours.insert(p);
        }
      }
      members.push_back(member);
    }
    if (s.app) Qz_DoMethod(s.app, kRootClose);
  });
  qz::app::run(s);
  closer.join();
  qz::app::shutDown(s);
  ASSERT_GT(screenWidth, 0);
  ASSERT_FALSE(members.empty());
  int buttons = 0;
  for (const Member& m : members) {
    SCOPED_TRACE(m.className + " at " + std::to_string(m.box.left));
    EXPECT_LE(m.box.left + m.box.width, screenWidth);
    if (m.className != "Button") continue;
    ++buttons;
    EXPECT_GE(m.pictureColours.size(), 4u) << "the button's picture is not on the screen";
  }
  EXPECT_GE(buttons, 6);
}

// Start-up makes the one tip of the day on the screen, the one the menu
// shows; it comes up unless the user turned it off last time.
TEST(MainWindowLayout, StartUpMakesTheTipOfTheDay) {
  struct Case {
    const char* name;
    const char* state;  // the stored "tip,show"; null: none yet
    bool shown;
  } cases[] = {{"first start", nullptr, true}, {"turned on", "2,1", true}, {"turned off", "2,0", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qztest::ScopedStateRoot state;
    if (c.state) {
      std::filesystem::create_directories(state.path() + "/Data/Prefs");
      std::ofstream(state.path() + "/Data/Prefs/TipOfTheDay.txt") << c.state << "\n";
    }
    qz::app::Session s = startWithMainWindow();
    ASSERT_EQ(s.exitCode, qz::app::kExitOk);
    std::vector<Qz_Object*> tips;
    bool shown = false;
    Qz_Object* shared = nullptr;
    std::thread closer([&] {
      for (int i = 0; i < 1000 && qz::app::hasMainWindow() && !qz::app::mainPlatformWindow(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      qz::headless::settle();
      tips = qztest::FindAllOf(Qz_GetImageBase()->screen, "TipOfTheDay");
      shared = qz::app::tipOfTheDay();
      // The screen opens what it holds as it comes up; a window turned off never does.
      for (int i = 0; i < 400 && !tips.empty() && !shown; ++i) {
        shown = Qz__PlatformWindowOf(tips[0]->super) != nullptr;
        if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      if (s.app) Qz_DoMethod(s.app, kRootClose);
    });
    qz::app::run(s);
    closer.join();
    qz::app::shutDown(s);
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(shared, tips[0]) << "the menu shows the same window";
    EXPECT_EQ(shown, c.shown);
  }
}

}  // namespace
