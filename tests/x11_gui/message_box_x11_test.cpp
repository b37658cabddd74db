// Message boxes on the X11 host: drawn with the toolkit, answered by clicks
// and keys sent through the X server (xdotool), asked from any thread while
// the asker waits; without a display or a toolkit they fall back to stderr.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "objects/message_box.h"
#include "objects/object_services.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/no_display_child.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "x11_gui/x11_gui_support.h"

namespace {

using namespace qztest::x11;
namespace TestGadget = qztest::TestGadget;

// The result, or 99 after 10 seconds (the box is then pressed away).
QzWord resultOf(std::future<QzWord>& answer) {
  if (answer.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return answer.get();
  ADD_FAILURE() << "the box was not answered";
  xdotool("key Escape");
  xdotool("key Return");
  answer.wait();
  return 99;
}

std::future<QzWord> ask(std::string title, std::string text, uint32_t kind) {
  return std::async(std::launch::async, [title, text, kind] {
    return Qz_MessageBoxA(title.c_str(), text.c_str(), kind, nullptr);
  });
}

class X11MessageBox : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    if (!qztest::haveTool("xdotool")) GTEST_SKIP() << "xdotool is missing";
    Qz_Init();
    initialised_ = true;
    ASSERT_NE(OpenScreenTags(nullptr), nullptr);
  }
  void TearDown() override {
    if (initialised_) Qz_CleanUp();
  }

 private:
  qztest::ScopedStateRoot stateRoot_;
  bool initialised_ = false;
};

enum class Action { ClickFirst, ClickLast, Return, Escape, CloseBox };

void perform(Action action, Qz_Object* box) {
  Window* w = Qz__PlatformWindowOf(box);
  const std::vector<LabelledButton> buttons = buttonsOf(box);
  ASSERT_FALSE(buttons.empty());
  switch (action) {
    case Action::ClickFirst: ASSERT_TRUE(clickObject(w, buttons.front().button)); break;
    case Action::ClickLast: ASSERT_TRUE(clickObject(w, buttons.back().button)); break;
    case Action::Return: ASSERT_EQ(xdotool("key Return"), 0); break;
    case Action::Escape: ASSERT_EQ(xdotool("key Escape"), 0); break;
    case Action::CloseBox: {
      int x = 0, y = 0;
      closeBoxPosition(w, &x, &y);
      ASSERT_TRUE(clickAt(x, y));
      break;
    }
  }
}

