// The requesters' arithmetic by table: preset texts, the memory estimate,
// the add-space area, the rotation flags and the snap-grid sides.
#include <gtest/gtest.h>

#include <optional>

#include "requesters/new_image_presets.h"
#include "requesters/small_requests.h"

namespace {

using qz::requesters::PresetSize;

TEST(NewImagePresets, ReadSizesInPixelsInchesAndMillimetres) {
  struct Case {
    const char* text;
    float resolution;
    std::optional<PresetSize> size;
  } const cases[] = {
      {"640 x 480", 72, PresetSize{640, 480, 0}},
      {"4 x 6 Inches", 300, PresetSize{1200, 1800, 3}},
      {"8.5 x 11 Inches", 72, PresetSize{612, 792, 3}},
      {"100 x 150 mm", 72, PresetSize{283, 425, 2}},  // truncated
      {"210 x 297 mm", 300, PresetSize{2480, 3507, 2}},
      {"Letter", 72, std::nullopt},                   // no x: nothing changes
      {"Letter 8.5 x 11 Inches", 72, std::nullopt},   // no number first
      {"a x b", 72, std::nullopt},
      {"640 x", 72, std::nullopt},
      {"", 72, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto got = qz::requesters::parsePreset(c.text, c.resolution);
    ASSERT_EQ(got.has_value(), c.size.has_value());
    if (!got) continue;
    EXPECT_EQ(got->width, c.size->width);
    EXPECT_EQ(got->height, c.size->height);
    EXPECT_EQ(got->unit, c.size->unit);
  }
}

TEST(NewImagePresets, ReadTheSameWhateverTheLocale) {
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no locale with a decimal comma";
  const auto got = qz::requesters::parsePreset("8.5 x 11 Inches", 100);
  std::setlocale(LC_NUMERIC, "C");
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->width, 850);
}

TEST(NewImagePresets, MemoryTextCountsSevenOrTenBytesAPixelIn64Bits) {
  struct Case {
    int64_t width, height;
    int32_t kind;
    const char* text;
  } const cases[] = {
      {640, 480, 1, "Memory: 2100KB"}, {640, 480, 2, "Memory: 3000KB"}, {100, 100, 1, "Memory: 68KB"},
      {1, 1, 1, "Memory: 0KB"},        {30000, 30000, 2, "Memory: 8789062KB"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(qz::requesters::memoryText("Memory", c.width, c.height, c.kind), c.text);
}

TEST(SmallRequests, AddSpaceCornersRotationFlagsAndGridSides) {
  const auto corners = qz::requesters::addSpaceCorners(10, 10, 2, 3, 4, 5);
  const int32_t expected[4][2] = {{-2, -3}, {14, -3}, {14, 15}, {-2, 15}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(corners[size_t(i)].x, expected[i][0]);
    EXPECT_EQ(corners[size_t(i)].y, expected[i][1]);
  }
  struct Flags {
    uint32_t in;
    bool layers, smooth;
    uint32_t out;
  } const flags[] = {{0, true, true, 5}, {0, false, false, 2}, {7, false, true, 1}, {8 | 1, true, false, 8 | 4 | 2}};
  for (const Flags& f : flags) EXPECT_EQ(qz::requesters::rotationFlags(f.in, f.layers, f.smooth), f.out);
  struct Side {
    float typed;
    int32_t stored;
  } const sides[] = {{0, 1}, {1.9f, 1}, {-5, 1}, {2, 2}, {16.7f, 16}};
  for (const Side& s : sides) EXPECT_EQ(qz::requesters::gridSide(s.typed), s.stored) << s.typed;
}

}  // namespace
