#include <gtest/gtest.h>

#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "objects/qz_draw_info.h"
#include "platform/windows.h"
#include "chooser_support.h"
#include "support/object_tree.h"
#include "support/ui_harness.h"

namespace {

class Sliders : public testing::Test {
 protected:
  qztest::UiHarness ui;
};

// The value setter shared by Slider and Knob: the first value is silent,
// the same value again is silent, values are clamped into the limits.
TEST_F(Sliders, ValueSetterFiresOnlyRealChanges) {
  for (const char* cls : {"Slider", "Knob"}) {
    SCOPED_TRACE(cls);
    Qz_Object* s = Qz_CreateObject(cls, kValueSetMinimum, 0, kValueSetMaximum, 100);
    ASSERT_NE(s, nullptr);
    qztest::Recorder r;
    r.watch(s, kValueSet);
    struct Step {
      int32_t set;
      int32_t stored;
      std::vector<QzWord> fired;
    };
    const Step steps[] = {
        {50, 50, {}},     // the first value
        {50, 50, {}},     // unchanged
        {60, 60, {60}},
        {500, 100, {100}},  // clamped
        {-5, 0, {0}},
        {-9, 0, {}},       // clamped to what it is already
    };
    for (const Step& st : steps) {
      SCOPED_TRACE(st.set);
      r.clear();
      EXPECT_EQ(Qz_DoMethod(s, kValueSet, uint32_t(st.set)), uint32_t(st.stored));
      EXPECT_EQ(Qz_DoMethod(s, kValueGet), uint32_t(st.stored));
      EXPECT_EQ(r.values(kValueSet), st.fired);
    }
    r.clear();
    const uint32_t up = std::string(cls) == "Slider" ? kSliderStepUp : kKnobStepUp;
    const uint32_t down = std::string(cls) == "Slider" ? kSliderStepDown : kKnobStepDown;
    Qz_DoMethod(s, down);  // at the minimum already
    Qz_DoMethod(s, up);
    EXPECT_EQ(r.values(kValueSet), std::vector<QzWord>{1});
    Qz_DisposeObject(s);
  }
}

// Dragging the knob: with notify-while-dragging off, one notification at
// the release with the final value; on, one per changed position.
TEST_F(Sliders, DragNotifiesPerMoveOrOnceAtRelease) {
  for (QzWord whileDragging : {QzWord{1}, QzWord{0}}) {
    SCOPED_TRACE(whileDragging);
    Qz_Object* s = Qz_CreateObject("Slider", kValueSetMinimum, 0, kValueSetMaximum, 100, kNotifyWhileDragging,
                                   whileDragging);
    ASSERT_NE(s, nullptr);
    Qz_DoMethod(s, kValueSet, 0);
    Qz_Object* win = ui.window("Slider", 100, 100, 300, 0);
    Qz_DoMethod(win, kGroupAddTail, s);
    ASSERT_TRUE(ui.open(win));
    qztest::Recorder r;
    r.watch(s, kValueSet);
    const Qz_LayoutBox b = qztest::UiHarness::box(s);
    ASSERT_GT(b.width, 120);
    const int y = b.top + b.height / 2;
    // Each step is handled before the next: input reads the pointer where it is then.
    ui.moveTo(win, b.left + 6, y);  // on the knob, which sits at the start
    ASSERT_TRUE(ui.settle(win));
    qz::headless::press();
    ASSERT_TRUE(ui.settle(win));
    for (int dx : {20, 40, 60, 2000}) {
      ui.moveTo(win, b.left + 6 + dx, y);
      ASSERT_TRUE(ui.settle(win));
    }
    qz::headless::release();
    ASSERT_TRUE(ui.settle(win));
    const std::vector<QzWord> fired = r.values(kValueSet);
    ASSERT_FALSE(fired.empty());
    EXPECT_EQ(fired.back(), 100u);
    EXPECT_EQ(Qz_DoMethod(s, kValueGet), 100u);
    if (whileDragging) EXPECT_EQ(fired.size(), 4u);
    else EXPECT_EQ(fired.size(), 1u);
    // A press beside the knob steps by one towards the press.
    r.clear();
    ui.click(win, b.left + 4, y);
    ASSERT_TRUE(ui.settle(win));
    EXPECT_EQ(r.values(kValueSet), std::vector<QzWord>{99});
    ui.dispose(win);
  }
}

TEST_F(Sliders, KnobTakesTheAngleOfThePointer) {
  Qz_Object* knob = Qz_CreateObject("Knob", kValueSetMinimum, 0, kValueSetMaximum, 359);
  Qz_Object* win = ui.window("Knob", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, knob);
  ASSERT_TRUE(ui.open(win));
  const Qz_LayoutBox b = qztest::UiHarness::box(knob);
  EXPECT_EQ(b.width, 64);
  EXPECT_EQ(b.height, 64);
  const int cx = b.left + 33, cy = b.top + 33;
  struct Case {
    int dx, dy;
    QzWord degrees;
  };
  const Case cases[] = {{0, -20, 0}, {20, 0, 90}, {0, 20, 180}, {-20, 0, 270}, {14, -14, 45}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.degrees);
    ui.click(win, cx + c.dx, cy + c.dy);
    ASSERT_TRUE(ui.settle(win));
    EXPECT_EQ(Qz_DoMethod(knob, kValueGet), c.degrees);
  }
  // Stepping stops at the limits, never wraps.
  ui.post(win, knob, kValueSet, 359);
  ui.post(win, knob, kKnobStepUp);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(Qz_DoMethod(knob, kValueGet), 359u);
}

