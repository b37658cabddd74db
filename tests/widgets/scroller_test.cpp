// Scroll bars and scrolled viewports: the knob arithmetic, the setter rules,
// paging and dragging on the track, and the strip a scroll redraws.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_widgets.h"
#include "host/headless/headless_host.h"
#include "objects/object_services.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"
#include "support/ui_harness.h"
#include "widgets/fired_values.h"

namespace {

using qz::gadgets::dragScrollPosition;
using qz::gadgets::scrollKnob;

TEST(ScrollerGeometry, KnobLengthAndOffset) {
  struct Case {
    int32_t track, total, visible, position, length, offset;
  };
  const Case cases[] = {
      {200, 1000, 50, 0, 11, 0},     // 10 pixels rounded up to the smallest knob
      {200, 1000, 50, 950, 11, 189},  // the last position touches the track's end
      {200, 1000, 500, 250, 100, 50},
      {200, 10, 10, 0, 200, 0},      // everything shown: the knob fills the track
      {200, 0, 0, 0, 11, 0},         // empty range
      {5, 1000, 50, 950, 11, 0},     // knob longer than the track
      {200, 1, 1, 0, 200, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.track << " " << c.total << " " << c.visible << " " << c.position);
    const qz::gadgets::Knob k = scrollKnob(c.track, 2, c.total, c.visible, c.position);
    EXPECT_EQ(k.length, c.length);
    EXPECT_EQ(k.offset, c.offset);
  }
}

TEST(ScrollerGeometry, DragMovesInProportionAndNeverDividesByZero) {
  struct Case {
    int32_t start, delta, track, knob, total, visible, expected;
  };
  const Case cases[] = {
      {0, 10, 200, 11, 1000, 50, 51},    // room 185: 10 * 950 / 185
      {0, 1000, 200, 11, 1000, 50, 950},  // held at total - visible
      {500, -1000, 200, 11, 1000, 50, 0},
      {0, 3, 15, 11, 100, 10, 90},       // knob fills the room: one-pixel room
      {0, 3, 4, 11, 100, 10, 90},        // knob longer than the track
      {0, 5, 200, 11, 0, 0, 0},          // empty range
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << "+" << c.delta << " track " << c.track);
    EXPECT_EQ(dragScrollPosition(c.start, c.delta, c.track, 2, c.knob, 0, c.total, c.visible), c.expected);
  }
  EXPECT_EQ(qz::gadgets::sliderKnobOffset(100, 2, 20, 5, 5, 5, false), 0) << "minimum equals total";
  EXPECT_EQ(qz::gadgets::sliderKnobOffset(100, 2, 20, 0, 10, 10, false), 76);
  EXPECT_EQ(qz::gadgets::sliderKnobOffset(100, 2, 20, 0, 10, 10, true), 0) << "vertical sliders grow upwards";
}

using Fired = qztest::FiredValues;

class Scroller : public testing::Test {
 protected:
  qztest::UiHarness ui;
  Fired fired;
};

TEST_F(Scroller, SetterRules) {
  Qz_Object* s = Qz_CreateObject("Scroller");
  ASSERT_NE(s, nullptr);
  fired.watch(s, kScrollerSetPosition);
  EXPECT_EQ(Qz_DoMethod(s, kScrollerGetTotal), 1u);
  EXPECT_EQ(Qz_DoMethod(s, kScrollerGetVisible), 1u);
  EXPECT_EQ(Qz_DoMethod(s, kScrollerSetTotal, 1000), 1000u);
  EXPECT_EQ(Qz_DoMethod(s, kScrollerSetVisible, 50), 50u);
  Qz_DoMethod(s, kScrollerSetPosition, 100);
  EXPECT_EQ(Qz_DoMethod(s, kScrollerGetPosition), 100u);
  EXPECT_TRUE(fired.take().empty()) << "the first position set is only recorded";
  Qz_DoMethod(s, kScrollerSetPosition, 100);
  EXPECT_TRUE(fired.take().empty()) << "the same position fires nothing";
  Qz_DoMethod(s, kScrollerSetPosition, 5000);
  EXPECT_EQ(fired.take(), std::vector<uint32_t>{950}) << "held at total - visible";
  Qz_DoMethod(s, kScrollerSetPosition, uint32_t(-20));
  EXPECT_EQ(fired.take(), std::vector<uint32_t>{0}) << "held at the minimum";
  Qz_DoMethod(s, kScrollerSetPosition, 300);
  fired.take();
  EXPECT_EQ(Qz_DoMethod(s, kScrollerSetTotal, 30), 30u);
  EXPECT_EQ(Qz_DoMethod(s, kScrollerGetVisible), 30u) << "visible cut to the total";
  EXPECT_EQ(Qz_DoMethod(s, kScrollerGetPosition), 0u);
  EXPECT_EQ(fired.take(), std::vector<uint32_t>{0});
  EXPECT_EQ(Qz_DoMethod(s, kScrollerSetVisible, 80), 80u);
  EXPECT_EQ(Qz_DoMethod(s, kScrollerGetTotal), 80u) << "the total grows to the visible part";
  Qz_DoMethod(s, kScrollerSetStep, 7);
  Qz_DoMethod(s, kScrollerSetTotal, 1000);
  Qz_DoMethod(s, kScrollerSetVisible, 50);
  Qz_DoMethod(s, kScrollerForward);
  Qz_DoMethod(s, kScrollerForward);
  Qz_DoMethod(s, kScrollerBack);
  EXPECT_EQ(Qz_DoMethod(s, kScrollerGetPosition), 7u);
  Qz_DisposeObject(s);
}

