#include "objects/requester.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "objects/qz_linked_list.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/ui_harness.h"

namespace {

enum class Answer { Return, Escape, Close, Break };

// The requester's window once it is open and active, found through the
// platform's active window (read under the platform's lock) and its title,
// never by polling the parent list that the requester's thread changes. The
// window went into the parent before it opened, so the parent may be read after.
Qz_Object* activeRequester(qztest::UiHarness& ui, Qz_Object* parent, const char* title) {
  Window* active = Qz_GetActiveWindow();
  if (active == nullptr || active->Title == nullptr || std::strcmp(active->Title, title) != 0) return nullptr;
  auto* owner = static_cast<Qz_Object*>(active->OwnerObject);
  if (owner == nullptr || ui.platformWindow(owner) != active) return nullptr;
  auto* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(parent, kLinkedListFirst));
  return first == owner ? owner : nullptr;
}

class Requester : public testing::Test {
 protected:
  // Shows a requester on another thread, answers it and gives its result;
  // *alive tells whether the content survived.
  QzWord show(Answer answer, uint32_t flags, bool* alive) {
    Qz_Object* parent = Qz_CreateObject("LinkedList");
    Qz_Object* content = Qz_CreateObject("Text", kRootSetLabel, "Resize the picture?");
    Qz_Class* textClass = content->objectClass;
    const int32_t before = textClass->liveCount;
    auto result = std::async(std::launch::async, [&] {
      if (answer == Answer::Break) SetSignal(SIGBREAKF_CTRL_C, SIGBREAKF_CTRL_C);
      const QzWord r = Qz_ShowRequester("Resize", content, 0, parent, flags);
      SetSignal(0, SIGBREAKF_CTRL_C);
      return r;
    });
    if (answer != Answer::Break) {
      Qz_Object* win = nullptr;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (std::chrono::steady_clock::now() < deadline) {
        win = activeRequester(ui, parent, "Resize");
        if (win != nullptr) break;
        Delay(1);
      }
      EXPECT_NE(win, nullptr);
      if (win != nullptr && ui.settle(win)) {
        if (answer == Answer::Return) qz::headless::typeKey(0x0D, 13);
        if (answer == Answer::Escape) qz::headless::typeKey(0x1B, 27);
        if (answer == Answer::Close) ui.post(win, win, kWindowFireClose);  // as its close box does
      }
    }
    const QzWord r = result.get();
    *alive = textClass->liveCount == before;
    if (*alive) Qz_DisposeObject(content);
    EXPECT_EQ(Qz_DoMethod(parent, kLinkedListCount), 0u) << "the window is taken out again";
    Qz_DisposeObject(parent);
    return r;
  }
  qztest::UiHarness ui;
};

TEST_F(Requester, AnswersAndWhatBecomesOfTheContent) {
  struct Case {
    const char* name;
    Answer answer;
    uint32_t flags;
    QzWord result;
    bool contentAlive;
  };
  const Case cases[] = {
      {"Return is Ok", Answer::Return, 0, 1, true},
      {"Escape is Cancel", Answer::Escape, 0, 0, true},
      {"closing the window", Answer::Close, 0, 0, true},
      {"the break signal", Answer::Break, 0, 0, true},
      {"flag 16 disposes after Ok", Answer::Return, 16, 1, false},
      {"flag 16 disposes after Cancel", Answer::Escape, 16, 0, false},
      {"flag 32 keeps it after Ok", Answer::Return, 32, 1, true},
      {"flag 32 disposes it after Cancel", Answer::Escape, 32, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool alive = false;
    EXPECT_EQ(show(c.answer, c.flags, &alive), c.result);
    EXPECT_EQ(alive, c.contentAlive);
  }
}

// The requester's window while it is shown: the one it put in the parent.
Qz_Object* shownWindow(qztest::UiHarness& ui, Qz_Object* parent, const char* title) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    Qz_Object* win = activeRequester(ui, parent, title);
    if (win != nullptr && ui.settle(win)) return win;
    Delay(1);
  }
  return nullptr;
}

TEST_F(Requester, OkAndCancelBothFitInTheWindow) {
  Qz_Object* parent = Qz_CreateObject("LinkedList");
  Qz_Object* content = Qz_CreateObject("Text", kRootSetLabel, "Resize the picture?");
  Qz_Object* ok = nullptr;
  Qz_Object* cancel = nullptr;
  Window* w = nullptr;
  auto result = std::async(std::launch::async, [&] { return Qz_ShowRequester("Resize", content, 0, parent, 16); });
  if (Qz_Object* win = shownWindow(ui, parent, "Resize")) {
    w = ui.platformWindow(win);
    // Window -> the requester's column -> its last member, the button row.
    auto* column = reinterpret_cast<Qz_Object*>(Qz_DoMethod(win, kGroupFirst));
    auto* row = reinterpret_cast<Qz_Object*>(Qz_DoMethod(column, kGroupLast));
    ok = reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kGroupFirst));
    cancel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kGroupLast));
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    const int innerRight = w->Width - w->BorderRight;
    for (Qz_Object* button : {ok, cancel}) {
      const Qz_LayoutBox b = qztest::UiHarness::box(button);
      EXPECT_GE(b.left, w->BorderLeft);
      EXPECT_LE(b.left + b.width, innerRight) << "a button runs out of the window";
      EXPECT_GT(b.width, 0);
    }
    EXPECT_LT(qztest::UiHarness::box(ok).left + qztest::UiHarness::box(ok).width,
              qztest::UiHarness::box(cancel).left);
    qz::headless::typeKey(0x1B, 27);
  }
  EXPECT_EQ(result.get(), 0u);
  Qz_DisposeObject(parent);
}

