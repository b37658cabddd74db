#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "gadgets/panel_gadget_maths.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_histogram.h"
#include "host/headless/headless_host.h"
#include "support/ui_harness.h"

namespace {

using qz::panelgadgets::histogramBar;
using qz::panelgadgets::histogramBars;

TEST(HistogramMaths, BarHeightsInTheInnerHeight) {
  struct Case {
    uint32_t count, largest;
    int32_t height, bar;
  };
  const Case cases[] = {
      {10, 10, 126, 126},          // the largest reaches the top inner edge
      {5, 10, 126, 63},   {0, 10, 126, 0},
      {7, 0, 126, 0},              // all counts zero: a flat line, no division
      {0xFFFFFFFF, 0xFFFFFFFF, 126, 126},  // the product does not fit 32 bits
      {0x80000000, 0xFFFFFFFF, 126, 63},
      {3, 3, 0, 0},       {3, 3, -4, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(histogramBar(c.count, c.largest, c.height), c.bar) << c.count << "/" << c.largest;
}

TEST(HistogramMaths, BarsShowEntriesBelowTheUpperBoundOnly) {
  std::vector<uint32_t> table(256, 0);
  table[0] = 100;
  table[254] = 50;
  table[255] = 1000;  // the entry at the upper bound never shows nor scales
  const std::vector<int32_t> bars = histogramBars(table.data(), 256, 255, 255, 126);
  ASSERT_EQ(bars.size(), 255u);
  EXPECT_EQ(bars[0], 126);
  EXPECT_EQ(bars[254], 63);
  EXPECT_EQ(bars[100], 0);
  // An all-zero table, or none at all, is a flat line.
  const std::vector<uint32_t> zeros(256, 0);
  for (const std::vector<int32_t>& flat : {histogramBars(zeros.data(), 256, 255, 40, 126),
                                          histogramBars(nullptr, 0, 255, 40, 126)})
    EXPECT_EQ(flat, std::vector<int32_t>(40, 0));
  EXPECT_TRUE(histogramBars(table.data(), 256, 255, 0, 126).empty());
}

// A bound raised past the table reads only the table: four exact-size
// entries shown over a range of 1000 (ASan watches the edges).
TEST(HistogramMaths, RaisedBoundReadsNothingOutOfRange) {
  auto table = std::make_unique<uint32_t[]>(4);
  for (uint32_t i = 0; i < 4; ++i) table[i] = i + 1;
  const std::vector<int32_t> bars = histogramBars(table.get(), 4, 1000, 100, 40);
  ASSERT_EQ(bars.size(), 100u);
  EXPECT_EQ(bars[0], 10);
  EXPECT_EQ(bars[99], 40);  // the last entry of the table, not beyond it
  for (int32_t x = 0; x < 100; ++x) {
    EXPECT_EQ(qz::panelgadgets::histogramEntryFor(x, 100, 1000, 4), x == 0 ? 0u : 3u) << x;
  }
}

TEST(Histogram, TableIsMadeOnceAndEntriesAreChecked) {
  qztest::UiHarness ui;
  Qz_InitHistogramClass(nullptr);
  Qz_Object* h = Qz_CreateObject("Histogram");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(int64_t(intptr_t(Qz_DoMethod(h, kHistogramGetEntry, 0))), -1);  // no table yet
  EXPECT_EQ(int64_t(intptr_t(Qz_DoMethod(h, kHistogramSetEntry, 0, 1))), -1);
  EXPECT_EQ(Qz_DoMethod(h, kHistogramGetUpper), 255u);
  auto* table = reinterpret_cast<uint32_t*>(Qz_DoMethod(h, kHistogramGetTable));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(Qz_DoMethod(h, kHistogramSetEntry, 255, 9), 1u);
  EXPECT_EQ(table[255], 9u);
  EXPECT_EQ(Qz_DoMethod(h, kHistogramSetEntry, 256, 9), 0u);  // past the 256 entries
  EXPECT_EQ(int64_t(intptr_t(Qz_DoMethod(h, kHistogramGetEntry, 256))), -1);
  // A raised bound keeps the table the owner holds.
  EXPECT_EQ(Qz_DoMethod(h, kHistogramSetUpper, 1000), 1000u);
  EXPECT_EQ(Qz_DoMethod(h, kHistogramGetTable), reinterpret_cast<QzWord>(table));
  EXPECT_EQ(Qz_DoMethod(h, kHistogramSetEntry, 999, 1), 0u);
  EXPECT_EQ(Qz_DoMethod(h, kHistogramSetVerticalUpper, 77), 77u);
  EXPECT_EQ(Qz_DoMethod(h, kHistogramGetVerticalUpper), 77u);
  Qz_DisposeObject(h);
}

// On screen: an all-zero table is one line along the bottom inner edge; an
// entry at the largest count reaches the top inner edge.
TEST(Histogram, DrawsAFlatLineThenAPeak) {
  qztest::UiHarness ui;
  Qz_InitHistogramClass(nullptr);
  Qz_Object* h = Qz_CreateObject("Histogram");
  ASSERT_NE(h, nullptr);
  auto* table = reinterpret_cast<uint32_t*>(Qz_DoMethod(h, kHistogramGetTable));
  ASSERT_NE(table, nullptr);
  Qz_Object* win = ui.window("Histogram", 100, 100, 200, 0);
  Qz_DoMethod(win, kGroupAddTail, h);
  ASSERT_TRUE(ui.open(win));
  Qz_Object* frame = reinterpret_cast<Qz_Object*>(Qz_DoMethod(h, kGroupFirst));
  ASSERT_NE(frame, nullptr);
  Qz_Object* area = reinterpret_cast<Qz_Object*>(Qz_DoMethod(frame, kGroupFirst));
  ASSERT_NE(area, nullptr);
  const Qz_LayoutBox b = qztest::UiHarness::box(area);
  ASSERT_EQ(b.height, kHistogramAreaHeight);
  ASSERT_GT(b.width, 8);
  const int32_t bottom = b.top + b.height - 2, topInner = b.top + 2, x0 = b.left + 2;
  const uint32_t background = ui.pixel(win, x0 + 3, b.top + 40);
  const uint32_t line = ui.pixel(win, x0 + 3, bottom);
  EXPECT_NE(line, background);
  for (int32_t y = topInner; y < bottom; ++y) EXPECT_EQ(ui.pixel(win, x0 + 3, y), background) << y;
  table[0] = 500;
  table[1] = 500;
  ui.post(win, h, kRootDraw, 0);
  ASSERT_TRUE(ui.settle(win));
  EXPECT_EQ(ui.pixel(win, x0, topInner), line);
  EXPECT_EQ(ui.pixel(win, b.left + b.width - 3, bottom), line);  // the far columns stay flat
  ui.dispose(win);
}

}  // namespace
