// Row conversions: the scalar loops against pixels written out here, and the
// vector forms against the scalar loops at every width 1-67, unaligned
// starts included, with guard bytes that must stay untouched.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "qzio/pixel_rows.h"

namespace {

using qzio::PixelRowKernels;

constexpr uint8_t kGuard = 0xA5;
constexpr uint32_t kPad = 32;  // guard bytes around every row

std::vector<uint8_t> RandomBytes(size_t n, std::mt19937& rng) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = uint8_t(rng());
  return v;
}

struct Planes {
  std::vector<uint8_t> p[3];
  explicit Planes(uint32_t width, std::mt19937* rng = nullptr) {
    for (auto& plane : p) plane = rng ? RandomBytes(width + 2 * kPad, *rng)
                                      : std::vector<uint8_t>(width + 2 * kPad, kGuard);
  }
  uint8_t* at(int c) { return p[c].data() + kPad; }
};

TEST(PixelRows, ScalarLoopsPlaceEachChannel) {
  const PixelRowKernels& k = qzio::scalarPixelRowKernels();
  const uint8_t rgbx[] = {1, 2, 3, 99, 4, 5, 6, 98};
  uint8_t a[2], b[2], c[2];
  k.splitPixels(rgbx, 4, a, b, c, 2);
  EXPECT_EQ(a[1], 4);
  EXPECT_EQ(b[1], 5);
  EXPECT_EQ(c[1], 6);
  uint8_t out[8] = {0, 0, 0, 77, 0, 0, 0, 66};
  k.joinPixels(c, b, a, out, 4, 2);
  const uint8_t expected[] = {3, 2, 1, 77, 6, 5, 4, 66};
  EXPECT_EQ(std::vector<uint8_t>(out, out + 8), std::vector<uint8_t>(expected, expected + 8));
}

TEST(PixelRows, VectorFormsMatchTheScalarLoops) {
  const PixelRowKernels* vector = qzio::ssse3PixelRowKernels();
  if (!vector) GTEST_SKIP() << "no SSSE3 here";
  const PixelRowKernels& scalar = qzio::scalarPixelRowKernels();
  std::mt19937 rng(19);
  for (uint32_t step : {3u, 4u}) {
    for (uint32_t width = 1; width <= 67; ++width) {
      for (uint32_t skew = 0; skew < 2; ++skew) {  // an odd start misaligns every row
        SCOPED_TRACE(testing::Message() << "step " << step << " width " << width << " skew " << skew);
        const std::vector<uint8_t> pixels = RandomBytes(width * step + 2 * kPad, rng);
        const uint8_t* s = pixels.data() + kPad + skew;
        Planes want(width), got(width);
        scalar.splitPixels(s, step, want.at(0) + skew, want.at(1) + skew, want.at(2) + skew, width);
        vector->splitPixels(s, step, got.at(0) + skew, got.at(1) + skew, got.at(2) + skew, width);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(got.p[c], want.p[c]) << "split channel " << c;

        Planes source(width, &rng);
        std::vector<uint8_t> joinWant = RandomBytes(width * step + 2 * kPad, rng);
        std::vector<uint8_t> joinGot = joinWant;  // the same fourth bytes and guards
        scalar.joinPixels(source.at(0), source.at(1), source.at(2), joinWant.data() + kPad + skew,
                          step, width);
        vector->joinPixels(source.at(0), source.at(1), source.at(2), joinGot.data() + kPad + skew,
                           step, width);
        EXPECT_EQ(joinGot, joinWant) << "join";
      }
    }
  }
}

TEST(PixelRows, TheChosenTableIsOneOfTheTwo) {
  const PixelRowKernels& chosen = qzio::pixelRowKernels();
  EXPECT_TRUE(&chosen == &qzio::scalarPixelRowKernels() || &chosen == qzio::ssse3PixelRowKernels());
}

}  // namespace