Qz_Object* gMainWindow = nullptr;
Qz_Object* mainWindowForTest() { return gMainWindow; }

// With the position-key tag the requester opens at the main window's corner
// plus (70, 14); without it, or without an open main window, it is centred.
TEST_F(Requester, ThePositionKeyPlacesItByTheMainWindow) {
  gMainWindow = ui.window("Main", 200, 150);
  Qz_DoMethod(gMainWindow, kGroupAddTail, qztest::TestGadget::make({.minWidth = 300, .minHeight = 200}));
  ASSERT_TRUE(ui.open(gMainWindow));
  Qz_Object* unopened = ui.window("Not open", 40, 40);
  Qz_GetGlobalData()->hooks.mainWindowObject = mainWindowForTest;
  const Window* main = ui.platformWindow(gMainWindow);
  struct Case {
    const char* name;
    Qz_Object* mainWindow;
    bool positionKey;
    bool centred;
  };
  const Case cases[] = {
      {"key set: beside the main window", gMainWindow, true, false},
      {"no key: centred", gMainWindow, false, true},
      {"key set, main window not open: centred", unopened, true, true},
      {"key set, no main window: centred", nullptr, true, true},
  };
  uint32_t key = 0x5100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gMainWindow = c.mainWindow;
    Qz_Object* parent = Qz_CreateObject("LinkedList");
    Qz_Object* content = Qz_CreateObject("Text", kRootSetLabel, "Where am I?");
    // A new key each time: a key seen before brings back where it closed.
    const QzWord tagValue = c.positionKey ? ++key : 0;
    auto result = std::async(std::launch::async, [&] {
      return Qz_ShowRequester("Placed", content, 0, parent, 16, kRequesterTagPositionKey, tagValue);
    });
    if (Qz_Object* win = shownWindow(ui, parent, "Placed")) {
      const Window* w = ui.platformWindow(win);
      if (c.centred) {
        EXPECT_EQ(w->LeftEdge, (1024 - w->Width) / 2);
        EXPECT_EQ(w->TopEdge, (768 - w->Height) / 2);
      } else {
        EXPECT_EQ(w->LeftEdge, main->LeftEdge + 70);
        EXPECT_EQ(w->TopEdge, main->TopEdge + 14);
      }
      qz::headless::typeKey(0x0D, 13);
    } else {
      ADD_FAILURE() << "the requester did not open";
    }
    EXPECT_EQ(result.get(), 1u);
    Qz_DisposeObject(parent);
  }
  Qz_GetGlobalData()->hooks.mainWindowObject = nullptr;
  gMainWindow = nullptr;
}

}  // namespace

// Asking for a requester that is open already opens no second one: the
// open one comes to the front and becomes active again, and the second ask
// ends as cancelled with its content disposed as the flags say.
TEST(RequesterAlreadyOpen, ComesToTheFrontInsteadOfASecond) {
  qztest::UiHarness ui;
  Qz_Object* parent = Qz_CreateObject("LinkedList");
  Qz_Object* content = Qz_CreateObject("Text", kRootSetLabel, "New picture");
  auto first = std::async(std::launch::async, [&] { return Qz_ShowRequester("New Image", content, 0, parent, 16); });
  Qz_Object* win = shownWindow(ui, parent, "New Image");
  ASSERT_NE(win, nullptr);
  // Something else takes the front meanwhile.
  Qz_Object* other = ui.window("Other", 10, 10);
  Qz_DoMethod(other, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, "other"));
  const bool opened = ui.open(other);
  if (opened) {
    ActivateWindow(ui.platformWindow(other));
    ui.settle(other);
  }
  EXPECT_TRUE(opened);
  EXPECT_NE(Qz_GetActiveWindow(), ui.platformWindow(win));

  Qz_Object* second = Qz_CreateObject("Text", kRootSetLabel, "Another");
  Qz_Class* textClass = second->objectClass;
  const int32_t before = textClass->liveCount;
  EXPECT_EQ(Qz_ShowRequester("New Image", second, 0, nullptr, 32), 0u);
  EXPECT_EQ(textClass->liveCount, before - 1) << "the second content goes as after Cancel";
  EXPECT_EQ(Qz_DoMethod(parent, kLinkedListCount), 1u) << "still the one requester";
  EXPECT_EQ(shownWindow(ui, parent, "New Image"), win) << "the open one is active again";

  ui.post(win, win, kWindowFireClose);
  EXPECT_EQ(first.get(), 0u);
  Qz_DisposeObject(parent);
}
