#include <gtest/gtest.h>

#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "support/ui_harness.h"

namespace {

TEST(ButtonFace, AButtonShowsItsLabel) {
  qztest::UiHarness ui;
  Qz_Object* face = Qz_CreateObject("Text", kRootSetLabel, "Yes");
  Qz_Object* button = Qz_CreateObject("Button");
  Qz_DoMethod(button, kGroupAddTail, face);
  Qz_Object* win = ui.window("Face", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, button);
  ASSERT_TRUE(ui.open(win));
  const Qz_LayoutBox b = qztest::UiHarness::box(button);
  const Qz_LayoutBox t = qztest::UiHarness::box(face);
  EXPECT_GT(b.width, 0);
  EXPECT_GE(t.width, 24) << t.left << "," << t.top << " " << t.width << "x" << t.height;
  const uint32_t bg = ui.pixel(win, t.left, t.top);
  int ink = 0;
  for (int y = t.top; y < t.top + t.height; ++y)
    for (int x = t.left; x < t.left + t.width; ++x) ink += ui.pixel(win, x, y) != bg;
  EXPECT_GT(ink, 0);
}

}  // namespace

namespace {

// A button given only a label (no face members) shows the label as its face:
// it is as wide as the label, and the label's ink lies inside its box.
TEST(ButtonFace, AButtonLabelledDirectlyIsAsWideAsItsLabel) {
  qztest::UiHarness ui;
  Qz_Object* button = Qz_CreateObject("Button", kRootSetLabel, "Reset");
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1);
  Qz_DoMethod(column, kGroupAddTail, button);
  Qz_Object* win = ui.window("Face", 160, 100);
  Qz_DoMethod(win, kGroupAddTail, column);
  ASSERT_TRUE(ui.open(win));
  const Qz_LayoutBox b = qztest::UiHarness::box(button);
  EXPECT_GE(b.width, 30) << b.left << "," << b.top << " " << b.width << "x" << b.height;
  EXPECT_GE(b.height, 12);
}

}  // namespace
