// Direction vectors at the canonical angles (worked out by hand from cos
// and sin times 1025), their steps and reach, and the relief sum and shade.
#include <gtest/gtest.h>

#include <vector>

#include "modes/direction.h"
#include "modes/mode_fetch.h"

namespace {

using qz::modes::Direction;
using qz::modes::DirectionRounding;

TEST(Direction, CanonicalAngles) {
  // theta = angle + 90 degrees; cos and sin of 45-degree multiples are
  // 0, +-1 or +-0.70710678 (x 1025 = +-724.78); the "zeros" are tiny
  // values of either sign (cos 90 > 0, sin 180 > 0, cos 270 < 0, sin 360 < 0).
  struct Case {
    int32_t angle;
    Direction floor, ceil, snap;
  };
  const Case cases[] = {
      {0, {0, 1025}, {1, 1025}, {1, 1025}},
      {45, {-725, 724}, {-724, 725}, {-724, 1024}},
      {90, {-1025, 0}, {-1025, 1}, {-1025, 1}},
      {135, {-725, -725}, {-724, -724}, {-724, -724}},
      {180, {-1, -1025}, {0, -1025}, {0, -1025}},
      {270, {1025, -1}, {1025, 0}, {1025, 0}},
      {315, {724, 724}, {725, 725}, {1024, 1024}},
      {-45, {724, 724}, {725, 725}, {1024, 1024}},  // the same line as 315
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    EXPECT_EQ(qz::modes::directionFloor(c.angle), c.floor);
    EXPECT_EQ(qz::modes::directionCeil(c.angle), c.ceil);
    EXPECT_EQ(qz::modes::directionCeilSnap(c.angle), c.snap);
  }
}

TEST(Direction, SecondArmLiesAnEighthTurnOn) {
  // 0 degrees points down (theta 90); the second arm is at theta 135.
  EXPECT_EQ(qz::modes::secondArm(0, DirectionRounding::Floor), (Direction{-725, 724}));
  EXPECT_EQ(qz::modes::secondArm(0, DirectionRounding::Ceil), (Direction{-724, 725}));
  // 45 degrees: theta 135, second arm at 180.
  EXPECT_EQ(qz::modes::secondArm(45, DirectionRounding::Floor), (Direction{-1025, 0}));
  EXPECT_DOUBLE_EQ(qz::modes::kEighthTurnRadians * 4, 3.141592653589793);
}

TEST(Direction, StepsShiftArithmeticallyAndReachCoversThem) {
  const Direction down{0, 1025}, left{-1025, 1};
  EXPECT_EQ(down.stepY(1), 1);
  EXPECT_EQ(down.stepY(4), 4);
  EXPECT_EQ(down.stepX(7), 0);
  // -1025 / 1024 rounds toward minus infinity: one step left is two columns.
  EXPECT_EQ(left.stepX(1), -2);
  EXPECT_EQ(left.stepX(1024), -1025);
  EXPECT_EQ(left.stepY(100), 0);
  const Direction diagonal = qz::modes::directionFloor(45);  // {-725, 724}
  for (int32_t length : {1, 2, 10, 128, 255}) {
    SCOPED_TRACE(length);
    const qz::modes::Reach reach = qz::modes::stepReach(diagonal, length);
    EXPECT_EQ(reach.x, ((length * 725) >> 10) + 1);
    EXPECT_EQ(reach.y, ((length * 724) >> 10) + 1);
    for (int32_t k = 1; k <= length; ++k) {
      EXPECT_LE(std::abs(diagonal.stepX(k)), reach.x) << k;
      EXPECT_LE(std::abs(diagonal.stepY(k)), reach.y) << k;
    }
  }
}

// A small plane as a view: the values given, row after row.
struct Plane {
  Plane(int32_t width, int32_t height, const std::vector<uint8_t>& values)
      : pixels(values), rows(size_t(height)) {
    for (int32_t y = 0; y < height; ++y) rows[size_t(y)] = pixels.data() + size_t(y) * width;
    view = {rows.data(), rows.data(), rows.data(), 0, 0, width - 1, height - 1, width, height};
  }
  std::vector<uint8_t> pixels;
  std::vector<uint8_t*> rows;
  qz::modes::SourceView view;
};

TEST(Relief, SumsBehindMinusAheadWithCoordinatesLimitedToThePlane) {
  // 4 x 3: rows 10.., 20.., 30..
  Plane plane(4, 3, {10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33});
  const qz::modes::PlaneSampler sample{plane.view, 0};
  const Direction down = qz::modes::directionFloor(0);  // {0, 1025}: one row a step
  struct Case {
    const char* name;
    int32_t x, y, length;
    Direction d;
    int32_t sum;
  };
  const Case cases[] = {
      {"one step: the row above minus the row below", 1, 1, 1, down, 11 - 31},
      {"the top row reads itself above", 2, 0, 1, down, 12 - 22},
      {"two steps, rows limited", 0, 1, 2, down, (10 - 30) + (10 - 30)},
      {"along a row: behind is right for a leftward step", 1, 1, 1, Direction{-1025, 0},
       int32_t(23) - 20},
      {"no steps", 3, 2, 0, down, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(qz::modes::reliefSum(sample, c.x, c.y, c.d, c.length), c.sum);
  }
}

TEST(Relief, AStrongEdgeAtFullStrengthClampsInsteadOfWrapping) {
  // A dark left half and a bright right half, 300 wide.
  const int32_t width = 300;
  std::vector<uint8_t> values(static_cast<size_t>(width));
  for (int32_t x = 0; x < width; ++x) values[size_t(x)] = x >= 150 ? 255 : 0;
  Plane plane(width, 1, values);
  const qz::modes::PlaneSampler sample{plane.view, 0};
  const Direction left{-1024, 0};  // behind the pixel lies right of it
  const int32_t sum = qz::modes::reliefSum(sample, 149, 0, left, 128);
  EXPECT_EQ(sum, 128 * 255);
  const int32_t full = qz::modes::reliefFactor(200);
  EXPECT_EQ(full, 512);
  // 32640 * 512 >> 8 = 65280: taken as 16 bits it would be -256, black.
  EXPECT_EQ(qz::modes::reliefShade(0, sum, full), 255);
  EXPECT_EQ(qz::modes::reliefShade(255, sum, qz::modes::reliefFactor(-200)), 0);
  EXPECT_EQ(qz::modes::reliefShade(100, 0, full), 100);
  EXPECT_EQ(qz::modes::reliefShade(100, -3, 256), 97);
  // The shift rounds toward minus infinity: -1 * 2 >> 8 is -1.
  EXPECT_EQ(qz::modes::reliefShade(100, -1, 2), 99);
  EXPECT_EQ(qz::modes::reliefFactor(1), 2);
  EXPECT_EQ(qz::modes::reliefFactor(-1), -2);  // truncated toward zero
}

}  // namespace
