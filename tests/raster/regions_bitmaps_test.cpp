// Regions, clip rectangles, scrolling inside a buffer, bitmaps and planes.
#include <gtest/gtest.h>

#include <vector>

#include "canvas.h"

using rastertest::Canvas;
using rastertest::kPaper;

TEST(Region, OrRectNarrowsTheBounds) {
  struct Case {
    const char* name;
    bool clearFirst;
    std::vector<Rectangle> rects;
    Rectangle expected;
  };
  const Case cases[] = {
      {"after NewRegion exactly the rectangle", false, {{3, 4, 10, 20}}, {3, 4, 10, 20}},
      {"after ClearRegion exactly the rectangle", true, {{2, 0, 7, 9}}, {2, 0, 7, 9}},
      {"nothing below the origin", false, {{-5, -1, 7, 9}}, {0, 0, 7, 9}},
      {"a second one intersects", false, {{0, 0, 10, 10}, {5, -3, 20, 6}}, {5, 0, 10, 6}},
      {"disjoint ones leave an empty box", false, {{0, 0, 2, 2}, {5, 5, 9, 9}}, {5, 5, 2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Region* region = NewRegion();
    ASSERT_NE(region, nullptr);
    if (c.clearFirst) {
      OrRectRegion(region, &c.rects[0]);
      ClearRegion(region);
    }
    for (const Rectangle& r : c.rects) EXPECT_EQ(OrRectRegion(region, &r), 1);
    EXPECT_EQ(region->bounds.MinX, c.expected.MinX);
    EXPECT_EQ(region->bounds.MinY, c.expected.MinY);
    EXPECT_EQ(region->bounds.MaxX, c.expected.MaxX);
    EXPECT_EQ(region->bounds.MaxY, c.expected.MaxY);
    DisposeRegion(region);
  }
  const Rectangle r{0, 0, 1, 1};
  EXPECT_EQ(OrRectRegion(nullptr, &r), 0);
  DisposeRegion(nullptr);
}

TEST(Clip, RectangleIsInclusiveAndRemovable) {
  Canvas cv(6, 5);
  Qz_SetClipRect(&cv.rp, 1, 1, 4, 3);
  SetAPen(&cv.rp, 1);
  RectFill(&cv.rp, 0, 0, 5, 4);
  EXPECT_EQ(cv.mask(), "....../.####./.####./.####./......");
  Qz_ClearClip(&cv.rp);
  SetAPen(&cv.rp, 2);
  WritePixel(&cv.rp, 0, 0);
  EXPECT_EQ(cv.at(0, 0), 0x00FFFFFFu);
}

TEST(Scroll, ContentMovesAndTheUncoveredPartStays) {
  struct Case {
    const char* name;
    int dx, dy;
    const char* mask;  // where pen 1 is, 6 x 4, from a column at x = 3 inside the area 1..4 x 0..3
  };
  const Case cases[] = {
      {"left by one", 1, 0, "..#.../..#.../..#.../..#..."},
      {"right by one", -1, 0, "....#./....#./....#./....#."},
      {"down by two: the rows left behind keep their pixels", 0, -2, "...#../...#../...#../...#.."},
      {"nothing", 0, 0, "...#../...#../...#../...#.."},
      {"further than the area", 9, 0, "...#../...#../...#../...#.."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas cv(6, 4);
    SetAPen(&cv.rp, 1);
    RectFill(&cv.rp, 3, 0, 3, 3);
    Qz_ScrollRastPort(&cv.rp, c.dx, c.dy, 1, 0, 4, 3);
    EXPECT_EQ(cv.maskOf(0), c.mask);
  }
  // A row pattern scrolled up shows the lower rows one higher; pixels outside the area never change.
  Canvas cv(4, 4);
  for (int y = 0; y < 4; ++y) {
    SetAPen(&cv.rp, kDirectColourFlag | static_cast<uint32_t>(y + 1));
    RectFill(&cv.rp, 0, y, 3, y);
  }
  Qz_ScrollRastPort(&cv.rp, 0, 1, 1, 0, 2, 3);
  EXPECT_EQ(cv.at(1, 0), qz::raster::rgbFromColorRef(2));
  EXPECT_EQ(cv.at(2, 2), qz::raster::rgbFromColorRef(4));
  EXPECT_EQ(cv.at(1, 3), qz::raster::rgbFromColorRef(4));  // uncovered: keeps its old pixel
  EXPECT_EQ(cv.at(0, 0), qz::raster::rgbFromColorRef(1));
  EXPECT_EQ(cv.at(3, 1), qz::raster::rgbFromColorRef(2));
}

TEST(BitMap, RowBytesAndAttributes) {
  struct Case {
    uint32_t width, depth;
    uint16_t rowBytes;
  };
  const Case cases[] = {{1, 1, 4}, {32, 8, 4}, {33, 8, 8}, {64, 24, 8}, {100, 4, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    BitMap* bm = AllocBitMap(c.width, 3, c.depth, BMF_CLEAR, nullptr);
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(bm->BytesPerRow, c.rowBytes);
    EXPECT_EQ(GetBitMapAttr(bm, BMA_HEIGHT), 3u);
    EXPECT_EQ(GetBitMapAttr(bm, BMA_DEPTH), c.depth);
    EXPECT_EQ(GetBitMapAttr(bm, BMA_WIDTH), c.rowBytes * 8u);
    EXPECT_EQ(GetBitMapAttr(bm, BMA_FLAGS), BMF_CLEAR);
    EXPECT_EQ(GetBitMapAttr(bm, 99), 0u);
    // Every plane is usable to its end (the sanitizer build checks the bounds).
    const uint32_t planes = c.depth >= 16 ? 1 : c.depth;
    const std::size_t planeBytes = std::size_t{bm->BytesPerRow} * 3 * (c.depth >= 16 ? c.depth : 1);
    for (uint32_t k = 0; k < planes; ++k) {
      ASSERT_NE(bm->Planes[k], nullptr);
      EXPECT_EQ(bm->Planes[k][0], 0);
      bm->Planes[k][planeBytes - 1] = 0x5A;
    }
    QzBitmapInfo* info = alloc_bitmapinfo(bm);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->biSize, 40u);
    EXPECT_EQ(info->biWidth, c.rowBytes * 8);
    EXPECT_EQ(info->biHeight, -3);
    EXPECT_EQ(info->biPlanes, 1);
    EXPECT_EQ(info->biBitCount, c.depth);
    free_bitmapinfo(info);
    FreeBitMap(bm);
  }
  EXPECT_EQ(AllocBitMap(10, 10, 0, 0, nullptr), nullptr);
  EXPECT_EQ(AllocBitMap(10, 70000, 8, 0, nullptr), nullptr);
  EXPECT_EQ(AllocBitMap(0xFFFFFFFFu, 10, 8, 0, nullptr), nullptr);
  EXPECT_EQ(GetBitMapAttr(nullptr, BMA_WIDTH), 0u);
  FreeBitMap(nullptr);
}

TEST(PlanarToChunky, BitKFromPlaneKLeftmostInTheTopBit) {
  // Three planes, one byte per row, two rows; the destination has 6 bytes per row.
  std::vector<uint8_t> p0 = {0b10100000, 0x00}, p1 = {0b01100000, 0xFF}, p2 = {0b00010000, 0x80};
  uint8_t* planes[3] = {p0.data(), p1.data(), p2.data()};
  std::vector<uint8_t> dest(12, 0xEE);
  planar_to_chunky(planes, dest.data(), 2, 3, 1, 6);
  EXPECT_EQ(dest, (std::vector<uint8_t>{1, 2, 3, 4, 0, 0, 6, 2, 2, 2, 2, 2}));
  std::vector<uint8_t> untouched(4, 0xEE);
  planar_to_chunky(planes, untouched.data(), 1, 9, 1, 4);  // more than 8 planes: nothing
  planar_to_chunky(planes, untouched.data(), 1, 0, 1, 4);
  EXPECT_EQ(untouched, std::vector<uint8_t>(4, 0xEE));
}

TEST(Stubs, FixedAnswers) {
  EXPECT_EQ(AreaEnd(nullptr), -1);
  EXPECT_EQ(getreg(0), 1);
  EXPECT_EQ(UnlockPubScreen(nullptr, nullptr), 0);
  EXPECT_EQ(Qz__InitExecute(), 0);
  EXPECT_EQ(ImageToWindowXa(nullptr, 5), 0);
  EXPECT_EQ(WindowToImageYa(nullptr, 5), 0);
}
