// The brush engine's arithmetic on its own: the soft round brush's bytes,
// where the dabs of a line and the points of a curve fall, the dab's
// strength, rectangle and row kernels, and the scatter of a sprayed dab.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/merge_kernels.h"
#include "media/dab_kernels.h"
#include "media/stroke_curve.h"
#include "platform/qz_random.h"

namespace {

using qz::media::StrokePoint;
using Rows = std::vector<std::vector<uint8_t>>;

Rows SoftRound(int32_t side) {
  Rows rows(size_t(side), std::vector<uint8_t>(size_t(side), 0));
  std::vector<uint8_t*> pointers;
  for (auto& r : rows) pointers.push_back(r.data());
  qz::media::renderSoftRoundBrush(pointers.data(), side, side);
  return rows;
}

TEST(SoftRoundBrush, GoldenBytes) {
  struct Case {
    const char* name;
    int32_t side;
    Rows expected;
  };
  const Case cases[] = {
      {"1x1", 1, {{255}}},
      {"2x2: the later writes fill it", 2, {{255, 255}, {255, 255}}},
      {"4x4: both middle rows and columns hold the centre", 4,
       {{0, 0, 0, 0}, {0, 255, 255, 0}, {0, 255, 255, 0}, {0, 0, 0, 0}}},
      {"5x5", 5,
       {{0, 0, 0, 0, 0}, {0, 127, 191, 127, 0}, {0, 191, 255, 191, 0}, {0, 127, 191, 127, 0}, {0, 0, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SoftRound(c.side), c.expected);
  }
}

TEST(SoftRoundBrush, FallsOffFromTheCentreAndIsSymmetric) {
  const Rows b = SoftRound(71);
  EXPECT_EQ(b[35][35], 255);
  for (int i = 0; i < 71; ++i) {
    EXPECT_EQ(b[0][i], 0);
    for (int j = 0; j < 71; ++j) {
      ASSERT_EQ(b[size_t(i)][size_t(j)], b[size_t(j)][size_t(i)]);
      ASSERT_EQ(b[size_t(i)][size_t(j)], b[size_t(70 - i)][size_t(j)]);
    }
  }
  for (int x = 35; x < 70; ++x) EXPECT_GE(b[35][size_t(x)], b[35][size_t(x + 1)]);
}

TEST(LineDabs, CentresOfLines) {
  struct Case {
    const char* name;
    int32_t size, x0, y0, x1, y1;
    std::vector<StrokePoint> expected;
  };
  const Case cases[] = {
      {"zero length: one dab", 10, 4, 5, 4, 5, {{4, 5}}},
      {"below 48 a dab per pixel, none at the end", 10, 0, 0, 10, 0,
       {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}}},
      {"48 to 71 every second pixel", 48, 0, 0, 10, 0, {{0, 0}, {2, 0}, {4, 0}, {6, 0}, {8, 0}}},
      {"72 every third pixel, leftwards", 72, 9, 3, 0, 3, {{9, 3}, {6, 3}, {3, 3}}},
      {"steep towards minus x: the shift rounds down", 10, 0, 0, -3, 10,
       {{0, 0}, {-1, 1}, {-1, 2}, {-1, 3}, {-2, 4}, {-2, 5}, {-2, 6}, {-2, 7}, {-3, 8}, {-3, 9}}},
      {"shallow upwards in 1/32 steps", 10, 0, 0, 4, -2, {{0, 0}, {1, -1}, {2, -1}, {3, -2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qz::media::lineDabCentres(c.size, c.x0, c.y0, c.x1, c.y1), c.expected);
  }
}

TEST(LineDabs, MarkedRectangleIsGrownByHalfTheSizeAndClipped) {
  int32_t r[4] = {};
  ASSERT_TRUE(qz::media::lineMarkRect(10, 20, 30, 40, 25, 100, 100, r));
  EXPECT_EQ(std::vector<int32_t>(r, r + 4), (std::vector<int32_t>{15, 20, 45, 35}));
  ASSERT_TRUE(qz::media::lineMarkRect(10, 1, 1, 98, 98, 100, 100, r));
  EXPECT_EQ(std::vector<int32_t>(r, r + 4), (std::vector<int32_t>{0, 0, 99, 99}));
  EXPECT_FALSE(qz::media::lineMarkRect(4, 200, 200, 300, 300, 100, 100, r));
}

TEST(Curve, TwentyPointsWithTermsTruncatedApart) {
  const std::vector<StrokePoint> arch = {{0, 0},   {4, 19},  {10, 36}, {14, 51}, {20, 64}, {24, 75}, {30, 84},
                                         {34, 90}, {40, 96}, {44, 99}, {50, 100}, {54, 98}, {59, 95}, {64, 90},
                                         {69, 84}, {74, 75}, {79, 63}, {84, 50}, {89, 35}, {94, 19}};
  const auto points = qz::media::curvePoints({0, 0}, {50, 100}, {100, 0});
  EXPECT_EQ(std::vector<StrokePoint>(points.begin(), points.end()), arch);
  EXPECT_EQ(points[10], (StrokePoint{50, 100}));  // the middle point lies on the curve

  const std::vector<StrokePoint> skew = {{-7, 3},   {-4, -6},  {-1, -13}, {1, -19},  {5, -26},
                                         {9, -31},  {10, -35}, {14, -37}, {15, -39}, {17, -41},
                                         {20, -41}, {21, -40}, {22, -38}, {25, -36}, {27, -32},
                                         {28, -27}, {29, -22}, {29, -15}, {30, -8},  {31, 0}};
  const auto skewed = qz::media::curvePoints({-7, 3}, {20, -40}, {33, 9});
  EXPECT_EQ(std::vector<StrokePoint>(skewed.begin(), skewed.end()), skew);
}

TEST(Dab, StrengthAndRowArithmetic) {
  struct Case {
    const char* name;
    uint32_t pressure;
    int32_t tablet;  // -1: no sample
    bool erase;
    uint8_t plane, brush, expected;
  };
  const Case cases[] = {
      {"add saturates", 255, -1, false, 250, 255, 255},
      {"add", 255, -1, false, 10, 128, 137},
      {"erase floors at 0", 255, -1, true, 10, 255, 0},
      {"erase", 255, -1, true, 200, 128, 73},
      {"tablet 0 lays nothing", 255, 0, false, 77, 255, 77},
      {"tablet 128 at pressure 20 is strength 10", 20, 128, false, 0, 255, 9},
      {"pressure above 255 counts as 255", 300, -1, false, 0, 255, 254},
      {"brush 0 changes nothing", 255, -1, false, 33, 0, 33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint32_t strength = qz::media::dabStrength(c.pressure, c.tablet);
    uint8_t plane = c.plane;
    if (c.erase)
      qz::media::eraseDabRow(&plane, &c.brush, strength, 1);
    else
      qz::media::addDabRow(&plane, &c.brush, strength, 1);
    EXPECT_EQ(plane, c.expected);
  }
  EXPECT_EQ(qz::media::dabStrength(20, 128), 10u);
}

TEST(Dab, VectorAddEqualsTheLiteralFormulaOnEveryTail) {
  std::mt19937 random(5);
  for (int32_t width : {1, 7, 8, 15, 16, 17, 31, 1031}) {
    for (uint32_t strength : {0u, 1u, 20u, 128u, 255u}) {
      std::vector<uint8_t> plane(static_cast<size_t>(width)), brush(static_cast<size_t>(width));
      for (auto& v : plane) v = uint8_t(random());
      for (auto& v : brush) v = uint8_t(random());
      std::vector<uint8_t> expected = plane;
      for (size_t i = 0; i < expected.size(); ++i)
        expected[i] = uint8_t(std::min<uint32_t>(255, expected[i] + ((brush[i] * strength) >> 8)));
      std::vector<uint8_t> scalar = plane;
      qz::scalarMergeKernels().addMediaLine(scalar.data(), brush.data(), strength, scalar.size());
      qz::media::addDabRow(plane.data(), brush.data(), strength, width);
      ASSERT_EQ(plane, expected) << width << " " << strength;
      ASSERT_EQ(scalar, expected) << width << " " << strength;
    }
  }
}

TEST(Dab, ClippedRectangle) {
  struct Case {
    const char* name;
    int32_t left, top, w, h, extentW, extentH;
    bool empty;
    int32_t x0, y0, x1, y1, column, row;
  };
  const Case cases[] = {
      {"inside", 2, 3, 4, 4, 20, 20, false, 2, 3, 5, 6, 0, 0},
      {"over the top-left corner", -2, -1, 5, 5, 20, 20, false, 0, 0, 2, 3, 2, 1},
      {"over the bottom-right corner", 18, 17, 5, 5, 20, 20, false, 18, 17, 19, 19, 0, 0},
      {"only column 0 of the layer", -4, 0, 5, 5, 20, 20, false, 0, 0, 0, 4, 4, 0},
      {"a 1-pixel-wide layer is painted", -2, -2, 5, 5, 1, 1, false, 0, 0, 0, 0, 2, 2},
      {"wholly left", -9, 0, 5, 5, 20, 20, true, 0, 0, 0, 0, 0, 0},
      {"wholly below", 0, 20, 5, 5, 20, 20, true, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const qz::media::DabRect r = qz::media::clipDab(c.left, c.top, c.w, c.h, c.extentW, c.extentH);
    ASSERT_EQ(r.empty(), c.empty);
    if (c.empty) continue;
    EXPECT_EQ((std::vector<int32_t>{r.x0, r.y0, r.x1, r.y1, r.brushColumn, r.brushRow}),
              (std::vector<int32_t>{c.x0, c.y0, c.x1, c.y1, c.column, c.row}));
  }
}

TEST(Dab, ScatterIsSeededFromThePositionAndShrinksWithStrength) {
  auto scatter = [](int32_t x, int32_t y, bool spray, uint32_t strength, uint32_t jitter) {
    Qz_SRand(12345);  // whatever came before does not matter
    qz::media::scatterDab(x, y, spray, 40, 40, strength, jitter);
    return StrokePoint{x, y};
  };
  EXPECT_EQ(scatter(30, 40, true, 5, 0), scatter(30, 40, true, 5, 0));
  EXPECT_EQ(scatter(30, 40, false, 5, 0), (StrokePoint{30, 40}));
  // Full strength: (2 x 40) / 255 is 0, so the dab stays where it is.
  EXPECT_EQ(scatter(30, 40, true, 255, 0), (StrokePoint{30, 40}));
  // The generator seeded with 30 x 40 draws these; d = 80 / 5 = 16.
  Qz_SRand(1200);
  const int32_t a = Qz_Rand(), b = Qz_Rand();
  EXPECT_EQ(scatter(30, 40, true, 5, 0), (StrokePoint{30 + a % 16 - 8, 40 + b % 16 - 8}));
  const StrokePoint jittered = scatter(30, 40, false, 255, 50);
  EXPECT_LE(std::abs(jittered.x - 30), 10);
  EXPECT_LE(std::abs(jittered.y - 40), 10);
}

}  // namespace
