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
#include "host/host_input.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
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

// A weight-200 member asks twice the spare room but is given only what its
// row has: it ends at the row's right edge and is drawn up to it, when the
// window opens and when it is resized.
TEST_F(WindowTest, AWeightyMemberFillsItsRowToTheEdge) {
  Qz_Object* win = ui.window("Clipped", 30, 30);
  Qz_Object* wide = TestGadget::make({.minWidth = 100, .minHeight = 10, .maxWidth = 100, .maxHeight = 10});
  Qz_Object* greedy = TestGadget::make({.minWidth = 20, .minHeight = 10, .weight = 200, .colour = kGreen});
  Qz_Object* row = ui.group(2, {greedy});
  Qz_DoMethod(win, kGroupAddTail, ui.group(1, {wide, row}));
  ASSERT_TRUE(ui.open(win));
  Window* w = ui.platformWindow(win);
  for (int innerWidth : {100, 140}) {
    SCOPED_TRACE(innerWidth);
    Qz_DoAsyncMethod(win, kWindowChangeBox, w->LeftEdge, w->TopEdge, innerWidth, 20);
    ASSERT_TRUE(ui.settle(win));
    const Qz_LayoutBox g = qztest::UiHarness::box(greedy);
    const Qz_LayoutBox r = qztest::UiHarness::box(row);
    ASSERT_EQ(g.left + g.width, r.left + r.width) << "the member ends where its row does";
    EXPECT_EQ(ui.pixel(win, g.left + 5, g.top + 5), kGreenRgb);
    EXPECT_EQ(ui.pixel(win, w->Width - w->BorderRight - 2, g.top + 5), kGreenRgb);
  }
}

TEST_F(WindowTest, JoiningADrawnGroupGrowsTheWindowToItsNewMinimum) {
  Qz_Object* win = build("Grow", 10, 10);
  ASSERT_TRUE(ui.open(win));
  Window* w = ui.platformWindow(win);
  Qz_Object* extra = TestGadget::make(spec(30, 10, kRed));
  ASSERT_EQ(ui.post(win, column, kGroupAddTail, extra), 1u);
  ASSERT_TRUE(ui.settle(win));
  // The column's minimum grows by 2 + 10.
  EXPECT_EQ(w->Height - w->BorderTop - w->BorderBottom, 34);
  const Qz_LayoutBox eb = qztest::UiHarness::box(extra);
  EXPECT_EQ(eb.top, w->BorderTop + 24);
  EXPECT_EQ(ui.pixel(win, eb.left + 5, eb.top + 5), kRedRgb);
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

// Open, close and dispose in every order and from several threads, each
// before the window's thread has got round to what came before it: nothing
// touches freed memory (the sanitizer builds check) and every window is freed.
TEST_F(WindowTest, AnyOrderOfOpenCloseAndDisposeIsSafe) {
  const int32_t before = liveWindows();
  enum Step { kOpen, kClose, kDispose };
  const std::vector<std::vector<Step>> orders = {
      {kOpen, kDispose},
      {kOpen, kClose, kDispose},
      {kOpen, kClose, kOpen, kDispose},
      {kDispose},
      {kClose, kOpen, kDispose},
  };
  for (int round = 0; round < 20; ++round) {
    for (const auto& order : orders) {
      for (bool otherThread : {false, true}) {
        Qz_Object* win = Qz_CreateObject("Window", kWindowSetTitle, "Quick", kWindowSetKind, 1, kWindowSetX, 10,
                                         kWindowSetY, 10);
        ASSERT_NE(win, nullptr);
        Qz_DoMethod(win, kGroupAddTail, TestGadget::make(spec(20, 20, kRed)));
        std::atomic<bool> opened{false};
        auto act = [win, &opened](Step step) {
          if (step == kOpen) {
            Qz_DoMethod(win, opened.exchange(true) ? kRootShow : kRootOpen);
          } else if (step == kClose) {
            Qz_DoMethod(win, kWindowClose);
          } else {
            Qz_DisposeObject(win);
          }
        };
        for (Step step : order) {
          if (otherThread && step != kOpen) {
            std::thread([&] { act(step); }).join();
          } else {
            act(step);
          }
        }
      }
    }
  }
  for (int i = 0; i < 250 && liveWindows() != before; ++i) Delay(1);
  EXPECT_EQ(liveWindows(), before);
}

TEST_F(WindowTest, LongTitleIsCutSafely) {
  const std::string title(400, 'x');
  Qz_Object* win = ui.window(title.c_str(), 10, 10);
  const char* kept = reinterpret_cast<const char*>(Qz_DoMethod(win, kWindowGetTitle));
  EXPECT_EQ(std::strlen(kept), 259u);
}

}  // namespace

