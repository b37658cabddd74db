#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_lut_edit.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "support/ui_harness.h"

namespace {

TEST(LutMaths, ScreenPointsAndDrag) {
  QzLutTable lut;  // 0..255 both ways
  const qz::lut::Area a{10, 20, 128, 64};
  struct Case {
    qz::lut::Point handle, screen;
  };
  const Case points[] = {{{0, 0}, {10, 84}}, {{255, 255}, {138, 20}}, {{127, 200}, {73, 34}}};
  for (const Case& c : points) {
    const qz::lut::Point s = qz::lut::screenPoint(lut, a, c.handle);
    EXPECT_EQ(s.x, c.screen.x);
    EXPECT_EQ(s.y, c.screen.y);
  }
  lut.minY = 5;
  struct Drag {
    int32_t px, py;
    qz::lut::Point control;
  };
  const Drag drags[] = {
      {74, 52, {127, 128}},   // inside: y counts up from the bottom
      {74, -40, {127, 250}},  // above the top: maximum y - minimum y
      {74, 500, {127, 0}},    // below the bottom
      {-50, 52, {0, 128}},    // left of the area: minimum x
      {900, 52, {255, 128}},
  };
  for (const Drag& d : drags) {
    SCOPED_TRACE(testing::Message() << d.px << "," << d.py);
    const qz::lut::Point c = qz::lut::dragControl(lut, a, d.px, d.py);
    EXPECT_EQ(c.x, d.control.x);
    EXPECT_EQ(c.y, d.control.y);
  }
  // Zero ranges and an empty area are a single point, never a division by zero.
  QzLutTable flat;
  flat.maxX = flat.maxY = 0;
  const qz::lut::Point p = qz::lut::screenPoint(flat, a, {3, 3});
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 84);
  const qz::lut::Point c = qz::lut::dragControl(lut, {0, 0, 0, 0}, 7, 7);
  EXPECT_EQ(c.x, 0);
  EXPECT_EQ(c.y, 250);
}

TEST(LutEntries, WidthsLengthsAndMissingTables) {
  uint8_t t8[4] = {};
  uint16_t t16[4] = {};
  uint32_t t32[4] = {};
  QzLutTable lut;
  lut.length = 4;
  struct Case {
    int32_t width;
    uint32_t value, stored;
  };
  const Case cases[] = {{1, 0x1234, 0x34}, {2, 0x12345, 0x2345}, {4, 0xDEADBEEF, 0xDEADBEEF}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    lut.width = c.width;
    lut.table8 = nullptr, lut.table16 = nullptr, lut.table32 = nullptr;
    EXPECT_EQ(Qz__SetLUTEntry(&lut, 1, c.value), -1);  // no table of this width
    EXPECT_EQ(Qz__GetLUTEntry(&lut, 1), -1);
    lut.table8 = t8, lut.table16 = t16, lut.table32 = t32;
    EXPECT_EQ(Qz__SetLUTEntry(&lut, 3, c.value), 1);
    EXPECT_EQ(Qz__GetLUTEntry(&lut, 3), int64_t(c.stored));
    for (int32_t bad : {-1, 4, 1 << 30}) {
      EXPECT_EQ(Qz__SetLUTEntry(&lut, bad, c.value), 0) << bad;
      EXPECT_EQ(Qz__GetLUTEntry(&lut, bad), -1) << bad;
    }
  }
  EXPECT_EQ(t8[3], 0x34);
  EXPECT_EQ(t16[3], 0x2345);
  EXPECT_EQ(t32[3], 0xDEADBEEFu);
  lut.width = 3;
  EXPECT_EQ(Qz__SetLUTEntry(&lut, 0, 1), 0);
  EXPECT_EQ(Qz__GetLUTEntry(&lut, 0), -1);
}

