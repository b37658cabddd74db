// Window objects on their event threads, driven through the headless host.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "gadgets/qz_group.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "objects/async_methods.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/ui_harness.h"

namespace {

using qztest::GadgetSpec;
namespace TestGadget = qztest::TestGadget;

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;  // COLORREF
constexpr uint32_t kRedRgb = 0xFF0000, kGreenRgb = 0x00FF00, kBlueRgb = 0x0000FF;

GadgetSpec spec(int16_t w, int16_t h, uint32_t colour, int16_t weight = 100) {
  GadgetSpec s;
  s.minWidth = w;
  s.minHeight = h;
  s.colour = colour;
  s.weight = weight;
  return s;
}

int32_t liveWindows() { return Qz_FindClassFromName("Window")->liveCount; }

class WindowTest : public ::testing::Test {
 protected:
  // A window holding a row of [a | column(b, c)].
  Qz_Object* build(const char* title, int x, int y, int w = 0, int h = 0) {
    a = TestGadget::make(spec(40, 20, kRed));
    b = TestGadget::make(spec(30, 10, kGreen));
    c = TestGadget::make(spec(30, 10, kBlue));
    Qz_Object* win = ui.window(title, x, y, w, h);
    column = ui.group(1, {b, c}, 2);
    Qz_DoMethod(win, kGroupAddTail, ui.group(2, {a, column}, 4));
    return win;
  }

  qztest::UiHarness ui;
  Qz_Object* a = nullptr;
  Qz_Object* b = nullptr;
  Qz_Object* c = nullptr;
  Qz_Object* column = nullptr;
};

TEST_F(WindowTest, OpensAtItsContentMinimumAndDrawsTheTree) {
  Qz_Object* win = build("Tree", 100, 80);
  ASSERT_TRUE(ui.open(win));
  Window* w = ui.platformWindow(win);
  ASSERT_NE(w, nullptr);
  // Row minimum: 40 + 4 + 30 wide, column 10 + 2 + 10 high.
  EXPECT_EQ(w->Width - w->BorderLeft - w->BorderRight, 74);
  EXPECT_EQ(w->Height - w->BorderTop - w->BorderBottom, 22);
  EXPECT_EQ(w->LeftEdge, 100);
  EXPECT_EQ(w->TopEdge, 80);
  const int l = w->BorderLeft, t = w->BorderTop;
  struct Case {
    Qz_Object* gadget;
    int left, top, width, height;
    uint32_t rgb;
  };
  const Case cases[] = {{a, l, t, 40, 22, kRedRgb}, {b, l + 44, t, 30, 10, kGreenRgb}, {c, l + 44, t + 12, 30, 10, kBlueRgb}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.left * 1000 + k.top);
    const Qz_LayoutBox box = qztest::UiHarness::box(k.gadget);
    EXPECT_EQ(box.left, k.left);
    EXPECT_EQ(box.top, k.top);
    EXPECT_EQ(box.width, k.width);
    EXPECT_EQ(box.height, k.height);
    EXPECT_EQ(ui.pixel(win, k.left + k.width / 2, k.top + k.height / 2), k.rgb);
    EXPECT_GE(TestGadget::log(k.gadget).drawCount(), 1);
    EXPECT_NE(TestGadget::log(k.gadget).drawThread, std::this_thread::get_id());
  }
  EXPECT_EQ(TestGadget::log(a).drawThread, TestGadget::log(c).drawThread);
}

TEST_F(WindowTest, InputGoesToTheGadgetUnderThePointerOnTheWindowThread) {
  Qz_Object* win = build("Input", 50, 50);
  std::string threadName;
  TestGadget::log(b).onPress = [&threadName](Qz_Object*) { threadName = FindTask(nullptr)->tc_Node.ln_Name; };
  ASSERT_TRUE(ui.open(win));
  const Qz_LayoutBox bb = qztest::UiHarness::box(b);
  ui.click(win, bb.left + 3, bb.top + 3);
  ASSERT_TRUE(ui.settle(win));
  const auto events = TestGadget::log(b).snapshot();
  int presses = 0;
  for (const auto& e : events) {
    if (e.cls == IDCMP_MOUSEBUTTONS && e.code == SELECTDOWN) {
      ++presses;
      EXPECT_EQ(e.x, bb.left + 3);
      EXPECT_EQ(e.y, bb.top + 3);
      EXPECT_NE(e.thread, std::this_thread::get_id());
    }
  }
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(threadName, "Qz WindowInput");
  for (Qz_Object* other : {a, c}) {
    for (const auto& e : TestGadget::log(other).snapshot()) EXPECT_NE(e.cls, IDCMP_MOUSEBUTTONS);
  }
}

