// The paint-colour blend: the scalar kernel follows the formula for every
// (below, colour, transparency), and the SSE2 form gives the same bytes on
// every one of those and on random rows with every tail length.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "image/compositor_kernels.h"

namespace {

std::vector<uint8_t> Blend(const qz::CompositorKernels& k, std::vector<uint8_t> below,
                           const uint8_t colour[3], const std::vector<uint8_t>& a) {
  std::vector<uint8_t> planes[3] = {below, below, below};
  uint8_t* const dst[3] = {planes[0].data(), planes[1].data(), planes[2].data()};
  k.blendColour(dst, colour, a.data(), int32_t(a.size()));
  std::vector<uint8_t> all;
  for (auto& p : planes) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(CompositorKernels, EveryValueTransparencyAndColour) {
  const qz::CompositorKernels& scalar = qz::scalarCompositorKernels();
  const qz::CompositorKernels* sse2 = qz::sse2CompositorKernels();
  std::vector<uint8_t> below(65536), a(65536);
  for (size_t i = 0; i < below.size(); ++i) below[i] = uint8_t(i), a[i] = uint8_t(i >> 8);
  for (int k = 0; k < 256; ++k) {
    const uint8_t colour[3] = {uint8_t(k), uint8_t(255 - k), uint8_t(k * 7)};
    const std::vector<uint8_t> out = Blend(scalar, below, colour, a);
    for (size_t i = 0; i < below.size(); ++i) {
      const int d = below[i];
      const int expected = d + int(std::floor(((colour[0] - d) * a[i] * 257 + 257) / 65536.0));
      ASSERT_EQ(out[i], expected) << "below " << d << " colour " << k << " a " << int(a[i]);
    }
    if (sse2) {
      ASSERT_EQ(Blend(*sse2, below, colour, a), out) << "colour " << k;
    }
  }
}

TEST(CompositorKernels, RandomRowsOfEveryTail) {
  const qz::CompositorKernels* sse2 = qz::sse2CompositorKernels();
  if (!sse2) GTEST_SKIP() << "no SSE2";
  std::mt19937 random(5);
  for (int width : {0, 1, 7, 15, 16, 17, 31, 1031}) {
    for (int tail = 0; tail < 16; ++tail) {
      SCOPED_TRACE(testing::Message() << width << " + " << tail);
      const size_t n = size_t(width + tail);
      std::vector<uint8_t> below(n), a(n);
      for (size_t i = 0; i < n; ++i) {
        below[i] = uint8_t(random());
        const uint32_t r = random() % 4;  // runs of 0 and 255 as painting makes them
        a[i] = r == 0 ? 0 : r == 1 ? 255 : uint8_t(random());
      }
      const uint8_t colour[3] = {uint8_t(random()), uint8_t(random()), uint8_t(random())};
      EXPECT_EQ(Blend(*sse2, below, colour, a), Blend(qz::scalarCompositorKernels(), below, colour, a));
    }
  }
}

// Per-pixel colours: the same formula, the same bytes in both forms.
TEST(CompositorKernels, RowsOfColours) {
  const qz::CompositorKernels* sse2 = qz::sse2CompositorKernels();
  std::mt19937 random(9);
  for (int n : {0, 3, 16, 33, 1031}) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> below[3], out[3];
    std::vector<uint8_t> a(static_cast<size_t>(n));
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < n; ++i) below[c].push_back(uint8_t(random())), out[c].push_back(uint8_t(random()));
    for (auto& v : a) v = random() % 3 == 0 ? 255 : uint8_t(random());
    auto run = [&](const qz::CompositorKernels& k) {
      std::vector<uint8_t> planes[3] = {below[0], below[1], below[2]};
      uint8_t* const dst[3] = {planes[0].data(), planes[1].data(), planes[2].data()};
      const uint8_t* const colours[3] = {out[0].data(), out[1].data(), out[2].data()};
      k.blendRows(dst, colours, a.data(), n);
      return std::vector<std::vector<uint8_t>>{planes[0], planes[1], planes[2]};
    };
    const auto scalar = run(qz::scalarCompositorKernels());
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < n; ++i) {
        const int d = below[c][size_t(i)];
        ASSERT_EQ(scalar[size_t(c)][size_t(i)],
                  d + int(std::floor(((out[c][size_t(i)] - d) * a[size_t(i)] * 257 + 257) / 65536.0)));
      }
    if (sse2) {
      EXPECT_EQ(run(*sse2), scalar);
    }
  }
}

}  // namespace
