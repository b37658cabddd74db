// Polygon fill into a paint layer's transparency: the exact rectangle path
// against the sub-pixel path, coverage of a diamond, removal with the other
// button, the gradient kinds, and fills that run in parallel.
#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

#include "image/polygon_fill.h"
#include "image_fixture.h"

namespace {

using qztest::FillPlane;
using qztest::ImageTest;
using qztest::PlaneBytes;

using Points = std::vector<int32_t>;

class PolygonFillTest : public ImageTest {
 protected:
  Qz_Image* Layer(int32_t w, int32_t h, uint8_t value = 0) {
    Qz_Image* layer = Make(kQzPaintLayer, w, h, 8);
    FillPlane(layer->grey, w, h, [=](int32_t, int32_t) { return value; });
    return layer;
  }
  static bool Fill(Qz_Image* layer, const Points& p, int32_t kind = kGradientFlat, int16_t level = 255,
                   bool subtract = false) {
    qz::FillBounds bounds{};
    return qz::fillOutline(layer, p.data(), int32_t(p.size() / 2), kind, level, subtract, &bounds);
  }
  static uint8_t At(Qz_Image* layer, int32_t x, int32_t y) { return layer->grey[y][x]; }
};

// The half-open box x0..x1-1, y0..y1-1 at `value`, 0 elsewhere.
std::vector<uint8_t> Box(int32_t w, int32_t h, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t value) {
  std::vector<uint8_t> out(size_t(w * h), 0);
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) out[size_t(y * w + x)] = value;
  return out;
}

