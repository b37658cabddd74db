// Pixel arrays: formats, strides, offsets, stretching, clipping; checked
// against ImageMagick's nearest-neighbour sampling where it is installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "canvas.h"
#include "support/temp_dir.h"

using rastertest::Canvas;
using rastertest::kPaper;

namespace {

// A BGR24 image with a row stride, pixel (x, y) = 0x00RRGGBB of value(x, y).
struct Bgr24 {
  int width, height, stride;
  std::vector<uint8_t> bytes;
  Bgr24(int w, int h, int s) : width(w), height(h), stride(s), bytes(static_cast<std::size_t>(s) * h, 0xEE) {}
  void set(int x, int y, uint32_t rgb) {
    uint8_t* p = &bytes[static_cast<std::size_t>(y) * stride + x * 3];
    p[0] = rgb & 0xFF;
    p[1] = (rgb >> 8) & 0xFF;
    p[2] = (rgb >> 16) & 0xFF;
  }
};

uint32_t value(int x, int y) { return 0x00010000u * (10 + x) + 0x00000100u * (20 + y) + 0x33u; }

}  // namespace

TEST(WritePixelArray, FormatsAndStrides) {
  // 2 x 2 pixels; every format given with padding bytes at the end of each row.
  Bgr24 bgr(2, 2, 8);
  std::vector<uint8_t> xrgb(2 * 12, 0xEE);
  std::vector<uint8_t> lut(2 * 5, 0xEE);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      bgr.set(x, y, value(x, y));
      uint8_t* p = &xrgb[y * 12 + x * 4];
      p[0] = value(x, y) & 0xFF, p[1] = (value(x, y) >> 8) & 0xFF, p[2] = value(x, y) >> 16, p[3] = 0x7F;
      lut[y * 5 + x] = static_cast<uint8_t>(y * 2 + x);  // pens 0..3
    }
  {
    Canvas cv(4, 3);
    WritePixelArray(bgr.bytes.data(), 0, 0, bgr.stride, &cv.rp, 1, 1, 2, 2, kPixelFormatBGR24);
    EXPECT_EQ(cv.at(1, 1), value(0, 0));
    EXPECT_EQ(cv.at(2, 1), value(1, 0));
    EXPECT_EQ(cv.at(1, 2), value(0, 1));
    EXPECT_EQ(cv.at(2, 2), value(1, 1));
    EXPECT_EQ(cv.mask(), "..../.##./.##.");
  }
  for (uint32_t format : {kPixelFormatXRGB32, kPixelFormatXRGB32b}) {
    SCOPED_TRACE(format);
    Canvas cv(2, 2);
    WritePixelArray(xrgb.data(), 0, 0, 12, &cv.rp, 0, 0, 2, 2, format);
    EXPECT_EQ(cv.at(1, 1), value(1, 1));  // the X byte is dropped
  }
  {
    Canvas cv(2, 2);
    WritePixelArray(lut.data(), 0, 0, 5, &cv.rp, 0, 0, 2, 2, kPixelFormatLUT8);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(cv.at(i % 2, i / 2), qz::raster::rgbFromColorRef(Qz_GetScreenPens()[i])) << "pen " << i;
  }
}

TEST(WritePixelArray, SourceOffsetClipAndRefusals) {
  Bgr24 bgr(4, 3, 12);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) bgr.set(x, y, value(x, y));
  Canvas cv(3, 3);
  WritePixelArray(bgr.bytes.data(), 2, 1, 12, &cv.rp, 0, 0, 2, 2, kPixelFormatBGR24);
  EXPECT_EQ(cv.at(0, 0), value(2, 1));
  EXPECT_EQ(cv.at(1, 1), value(3, 2));
  EXPECT_EQ(cv.at(2, 2), kPaper);

  Canvas clipped(4, 4);
  Qz_SetClipRect(&clipped.rp, 1, 1, 2, 2);
  WritePixelArray(bgr.bytes.data(), 0, 0, 12, &clipped.rp, -1, 0, 4, 3, kPixelFormatBGR24);
  EXPECT_EQ(clipped.mask(), "..../.##./.##./....");
  EXPECT_EQ(clipped.at(1, 1), value(2, 1));

  struct Refusal {
    const char* name;
    const void* src;
    int srcX, stride, width;
    uint32_t format;
  };
  const Refusal refusals[] = {
      {"null source", nullptr, 0, 12, 2, kPixelFormatBGR24},
      {"unknown format", bgr.bytes.data(), 0, 12, 2, 7},
      {"stride shorter than the row", bgr.bytes.data(), 0, 5, 2, kPixelFormatBGR24},
      {"offset row beyond the stride", bgr.bytes.data(), 3, 12, 2, kPixelFormatBGR24},
      {"no stride", bgr.bytes.data(), 0, 0, 2, kPixelFormatBGR24},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.name);
    Canvas none(3, 3);
    WritePixelArray(r.src, r.srcX, 0, r.stride, &none.rp, 0, 0, r.width, 2, r.format);
    EXPECT_TRUE(none.allPaper());
  }
  WritePixelArray(bgr.bytes.data(), 0, 0, 12, nullptr, 0, 0, 2, 2, kPixelFormatBGR24);
}