TEST_F(Scroller, TrackPressesPageAndTheKnobDrags) {
  Qz_Object* s = Qz_CreateObject("Scroller", kScrollerSetTotal, 1000, kScrollerSetVisible, 50,
                                 kScrollerSetPosition, 0);
  ASSERT_NE(s, nullptr);
  Qz_Object* win = ui.window("Scroll", 100, 100, 260, 30);
  Qz_DoMethod(win, kGroupAddTail, s);
  ASSERT_TRUE(ui.open(win));
  fired.watch(s, kScrollerSetPosition);
  auto* track = reinterpret_cast<Qz_Object*>(Qz_DoMethod(s, kGroupFirst));
  const Qz_LayoutBox t = qztest::UiHarness::box(track);
  ASSERT_GT(t.width, 100);
  const int y = t.top + t.height / 2;
  ui.click(win, t.left + 100, y);  // after the knob
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(fired.take(), std::vector<uint32_t>{50});
  ui.click(win, t.left + 100, y);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(fired.take(), std::vector<uint32_t>{100});
  ui.click(win, t.left + 3, y);  // before the knob
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(fired.take(), std::vector<uint32_t>{50});

  // The knob now starts (L - 11) * 50 / 950 pixels in; drag it 20 pixels on.
  const qz::gadgets::Knob k = scrollKnob(t.width, 2, 1000, 50, 50);
  Window* w = ui.platformWindow(win);
  ASSERT_NE(w, nullptr);
  const int kx = w->LeftEdge + t.left + 2 + k.offset + k.length / 2, ky = w->TopEdge + y;
  qz::headless::moveTo(kx, ky);
  qz::headless::press();
  ASSERT_TRUE(ui.settle(win));
  qz::headless::moveTo(kx + 20, ky);
  qz::headless::release();
  ASSERT_TRUE(ui.settle(win));
  const int32_t expected = dragScrollPosition(50, 20, t.width, 2, k.length, 0, 1000, 50);
  EXPECT_GT(expected, 50);
  EXPECT_EQ(Qz_DoMethod(s, kScrollerGetPosition), uint32_t(expected));
}

TEST_F(Scroller, SliderModePagesByOne) {
  Qz_Object* s = Qz_CreateObject("Scroller", kSliderSetTotal, 10, kSliderSetPosition, 5);
  ASSERT_NE(s, nullptr);
  Qz_Object* win = ui.window("Slider", 100, 100, 200, 40);
  Qz_DoMethod(win, kGroupAddTail, s);
  ASSERT_TRUE(ui.open(win));
  EXPECT_EQ(Qz_DoMethod(s, kScrollerGetVisible), 0u);
  fired.watch(s, kSliderSetPosition);
  const Qz_LayoutBox t = qztest::UiHarness::box(reinterpret_cast<Qz_Object*>(Qz_DoMethod(s, kGroupFirst)));
  ui.click(win, t.left + t.width / 2 + 20, t.top + t.height / 2);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(fired.take(), std::vector<uint32_t>{6});
}

