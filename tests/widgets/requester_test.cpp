#include "objects/requester.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "objects/qz_linked_list.h"
#include "platform/exec.h"
#include "support/ui_harness.h"

namespace {

enum class Answer { Return, Escape, Close, Break };

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
        win = reinterpret_cast<Qz_Object*>(Qz_DoMethod(parent, kLinkedListFirst));
        if (win != nullptr && ui.platformWindow(win) != nullptr) break;
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

}  // namespace