TEST_F(X11MessageBox, AnsweredByItsButtonsKeysAndCloseBox) {
  struct Case {
    const char* name;
    uint32_t kind;
    std::vector<std::string> buttons;
    Action action;
    QzWord result;
  };
  const Case cases[] = {
      {"kind 4, No clicked", 4, {"Yes", "No"}, Action::ClickLast, 0},
      {"kind 4, Yes clicked", 4, {"Yes", "No"}, Action::ClickFirst, 1},
      {"kind 4, Return is Yes", 4, {"Yes", "No"}, Action::Return, 1},
      {"kind 4, Escape is No", 4, {"Yes", "No"}, Action::Escape, 0},
      {"kind 2, close box is Cancel", 2, {"OK", "Cancel"}, Action::CloseBox, 0},
      {"kind 2, OK clicked", 2, {"OK", "Cancel"}, Action::ClickFirst, 1},
      {"kind 1, OK clicked", 1, {"OK"}, Action::ClickFirst, 1},
      {"kind 8, closed: still OK", 8, {"OK"}, Action::CloseBox, 1},
      {"kind 1, Escape: still OK", 1, {"OK"}, Action::Escape, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::future<QzWord> answer = ask(c.name, "Answer me.", c.kind);
    Qz_Object* box = waitForActiveWindow(c.name);
    ASSERT_NE(box, nullptr) << "no box came up";
    ASSERT_TRUE(settle(box));
    std::vector<std::string> labels;
    for (const LabelledButton& b : buttonsOf(box)) labels.push_back(b.label);
    EXPECT_EQ(labels, c.buttons);
    EXPECT_EQ(Qz_DoMethod(box, kWindowGetKind), kWindowKindFreeStanding);
    perform(c.action, box);
    EXPECT_EQ(resultOf(answer), c.result);
  }
}

// The picture of a box: its caption, its text and labelled buttons.
TEST_F(X11MessageBox, ShowsTitleTextAndLabelledButtons) {
  std::future<QzWord> answer = ask("Save changes", "The picture has changed.\nSave it before closing?", 4);
  Qz_Object* box = waitForActiveWindow("Save changes");
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(settle(box));
  Window* w = Qz__PlatformWindowOf(box);
  const std::vector<LabelledButton> buttons = buttonsOf(box);
  ASSERT_EQ(buttons.size(), 2u);
  const Qz_LayoutBox yes = qztest::UiHarness::box(buttons[0].button);
  // Shown once the X screen has both labels (they are drawn last).
  ASSERT_TRUE(waitForButtonLabels(w, buttons));
  Screenshot shot;
  ASSERT_TRUE(shot.take(screenshotPath("message_box_screenshot.png")));
  for (const LabelledButton& b : buttons) {
    SCOPED_TRACE(b.label);
    const Qz_LayoutBox r = qztest::UiHarness::box(b.button);
    const int left = w->LeftEdge + r.left, top = w->TopEdge + r.top;
    EXPECT_GT(shot.countInk(left + 3, top + 3, r.width - 6, r.height - 6), 10) << "no label";
    EXPECT_GT(shot.countInk(left, top, r.width, 2) + shot.countInk(left, top, 2, r.height), r.width / 2)
        << "no frame";
  }
  // Two lines of text between the caption and the buttons.
  const int textTop = w->TopEdge + w->BorderTop, textBottom = w->TopEdge + yes.top;
  int inkRows = 0;
  for (int row = textTop; row < textBottom; ++row) inkRows += shot.countInk(w->LeftEdge, row, w->Width, 1) > 0;
  EXPECT_GE(inkRows, 16) << "the text is missing";
  // The caption: the active caption colour across the top, under the title.
  const uint32_t caption = shot.at(w->LeftEdge + w->Width / 2, w->TopEdge + kFrameWidth + 1);
  EXPECT_NE(caption, shot.at(w->LeftEdge + w->Width / 2, w->TopEdge + w->BorderTop + 2));
  ASSERT_EQ(xdotool("key Return"), 0);
  EXPECT_EQ(resultOf(answer), 1u);
}

TEST_F(X11MessageBox, AskedFromAnotherThreadWhileAWindowIsOpen) {
  TestGadget::registerClass();
  qztest::GadgetSpec spec;
  spec.minWidth = 200;
  spec.minHeight = 120;
  spec.colour = 0x00FF00;
  Qz_Object* gadget = TestGadget::make(spec);
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Busy", kWindowSetKind, 1, kWindowSetX, 40,
                                   kWindowSetY, 40);
  Qz_DoMethod(win, kGroupAddTail, gadget);
  Qz_DoMethod(win, kRootOpen);
  Window* w = waitForPlatformWindow(win);
  ASSERT_NE(w, nullptr);

  std::future<QzWord> answer = ask("From a thread", "Asked while a window is open.", 4);
  Qz_Object* box = waitForActiveWindow("From a thread");
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(settle(box));
  ASSERT_TRUE(clickObject(Qz__PlatformWindowOf(box), buttonLabelled(box, "Yes")));
  EXPECT_EQ(resultOf(answer), 1u);

  // The open window still hears its input.
  ASSERT_TRUE(clickObject(w, gadget));
  ASSERT_TRUE(settle(win));
  int presses = 0;
  for (const auto& e : TestGadget::log(gadget).snapshot()) presses += e.cls == IDCMP_MOUSEBUTTONS && e.code == SELECTDOWN;
  EXPECT_EQ(presses, 1);
  Qz_DisposeObject(win);
  TestGadget::unregisterClass();
}

