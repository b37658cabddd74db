// Octree colour reduction: few colours are kept exactly, the count is held
// to n, leaf means round half up, nearest-colour search survives colours in
// octants no pixel reached, and strength 0 dithering is plain mapping.
#include <gtest/gtest.h>

#include <set>

#include "codec_test_support.h"
#include "qzio/colour_reduction.h"

namespace {

using qz::codec::ColourReduction;
using qz::codec::kOk;

std::vector<uint8_t> picture(std::initializer_list<uint32_t> colours) {
  std::vector<uint8_t> rgb;
  for (uint32_t c : colours) rgb.insert(rgb.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
  return rgb;
}

std::set<uint32_t> made(const ColourReduction& r) {
  return {r.colourmap().begin(), r.colourmap().begin() + r.colourCount()};
}

TEST(ColourReduction, ColourCountsAndMeans) {
  struct Case {
    const char* name;
    std::vector<uint8_t> rgb;
    uint32_t n;
    std::set<uint32_t> expected;  // empty: only the count is checked
    uint32_t most;
  } cases[] = {
      {"3 colours at 256 stay", picture({0x0000FF, 0x00FF00, 0x804020, 0x0000FF}), 256, {0x0000FF, 0x00FF00, 0x804020}, 3},
      {"leaf mean rounds half up", picture({0x000000, 0x010101}), 2, {0x010101}, 1},
      {"n 2 prunes eight octants to two", picture({0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFF00, 0xFF00FF,
                                                   0x00FFFF, 0x000000, 0x000000}),
       2, {}, 2},
      {"n 0 still gives one colour", picture({0x102030, 0x102030}), 0, {0x102030}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ColourReduction reduction;
    ASSERT_EQ(reduction.build(c.rgb.data(), uint32_t(c.rgb.size() / 3), 1, c.n), kOk);
    EXPECT_GE(reduction.colourCount(), 1u);
    EXPECT_LE(reduction.colourCount(), c.most);
    if (!c.expected.empty()) EXPECT_EQ(made(reduction), c.expected);
  }
}

TEST(ColourReduction, NearestColourOutsideThePicturesOctants) {
  // Every pixel lies in the dark octant: a white query finds no path below
  // the root and must search the whole tree.
  ColourReduction reduction;
  const auto rgb = picture({0x000000, 0x101010, 0x000010});
  ASSERT_EQ(reduction.build(rgb.data(), 3, 1, 2), kOk);
  const uint8_t index = reduction.nearest(255, 255, 255);
  EXPECT_LT(index, reduction.colourCount());
  // Dithering a bright row pushes the error far outside the picture's colours.
  uint8_t indices[4];
  const auto bright = picture({0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
  reduction.mapRow(bright.data(), 4, 100, indices);
  for (uint8_t i : indices) EXPECT_LT(i, reduction.colourCount());
}

TEST(ColourReduction, DitherStrengthZeroIsNearestInBothDirections) {
  const qztest::RgbImage image = qztest::makeGradient(37, 3);
  ColourReduction reduction;
  ASSERT_EQ(reduction.build(image.rgb.data(), 37, 3, 16), kOk);
  for (uint32_t y = 0; y < 3; ++y) {  // rows 0 and 2 run left to right, row 1 right to left
    uint8_t indices[37];
    reduction.mapRow(image.at(0, y), 37, 0, indices);
    for (uint32_t x = 0; x < 37; ++x) {
      const uint8_t* p = image.at(x, y);
      EXPECT_EQ(indices[x], reduction.nearest(p[0], p[1], p[2]));
    }
  }
  // With dithering the rows depend on what came before; a restart repeats them.
  uint8_t first[37], again[37];
  reduction.restartDither();
  reduction.mapRow(image.at(0, 1), 37, 70, first);
  reduction.mapRow(image.at(0, 1), 37, 70, again);
  reduction.restartDither();
  reduction.mapRow(image.at(0, 1), 37, 70, again);
  EXPECT_TRUE(std::equal(first, first + 37, again));
}

}  // namespace
