// The per-row generator: the platform's sequence, the jump ahead, and a run
// that starts mid-row drawing what a whole-row render draws there.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "modes/row_random.h"
#include "platform/qz_random.h"

namespace {

using qz::modes::RowRandom;

TEST(RowRandom, DrawsThePlatformSequence) {
  RowRandom random;
  for (int32_t expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(random.next(), expected);
  // The same as the thread's generator from any seed.
  for (uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(seed);
    RowRandom mine;
    mine.seed(seed);
    Qz_SRand(seed);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(mine.next(), Qz_Rand()) << i;
  }
}

TEST(RowRandom, SkipEqualsThatManyDraws) {
  RowRandom stepped;
  stepped.seed(987654321u);
  uint64_t drawn = 0;
  for (uint64_t n : {0ull, 1ull, 2ull, 3ull, 7ull, 64ull, 1000ull, 65537ull, 3000000ull}) {
    SCOPED_TRACE(n);
    RowRandom jumped;
    jumped.seed(987654321u);
    jumped.skip(n);
    for (; drawn < n; ++drawn) stepped.next();
    EXPECT_EQ(jumped.state(), stepped.state());
  }
  // The generator's period is 2^32: skipping a whole period changes nothing,
  // so a skip past it lands where the remainder does.
  for (uint64_t k : {0ull, 5ull, 123456789ull}) {
    SCOPED_TRACE(k);
    RowRandom a, b;
    a.skip((1ull << 32) + k);
    b.skip(k);
    EXPECT_EQ(a.state(), b.state());
    RowRandom c, d;
    c.skip(k * 977 + 31);
    d.skip(k * 977);
    d.skip(31);
    EXPECT_EQ(c.state(), d.state());
  }
}

TEST(RowRandom, ARunDrawsWhatTheWholeRowDrawsThere) {
  Qz_Image layer{};
  layer.serial = 4242;
  const int32_t y = 17, perPixel = 3, width = 300;
  std::vector<int32_t> whole;
  RowRandom row(y, layer.serial);
  for (int32_t i = 0; i < width * perPixel; ++i) whole.push_back(row.next());
  for (int32_t x0 : {0, 1, 63, 64, 150, 299}) {
    SCOPED_TRACE(x0);
    Qz_ImageLock block{};
    block.layer = &layer;
    block.x0 = x0, block.x1 = width - 1, block.y0 = block.y1 = y;
    RowRandom run = RowRandom::forRun(&block, y, perPixel);
    for (int32_t i = x0 * perPixel; i < width * perPixel; ++i) ASSERT_EQ(run.next(), whole[size_t(i)]) << i;
  }
}

TEST(RowRandom, RowsAndLayersStartApart) {
  std::set<uint32_t> seeds;
  for (uint32_t serial : {1u, 2u, 3u})
    for (int32_t y = -2; y < 200; ++y) seeds.insert(RowRandom::rowSeed(y, serial));
  EXPECT_EQ(seeds.size(), 3u * 202u);
  // Fixed for a row and layer: the noise of a layer stays put between passes.
  EXPECT_EQ(RowRandom::rowSeed(9, 77), RowRandom::rowSeed(9, 77));
}

}  // namespace