// A box asked on a window's own event thread (from a press on its gadget)
// waits there; the box has its own thread, so it can still be answered,
// and the window carries on afterwards.
TEST_F(X11MessageBox, AskedFromAWindowsOwnThread) {
  TestGadget::registerClass();
  qztest::GadgetSpec spec;
  spec.minWidth = 160;
  spec.minHeight = 100;
  Qz_Object* gadget = TestGadget::make(spec);
  std::atomic<int> presses{0};
  std::atomic<QzWord> answered{99};
  TestGadget::log(gadget).onPress = [&](Qz_Object*) {
    if (presses.fetch_add(1) == 0) answered = Qz_MessageBoxA("From the window", "Asked on my own thread.", 4, nullptr);
  };
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Asker", kWindowSetKind, 1, kWindowSetX, 60,
                                   kWindowSetY, 500);
  Qz_DoMethod(win, kGroupAddTail, gadget);
  Qz_DoMethod(win, kRootOpen);
  Window* w = waitForPlatformWindow(win);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(settle(win));

  ASSERT_TRUE(clickObject(w, gadget));
  Qz_Object* box = waitForActiveWindow("From the window");
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(settle(box));
  ASSERT_TRUE(clickObject(Qz__PlatformWindowOf(box), buttonLabelled(box, "No")));
  for (int i = 0; i < 500 && answered == 99; ++i) Delay(1);
  EXPECT_EQ(answered, 0u);

  ASSERT_TRUE(clickObject(w, gadget));
  ASSERT_TRUE(settle(win));
  EXPECT_EQ(presses, 2) << "the window stopped handling its input";
  Qz_DisposeObject(win);
  TestGadget::unregisterClass();
}

// While a thread draws, the host cannot show a new window; a box asked
// then would wait forever, so it goes to stderr instead.
TEST_F(X11MessageBox, AskedWhileDrawingGoesToStderr) {
  TestGadget::registerClass();
  Qz_Object* gadget = TestGadget::make(qztest::GadgetSpec{});
  Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Drawing", kWindowSetKind, 1, kWindowSetX, 300,
                                   kWindowSetY, 40);
  Qz_DoMethod(win, kGroupAddTail, gadget);
  Qz_DoMethod(win, kRootOpen);
  ASSERT_NE(waitForPlatformWindow(win), nullptr);
  ASSERT_TRUE(settle(win));
  ASSERT_NE(Qz_LockDrawInfo(gadget), nullptr);
  testing::internal::CaptureStderr();
  const QzWord result = Qz_MessageBoxA("Mid-draw", "Asked while drawing.", 4, nullptr);
  const std::string errors = testing::internal::GetCapturedStderr();
  Qz_UnlockDrawInfo(gadget);
  EXPECT_EQ(result, 0u);
  EXPECT_NE(errors.find("Mid-draw: Asked while drawing."), std::string::npos) << errors;
  Qz_DisposeObject(win);
  TestGadget::unregisterClass();
}

TEST(X11MessageBoxFallback, WithoutTheToolkitTheTextGoesToStderr) {
  testing::internal::CaptureStderr();
  const QzWord result = Qz_MessageBoxA("Early", "Before the object system.", 4, nullptr);
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, 0u);
  EXPECT_NE(errors.find("Early: Before the object system."), std::string::npos) << errors;
}

// Run again as a child with no display: a box cannot open, so its text goes
// to stderr and it answers 0 at once.
TEST(X11MessageBoxFallback, NoDisplayChild) {
  if (!std::getenv("QZTEST_NO_DISPLAY_CHILD")) GTEST_SKIP() << "runs as the child of the test below";
  qztest::ScopedStateRoot stateRoot;
  Qz_Init();
  EXPECT_EQ(Qz_MessageBoxA("Nowhere", "No display to show this on.", 4, nullptr), 0u);
  Qz_CleanUp();
}

TEST(X11MessageBoxFallback, WithoutADisplayTheTextGoesToStderr) {
  const qztest::ChildResult child =
      qztest::runSelfWithoutDisplay({"--gtest_filter=X11MessageBoxFallback.NoDisplayChild"});
  ASSERT_TRUE(child.exited);
  EXPECT_EQ(child.exitStatus, 0);
  EXPECT_NE(child.errorText.find("Nowhere: No display to show this on."), std::string::npos) << child.errorText;
}

}  // namespace
