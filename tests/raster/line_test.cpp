// Lines: end-point rules, pen position, complement mode, clipping.
#include <gtest/gtest.h>

#include "canvas.h"

using rastertest::Canvas;
using rastertest::directPen;
using rastertest::kPaper;

TEST(DrawLine, EndPointRules) {
  struct Case {
    const char* name;
    int x0, y0, x1, y1;
    const char* mask;  // 6 x 4
  };
  const Case cases[] = {
      // Horizontal and vertical lines are rectangle fills: both ends drawn.
      {"horizontal", 1, 1, 4, 1, "....../.####./....../......"},
      {"horizontal reversed", 4, 1, 1, 1, "....../.####./....../......"},
      {"vertical", 2, 0, 2, 3, "..#.../..#.../..#.../..#..."},
      {"single point", 5, 3, 5, 3, "....../....../....../.....#"},
      // Other lines leave out their last pixel.
      {"shallow", 0, 0, 5, 3, "#...../.##.../...##./......"},
      {"shallow reversed", 5, 3, 0, 0, "....../.##.../...##./.....#"},
      {"diagonal", 0, 0, 3, 3, "#...../.#..../..#.../......"},
      {"steep", 1, 0, 3, 3, ".#..../..#.../..#.../......"},
      {"anti-diagonal", 5, 0, 2, 3, ".....#/....#./...#../......"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas cv(6, 4);
    DrawLine(&cv.rp, c.x0, c.y0, c.x1, c.y1, 1);
    EXPECT_EQ(cv.mask(), c.mask);
  }
}

TEST(DrawLine, StraightLinesTakeOverTheForegroundPen) {
  Canvas cv(4, 2);
  SetAPen(&cv.rp, 1);
  DrawLine(&cv.rp, 0, 0, 3, 0, 2);
  EXPECT_EQ(cv.rp.FgPen, 2u);
  DrawLine(&cv.rp, 0, 0, 3, 1, 1);  // a slanted line leaves the pen alone
  EXPECT_EQ(cv.rp.FgPen, 2u);
}

TEST(Draw, FollowsAndMovesThePenPosition) {
  Canvas cv(6, 6);
  SetAPen(&cv.rp, 1);
  Move(&cv.rp, 0, 0);
  Draw(&cv.rp, 4, 0);
  Draw(&cv.rp, 4, 4);
  Draw(&cv.rp, 0, 0);  // slanted: its own last pixel, (0, 0), comes from the first line
  EXPECT_EQ(cv.rp.cp_x, 0);
  EXPECT_EQ(cv.rp.cp_y, 0);
  EXPECT_EQ(cv.mask(), "#####./.#..#./..#.#./...##./....#./......");
}

TEST(DrawLine, ComplementUsesNotXorAndTwiceRestores) {
  Canvas cv(8, 8);
  SetAPen(&cv.rp, directPen(0x00336699));
  RectFill(&cv.rp, 0, 0, 3, 7);
  const std::string before = cv.mask();
  const uint32_t under = cv.at(1, 1);
  SetDrMd(&cv.rp, COMPLEMENT);
  const uint32_t pen = directPen(0x00F0F0F0);
  DrawLine(&cv.rp, 0, 0, 6, 6, pen);
  EXPECT_EQ(cv.at(1, 1), ~(under ^ 0x00F0F0F0u) & 0x00FFFFFFu);
  EXPECT_EQ(cv.at(5, 5), ~(kPaper ^ 0x00F0F0F0u) & 0x00FFFFFFu);
  DrawLine(&cv.rp, 0, 0, 6, 6, pen);
  EXPECT_EQ(cv.mask(), before);
  EXPECT_EQ(cv.at(1, 1), under);
  // Straight lines in complement mode invert, and also restore when repeated.
  DrawLine(&cv.rp, 0, 7, 7, 7, pen);
  EXPECT_EQ(cv.at(7, 7), ~kPaper & 0x00FFFFFFu);
  DrawLine(&cv.rp, 0, 7, 7, 7, pen);
  EXPECT_EQ(cv.mask(), before);
}

TEST(DrawLine, ClippedLinesKeepTheirPixels) {
  // The part of a line inside the clip is exactly the unclipped line's pixels there.
  struct Case {
    const char* name;
    int x0, y0, x1, y1;
  };
  const Case cases[] = {
      {"crossing left to right", -7, 1, 12, 6},
      {"crossing bottom to top", 3, 11, 6, -4},
      {"entering the top-left corner", -3, -2, 5, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas full(8, 8), clipped(8, 8);
    DrawLine(&full.rp, c.x0, c.y0, c.x1, c.y1, 1);
    Qz_SetClipRect(&clipped.rp, 2, 2, 5, 5);
    DrawLine(&clipped.rp, c.x0, c.y0, c.x1, c.y1, 1);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const bool inside = x >= 2 && x <= 5 && y >= 2 && y <= 5;
        EXPECT_EQ(clipped.at(x, y), inside ? full.at(x, y) : kPaper) << x << "," << y;
      }
  }
}

TEST(DrawLine, FarAwayEndPointsDoNotWalkTheWholeLine) {
  Canvas cv(4, 4);
  DrawLine(&cv.rp, INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX, 1);  // would take hours pixel by pixel
  DrawLine(&cv.rp, -2000000000, 2, 2000000000, 1, 1);
  EXPECT_NE(cv.mask().find('#'), std::string::npos);
}