// A viewport's scrollers: the first members of its bar row and column.
Qz_Object* horizontalBarOf(Qz_Object* v) {
  auto* row = reinterpret_cast<Qz_Object*>(Qz_DoMethod(v->super, kGroupLast));
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(row, kGroupFirst));
}
Qz_Object* verticalBarOf(Qz_Object* v) {
  auto* top = reinterpret_cast<Qz_Object*>(Qz_DoMethod(v->super, kGroupFirst));
  auto* column = reinterpret_cast<Qz_Object*>(Qz_DoMethod(top, kGroupLast));
  return reinterpret_cast<Qz_Object*>(Qz_DoMethod(column, kGroupFirst));
}

// A desktop larger than the default for bars longer than 1280 pixels: the
// screen a test before left open is closed, so the next one takes the size.
struct TallDesktop {
  TallDesktop() { resize(2000, 2000); }
  ~TallDesktop() { resize(1024, 768); }
  static void resize(int width, int height) {
    qz::headless::setDesktopSize(width, height);
    CloseScreen(LockPubScreen(nullptr));
  }
};

class LongScroller : public testing::Test {
 protected:
  TallDesktop desktop;
  qztest::UiHarness ui;
  Fired fired;
};

// A bar as long as its window: the track runs to the arrows at the far end,
// the knob reaches the track's end, and presses on the far part of the
// track and on the far arrow land.
TEST_F(LongScroller, TheTrackRunsTheWholeLengthOfALongBar) {
  for (const bool vertical : {false, true}) {
    SCOPED_TRACE(vertical ? "vertical" : "horizontal");
    Qz_Object* s = Qz_CreateObject("Scroller", kGroupSetMode, vertical ? kScrollerVertical : 4, kScrollerSetTotal,
                                   10000, kScrollerSetVisible, 100, kScrollerSetPosition, 0);
    ASSERT_NE(s, nullptr);
    Qz_Object* win = vertical ? ui.window("Long", 10, 10, 40, 1800) : ui.window("Long", 10, 10, 1800, 40);
    Qz_DoMethod(win, kGroupAddTail, s);
    ASSERT_TRUE(ui.open(win));
    fired.watch(s, kScrollerSetPosition);
    const Qz_LayoutBox bar = qztest::UiHarness::box(s);
    const Qz_LayoutBox t = qztest::UiHarness::box(reinterpret_cast<Qz_Object*>(Qz_DoMethod(s, kGroupFirst)));
    const int32_t barLength = vertical ? bar.height : bar.width;
    const int32_t trackLength = vertical ? t.height : t.width;
    Window* w = ui.platformWindow(win);
    ASSERT_NE(w, nullptr);
    const int32_t inner = vertical ? w->Height - w->BorderBottom : w->Width - w->BorderRight;
    EXPECT_GE(barLength, 1790) << "the bar spans its window";
    EXPECT_LE((vertical ? bar.top : bar.left) + barLength, inner) << "and ends inside it";
    EXPECT_GE(trackLength, barLength - 30) << "the track fills the bar but for the two arrows";
    const qz::gadgets::Knob end = scrollKnob(trackLength, 2, 10000, 100, 9900);
    EXPECT_EQ(end.offset + end.length, trackLength) << "the knob can reach the track's end";

    // Near the far end of the track: a page forward.
    auto at = [&](int32_t along) {
      return vertical ? std::pair{t.left + t.width / 2, t.top + along}
                      : std::pair{t.left + along, t.top + t.height / 2};
    };
    const auto [px, py] = at(trackLength - 5);
    ui.click(win, px, py);
    ASSERT_TRUE(ui.settle(win));
    EXPECT_EQ(fired.take(), std::vector<uint32_t>{100});

    // The far arrow, past the track: a step forward.
    auto* arrow = reinterpret_cast<Qz_Object*>(Qz_DoMethod(s, kGroupLast));
    const Qz_LayoutBox a = qztest::UiHarness::box(arrow);
    EXPECT_GE(vertical ? a.top : a.left, (vertical ? t.top + t.height : t.left + t.width)) << "after the track";
    EXPECT_EQ(vertical ? a.top + a.height : a.left + a.width, (vertical ? bar.top : bar.left) + barLength)
        << "at the bar's end";
    ui.click(win, a.left + a.width / 2, a.top + a.height / 2);
    ASSERT_TRUE(ui.settle(win));
    EXPECT_EQ(fired.take(), std::vector<uint32_t>{101});
    ui.dispose(win);
  }
}