TEST_F(WindowTest, PostedMethodRunsOnTheWindowThread) {
  Qz_Object* win = build("Posted", 10, 10);
  ASSERT_TRUE(ui.open(win));
  const std::thread::id windowThread = TestGadget::log(a).drawThread;
  const int before = TestGadget::log(a).drawCount();
  ASSERT_EQ(Qz_DoAsyncMethod(win, kRootDraw), 1u);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_GT(TestGadget::log(a).drawCount(), before);
  EXPECT_EQ(TestGadget::log(a).drawThread, windowThread);
  EXPECT_NE(windowThread, std::this_thread::get_id());
}

TEST_F(WindowTest, ResizingLaysTheTreeOutAgain) {
  Qz_Object* win = build("Resize", 10, 10);
  ASSERT_TRUE(ui.open(win));
  Window* w = ui.platformWindow(win);
  // 40 more pixels of width: a and the column (weight 100 like a, where a
  // group's default is 200) share them, 20 each; the column's members
  // stretch to its width.
  Qz_DoMethod(column, kRootSetWeight, 100);
  Qz_DoAsyncMethod(win, kWindowChangeBox, w->LeftEdge, w->TopEdge, 114, 22);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(w->Width - w->BorderLeft - w->BorderRight, 114);
  EXPECT_EQ(qztest::UiHarness::box(a).width, 60);
  EXPECT_EQ(qztest::UiHarness::box(b).width, 50);
  EXPECT_EQ(qztest::UiHarness::box(b).left, w->BorderLeft + 64);
  EXPECT_EQ(ui.pixel(win, w->BorderLeft + 100, w->BorderTop + 15), kBlueRgb);
}

TEST_F(WindowTest, SmallerThanTheMinimumOpensAtTheMinimum) {
  Qz_Object* win = build("Small", 10, 10, 20, 5);
  ASSERT_TRUE(ui.open(win));
  Window* w = ui.platformWindow(win);
  EXPECT_EQ(w->Width - w->BorderLeft - w->BorderRight, 74);
  EXPECT_EQ(w->Height - w->BorderTop - w->BorderBottom, 22);
}

TEST_F(WindowTest, OpenCountShowsAndHides) {
  Qz_Object* win = build("Count", 10, 10);
  ASSERT_TRUE(ui.open(win));
  Qz_DoMethod(win, kRootShow);  // already open: only the count falls
  ASSERT_TRUE(ui.settle(win));
  EXPECT_NE(ui.platformWindow(win), nullptr);
  Qz_DoMethod(win, kRootHide);
  Qz_DoMethod(win, kRootHide);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(ui.platformWindow(win), nullptr);
  Qz_DoMethod(win, kRootShow);  // count 1 -> 0: open again
  ASSERT_TRUE(ui.settle(win));
  EXPECT_NE(ui.platformWindow(win), nullptr);
}

TEST_F(WindowTest, PlacementRules) {
  struct Case {
    const char* name;
    uint32_t x, y;
    int w, h;
    int wantLeft, wantTop, wantInnerW, wantInnerH;
  };
  // Screen 1024 x 768; a framed window has 8 pixels of frame across and 4 + 18 + 4 down.
  const Case cases[] = {
      {"centred", kWindowCentred, kWindowCentred, 200, 100, (1024 - 208) / 2, (768 - 126) / 2, 200, 100},
      {"taller than the screen shrinks to fit", 10, 600, 100, 400, 10, 600, 100, 768 - 600 - 26},
      {"negative top moves to 0 and shrinks", 10, static_cast<uint32_t>(-50), 100, 300, 10, 0, 100, 250},
      {"not below the minimum", 10, 760, 100, 100, 10, 760, 100, 22},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Qz_Object* win = build(k.name, 0, 0, k.w, k.h);
    Qz_DoMethod(win, kWindowSetX, k.x);
    Qz_DoMethod(win, kWindowSetY, k.y);
    ASSERT_TRUE(ui.open(win));
    Window* w = ui.platformWindow(win);
    EXPECT_EQ(w->LeftEdge, k.wantLeft);
    EXPECT_EQ(w->TopEdge, k.wantTop);
    EXPECT_EQ(w->Width - w->BorderLeft - w->BorderRight, k.wantInnerW);
    EXPECT_EQ(w->Height - w->BorderTop - w->BorderBottom, k.wantInnerH);
    ui.dispose(win);
  }
}

