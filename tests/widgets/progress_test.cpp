#include <gtest/gtest.h>

#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "image/progress_display.h"
#include "platform/exec.h"
#include "platform/graphics.h"
#include "support/ui_harness.h"

namespace {

uint32_t rgbOfPen(uint32_t pen) {
  const uint32_t c = Qz_ResolvePen(pen);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

class Progress : public testing::Test {
 protected:
  qztest::UiHarness ui;
};

TEST_F(Progress, BarStoresItsMaximumAndFillsInProportion) {
  Qz_Object* bar = Qz_CreateObject("ProgressBar", kProgressBarSetText, "Working");
  ASSERT_NE(bar, nullptr);
  Qz_DoMethod(bar, kFixWidth, 200);
  Qz_Object* win = ui.window("Bar", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, bar);
  ASSERT_TRUE(ui.open(win));
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(bar, kProgressBarGetText)), "Working");
  for (QzWord m : {0u, 1u}) EXPECT_EQ(Qz_DoMethod(bar, kProgressBarSetMax, m), 1u);
  Qz_Object* area = reinterpret_cast<Qz_Object*>(
      Qz_DoMethod(reinterpret_cast<Qz_Object*>(Qz_DoMethod(bar, kGroupLast)), kGroupFirst));
  ASSERT_NE(area, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(area);
  ASSERT_GT(b.width, 10);
  ASSERT_GE(b.height, 11);
  struct Case {
    QzWord value, maximum;
    int filled;  // columns in pen 3
  };
  const Case cases[] = {{0, 100, 0}, {50, 100, b.width / 2}, {100, 100, b.width}, {900, 100, b.width},
                        {1, 3, b.width / 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << "/" << c.maximum);
    ui.post(win, bar, kProgressBarSetMax, c.maximum);
    ui.post(win, bar, kProgressBarSetValue, c.value);
    ASSERT_TRUE(ui.settle(win));
    EXPECT_EQ(Qz_DoMethod(bar, kProgressBarGetValue), c.value);
    const int y = b.top + b.height / 2;
    if (c.filled > 0) {
      EXPECT_EQ(ui.pixel(win, b.left + c.filled - 1, y), rgbOfPen(3));
    }
    if (c.filled < b.width) {
      EXPECT_EQ(ui.pixel(win, b.left + c.filled, y), rgbOfPen(0));
    }
    EXPECT_NE(ui.pixel(win, b.left + b.width, y), rgbOfPen(3)) << "nothing drawn past the bar";
  }
  EXPECT_EQ(Qz_DoMethod(bar, kProgressBarRemoveLabel), 1u);
  EXPECT_EQ(Qz_DoMethod(bar, kProgressBarGetText), 0u);
}

TEST_F(Progress, DisplayStopsOnceItsButtonIsPressed) {
  Qz_ProgressDisplay* d = Qz_BeginProgressDisplay(nullptr, "Scaling", "Scaling the picture");
  ASSERT_NE(d, nullptr);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ui.platformWindow(d->window) == nullptr && std::chrono::steady_clock::now() < deadline) Delay(1);
  ASSERT_TRUE(ui.settle(d->window));
  EXPECT_EQ(Qz_SetProgressDisplay(d, 10, 100, nullptr), 1u);
  EXPECT_EQ(Qz_SetProgressDisplay(d, 100, 100, "Almost done"), 1u);
  ASSERT_TRUE(ui.settle(d->window));  // the window's thread takes the values
  EXPECT_EQ(Qz_DoMethod(d->bar, kProgressBarGetValue), 100u);
  EXPECT_EQ(Qz_DoMethod(d->bar, kProgressBarGetMax), 100u);
  const Qz_LayoutBox b = qztest::UiHarness::box(d->button);
  ui.click(d->window, b.left + b.width / 2, b.top + b.height / 2);
  ASSERT_TRUE(ui.settle(d->window));
  EXPECT_EQ(Qz_SetProgressDisplay(d, 20, 100, nullptr), 0u);
  EXPECT_EQ(Qz_SetProgressDisplay(d, 30, 100, nullptr), 0u) << "stopped stays stopped";
  Qz_EndProgressDisplay(d);
  Qz_EndProgressDisplay(nullptr);
}

TEST_F(Progress, APendingBreakStopsEvenWithoutADisplay) {
  EXPECT_EQ(Qz_SetProgressDisplay(nullptr, 1, 2, nullptr), 1u);
  SetSignal(SIGBREAKF_CTRL_C, SIGBREAKF_CTRL_C);
  EXPECT_EQ(Qz_SetProgressDisplay(nullptr, 1, 2, nullptr), 0u);
  EXPECT_EQ(Qz_SetProgressDisplay(nullptr, 1, 2, nullptr), 0u) << "the break is read, not taken";
  SetSignal(0, SIGBREAKF_CTRL_C);
  EXPECT_EQ(Qz_SetProgressDisplay(nullptr, 1, 2, nullptr), 1u);
}

}  // namespace
