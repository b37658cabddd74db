// Ellipse outlines, filled ellipses and polygons.
#include <gtest/gtest.h>

#include <vector>

#include "canvas.h"
#include "host/raster/rasteriser.h"

using qz::raster::IntRect;
using qz::raster::Point;
using rastertest::Canvas;
using rastertest::kPaper;

TEST(DrawEllipse, SmallRadii) {
  struct Case {
    const char* name;
    int rx, ry;
    const char* mask;  // 9 x 9, centre (4, 4)
  };
  const Case cases[] = {
      {"radius 0 is the centre pixel", 0, 0,
       "........./........./........./........./....#..../........./........./........./........."},
      {"rx 0 is a vertical line", 0, 2,
       "........./........./....#..../....#..../....#..../....#..../....#..../........./........."},
      {"ry 0 is a horizontal line", -2, 0,
       "........./........./........./........./..#####../........./........./........./........."},
      // The outline steps: right half from the top, left half one row lower.
      {"radius 1", 1, 1,
       "........./........./........./....#..../.....#.../...##..../....#..../........./........."},
      {"radius 2", 2, 2,
       "........./........./....#..../.....#.../...#..#../..#..#.../...##..../....#..../........."},
      {"negative radii count as their size", -2, -2,
       "........./........./....#..../.....#.../...#..#../..#..#.../...##..../....#..../........."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas cv(9, 9);
    SetAPen(&cv.rp, 1);
    DrawEllipse(&cv.rp, 4, 4, c.rx, c.ry);
    EXPECT_EQ(cv.mask(), c.mask);
  }
}

TEST(DrawEllipse, ComplementTwiceRestoresAndLargeOnesClose) {
  Canvas cv(40, 30);
  SetAPen(&cv.rp, 2);
  RectFill(&cv.rp, 0, 0, 19, 29);
  const std::string before = cv.mask();
  SetDrMd(&cv.rp, COMPLEMENT);
  DrawEllipse(&cv.rp, 20, 15, 15, 10);
  EXPECT_NE(cv.mask(), before);
  DrawEllipse(&cv.rp, 20, 15, 15, 10);
  EXPECT_EQ(cv.mask(), before);

  Canvas big(40, 30);
  SetAPen(&big.rp, 1);
  DrawEllipse(&big.rp, 20, 15, 15, 10);
  // Every row between the top and bottom has ink on both sides of the centre.
  for (int y = 6; y <= 24; ++y) {
    bool left = false, right = false;
    for (int x = 0; x < 20; ++x) left |= big.at(x, y) != kPaper;
    for (int x = 21; x < 40; ++x) right |= big.at(x, y) != kPaper;
    EXPECT_TRUE(left && right) << "row " << y;
  }
  EXPECT_EQ(big.at(20, 15), kPaper);
  EXPECT_EQ(big.at(20, 5), 0u);   // top of the outline
  EXPECT_EQ(big.at(35, 15), 0u);  // right end
}

TEST(FillEllipse, InsideAndOutlinePixels) {
  struct Case {
    const char* name;
    int width, height;
    IntRect box;
    const char* fill;
    const char* outline;
  };
  const Case cases[] = {
      {"wide even box", 6, 4, {0, 0, 6, 4}, "....../.####./.####./......", ".####./#....#/#....#/.####."},
      {"odd circle", 5, 5, {0, 0, 5, 5}, "...../.###./.###./.###./.....", ".###./#...#/#...#/#...#/.###."},
      {"single pixel", 5, 5, {2, 1, 3, 2}, "...../...../...../...../.....", "...../..#../...../...../....."},
      {"empty box", 5, 5, {3, 3, 3, 5}, "...../...../...../...../.....", "...../...../...../...../....."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas cv(c.width, c.height);
    qz::raster::fillEllipse(cv.buffer, cv.buffer.bounds(), c.box, 0x00AA0000, 0x000000BB);
    EXPECT_EQ(cv.maskOf(0x00AA0000), c.fill);
    EXPECT_EQ(cv.maskOf(0x000000BB), c.outline);
  }
}

TEST(FillPolygon, CentreRuleAndEvenOdd) {
  struct Case {
    const char* name;
    std::vector<Point> points;
    const char* mask;  // 6 x 6
  };
  const Case cases[] = {
      {"square", {{1, 1}, {4, 1}, {4, 4}, {1, 4}}, "....../.###../.###../.###../....../......"},
      {"triangle", {{0, 0}, {6, 0}, {0, 6}}, "#####./####../###.../##..../#...../......"},
      {"clockwise and anticlockwise agree", {{0, 0}, {0, 6}, {6, 0}}, "#####./####../###.../##..../#...../......"},
      {"twice round is empty", {{1, 1}, {5, 1}, {5, 5}, {1, 5}, {1, 1}, {5, 1}, {5, 5}, {1, 5}},
       "....../....../....../....../....../......"},
      {"a frame with a hole",  // outer square then inner square in one path
       {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}},
       "######/######/##..##/##..##/######/######"},
      {"clipped far outside", {{-1000000, -1000000}, {3000000, -1000000}, {-1000000, 3000000}},
       "######/######/######/######/######/######"},
      {"two points", {{0, 0}, {5, 5}}, "....../....../....../....../....../......"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas cv(6, 6);
    qz::raster::fillPolygon(cv.buffer, cv.buffer.bounds(), c.points.data(), c.points.size(), 0x00FFFFFF);
    EXPECT_EQ(cv.mask(), c.mask);
  }
}
