// Moving a rectangle of a plane onto a quadrilateral: which corner sets are
// refused, a plane placed away from the origin, and a perspective that
// keeps its corners' pixels and leaves everything outside untouched.
#include <gtest/gtest.h>

#include <vector>

#include "image/quad_warp.h"

namespace {

using qz::QuadWarp;
using qz::WarpPoint;
using qz::WarpRect;
using Corners = std::array<WarpPoint, 4>;

// A plane of w x h whose pixel (x, y) is 1 + x + y * w (mod 256), never 0.
struct TestPlane {
  TestPlane(int32_t width, int32_t height) : w(width), h(height), bytes(size_t(width * height)) {
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(1 + i % 255);
    for (int32_t y = 0; y < h; ++y) rows.push_back(bytes.data() + y * w);
  }
  uint8_t at(int32_t x, int32_t y) const { return bytes[size_t(y * w + x)]; }
  int32_t w, h;
  std::vector<uint8_t> bytes;
  std::vector<uint8_t*> rows;
};

TEST(QuadWarpTest, OnlyConvexCornersOfANonEmptyRectangleMakeAWarp) {
  const WarpRect rect{2, 2, 6, 4};
  struct Case {
    const char* name;
    WarpRect from;
    Corners to;
    bool made;
  } cases[] = {
      {"the rectangle itself", rect, {{{2, 2}, {8, 2}, {8, 6}, {2, 6}}}, true},
      {"mirrored", rect, {{{8, 2}, {2, 2}, {2, 6}, {8, 6}}}, true},
      {"a trapezoid", rect, {{{4, 2}, {6, 2}, {9, 6}, {1, 6}}}, true},
      {"crossed", rect, {{{2, 2}, {8, 2}, {2, 6}, {8, 6}}}, false},
      {"folded in", rect, {{{2, 2}, {8, 2}, {4, 3}, {2, 6}}}, false},
      {"three in a line", rect, {{{2, 2}, {5, 2}, {8, 2}, {2, 6}}}, false},
      {"all at one point", rect, {{{3, 3}, {3, 3}, {3, 3}, {3, 3}}}, false},
      {"an empty rectangle", {2, 2, 0, 4}, {{{2, 2}, {8, 2}, {8, 6}, {2, 6}}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(QuadWarp::make(c.from, c.to).has_value(), c.made);
  }
  EXPECT_TRUE(QuadWarp::make(rect, cases[0].to)->identity());
  EXPECT_FALSE(QuadWarp::make(rect, cases[1].to)->identity());
}

TEST(QuadWarpTest, APlaneAwayFromTheOriginIsWarpedAtItsPlace) {
  // Plane pixel (x, y) is picture point (x + 10, y - 3).
  TestPlane plane(12, 10), before(12, 10);
  const auto warp = QuadWarp::make({12, 0, 3, 2}, {{{16, 4}, {19, 4}, {19, 6}, {16, 6}}});
  ASSERT_TRUE(warp);
  const Qz_Plane planes[] = {plane.rows.data()};
  ASSERT_TRUE(warp->apply(planes, plane.w, plane.h, 10, -3));
  for (int32_t y = 0; y < plane.h; ++y)
    for (int32_t x = 0; x < plane.w; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const bool target = x >= 6 && x < 9 && y >= 7 && y < 9, lifted = x >= 2 && x < 5 && y >= 3 && y < 5;
      EXPECT_EQ(plane.at(x, y), target ? before.at(x - 4, y - 4) : lifted ? 0 : before.at(x, y));
    }
}

TEST(QuadWarpTest, APerspectiveKeepsItsCornerPixelsAndChangesNothingOutside) {
  TestPlane plane(40, 30), before(40, 30);
  // Every source pixel grows, so the pixels at the corners take one source pixel each.
  const Corners to{{{8, 3}, {30, 3}, {36, 25}, {2, 25}}};
  const auto warp = QuadWarp::make({10, 5, 10, 5}, to);
  ASSERT_TRUE(warp);
  const Qz_Plane planes[] = {plane.rows.data(), nullptr};
  ASSERT_TRUE(warp->apply(planes, plane.w, plane.h, 0, 0));
  EXPECT_EQ(plane.at(8, 3), before.at(10, 5));
  EXPECT_EQ(plane.at(34, 24), before.at(19, 9));
  for (int32_t y = 0; y < plane.h; ++y)
    for (int32_t x = 0; x < plane.w; ++x) {
      const bool inQuadBounds = x >= 2 && x < 36 && y >= 3 && y < 25;
      const bool lifted = x >= 10 && x < 20 && y >= 5 && y < 10;
      if (!inQuadBounds && !lifted) {
        ASSERT_EQ(plane.at(x, y), before.at(x, y)) << x << "," << y;
      }
    }
  // Beside the slanted sides, within the bounds, nothing changes either.
  EXPECT_EQ(plane.at(3, 4), before.at(3, 4));
  EXPECT_EQ(plane.at(34, 4), before.at(34, 4));
}

}  // namespace