// A viewport in a window larger than 1280 pixels fills it, its bars along
// its whole length and width.
TEST_F(LongScroller, AViewportFillsALargeWindow) {
  Qz_Object* big = qztest::TestGadget::make({.minWidth = 3000, .minHeight = 3000, .maxWidth = 3000, .maxHeight = 3000});
  Qz_Object* v = Qz_CreateObject("VirtualGroup");
  ASSERT_NE(v, nullptr);
  Qz_DoMethod(v, kGroupAddTail, big);
  Qz_Object* win = ui.window("Large", 10, 10, 1800, 1700);
  Qz_DoMethod(win, kGroupAddTail, v);
  ASSERT_TRUE(ui.open(win));
  Window* w = ui.platformWindow(win);
  ASSERT_NE(w, nullptr);
  const Qz_LayoutBox view = qztest::UiHarness::box(v);
  EXPECT_EQ(view.left + view.width, w->Width - w->BorderRight);
  EXPECT_EQ(view.top + view.height, w->Height - w->BorderBottom);
  const Qz_LayoutBox shown = qztest::UiHarness::box(Qz_GetParentObject(big));
  EXPECT_GE(shown.width, 1750);
  EXPECT_GE(shown.height, 1650);
  for (Qz_Object* bar : {horizontalBarOf(v), verticalBarOf(v)}) {
    const Qz_LayoutBox b = qztest::UiHarness::box(bar);
    const bool vertical = bar != horizontalBarOf(v);
    EXPECT_GE(vertical ? b.height : b.width, (vertical ? shown.height : shown.width) - 2) << "as long as the view";
    EXPECT_LE(vertical ? b.top + b.height : b.left + b.width,
              vertical ? view.top + view.height : view.left + view.width);
  }
}

class VirtualGroup : public testing::Test {
 protected:
  // A viewport over one member in an open 200 x 120 window; NULL on failure.
  Qz_Object* openOver(Qz_Object* member) {
    Qz_Object* v = Qz_CreateObject("VirtualGroup");
    if (v == nullptr) return nullptr;
    Qz_DoMethod(v, kGroupAddTail, member);
    win = ui.window("View", 100, 100, 200, 120);
    Qz_DoMethod(win, kGroupAddTail, v);
    return ui.open(win) ? v : nullptr;
  }
  static Qz_Object* horizontalOf(Qz_Object* v) { return horizontalBarOf(v); }
  static Qz_Object* verticalOf(Qz_Object* v) { return verticalBarOf(v); }

  qztest::UiHarness ui;
  Qz_Object* win = nullptr;
};

TEST_F(VirtualGroup, ScrollingRedrawsOnlyTheUncoveredStrip) {
  Qz_Object* v = Qz_CreateObject("VirtualGroup");
  ASSERT_NE(v, nullptr);
  std::vector<Qz_Object*> rows;
  for (int i = 0; i < 20; ++i) {
    rows.push_back(qztest::TestGadget::make({.minWidth = 60, .minHeight = 20, .maxHeight = 20,
                                             .colour = uint32_t(0x101010 * (i % 8))}));
    Qz_DoMethod(v, kGroupAddTail, rows.back());
  }
  Qz_Object* win = ui.window("View", 100, 100, 200, 120);
  Qz_DoMethod(win, kGroupAddTail, v);
  ASSERT_TRUE(ui.open(win));
  Qz_Object* first = rows[0];
  const Qz_LayoutBox before = qztest::UiHarness::box(first);
  std::vector<int> drawn;
  for (Qz_Object* r : rows) drawn.push_back(qztest::TestGadget::log(r).drawCount());
  ui.post(win, v, kGroupSetScrollY, 10);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(qztest::UiHarness::box(first).top, before.top - 10) << "the contents moved by the difference";
  int redrawn = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) redrawn += qztest::TestGadget::log(rows[i]).drawCount() - drawn[i];
  EXPECT_GE(redrawn, 1);
  EXPECT_LE(redrawn, 2) << "only the rows in the 10-pixel strip are drawn";
}