namespace {

class WindowInputTest : public ::testing::Test {
 protected:
  qztest::UiHarness ui;
};

std::vector<uint32_t> callIds(Qz_Object* gadget) {
  std::vector<uint32_t> out;
  for (const auto& c : TestGadget::log(gadget).callLog()) out.push_back(c.id);
  return out;
}

TEST_F(WindowInputTest, UnusedKeysRunTheirGlobalShortcut) {
  Qz_Object* target = TestGadget::make({});
  Qz_Object* win = ui.window("Keys", 10, 10);
  Qz_DoMethod(win, kGroupAddTail, TestGadget::make({}));
  ASSERT_TRUE(ui.open(win));
  Qz_ShortcutKey* keys[] = {Qz_AddGlobalShortcutKey('k', 123456, 0, target, 2, kRootShow, 0),
                            Qz_AddGlobalShortcutKey(112, 123456, 0, target, 2, kRootHide, 0),
                            Qz_AddGlobalShortcutKey(112, 0, 0, target, 2, kRootClose, 0)};
  for (Qz_ShortcutKey* key : keys) ASSERT_NE(key, nullptr);
  struct Case {
    const char* name;
    uint32_t modifiers;
    uint16_t key;
    char32_t character;
    std::vector<uint32_t> want;
  };
  const Case cases[] = {
      {"without Ctrl nothing runs", 0, 'K', U'k', {}},
      {"Ctrl+K runs its shortcut once", qz::host::kModControl, 'K', U'k', {kRootShow}},
      // F1 and Ctrl+P share code 112: the record made for a raw key (qualifier
      // word 0) takes F1, the one made for Ctrl takes the typed p.
      {"F1 runs without Ctrl", 0, 112, 0, {kRootClose}},
      {"Ctrl+P runs the Ctrl record", qz::host::kModControl, 'P', U'p', {kRootHide}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestGadget::log(target).calls.clear();
    qz::host::setModifiers(c.modifiers);
    qz::headless::typeKey(c.key, c.character);
    qz::host::setModifiers(0);
    ASSERT_TRUE(ui.settle(win));
    EXPECT_EQ(callIds(target), c.want);
  }
  // The object layer keeps shortcut records for good; this test takes its own back.
  Qz_GlobalData* g = Qz_GetGlobalData();
  for (Qz_ShortcutKey* key : keys) {
    ObtainSemaphore(&g->classListLock);
    Remove(&key->node);
    ReleaseSemaphore(&g->classListLock);
    FreeVec(key);
  }
  Qz_DisposeObject(target);
}

TEST_F(WindowInputTest, DragReleasedOverAnotherWindowDropsThereOnce) {
  Qz_Object* source = TestGadget::make(spec(40, 40, kRed));
  Qz_Object* sink = TestGadget::make(spec(40, 40, kGreen));
  Qz_Object* from = ui.window("From", 10, 10);
  Qz_DoMethod(from, kGroupAddTail, source);
  Qz_Object* to = ui.window("To", 300, 10);
  Qz_DoMethod(to, kGroupAddTail, sink);
  TestGadget::log(source).onPress = [from](Qz_Object* g) { Qz_DoMethod(from, kGroupBeginDrag, g); };
  ASSERT_TRUE(ui.open(from));
  ASSERT_TRUE(ui.open(to));
  const Qz_LayoutBox sb = qztest::UiHarness::box(source), tb = qztest::UiHarness::box(sink);
  ui.moveTo(from, sb.left + 5, sb.top + 5);
  qz::headless::press();
  ASSERT_TRUE(ui.settle(from));
  ui.moveTo(to, tb.left + 5, tb.top + 5);
  qz::headless::release();
  ASSERT_TRUE(ui.settle(from));
  ASSERT_TRUE(ui.settle(to));
  const auto calls = TestGadget::log(sink).callLog();
  int drops = 0;
  for (const auto& c : calls) {
    if (c.id != kGroupDrop) continue;
    ++drops;
    EXPECT_EQ(c.argument, reinterpret_cast<QzWord>(source));
  }
  EXPECT_EQ(drops, 1);
}

// The dragged object hears which group took the drop: the one that takes
// drops under the release point, and null over a window without one.
TEST_F(WindowInputTest, ADropNamesTheGroupThatTookIt) {
  struct Case {
    const char* name;
    bool overGroup;
  };
  for (const Case& c : {Case{"over a group taking drops", true}, Case{"beside it", false}}) {
    SCOPED_TRACE(c.name);
    Qz_Object* source = TestGadget::make(spec(40, 40, kRed));
    Qz_Object* sink = ui.group(1, {TestGadget::make(spec(40, 40, kGreen))});
    Qz_DoMethod(sink, kGroupSetAcceptsDrops, 1);
    Qz_Object* beside = TestGadget::make(spec(40, 40, kBlue));
    Qz_Object* from = ui.window("From", 10, 10);
    Qz_DoMethod(from, kGroupAddTail, source);
    Qz_Object* to = ui.window("To", 300, 10);
    Qz_DoMethod(to, kGroupAddTail, ui.group(2, {sink, beside}));
    TestGadget::log(source).onPress = [from](Qz_Object* g) { Qz_DoMethod(from, kGroupBeginDrag, g); };
    std::atomic<QzWord> taken{1};
    Qz_AddCallBackNotify(
        source, kGroupDrop, kNotifyAnyValue,
        [](QzWord user, Qz_Object*, uint32_t, const QzWord* words) {
          reinterpret_cast<std::atomic<QzWord>*>(user)->store(words[0]);
        },
        reinterpret_cast<QzWord>(&taken));
    ASSERT_TRUE(ui.open(from));
    ASSERT_TRUE(ui.open(to));
    const Qz_LayoutBox sb = qztest::UiHarness::box(source);
    const Qz_LayoutBox tb = qztest::UiHarness::box(c.overGroup ? sink : beside);
    ui.moveTo(from, sb.left + 5, sb.top + 5);
    qz::headless::press();
    ASSERT_TRUE(ui.settle(from));
    ui.moveTo(to, tb.left + 5, tb.top + 5);
    qz::headless::release();
    ASSERT_TRUE(ui.settle(from));
    ASSERT_TRUE(ui.settle(to));
    EXPECT_EQ(taken.load(), c.overGroup ? reinterpret_cast<QzWord>(sink) : 0u);
    ui.dispose(from);
    ui.dispose(to);
  }
}

}  // namespace

namespace {

void recordChoice(QzWord userData, Qz_Object*, uint32_t, const QzWord* value) {
  reinterpret_cast<std::atomic<QzWord>*>(userData)->store(value[0]);
}

TEST_F(WindowInputTest, PopUpOpenedOnPressReportsTheObjectReleasedOver) {
  Qz_Object* opener = TestGadget::make(spec(60, 30, kRed));
  Qz_Object* item1 = TestGadget::make(spec(50, 15, kGreen));
  Qz_Object* item2 = TestGadget::make(spec(50, 15, kBlue));
  Qz_Object* parent = ui.window("Parent", 100, 100);
  Qz_DoMethod(parent, kGroupAddTail, opener);
  Qz_Object* popUp = Qz_CreateObject("Window", kWindowSetKind, 2, kWindowSetX, 400, kWindowSetY, 300);
  Qz_DoMethod(popUp, kGroupAddTail, ui.group(1, {item1, item2}));
  Qz_DoMethod(parent, kGroupAddTail, popUp);  // a window object joins the child windows
  std::atomic<QzWord> chosen{1};
  Qz_AddCallBackNotify(popUp, kWindowPopUpChoice, kNotifyAnyValue, recordChoice, reinterpret_cast<QzWord>(&chosen));
  TestGadget::log(opener).onPress = [popUp](Qz_Object*) { Qz_DoMethod(popUp, kWindowOpen); };
  ASSERT_TRUE(ui.open(parent));
  const Qz_LayoutBox ob = qztest::UiHarness::box(opener);
  ui.moveTo(parent, ob.left + 5, ob.top + 5);
  qz::headless::press();
  ASSERT_TRUE(ui.settle(parent));
  Window* pw = Qz__PlatformWindowOf(popUp);
  ASSERT_NE(pw, nullptr);
  EXPECT_EQ(pw->LeftEdge, 400);
  EXPECT_EQ(Qz__WindowKindOf(popUp), 2u);
  EXPECT_EQ(Qz__OwnerPlatformWindowOf(popUp), ui.platformWindow(parent));
  // Dragged over the second item with the button held, released there.
  const Qz_LayoutBox ib = qztest::UiHarness::box(item2);
  qz::headless::moveTo(pw->LeftEdge + ib.left + 5, pw->TopEdge + ib.top + 5);
  ASSERT_TRUE(ui.settle(parent));
  qz::headless::release();
  ASSERT_TRUE(ui.settle(parent));
  EXPECT_EQ(chosen.load(), reinterpret_cast<QzWord>(item2));
  EXPECT_EQ(Qz__PlatformWindowOf(popUp), nullptr);
}

}  // namespace

namespace {

TEST_F(WindowInputTest, ToolTipAfterTheDelayWithNoQualifierAndGoneOnAClick) {
  TestGadget::registerStandIn("Text");  // the tip's text: a red 10 x 10 stand-in
  Qz_GlobalData* g = Qz_GetGlobalData();
  std::atomic_ref<int32_t>(g->toolTips).store(1);
  g->toolTipDelay = 2;
  Qz_Object* target = TestGadget::make(spec(60, 60, kGreen));
  Qz_DoMethod(target, kRootSetToolTip, "Tip");
  Qz_Object* win = ui.window("Tips", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, target);
  ASSERT_TRUE(ui.open(win));
  const Qz_LayoutBox tb = qztest::UiHarness::box(target);
  const int px = tb.left + 2, py = tb.top + 2;
  // Where the tip's text shows: 20 below the pointer, inside the tip's 2-pixel margin.
  const auto tipShown = [&] { return ui.pixel(win, px + 7, py + 27) == kRedRgb; };
  struct Step {
    const char* name;
    uint32_t modifiers;
    int ticks;
    bool shown;
  };
  const Step steps[] = {
      {"not after the delay's own ticks", 0, 2, false},
      {"with Shift held, never", qz::host::kModShift, 4, false},
      {"one tick past the delay", 0, 3, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    ui.click(win, px, py);  // quiet time starts again
    ASSERT_TRUE(ui.settle(win));
    EXPECT_FALSE(tipShown());
    qz::host::setModifiers(s.modifiers);
    for (int i = 0; i < s.ticks; ++i) qz::headless::tick();
    ASSERT_TRUE(ui.settle(win));
    qz::host::setModifiers(0);
    EXPECT_EQ(tipShown(), s.shown);
  }
  ui.click(win, px, py);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_FALSE(tipShown());
  std::atomic_ref<int32_t>(g->toolTips).store(0);
}

}  // namespace
