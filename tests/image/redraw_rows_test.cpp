// The B, G, R line converters and the per-row redraw bookkeeping.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "image/dirty_rows.h"
#include "image/qz_image.h"

namespace {

TEST(LineConvert, InterleavesAsBlueGreenRedAndSplitsBack) {
  const int32_t n = 17;  // one more than a step of sixteen
  std::vector<uint8_t> r(n), g(n), b(n), line(3 * n);
  for (int32_t i = 0; i < n; ++i) r[i] = uint8_t(i), g[i] = uint8_t(100 + i), b[i] = uint8_t(200 + i);
  Qz_MakeRGBLine(r.data(), g.data(), b.data(), line.data(), n);
  for (int32_t i = 0; i < n; ++i) {
    EXPECT_EQ(line[3 * i], 200 + i);
    EXPECT_EQ(line[3 * i + 1], 100 + i);
    EXPECT_EQ(line[3 * i + 2], i);
  }
  std::vector<uint8_t> r2(n), g2(n), b2(n);
  Qz_SplitRGB(r2.data(), g2.data(), b2.data(), line.data(), n);
  EXPECT_EQ(r2, r);
  EXPECT_EQ(g2, g);
  EXPECT_EQ(b2, b);
}

TEST(LineConvert, ZoomRepeatsPixels) {
  const uint8_t r[] = {1, 2, 3}, g[] = {4, 5, 6}, b[] = {7, 8, 9}, grey[] = {10, 20, 30};
  struct Case {
    const char* name;
    int32_t from, to, step;
    std::vector<uint8_t> reds;
  };
  const Case cases[] = {{"twice as wide", 0, 5, 512, {1, 1, 2, 2, 3, 3}},
                        {"from the middle", 3, 5, 512, {2, 3, 3}},
                        {"half as wide", 0, 1, 2048, {1, 3}},
                        {"unzoomed", 0, 2, 1024, {1, 2, 3}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> line(3 * c.reds.size()), greyLine(3 * c.reds.size());
    Qz_MakeScaledRGBLine(r, g, b, line.data(), c.from, c.to, c.step);
    Qz_MakeScaledGreyLine(greyLine.data(), grey, c.from, c.to, c.step);
    for (size_t i = 0; i < c.reds.size(); ++i) {
      EXPECT_EQ(line[3 * i + 2], c.reds[i]);
      EXPECT_EQ(line[3 * i], c.reds[i] + 6);
      EXPECT_EQ(greyLine[3 * i], c.reds[i] * 10);
      EXPECT_EQ(greyLine[3 * i + 2], c.reds[i] * 10);
    }
  }
}

TEST(DirtyRows, MarksJoinIntoRectanglesAndTakeClears) {
  qz::DirtyRows rows;
  rows.reset(100, 50);
  EXPECT_TRUE(rows.empty());
  EXPECT_TRUE(rows.take().empty());
  EXPECT_TRUE(rows.mark(0, 3, 0, 3));  // column 0 alone counts
  EXPECT_TRUE(rows.mark(10, 4, 20, 6));
  EXPECT_TRUE(rows.mark(-5, 20, 500, 20));
  EXPECT_FALSE(rows.mark(100, 0, 120, 10));
  const auto rects = rows.take();
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].x0, 0);
  EXPECT_EQ(rects[0].y0, 3);
  EXPECT_EQ(rects[0].x1, 20);
  EXPECT_EQ(rects[0].y1, 6);
  EXPECT_EQ(rects[1].x0, 0);
  EXPECT_EQ(rects[1].x1, 99);
  EXPECT_EQ(rects[1].y0, 20);
  EXPECT_TRUE(rows.empty());
  EXPECT_TRUE(rows.take().empty());
}

TEST(DirtyRows, MarkingFromManyThreadsLosesNothing) {
  qz::DirtyRows rows;
  rows.reset(64, 64);
  std::vector<std::thread> threads;
  std::vector<qz::DirtyRect> taken;
  std::thread taker([&] {
    for (int i = 0; i < 200; ++i)
      for (const auto& r : rows.take()) taken.push_back(r);
  });
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&rows, t] {
      for (int y = t; y < 64; y += 4) rows.mark(y, y, y, y);
    });
  for (auto& thread : threads) thread.join();
  taker.join();
  for (const auto& r : rows.take()) taken.push_back(r);
  std::vector<bool> seen(64, false);
  for (const auto& r : taken)
    for (int32_t y = r.y0; y <= r.y1; ++y) seen[size_t(y)] = seen[size_t(y)] || (r.x0 <= y && y <= r.x1);
  for (int32_t y = 0; y < 64; ++y) EXPECT_TRUE(seen[size_t(y)]) << y;
}

}  // namespace