// Both axes at once: the bars take both positions and the contents move
// (and are drawn) once, by both differences.
TEST_F(VirtualGroup, ScrollingBothAxesMovesTheContentsOnce) {
  Qz_Object* big = qztest::TestGadget::make({.minWidth = 500, .minHeight = 400, .maxWidth = 500, .maxHeight = 400});
  Qz_Object* v = openOver(big);
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(ui.settle(win));
  const Qz_LayoutBox before = qztest::UiHarness::box(big);
  const int drawn = qztest::TestGadget::log(big).drawCount();
  ui.post(win, v, kGroupSetScroll, 30, 40);
  ASSERT_TRUE(ui.settle(win));
  const Qz_LayoutBox after = qztest::UiHarness::box(big);
  EXPECT_EQ(after.left, before.left - 30);
  EXPECT_EQ(after.top, before.top - 40);
  EXPECT_EQ(Qz_DoMethod(horizontalOf(v), kScrollerGetPosition), 30u);
  EXPECT_EQ(Qz_DoMethod(verticalOf(v), kScrollerGetPosition), 40u);
  EXPECT_EQ(qztest::TestGadget::log(big).drawCount(), drawn + 1) << "drawn once at its new place";

  ui.post(win, v, kGroupSetScroll, 100000, 100000);  // held at the far corner
  ASSERT_TRUE(ui.settle(win));
  const Qz_LayoutBox far = qztest::UiHarness::box(big);
  const Qz_LayoutBox shown = qztest::UiHarness::box(Qz_GetParentObject(big));
  EXPECT_EQ(far.left + far.width, shown.left + shown.width);
  EXPECT_EQ(far.top + far.height, shown.top + shown.height);
}

TEST_F(VirtualGroup, ScrollersFollowTheContentsAndHideWhenNotNeeded) {
  Qz_Object* narrow = qztest::TestGadget::make({.minWidth = 40, .minHeight = 400, .maxWidth = 40, .maxHeight = 400});
  Qz_Object* v = openOver(narrow);
  ASSERT_NE(v, nullptr);
  Qz_Object* horizontal = horizontalOf(v);
  ASSERT_NE(horizontal, nullptr);
  ui.post(win, v, kVirtualGroupUpdateBars);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_NE(Qz_DoMethod(horizontal, kRootHideCount), 0u) << "contents narrower than the viewport";
  const int32_t total = int32_t(Qz_DoMethod(v, kGroupGetNominalHeight));
  const int32_t shown = int32_t(Qz_DoMethod(v, kGroupGetBoxHeight));
  EXPECT_GE(total, 400);
  EXPECT_LT(shown, 400) << "the vertical scroller shows the viewport's height";
  const int top = qztest::UiHarness::box(narrow).top;
  ui.post(win, v, kGroupSetScrollY, 100000);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(qztest::UiHarness::box(narrow).top, top - (total - shown)) << "held at the last position";
}

// Every layout decides the bars, and the bars follow what the contents
// report: their shown size, and a scroll asked of the contents directly.
TEST_F(VirtualGroup, BarsFollowTheContentsOnEveryLayout) {
  Qz_Object* tall = qztest::TestGadget::make({.minWidth = 40, .minHeight = 400, .maxWidth = 40, .maxHeight = 400});
  Qz_Object* v = openOver(tall);
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(ui.settle(win));
  Qz_Object* horizontal = horizontalOf(v);
  EXPECT_NE(Qz_DoMethod(horizontal, kRootHideCount), 0u) << "narrow contents hide the bar without being asked";
  Qz_Object* contents = Qz_GetParentObject(tall);
  const int32_t shown = qztest::UiHarness::box(contents).height;
  EXPECT_EQ(Qz_DoMethod(v, kGroupGetBoxHeight), QzWord(shown)) << "the bar's visible amount is the shown height";
  ui.post(win, contents, kGroupSetScrollY, 30);
  ASSERT_TRUE(ui.settle(win));
  auto* top = reinterpret_cast<Qz_Object*>(Qz_DoMethod(v->super, kGroupFirst));
  auto* column = reinterpret_cast<Qz_Object*>(Qz_DoMethod(top, kGroupLast));
  auto* vertical = reinterpret_cast<Qz_Object*>(Qz_DoMethod(column, kGroupFirst));
  EXPECT_EQ(Qz_DoMethod(vertical, kScrollerGetPosition), 30u);
}

TEST_F(VirtualGroup, ContentsAndScrollersStayInsideTheViewport) {
  Qz_Object* wide = qztest::TestGadget::make({.minWidth = 40, .minHeight = 400, .maxHeight = 400});
  Qz_Object* v = openOver(wide);
  ASSERT_NE(v, nullptr);
  const Qz_LayoutBox view = qztest::UiHarness::box(v);
  const Qz_LayoutBox contents = qztest::UiHarness::box(wide);
  EXPECT_LE(contents.left + contents.width, view.left + view.width) << "a stretching member fills, not overflows";
  const Qz_LayoutBox bar = qztest::UiHarness::box(horizontalOf(v));
  EXPECT_LE(bar.left + bar.width, view.left + view.width);
  EXPECT_LE(bar.top + bar.height, view.top + view.height);
}

}  // namespace
