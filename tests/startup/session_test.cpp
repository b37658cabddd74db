#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/startup.h"
#include "image/qz_image.h"
#include "gadgets/qz_window.h"
#include "objects/message_box.h"
#include "objects/qz_object.h"
#include "support/temp_dir.h"

namespace {

int threadCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
  return n;
}

struct Box {
  std::string title, text;
  uint32_t kind;
};

qz::app::StartupOptions recording(std::vector<Box>& boxes, bool window) {
  qz::app::StartupOptions options;
  options.buildWindow = window;
  options.messageBox = [&boxes](const char* title, const char* text, uint32_t kind) {
    boxes.push_back({title ? title : "", text ? text : "", kind});
  };
  return options;
}

class Session : public testing::Test {
 protected:
  qztest::ScopedStateRoot state;
};

TEST_F(Session, StartsEverythingAndLeavesNothingBehind) {
  for (bool window : {false, true}) {
    SCOPED_TRACE(window ? "with the main window" : "up to the main window");
    const int threadsBefore = threadCount();
    std::vector<Box> boxes;
    qz::app::Session s = qz::app::startUp(recording(boxes, window));
    ASSERT_EQ(s.exitCode, qz::app::kExitOk);
    Qz_ImageBase* base = Qz_GetImageBase();
    EXPECT_EQ(base->useCount.load(), 1);
    EXPECT_NE(base->catalogue, nullptr);
    EXPECT_NE(base->ioGlobalData, nullptr);
    EXPECT_NE(base->applicationImage, nullptr);
    EXPECT_EQ(Qz_GetGlobalData()->toolTips, 1);
    for (const char* name : {"Image", "PaintMode", "RootMode", "RootQZIO", "PNGQZIO"}) {
      SCOPED_TRACE(name);
      EXPECT_NE(Qz_FindClassFromName(name), nullptr);
    }
    if (window) {
      // This build has App, Screen and Window: the tree is there.
      EXPECT_NE(s.app, nullptr);
      EXPECT_EQ(base->application, s.app);
      EXPECT_NE(base->screen, nullptr);
      EXPECT_NE(base->mainWindow, nullptr);
    }
    // Closed from another thread once the main window is open, as a user would.
    std::thread closer([&s] {
      for (int i = 0; i < 1000 && qz::app::hasMainWindow() && !qz::app::mainPlatformWindow(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (s.app) Qz_DoMethod(s.app, kRootClose);
    });
    qz::app::run(s);
    closer.join();
    qz::app::shutDown(s);
    EXPECT_EQ(base->useCount.load(), 0);
    EXPECT_EQ(Qz_GetGlobalData()->classList, nullptr);  // the object system is closed
    EXPECT_EQ(threadCount(), threadsBefore);
    for (const Box& b : boxes) EXPECT_NE(b.title, "Serious Error") << b.text;
    // Without the tool-bar pictures the start warns once and goes on.
    const bool pictures = std::filesystem::exists(std::string(std::getenv("QZ_DATA_DIR") ? std::getenv("QZ_DATA_DIR") : ".") +
                                                  "/Data/Images/ToolBar/Magnify+");
    const auto warnings = std::count_if(boxes.begin(), boxes.end(), [](const Box& b) { return b.kind == 8; });
    EXPECT_EQ(warnings, window && !pictures ? 1 : 0);
  }
}

// The main window's close box asks the quit question; Cancel keeps the
// program running, OK ends it.
TEST_F(Session, ClosingTheMainWindowAsksFirst) {
  std::vector<Box> boxes;
  qz::app::Session s = qz::app::startUp(recording(boxes, true));
  ASSERT_EQ(s.exitCode, qz::app::kExitOk);
  ASSERT_NE(s.app, nullptr);
  Qz_Object* window = Qz_GetImageBase()->mainWindow;
  ASSERT_NE(window, nullptr);
  qz::msgbox::resetScript();
  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Cancel);
  qz::msgbox::scriptAnswer(qz::msgbox::Answer::Ok);
  std::atomic<bool> running{true};
  std::thread closer([&] {
    for (int i = 0; i < 1000 && !qz::app::mainPlatformWindow(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Qz_DoMethod(window, kWindowFireClose);
    for (int i = 0; i < 1000 && qz::msgbox::shownBoxes().empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(running.load()) << "Cancel ended the program";
    Qz_DoMethod(window, kWindowFireClose);
  });
  qz::app::run(s);
  running = false;
  closer.join();
  qz::app::shutDown(s);
  const auto shown = qz::msgbox::shownBoxes();
  ASSERT_EQ(shown.size(), 2u);
  for (const auto& box : shown) {
    EXPECT_EQ(box.title, "Quillantrix");
    EXPECT_EQ(box.kind, 2u);
  }
  qz::msgbox::resetScript();
}

TEST_F(Session, MissingCatalogueIsASeriousError) {
  qztest::TempDir emptyData;
  const char* previous = std::getenv("QZ_DATA_DIR");
  const std::string keep = previous ? previous : "";
  setenv("QZ_DATA_DIR", emptyData.path().c_str(), 1);
  std::vector<Box> boxes;
  qz::app::Session s = qz::app::startUp(recording(boxes, true));
  if (previous) setenv("QZ_DATA_DIR", keep.c_str(), 1); else unsetenv("QZ_DATA_DIR");

  EXPECT_EQ(s.exitCode, qz::app::kExitFailure);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Serious Error");
  EXPECT_EQ(boxes[0].text, "Cant open language file Data\\Lingua\\Quillantrix.etf");
  EXPECT_EQ(boxes[0].kind, 1u);
  // Everything built before the failure is gone again.
  EXPECT_EQ(Qz_GetImageBase()->useCount.load(), 0);
  EXPECT_EQ(Qz_GetGlobalData()->classList, nullptr);  // the object system is closed
  // And a later start works.
  qz::app::Session again = qz::app::startUp(recording(boxes, false));
  EXPECT_EQ(again.exitCode, qz::app::kExitOk);
  qz::app::shutDown(again);
}

}  // namespace
