// Rectangle fills, pens and draw modes, pixel reads.
#include <gtest/gtest.h>

#include "canvas.h"

using rastertest::Canvas;
using rastertest::directPen;
using rastertest::kPaper;

TEST(RectFill, CornersInAnyOrderAreInclusive) {
  struct Case {
    const char* name;
    int x0, y0, x1, y1;
  };
  const Case cases[] = {
      {"ordered", 1, 1, 3, 2},
      {"reversed", 3, 2, 1, 1},
      {"mixed", 1, 2, 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas cv(5, 4);
    SetAPen(&cv.rp, 1);
    RectFill(&cv.rp, c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(cv.mask(), "...../.###./.###./.....");
  }
}

TEST(RectFill, ReversedCornersFillFiveToTen) {
  Canvas cv(12, 12);
  SetAPen(&cv.rp, 1);
  RectFill(&cv.rp, 10, 10, 5, 5);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(cv.at(x, y) != kPaper, x >= 5 && x <= 10 && y >= 5 && y <= 10) << x << "," << y;
}

TEST(RectFill, ComplementTwiceRestores) {
  Canvas cv(6, 6);
  SetAPen(&cv.rp, directPen(0x00FF0000));
  RectFill(&cv.rp, 0, 0, 2, 5);
  const std::string before = cv.mask();
  const uint32_t red = cv.at(1, 1);
  SetDrMd(&cv.rp, COMPLEMENT);
  RectFill(&cv.rp, 1, 1, 4, 4);
  EXPECT_EQ(cv.at(1, 1), 0x0000FFFFu);                 // red inverted, top byte untouched
  EXPECT_EQ(cv.at(4, 4), ~kPaper & 0x00FFFFFFu);
  RectFill(&cv.rp, 4, 4, 1, 1);
  EXPECT_EQ(cv.mask(), before);
  EXPECT_EQ(cv.at(1, 1), red);
}

TEST(Pens, DirectColoursAndScreenPens) {
  struct Case {
    const char* name;
    uint32_t pen;
    uint32_t rgb;  // expected pixel
  };
  const Case cases[] = {
      {"direct red", 0x02000000u + 255, 0x00FF0000},
      {"direct blue", 0x02FF0000u, 0x000000FF},
      {"pen 1 shadow", 1, 0x00000000},
      {"pen 2 shine", 2, 0x00FFFFFF},
      {"pen 3 highlight", 3, 0x003CB4FF},  // COLORREF 0xFFB43C
      {"pen numbers wrap at 256", 256 + 2, 0x00FFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas cv(2, 2);
    SetAPen(&cv.rp, c.pen);
    WritePixel(&cv.rp, 1, 0);
    EXPECT_EQ(cv.at(1, 0), c.rgb);
    EXPECT_EQ(cv.at(0, 0), kPaper);
    EXPECT_EQ(ReadRGBPixel(&cv.rp, 1, 0), qz::raster::colorRefFromRgb(c.rgb));
  }
}

TEST(Pens, ObtainBestPenAndGetRGB32) {
  EXPECT_EQ(ObtainBestPen(nullptr, 0xFF000000u, 0x80000000u, 0x01000000u), 0x020180FFu);
  uint32_t rgb[3] = {};
  GetRGB32(nullptr, 3, 1, rgb);  // 0xFFB43C: red 0x3C, green 0xB4, blue 0xFF
  EXPECT_EQ(rgb[0], 0x3C3C3C3Cu);
  EXPECT_EQ(rgb[1], 0xB4B4B4B4u);
  EXPECT_EQ(rgb[2], 0xFFFFFFFFu);
}

TEST(RectFill, EraseRectLeavesForegroundPenZero) {
  Canvas cv(3, 3);
  SetAPen(&cv.rp, 2);
  EraseRect(&cv.rp, 0, 0, 1, 1);
  EXPECT_EQ(cv.rp.FgPen, 0u);
  EXPECT_EQ(cv.at(1, 1), qz::raster::rgbFromColorRef(Qz_GetScreenPens()[0]));
  EXPECT_EQ(cv.at(2, 2), kPaper);
}

TEST(FillPixelArray, FillsWidthByHeightAndCounts) {
  Canvas cv(5, 4);
  EXPECT_EQ(FillPixelArray(&cv.rp, 1, 1, 3, 2, 0x0000FF), 6);  // COLORREF red
  EXPECT_EQ(cv.maskOf(0x00FF0000), "...../.###./.###./.....");
  EXPECT_EQ(FillPixelArray(nullptr, 0, 0, 3, 2, 0), 0);
  EXPECT_EQ(FillPixelArray(&cv.rp, 0, 0, 0, 5, 0), 0);
  EXPECT_EQ(FillPixelArray(&cv.rp, 0, 0, -2, -3, 0), 0);  // not a positive count for nothing drawn
}

TEST(Clip, FillsStopAtEveryEdgeOfBufferAndClip) {
  struct Case {
    const char* name;
    int x0, y0, x1, y1;
    const char* mask;
  };
  // Clip rectangle 1..3 x 1..2 (inclusive) on a 5 x 4 buffer.
  const Case cases[] = {
      {"covering", -100, -100, 100, 100, "...../.###./.###./....."},
      {"left edge", -5, 1, 1, 1, "...../.#.../...../....."},
      {"right edge", 3, 2, 99, 2, "...../...../...#./....."},
      {"top edge", 2, -9, 2, 1, "...../..#../...../....."},
      {"bottom edge", 1, 2, 1, 40, "...../...../.#.../....."},
      {"outside", 4, 0, 9, 9, "...../...../...../....."},
      {"huge", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, "...../.###./.###./....."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas cv(5, 4);
    Qz_SetClipRect(&cv.rp, 1, 1, 3, 2);
    SetAPen(&cv.rp, 1);
    RectFill(&cv.rp, c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(cv.mask(), c.mask);
  }
  Canvas cv(3, 2);
  SetAPen(&cv.rp, 1);
  RectFill(&cv.rp, -10, -10, 10, 10);  // no clip: the whole buffer, nothing beyond it
  EXPECT_EQ(cv.mask(), "###/###");
  Qz_SetClipRect(&cv.rp, 2, 0, 1, 1);  // an empty clip draws nothing
  SetAPen(&cv.rp, 2);
  RectFill(&cv.rp, 0, 0, 2, 1);
  EXPECT_EQ(cv.maskOf(0x00FFFFFF), ".../...");
}

TEST(RastPort, WithoutTargetNothingHappens) {
  RastPort rp{};
  Qz_AttachRastPort(&rp, nullptr);
  EXPECT_EQ(rp.DrawMode, JAM2);
  EXPECT_EQ(rp.TxHeight, 13);
  RectFill(&rp, 0, 0, 5, 5);
  Draw(&rp, 9, 4);
  EXPECT_EQ(rp.cp_x, 9);
  EXPECT_EQ(ReadRGBPixel(&rp, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Text(&rp, "ab", 2), 16);
  RectFill(nullptr, 0, 0, 1, 1);
  EXPECT_EQ(GetDrMd(nullptr), 0u);
}

TEST(RastPort, DirtyAreaCoversWhatWasDrawn) {
  Canvas cv(20, 20);
  cv.buffer.takeDirty();
  SetAPen(&cv.rp, 1);
  RectFill(&cv.rp, 2, 3, 4, 5);
  Move(&cv.rp, 10, 10);
  Draw(&cv.rp, 14, 12);
  const qz::raster::IntRect d = cv.buffer.takeDirty();
  EXPECT_EQ(d, (qz::raster::IntRect{2, 3, 14, 13}));  // the line's last pixel is not drawn
  EXPECT_TRUE(cv.buffer.dirty().empty());
}
