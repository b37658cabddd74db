// Pixelize: flat cells anchored at the image's corner, whatever the blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "compositor/compositor_kit.h"
#include "mosaic_fixture.h"

namespace {

using qztest::Document;
using qztest::Rgb;

constexpr uint32_t kSetWidth = 0x820, kGetWidth = 0x82A, kSetHeight = 0x834, kGetHeight = 0x83E;

TEST(Pixelize, CellsTakeTheirTopLeftPixelAtAbsoluteCoordinates) {
  Document doc(23, 14, mosaic::Coordinates);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "Pixelize");
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetWidth), 6u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetHeight), 6u);
  struct Case {
    int32_t cw, ch;
  };
  for (const Case& k : {Case{6, 6}, Case{1, 1}, Case{4, 3}, Case{5, 1}, Case{256, 256}, Case{1, 9}}) {
    SCOPED_TRACE(testing::Message() << k.cw << "x" << k.ch);
    EXPECT_EQ(Qz_DoMethod(layer->mode, kSetWidth, k.cw), QzWord(k.cw));
    EXPECT_EQ(Qz_DoMethod(layer->mode, kSetHeight, k.ch), QzWord(k.ch));
    // Blocks of odd sizes starting mid-cell.
    for (int32_t y0 = 0; y0 < 14; y0 += 5)
      for (int32_t x0 = 0; x0 < 23; x0 += 7) {
        const int32_t x1 = std::min(x0 + 6, 22), y1 = std::min(y0 + 4, 13);
        const std::vector<Rgb> out = qztest::StrictRender(doc, layer, x0, x1, y0, y1);
        for (int32_t y = y0; y <= y1; ++y)
          for (int32_t x = x0; x <= x1; ++x)
            ASSERT_EQ(out[size_t((y - y0) * (x1 - x0 + 1) + (x - x0))],
                      mosaic::Coordinates(x - x % k.cw, y - y % k.ch))
                << x << "," << y;
      }
  }
}

TEST(Pixelize, CellSizesBelowOneAreKeptAtOne) {
  Document doc(9, 5, mosaic::Coordinates);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "Pixelize");
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kSetWidth, 0), 1u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kSetHeight, QzWord(-5)), 1u);
  EXPECT_EQ(qztest::StrictRender(doc, layer, 3, 3, 2, 2)[0], mosaic::Coordinates(3, 2));
}

}  // namespace