TEST(LUTEdit, GadgetEntriesAndRanges) {
  qztest::UiHarness ui;
  Qz_Object* edit = Qz_CreateObject("LUTEdit");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(int64_t(intptr_t(Qz_DoMethod(edit, kLutEditGetEntry, 0))), -1);  // no table yet
  EXPECT_EQ(Qz_DoMethod(edit, kLutEditGetMaxX), 255u);
  EXPECT_EQ(Qz_DoMethod(edit, kLutEditSetMaxX, 99), 99u);
  auto* lut = reinterpret_cast<QzLutTable*>(Qz_DoMethod(edit, kLutEditGetRecord));
  ASSERT_NE(lut, nullptr);
  std::vector<uint32_t> table(100);
  lut->width = 4;
  lut->table32 = table.data();
  lut->length = uint32_t(table.size());
  EXPECT_EQ(Qz_DoMethod(edit, kLutEditGetTable), reinterpret_cast<QzWord>(table.data()));
  EXPECT_EQ(Qz_DoMethod(edit, kLutEditSetEntry, 99, 7), 1u);
  EXPECT_EQ(Qz_DoMethod(edit, kLutEditGetEntry, 99), 7u);
  EXPECT_EQ(Qz_DoMethod(edit, kLutEditSetEntry, 100, 7), 0u);
  Qz_DisposeObject(edit);
}

// Pressing on the control handle drags it; a press 3 pixels away does not.
TEST(LUTEdit, DragsTheControlHandleOnly) {
  qztest::UiHarness ui;
  Qz_Object* edit = Qz_CreateObject("LUTEdit");
  ASSERT_NE(edit, nullptr);
  Qz_Object* win = ui.window("Curve", 100, 100);
  Qz_DoMethod(win, kGroupAddTail, edit);
  ASSERT_TRUE(ui.open(win));
  auto* lut = reinterpret_cast<QzLutTable*>(Qz_DoMethod(edit, kLutEditGetRecord));
  // The drawing area is the innermost member: find its box from the record's geometry.
  Qz_Object* frame = reinterpret_cast<Qz_Object*>(Qz_DoMethod(edit, kGroupFirst));
  ASSERT_NE(frame, nullptr);
  Qz_Object* area = reinterpret_cast<Qz_Object*>(Qz_DoMethod(frame, kGroupFirst));
  ASSERT_NE(area, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(area);
  ASSERT_GE(b.width, 64);
  const qz::lut::Area a{b.left, b.top, b.width, b.height};
  const qz::lut::Point c = qz::lut::screenPoint(*lut, a, {127, 200});
  const auto snapshot = [&] {
    std::vector<uint32_t> out;
    for (int y = b.top; y < b.top + b.height; ++y)
      for (int x = b.left; x < b.left + b.width; ++x) out.push_back(ui.pixel(win, x, y));
    return out;
  };
  const std::vector<uint32_t> before = snapshot();
  // Three pixels off: no drag, the move changes nothing.
  ui.moveTo(win, c.x + 3, c.y);
  ASSERT_TRUE(ui.settle(win));
  qz::headless::press();
  ASSERT_TRUE(ui.settle(win));
  ui.moveTo(win, c.x + 10, b.top - 30);
  ASSERT_TRUE(ui.settle(win));
  qz::headless::release();
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(snapshot(), before);
  const qz::lut::Point same = qz::lut::screenPoint(*lut, a, {127, 200});
  // On the handle: dragged above the top, the handle goes to the top.
  ui.moveTo(win, same.x + 2, same.y - 2);
  ASSERT_TRUE(ui.settle(win));
  qz::headless::press();
  ASSERT_TRUE(ui.settle(win));
  ui.moveTo(win, b.left + b.width / 2, b.top - 30);
  ASSERT_TRUE(ui.settle(win));
  qz::headless::release();
  ASSERT_TRUE(ui.settle(win));
  const qz::lut::Point top = qz::lut::screenPoint(*lut, a, {(b.width / 2) * 255 / b.width, 255});
  // The handle's square now stands at the top in pen 1, the colour of the start handle's square.
  const uint32_t pen1 = ui.pixel(win, b.left + 1, b.top + b.height - 1);
  EXPECT_NE(pen1, ui.pixel(win, b.left + b.width - 10, b.top + b.height - 10));  // differs from the cleared area
  EXPECT_EQ(ui.pixel(win, top.x, top.y + 1), pen1);
  EXPECT_NE(snapshot(), before);
  ui.dispose(win);
}

}  // namespace