TEST_F(Sliders, AngleKeepsKnobAndFieldTogether) {
  Qz_Object* angle = Qz_CreateObject("Angle");
  ASSERT_NE(angle, nullptr);
  qztest::Recorder r;
  r.watch(angle, kAngleSet);
  EXPECT_EQ(Qz_DoMethod(angle, kAngleSet, 359), 359u);
  EXPECT_EQ(Qz_DoMethod(angle, kAngleSet, 359), 359u);
  EXPECT_EQ(Qz_DoMethod(angle, kAngleGet), 359u);
  EXPECT_EQ(r.values(kAngleSet), std::vector<QzWord>{359});
  Qz_DisposeObject(angle);
}

// In a tall window the angle keeps its own height (knob over one line of
// arrows and field); the arrows once stretched to the window's height.
TEST_F(Sliders, AngleKeepsItsHeightInATallWindow) {
  Qz_Object* angle = Qz_CreateObject("Angle");
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  Qz_DoMethod(column, kGroupAddTail, angle);
  Qz_DoMethod(column, kGroupAddTail, Qz_CreateObject("CompactSlider", kValueSetMaximum, 10));
  Qz_Object* win = ui.window("Angle", 160, 500);
  Qz_DoMethod(win, kGroupAddTail, column);
  ASSERT_TRUE(ui.open(win));
  const Qz_LayoutBox b = qztest::UiHarness::box(angle);
  EXPECT_GE(b.height, 64);
  EXPECT_LT(b.height, 120);
  ui.dispose(win);
}

}  // namespace

namespace {

// The compact slider's limits, value and notifications are its slider's;
// a value format from object text is never used to read arguments.
TEST_F(Sliders, CompactSliderHandsItsValueToItsSlider) {
  Qz_Object* c = Qz_CreateObject("CompactSlider", kValueSetMinimum, 0, kValueSetMaximum, 50);
  ASSERT_NE(c, nullptr);
  qztest::Recorder r;
  r.watch(c, kValueSet);  // lands on the slider
  Qz_DoMethod(c, kValueSet, 10);
  Qz_DoMethod(c, kValueSet, 70);
  EXPECT_EQ(Qz_DoMethod(c, kValueGet), 50u);
  EXPECT_EQ(r.values(kValueSet), std::vector<QzWord>{50});
  Qz_DoMethod(c, kValueSetFormat, "%s%n%ld mm");
  Qz_Object* win = ui.window("Compact", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, c);
  ASSERT_TRUE(ui.open(win));  // drawn with the hostile format
  Qz_Object* s = Qz_CreateObject("Slider", kValueSetMaximum, 9, kValueSetFormat, "%s%s%s", kValueSet, 3);
  Qz_Object* win2 = ui.window("Format", 300, 100);
  Qz_DoMethod(win2, kGroupAddTail, s);
  ASSERT_TRUE(ui.open(win2));
  EXPECT_EQ(Qz_DoMethod(s, kValueGet), 3u);
}

// A pop-up window keeps what "object at point" answers as the object under
// the pointer and releases it later: sliders and knobs answer themselves.
TEST_F(Sliders, SlidersAndKnobsAnswerThemselvesAsTheObjectAtAPoint) {
  for (const char* cls : {"Slider", "Knob"}) {
    SCOPED_TRACE(cls);
    Qz_Object* o = Qz_CreateObject(cls, kValueSetMinimum, 0, kValueSetMaximum, 100);
    ASSERT_NE(o, nullptr);
    // Placed by hand: outside a window nothing measures it.
    auto* box = reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(o, kRootGetLayoutBox));
    ASSERT_NE(box, nullptr);
    box->left = box->top = 0;
    box->width = box->height = 60;
    EXPECT_EQ(Qz_DoMethod(o, kRootObjectAtPoint, 5, 5), qz::toWord(o));
    EXPECT_EQ(Qz_DoMethod(o, kRootObjectAtPoint, 500, 500), 0u) << "outside: nothing";
    Qz_DoMethod(o, kRootDeselect);
    Qz_DisposeObject(o);
  }
}