TEST(ScalePixelArray, NearestNeighbourColumns) {
  struct Case {
    const char* name;
    int srcW, dstW;
    std::vector<int> columns;  // source column of each target column
  };
  const Case cases[] = {
      {"double", 2, 4, {0, 0, 1, 1}},
      {"halve takes the centres", 4, 2, {1, 3}},
      {"three to five", 3, 5, {0, 0, 1, 2, 2}},
      {"same size", 3, 3, {0, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bgr24 src(c.srcW, 1, 4 * c.srcW);
    for (int x = 0; x < c.srcW; ++x) src.set(x, 0, value(x, 0));
    Canvas cv(c.dstW, 2);
    ScalePixelArray(src.bytes.data(), c.srcW, 1, src.stride, &cv.rp, 0, 0, c.dstW, 2, kPixelFormatBGR24);
    for (int x = 0; x < c.dstW; ++x) {
      EXPECT_EQ(cv.at(x, 0), value(c.columns[x], 0)) << "column " << x;
      EXPECT_EQ(cv.at(x, 1), value(c.columns[x], 0)) << "column " << x;
    }
  }
}

TEST(ScalePixelArray, TwoByTwoToFourByFour) {
  Bgr24 src(2, 2, 8);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) src.set(x, y, value(x, y));
  Canvas cv(4, 4);
  ScalePixelArray(src.bytes.data(), 2, 2, 8, &cv.rp, 0, 0, 4, 4, kPixelFormatBGR24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(cv.at(x, y), value(x / 2, y / 2)) << x << "," << y;
  Canvas none(4, 4);
  ScalePixelArray(src.bytes.data(), 2, 2, 8, &none.rp, 0, 0, 0, 4, kPixelFormatBGR24);
  ScalePixelArray(src.bytes.data(), 2, 2, 8, &none.rp, 0, 0, -4, 4, kPixelFormatBGR24);
  EXPECT_TRUE(none.allPaper());
}

// ImageMagick's -sample picks the source pixel under each target pixel's centre, as we do.
TEST(ScalePixelArray, MatchesImageMagickSample) {
  const char* convert = "/usr/bin/convert";
  if (std::system("/usr/bin/convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
  const int sw = 7, sh = 5, dw = 17, dh = 3;
  Bgr24 src(sw, sh, sw * 3 + 1);
  std::string ppm = "P6\n" + std::to_string(sw) + " " + std::to_string(sh) + "\n255\n";
  for (int y = 0; y < sh; ++y)
    for (int x = 0; x < sw; ++x) {
      const uint32_t rgb = (uint32_t(x * 37) << 16) | (uint32_t(y * 51) << 8) | uint32_t((x * y * 13) & 0xFF);
      src.set(x, y, rgb);
      ppm += static_cast<char>(rgb >> 16);
      ppm += static_cast<char>((rgb >> 8) & 0xFF);
      ppm += static_cast<char>(rgb & 0xFF);
    }
  qztest::TempDir dir;
  std::ofstream(dir.file("in.ppm"), std::ios::binary) << ppm;
  const std::string cmd = std::string(convert) + " " + dir.file("in.ppm") + " -sample " + std::to_string(dw) + "x" +
                          std::to_string(dh) + "! " + dir.file("out.ppm");
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(dir.file("out.ppm"), std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  in >> magic >> w >> h >> maxval;
  in.get();
  ASSERT_EQ(magic, "P6");
  ASSERT_EQ(w, dw);
  ASSERT_EQ(h, dh);
  std::vector<unsigned char> out(static_cast<std::size_t>(dw) * dh * 3);
  in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));

  Canvas cv(dw, dh);
  ScalePixelArray(src.bytes.data(), sw, sh, src.stride, &cv.rp, 0, 0, dw, dh, kPixelFormatBGR24);
  for (int y = 0; y < dh; ++y)
    for (int x = 0; x < dw; ++x) {
      const unsigned char* p = &out[(static_cast<std::size_t>(y) * dw + x) * 3];
      EXPECT_EQ(cv.at(x, y), (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]) << x << "," << y;
    }
}