TEST_F(PolygonFillTest, AxisRectangleIsExactWithNoExtraColumn) {
  struct Case {
    const char* name;
    Points points;
    int16_t level;
    uint8_t expected;
  };
  const Case cases[] = {
      {"corner order, full level", {2, 1, 7, 1, 7, 5, 2, 5}, 255, 255},
      // Below full level the exact path adds per pixel; it covers the same columns.
      {"corner order, partial level", {2, 1, 7, 1, 7, 5, 2, 5}, 100, 101},
      // Another order goes through sub-pixels; whole-pixel edges still cover exactly.
      {"other order", {2, 1, 2, 5, 7, 5, 7, 1}, 255, 255},
      {"starting elsewhere", {7, 5, 2, 5, 2, 1, 7, 1}, 255, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* layer = Layer(10, 8);
    ASSERT_TRUE(Fill(layer, c.points, kGradientFlat, c.level));
    EXPECT_EQ(PlaneBytes(layer->grey, 10, 8), Box(10, 8, 2, 1, 7, 5, c.expected));
  }
}

TEST_F(PolygonFillTest, DiamondCoverage) {
  Qz_Image* layer = Layer(24, 24);
  ASSERT_TRUE(Fill(layer, {10, 0, 20, 10, 10, 20, 0, 10}));
  const std::vector<uint8_t> bytes = PlaneBytes(layer->grey, 24, 24);
  EXPECT_EQ(At(layer, 10, 10), 255);
  EXPECT_GT(At(layer, 9, 0), 0);  // a vertex pixel is partly covered
  EXPECT_LT(At(layer, 9, 0), 255);
  for (int32_t x = 0; x < 24; ++x) EXPECT_EQ(At(layer, x, 20), 0) << x;  // the row below the shape
  for (int32_t y = 0; y < 24; ++y) EXPECT_EQ(At(layer, 20, y), 0) << y;  // the column right of it
  // Coverage sums to the area (200 pixels) within a pixel's worth per edge row.
  const int64_t sum = std::accumulate(bytes.begin(), bytes.end(), int64_t(0));
  EXPECT_NEAR(double(sum) / 255.0, 200.0, 12.0);
}

TEST_F(PolygonFillTest, NothingToFill) {
  const Points cases[] = {{}, {1, 1, 5, 5}, {0, 5, 5, 5, 9, 5}, {0, 5, 5, 5, 9, 5, 2, 5}};
  for (const Points& p : cases) {
    Qz_Image* layer = Layer(10, 10);
    if (!p.empty()) {
      EXPECT_TRUE(Fill(layer, p));
    }
    EXPECT_EQ(PlaneBytes(layer->grey, 10, 10), Box(10, 10, 0, 0, 0, 0, 0));
    const PointListHeader list{int32_t(p.size() / 2), const_cast<int32_t*>(p.data())};
    Qz_Gradient flat{};
    flat.level = 255;
    flat.scale = 1;
    EXPECT_EQ(Qz_FillPolygon(layer, &list, &flat), 1);
  }
}

TEST_F(PolygonFillTest, OtherButtonOnFullLayerGivesZero) {
  struct Case {
    Points points;
    int32_t innerX, innerY;
  };
  const Case cases[] = {
      {{2, 1, 7, 1, 7, 5, 2, 5}, 4, 3},        // exact path
      {{2, 1, 2, 5, 7, 5, 7, 1}, 4, 3},        // sub-pixel path
      {{10, 0, 20, 10, 10, 20, 0, 10}, 9, 9},  // diamond
  };
  for (const Case& c : cases) {
    Qz_Image* layer = Layer(24, 24, 255);
    ASSERT_TRUE(Fill(layer, c.points, kGradientFlat, 255, true));
    EXPECT_EQ(At(layer, c.innerX, c.innerY), 0);
    EXPECT_EQ(At(layer, 23, 23), 255);  // outside untouched
  }
}

TEST_F(PolygonFillTest, ShapesPastTheEdgeDoNotPileIntoBorderColumns) {
  Qz_Image* layer = Layer(6, 4);
  ASSERT_TRUE(Fill(layer, {-5, 0, -5, 2, 3, 2, 3, 0}));   // left edge, sub-pixel path
  ASSERT_TRUE(Fill(layer, {4, 2, 4, 4, 40, 4, 40, 2}));   // right edge
  ASSERT_TRUE(Fill(layer, {-9, 0, -9, 4, -2, 4, -2, 0}));  // wholly left: nothing
  std::vector<uint8_t> expected = Box(6, 4, 0, 0, 3, 2, 255);
  for (int32_t y = 2; y < 4; ++y)
    for (int32_t x = 4; x < 6; ++x) expected[size_t(y * 6 + x)] = 255;
  EXPECT_EQ(PlaneBytes(layer->grey, 6, 4), expected);
}

TEST_F(PolygonFillTest, GradientTables) {
  struct Case {
    const char* name;
    int32_t kind;
    bool horizontal;
    std::vector<uint8_t> expected;  // along the 10-pixel strip
  };
  // Horizontal: the strip spans 10 pixels (n = 10). Vertical: the gradient box is
  // one taller than the filled rows (H = 11).
  const Case cases[] = {
      {"falling right", kGradientFallRight, true, {200, 180, 160, 140, 120, 100, 80, 60, 40, 20}},
      {"rising right", kGradientRiseRight, true, {0, 20, 40, 60, 80, 100, 120, 140, 160, 180}},
      {"falling down", kGradientFallDown, false, {200, 181, 163, 145, 127, 109, 90, 72, 54, 36}},
      {"rising down", kGradientRiseDown, false, {0, 18, 36, 54, 72, 90, 109, 127, 145, 163}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* layer = Layer(10, 10);
    const Points strip = c.horizontal ? Points{0, 0, 10, 0, 10, 1, 0, 1} : Points{0, 0, 1, 0, 1, 10, 0, 10};
    ASSERT_TRUE(Fill(layer, strip, c.kind, 200));
    for (int32_t i = 0; i < 10; ++i)
      EXPECT_EQ(c.horizontal ? At(layer, i, 0) : At(layer, 0, i), c.expected[size_t(i)]) << i;
    EXPECT_EQ(c.horizontal ? At(layer, 0, 1) : At(layer, 1, 0), 0);
  }
}

TEST_F(PolygonFillTest, TentRisesAndFallsAndSurvivesOnePixelSpans) {
  Qz_Image* layer = Layer(10, 4);
  ASSERT_TRUE(Fill(layer, {0, 0, 1, 0, 1, 1, 0, 1}, kGradientTent, 255));  // n = 1, H/2 = 1
  ASSERT_TRUE(Fill(layer, {0, 3, 10, 3, 10, 4, 0, 4}, kGradientTent, 255));  // one row: H = 2
  Qz_Image* strip = Layer(10, 3);
  ASSERT_TRUE(Fill(strip, {0, 0, 10, 0, 10, 3, 0, 3}, kGradientTent, 255));
  const uint8_t* row = strip->grey[1];
  EXPECT_EQ(row[0], 0);
  EXPECT_GT(row[5], row[2]);
  EXPECT_GT(row[5], row[8]);
  EXPECT_EQ(row[4], row[6]);  // mirrored about the middle
}

TEST_F(PolygonFillTest, FillsRunInParallel) {
  Qz_Image* a = Layer(64, 64);
  Qz_Image* b = Layer(64, 64);
  const Points diamond = {32, 0, 63, 32, 32, 63, 0, 32};
  std::thread other([&] {
    for (int i = 0; i < 20; ++i) Fill(a, diamond, kGradientFlat, 12);
  });
  for (int i = 0; i < 20; ++i) Fill(b, diamond, kGradientFlat, 12);
  other.join();
  EXPECT_EQ(PlaneBytes(a->grey, 64, 64), PlaneBytes(b->grey, 64, 64));
}

}  // namespace