TEST_F(WindowTest, PositionKeyRemembersTheLastBox) {
  Qz_Object* first = build("Remembered", 10, 10);
  EXPECT_EQ(Qz_DoMethod(first, kWindowSetPositionKey, 77), 77u);
  ASSERT_TRUE(ui.open(first));
  Window* w = ui.platformWindow(first);
  Qz_DoAsyncMethod(first, kWindowChangeBox, 100, 50, 300, 200);
  ASSERT_TRUE(ui.settle(first));
  ASSERT_EQ(w->LeftEdge, 100);
  Qz_DoMethod(first, kWindowClose);
  ASSERT_TRUE(ui.settle(first));
  ASSERT_EQ(ui.platformWindow(first), nullptr);
  ui.dispose(first);

  Qz_Object* second = build("Remembered again", 500, 500);
  EXPECT_EQ(Qz_DoMethod(second, kWindowSetPositionKey, 77), 1u);  // known key
  ASSERT_TRUE(ui.open(second));
  w = ui.platformWindow(second);
  EXPECT_EQ(w->LeftEdge, 100);
  EXPECT_EQ(w->TopEdge, 50);
  EXPECT_EQ(w->Width - w->BorderLeft - w->BorderRight, 300);
  EXPECT_EQ(w->Height - w->BorderTop - w->BorderBottom, 200);
}

TEST_F(WindowTest, ClosingFromItsOwnGadgetKeepsTheThread) {
  Qz_Object* win = build("Self close", 10, 10);
  TestGadget::log(a).onPress = [win](Qz_Object*) { Qz_DoMethod(win, kWindowClose); };
  ASSERT_TRUE(ui.open(win));
  ui.click(win, qztest::UiHarness::box(a).left + 2, qztest::UiHarness::box(a).top + 2);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(ui.platformWindow(win), nullptr);
  // The thread still runs: the window opens again on request.
  Qz_DoMethod(win, kRootShow);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_NE(ui.platformWindow(win), nullptr);
}

TEST_F(WindowTest, DisposedFromItsOwnGadgetFreesItself) {
  Qz_Object* win = build("Self dispose", 10, 10);
  const int32_t before = liveWindows();
  ASSERT_TRUE(ui.open(win));
  std::atomic<bool> pressed{false};
  TestGadget::log(a).onPress = [&ui = ui, win, &pressed](Qz_Object*) {
    ui.forget(win);
    Qz_DisposeObject(win);
    pressed = true;
  };
  ui.click(win, qztest::UiHarness::box(a).left + 2, qztest::UiHarness::box(a).top + 2);
  ASSERT_TRUE(qz::headless::settle());
  for (int i = 0; i < 250 && !(pressed && liveWindows() == before - 1); ++i) Delay(1);
  EXPECT_TRUE(pressed);
  EXPECT_EQ(liveWindows(), before - 1);
}

TEST_F(WindowTest, ClosingAndDisposingFromAnotherThreadLeavesOthersRunning) {
  Qz_Object* one = build("One", 10, 10);
  ASSERT_TRUE(ui.open(one));
  Qz_Object* two = build("Two", 300, 300);
  ASSERT_TRUE(ui.open(two));
  std::thread([one] { Qz_DoMethod(one, kWindowClose); }).join();
  ASSERT_TRUE(ui.settle(one));
  EXPECT_EQ(ui.platformWindow(one), nullptr);
  std::thread([&] { ui.dispose(one); }).join();
  const Qz_LayoutBox box = qztest::UiHarness::box(a);
  ui.click(two, box.left + 2, box.top + 2);
  ASSERT_TRUE(ui.settle(two));
  int presses = 0;
  for (const auto& e : TestGadget::log(a).snapshot()) presses += e.cls == IDCMP_MOUSEBUTTONS && e.code == SELECTDOWN;
  EXPECT_EQ(presses, 1);
}

TEST_F(WindowTest, LongTitleIsCutSafely) {
  const std::string title(400, 'x');
  Qz_Object* win = ui.window(title.c_str(), 10, 10);
  const char* kept = reinterpret_cast<const char*>(Qz_DoMethod(win, kWindowGetTitle));
  EXPECT_EQ(std::strlen(kept), 259u);
}

}  // namespace