// In a narrow panel at the top of the screen the number takes the spare
// room and both arrows stay in sight; pressing the number opens the slider
// at its full height, whole on the screen.
TEST_F(Sliders, CompactSliderFitsANarrowWindowAndOpensWhole) {
  Qz_Object* c = Qz_CreateObject("CompactSlider", kValueSetMinimum, 0, kValueSetMaximum, 100, kValueSet, 40);
  ASSERT_NE(c, nullptr);
  Qz_Object* win = ui.window("Narrow", 100, 0, 130, 30);
  Qz_DoMethod(win, kGroupAddTail, c);
  ASSERT_TRUE(ui.open(win));
  const Window* w = ui.platformWindow(win);
  ASSERT_NE(w, nullptr);
  const std::vector<Qz_Object*> arrows = qztest::FindAllOf(win, "Button");
  ASSERT_EQ(arrows.size(), 2u);
  for (Qz_Object* arrow : arrows) {
    const Qz_LayoutBox a = qztest::UiHarness::box(arrow);
    EXPECT_GT(a.width, 0);
    EXPECT_LE(a.left + a.width, w->Width - w->BorderRight);
  }
  Qz_Object* number = qztest::FindAllOf(win, "PopUp").at(0);
  const Qz_LayoutBox b = qztest::UiHarness::box(number);
  ui.moveTo(win, b.left + b.width / 2, b.top + b.height / 2);
  ASSERT_TRUE(ui.settle(win));
  qz::headless::press();
  ASSERT_TRUE(ui.settle(win));
  ASSERT_TRUE(ui.settle(win));
  Qz_Object* slider = qztest::FindAllOf(number, "Slider").at(0);
  const auto* info = reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(slider, kRootGetDrawInfo));
  ASSERT_NE(info, nullptr);
  Window* popUp = info->window;
  ASSERT_NE(popUp, nullptr) << "the slider is open";
  ASSERT_NE(popUp, ui.platformWindow(win));
  EXPECT_GE(popUp->TopEdge, 0);
  EXPECT_LE(popUp->TopEdge + popUp->Height, popUp->WScreen->Height);
  EXPECT_GT(popUp->Height, 100) << "one pixel for each value";
  qz::headless::release();
  ASSERT_TRUE(ui.settle(win));
}

// A pop-up's content draws only while its window is open: the compact
// slider's hidden slider taking a new value, or the pop-up opened and
// closed, leave every pixel outside the compact slider as it was.
TEST_F(Sliders, AClosedPopUpLeavesNothingDrawnOverItsWindow) {
  Qz_Object* c = Qz_CreateObject("CompactSlider", kValueSetMinimum, 0, kValueSetMaximum, 100, kValueSet, 40);
  ASSERT_NE(c, nullptr);
  Qz_Object* win = ui.window("Closed", 100, 150, 160, 60);
  Qz_DoMethod(win, kGroupAddTail, c);
  ASSERT_TRUE(ui.open(win));
  const Window* w = ui.platformWindow(win);
  ASSERT_NE(w, nullptr);
  // Laid out again while open (as a panel is when its page changes): the
  // pop-up measures its content with the window's fonts.
  ASSERT_EQ(ui.post(win, win, kWindowRelayout), 1u);
  ASSERT_TRUE(ui.settle(win));
  // The window and the room around it where the pop-up opens.
  const int left = 0, top = 0, width = w->LeftEdge + w->Width + 100, height = 768;
  const std::vector<uint32_t> before = qz::headless::screenPixels(left, top, width, height);
  const Qz_LayoutBox own = qztest::UiHarness::box(c);
  const auto changedOutside = [&] {
    const std::vector<uint32_t> now = qz::headless::screenPixels(left, top, width, height);
    int changed = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int wx = x - w->LeftEdge, wy = y - w->TopEdge;
        const bool inside = wx >= own.left && wx < own.left + own.width && wy >= own.top && wy < own.top + own.height;
        if (!inside && now[std::size_t(y) * width + x] != before[std::size_t(y) * width + x]) ++changed;
      }
    return changed;
  };
  ASSERT_EQ(ui.post(win, c, kValueSet, 77), 1u);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(changedOutside(), 0) << "a new value while closed";
  Qz_Object* number = qztest::FindAllOf(win, "PopUp").at(0);
  const Qz_LayoutBox b = qztest::UiHarness::box(number);
  ui.moveTo(win, b.left + b.width / 2, b.top + b.height / 2);
  ASSERT_TRUE(ui.settle(win));
  qz::headless::press();
  ASSERT_TRUE(ui.settle(win));
  ASSERT_TRUE(ui.settle(win));
  EXPECT_GT(changedOutside(), 0) << "the pop-up shows";
  qz::headless::release();
  ASSERT_TRUE(ui.settle(win));
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(changedOutside(), 0) << "opened and closed";
  ASSERT_EQ(ui.post(win, c, kValueSet, 12), 1u);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(changedOutside(), 0) << "a new value after closing";
}

}  // namespace
