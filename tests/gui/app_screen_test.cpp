// The application object's run and quit, and the Screen object above the windows.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "gadgets/qz_app.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_screen.h"
#include "gadgets/qz_window.h"
#include "host/host_input.h"
#include "objects/qz_notify.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/ui_harness.h"

namespace {

namespace TestGadget = qztest::TestGadget;

std::vector<uint32_t> ids(Qz_Object* gadget) {
  std::vector<uint32_t> out;
  for (const auto& c : TestGadget::log(gadget).callLog()) out.push_back(c.id);
  return out;
}

class AppTest : public ::testing::Test {
 protected:
  qztest::UiHarness ui;
};

TEST_F(AppTest, OpenRunsUntilCloseFromAnotherThread) {
  std::atomic<Task*> runner{nullptr};
  std::atomic<Qz_Object*> made{nullptr};
  std::atomic<bool> closeSent{false}, returned{false};
  Qz_Object* member = TestGadget::make({});
  std::thread run([&] {
    Qz_Object* app = Qz_CreateObject("App", kAppSetTitle, "Test");
    ASSERT_NE(app, nullptr);
    Qz_DoMethod(app, kGroupAddTail, member);
    made = app;
    runner = FindTask(nullptr);
    Qz_DoMethod(app, kRootOpen);
    // The group was closed before open returned, and only after close was asked.
    EXPECT_TRUE(closeSent.load());
    returned = true;
    Qz_DisposeObject(app);
  });
  while (runner.load() == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  while (ids(member).empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // A signal that is not the break signal does not end the run.
  Signal(runner.load(), 0x10000);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(returned.load());
  closeSent = true;
  Qz_DoMethod(made.load(), kRootClose);
  run.join();
  EXPECT_TRUE(returned.load());
}

// The program's shape: an App holding a screen of its own holding a window.
// Closing the App while the window's open is still queued on its thread,
// and disposing it at once, must leave nothing touching freed memory
// (the sanitizer builds catch it) and free every window.
TEST_F(AppTest, ClosedAndDisposedWhileItsWindowStillOpens) {
  const int32_t windowsBefore = Qz_FindClassFromName("Window")->liveCount;
  for (int round = 0; round < 40; ++round) {
    std::atomic<Qz_Object*> made{nullptr};
    std::thread run([&] {
      Qz_Object* app = Qz_CreateObject("App", kAppSetTitle, "Test");
      ASSERT_NE(app, nullptr);
      Qz_Object* screen = Qz_CreateObject("Screen", kScreenSetTitle, "Main", kScreenSetType, 2);
      Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Main", kWindowSetKind, 16);
      ASSERT_NE(screen, nullptr);
      ASSERT_NE(win, nullptr);
      Qz_DoMethod(win, kGroupAddTail, TestGadget::make({}));
      Qz_DoMethod(screen, kGroupAddTail, win);
      Qz_DoMethod(app, kGroupAddTail, screen);
      made = app;
      Qz_DoMethod(app, kRootOpen);
      Qz_DisposeObject(app);
    });
    while (made.load() == nullptr) std::this_thread::yield();
    Qz_DoMethod(made.load(), kRootClose);
    run.join();
  }
  EXPECT_EQ(Qz_FindClassFromName("Window")->liveCount, windowsBefore);
}

TEST_F(AppTest, NotMadeWithoutAFreeSignalBit) {
  std::thread([] {
    std::vector<int32_t> taken;
    for (int32_t bit; (bit = AllocSignal(-1)) >= 0;) taken.push_back(bit);
    EXPECT_EQ(Qz_CreateObject("App"), nullptr);
    for (int32_t bit : taken) FreeSignal(bit);
    Qz_Object* app = Qz_CreateObject("App");
    EXPECT_NE(app, nullptr);
    Qz_DisposeObject(app);
  }).join();
}

class ScreenTest : public ::testing::Test {
 protected:
  qztest::UiHarness ui;
};

TEST_F(ScreenTest, OpenShowsMembersAndMenuObjectReachesNewMembersFirst) {
  Qz_Object* screen = Qz_CreateObject("Screen", kScreenSetTitle, "Main", kScreenSetType, 0);
  ASSERT_NE(screen, nullptr);
  Qz_Object* early = TestGadget::make({});
  Qz_DoMethod(screen, kGroupAddTail, early);
  EXPECT_EQ(Qz_DoMethod(screen, kScreenOpen), 1u);
  auto* platform = reinterpret_cast<Screen*>(Qz_DoMethod(screen, kScreenGetPlatformScreen));
  ASSERT_NE(platform, nullptr);
  EXPECT_EQ(Qz_DoMethod(screen, kScreenGetWidth), static_cast<uint32_t>(platform->Width));
  // Opening hands the (unset) menu object round again, then shows the members.
  EXPECT_EQ(ids(early), (std::vector<uint32_t>{kGroupMenuObject, kRootShow}));

  int menu = 0;
  EXPECT_EQ(Qz_DoMethod(screen, kScreenSetMenu, &menu), 1u);
  Qz_Object* late = TestGadget::make({});
  Qz_DoMethod(screen, kGroupAddTail, late);
  const auto calls = TestGadget::log(late).callLog();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].id, kGroupMenuObject);
  EXPECT_EQ(calls[0].argument, reinterpret_cast<QzWord>(&menu));
  EXPECT_FALSE(calls[0].hadParent);  // before it joined

  EXPECT_EQ(Qz_DoMethod(screen, kScreenClose), 1u);
  EXPECT_EQ(Qz_DoMethod(screen, kScreenGetPlatformScreen), 0u);
  EXPECT_EQ(ids(early).back(), kRootHide);
  Qz_DisposeObject(screen);
}

// The host's thread resizes the screen whenever the host window changes (the
// menu strip appearing at start-up is one such change): an open meanwhile
// takes one whole size, never half of each.
TEST_F(ScreenTest, OpenTakesAWholeSizeWhileTheHostResizes) {
  Qz_Object* screen = Qz_CreateObject("Screen", kScreenSetTitle, "Main", kScreenSetType, 0);
  ASSERT_NE(screen, nullptr);
  ASSERT_EQ(Qz_DoMethod(screen, kScreenOpen), 1u);
  int32_t startWidth = 0, startHeight = 0;
  Qz_GetScreenSize(reinterpret_cast<Screen*>(Qz_DoMethod(screen, kScreenGetPlatformScreen)), &startWidth,
                   &startHeight);
  ASSERT_GT(startWidth, 0);
  Qz_DoMethod(screen, kScreenClose);

  // Each resize keeps the old overlay alive, so only a few.
  std::atomic<bool> done{false};
  std::thread host([&] {
    for (int i = 0; i < 8; ++i) {
      qz::host::hostResized(startWidth - 24, startHeight - 20);
      qz::host::hostResized(startWidth, startHeight);
    }
    done = true;
  });
  for (int opens = 0; opens == 0 || !done.load(); ++opens) {
    ASSERT_EQ(Qz_DoMethod(screen, kScreenOpen), 1u);
    const auto width = static_cast<int32_t>(Qz_DoMethod(screen, kScreenGetWidth));
    const auto height = static_cast<int32_t>(Qz_DoMethod(screen, kScreenGetHeight));
    const bool whole = (width == startWidth && height == startHeight) ||
                       (width == startWidth - 24 && height == startHeight - 20);
    EXPECT_TRUE(whole) << width << "x" << height;
    Qz_DoMethod(screen, kScreenClose);
  }
  host.join();
  Qz_DisposeObject(screen);
}

void recordMenu(QzWord userData, Qz_Object*, uint32_t, const QzWord* value) {
  reinterpret_cast<std::atomic<uint32_t>*>(userData)->store(static_cast<uint32_t>(value[0]));
}

TEST_F(ScreenTest, WindowsOpenWithTheScreenAndMenuCommandsBecomeItsNotification) {
  Qz_Object* screen = Qz_CreateObject("Screen", kScreenSetTitle, "Main");
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Child", kWindowSetKind, 1, kWindowSetX, 20,
                                   kWindowSetY, 20);
  Qz_DoMethod(win, kGroupAddTail, TestGadget::make({}));
  Qz_DoMethod(screen, kGroupAddTail, win);
  std::atomic<uint32_t> picked{0};
  Qz_AddCallBackNotify(screen, kScreenMenuCommand, kNotifyAnyValue, recordMenu, reinterpret_cast<QzWord>(&picked));
  Qz_DoMethod(screen, kRootOpen);
  Window* w = nullptr;
  for (int i = 0; i < 250 && (w = Qz__PlatformWindowOf(win)) == nullptr; ++i) Delay(1);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(ui.settle(win));
  Qz__PostInputMessage(w, IDCMP_MENUCOMMAND, 42, 0, 1, 0, 0, 0, 0);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(picked.load(), 42u);
  Qz_DoMethod(screen, kRootClose);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(Qz__PlatformWindowOf(win), nullptr);
  Qz_DisposeObject(screen);  // disposes the window with it
}

// An open that reaches a window's thread after its Screen object closed (the
// App was closed meanwhile) leaves it shut instead of opening it on a
// desktop screen of its own.
TEST_F(ScreenTest, AWindowDoesNotOpenOnceItsScreenIsClosed) {
  Qz_Object* screen = Qz_CreateObject("Screen", kScreenSetTitle, "Main", kScreenSetType, 2);
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Late", kWindowSetKind, 1);
  Qz_DoMethod(win, kGroupAddTail, TestGadget::make({}));
  Qz_DoMethod(screen, kGroupAddTail, win);
  Qz_DoMethod(screen, kRootOpen);
  for (int i = 0; i < 250 && Qz__PlatformWindowOf(win) == nullptr; ++i) Delay(1);
  ASSERT_NE(Qz__PlatformWindowOf(win), nullptr);
  Qz_DoMethod(screen, kScreenClose);
  EXPECT_EQ(Qz__PlatformWindowOf(win), nullptr);
  Qz_DoMethod(win, kRootShow);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(Qz__PlatformWindowOf(win), nullptr);
  Qz_DisposeObject(screen);
}

}  // namespace
