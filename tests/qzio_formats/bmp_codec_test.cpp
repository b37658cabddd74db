// BMP codec core: bitmaps ImageMagick and netpbm write (1, 4, 8, 24 and
// 32 bits, OS/2, RLE8) and hand-built ones (top-down, delta escapes) load
// with their pixels; what we write other programs read back exactly.
#include <gtest/gtest.h>

#include <utility>

#include "codec_test_support.h"
#include "qzio/codec_bmp.h"
#include "qzio/load_problem.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;

using qztest::probeOf;

uint32_t decodeFile(const std::string& path, PictureRows& rows, ImageInfo* infoOut = nullptr) {
  BmpLayout layout;
  ImageInfo info;
  const std::vector<uint8_t> bytes = qztest::readFile(path);
  uint32_t result = bmpIdentify(probeOf(bytes), bytes.size(), layout, info);
  if (infoOut) *infoOut = info;
  if (result != kOk) return result;
  rows.resize(info.width, info.height, info.bitplaneBytesPerRow);
  FILE* file = std::fopen(path.c_str(), "rb");
  result = bmpDecode(file, layout, info, rows);
  std::fclose(file);
  return result;
}

void put16(std::vector<uint8_t>& v, uint32_t x) { v.push_back(uint8_t(x)), v.push_back(uint8_t(x >> 8)); }
void put32(std::vector<uint8_t>& v, uint32_t x) { put16(v, x & 0xFFFF), put16(v, x >> 16); }

// File header and 40-byte info header; the caller appends table and pixels.
std::vector<uint8_t> infoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                                uint32_t tableEntries, uint32_t extraBeforePixels = 0) {
  std::vector<uint8_t> b = {'B', 'M'};
  put32(b, 0);                                                // file size (readers ignore it)
  put32(b, 0);                                                // reserved
  put32(b, 54 + extraBeforePixels + tableEntries * 4);        // pixel offset
  put32(b, 40);                                               // header size
  put32(b, uint32_t(width)), put32(b, uint32_t(height));
  put16(b, 1), put16(b, bits), put32(b, compression);
  put32(b, 0), put32(b, 2835), put32(b, 2835), put32(b, tableEntries), put32(b, 0);
  return b;
}

// 24- or 32-bit rows of `image`, bottom-up or top-down.
std::vector<uint8_t> truecolourBitmap(const RgbImage& image, uint16_t bits, bool topDown) {
  const int32_t height = topDown ? -int32_t(image.height) : int32_t(image.height);
  std::vector<uint8_t> b = infoHeader(int32_t(image.width), height, bits, 0, 0);
  const uint32_t rowBytes = (image.width * bits / 8 + 3) & ~3u;
  for (uint32_t i = 0; i < image.height; ++i) {
    const uint32_t y = topDown ? i : image.height - 1 - i;
    const size_t start = b.size();
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t* p = image.at(x, y);
      b.insert(b.end(), {p[2], p[1], p[0]});
      if (bits == 32) b.push_back(0x7F);
    }
    b.resize(start + rowBytes, 0);
  }
  return b;
}

class BmpCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    ppmtobmp_ = qztest::toolPath("ppmtobmp");
    source_ = qztest::makeGradient(13, 7);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  std::string make(const std::string& name, const std::string& command) {
    const std::string out = dir_.file(name);
    EXPECT_TRUE(qztest::run(command + " > '" + out + "'"));
    return out;
  }
  std::string imageMagick(const std::string& name, const std::string& options, const std::string& prefix) {
    return make(name, convert_ + " '" + dir_.file("source.ppm") + "' " + options + " " + prefix + "-");
  }
  std::string netpbm(const std::string& name, const std::string& reduce, const std::string& options) {
    const std::string reduced = dir_.file("reduced.ppm");
    EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' " + reduce + " ppm:'" + reduced + "'"));
    return make(name, ppmtobmp_ + " " + options + " '" + reduced + "'");
  }
  qztest::TempDir dir_;
  std::string convert_, ppmtobmp_;
  RgbImage source_;
};

TEST_F(BmpCodec, LoadsWhatOtherProgramsWriteWithItsPixels) {
  if (convert_.empty() || ppmtobmp_.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  struct Case {
    const char* name;
    std::string path;
    uint32_t depth, lastLayout;
  } cases[] = {
      {"24-bit", imageMagick("24.bmp", "", "BMP3:"), 24, kLayoutBGR},
      {"8-bit palette", imageMagick("8.bmp", "-colors 9 -type Palette", "BMP3:"), 8, kLayoutIndex},
      {"RLE8", imageMagick("rle8.bmp", "-colors 9 -type Palette -compress RLE", "BMP3:"), 8, kLayoutIndex},
      {"32-bit bitfields", imageMagick("32.bmp", "-alpha set", "BMP:"), 24, kLayoutRGB},
      {"4-bit", netpbm("4.bmp", "-colors 9", "-bpp 4"), 8, kLayoutIndex},
      {"1-bit", netpbm("1.bmp", "-monochrome", "-bpp 1"), 1, kLayoutBits},
      {"OS/2 8-bit", netpbm("os2.bmp", "-colors 9", "-os2 -bpp 8"), 8, kLayoutIndex},
      {"OS/2 24-bit", netpbm("os2-24.bmp", "", "-os2 -bpp 24"), 24, kLayoutBGR},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeFile(c.path, rows, &info), kOk);
    EXPECT_EQ(info.depth, c.depth);
    EXPECT_EQ(rows.lastLayout, c.lastLayout);
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(c.path, reference, dir_.path()));
    EXPECT_EQ(qztest::maxDifference(rows.image, reference), 0);
  }
}

TEST_F(BmpCodec, HandBuiltBitmapsLoad) {
  // RLE8, 4 x 3, bottom row first: a run pair, a delta to the next row and
  // one pixel right, a padded literal, end of picture.
  std::vector<uint8_t> rle = infoHeader(4, 3, 8, 1, 3);
  put32(rle, 0x000000), put32(rle, 0xFF0000), put32(rle, 0x00FF00);  // black, red, green (B, G, R, 0)
  rle.insert(rle.end(), {2, 1, 2, 2, 0, 0,   // row 0: 1 1 2 2, end of row
                         0, 2, 1, 1,         // delta: row 1 stays empty, row 2 from x = 1
                         0, 3, 1, 2, 1, 0,   // literal 1 2 1, padded
                         0, 1});             // end of picture
  qztest::writeFile(dir_.file("rle.bmp"), rle);
  PictureRows rows;
  ASSERT_EQ(decodeFile(dir_.file("rle.bmp"), rows), kOk);
  auto red = [&](uint32_t x, uint32_t y) { return rows.image.at(x, y)[0]; };
  auto green = [&](uint32_t x, uint32_t y) { return rows.image.at(x, y)[1]; };
  EXPECT_EQ(red(0, 2), 255);  // bottom row: red red green green
  EXPECT_EQ(green(3, 2), 255);
  EXPECT_EQ(red(0, 1) + green(0, 1), 0);  // skipped row stays black
  EXPECT_EQ(red(0, 0) + green(0, 0), 0);  // top row: black red green red
  EXPECT_EQ(red(1, 0), 255);
  EXPECT_EQ(green(2, 0), 255);
  EXPECT_EQ(red(3, 0), 255);

  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  } cases[] = {
      {"top-down 24-bit", truecolourBitmap(source_, 24, true)},
      {"bottom-up 32-bit", truecolourBitmap(source_, 32, false)},
      {"top-down 32-bit", truecolourBitmap(source_, 32, true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qztest::writeFile(dir_.file("hand.bmp"), c.file);
    PictureRows picture;
    ASSERT_EQ(decodeFile(dir_.file("hand.bmp"), picture), kOk);
    EXPECT_EQ(qztest::maxDifference(picture.image, source_), 0);
  }
}

TEST_F(BmpCodec, IdentifyAndLoadRefusals) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    uint32_t identify, decode;
  } cases[] = {
      {"RLE4 is identified, then refused", [] { auto b = infoHeader(4, 2, 4, 2, 16); b.resize(54 + 64 + 8); return b; }(),
       kOk, kNotHandled},
      {"compressed 24-bit", infoHeader(4, 2, 24, 1, 0), kOk, kNotHandled},
      {"16-bit", infoHeader(4, 2, 16, 0, 0), kNotThisFormat, 0},
      {"zero width", infoHeader(0, 2, 24, 0, 0), kNotThisFormat, 0},
      {"two planes", [] { auto b = infoHeader(4, 2, 24, 0, 0); b[26] = 2; return b; }(), kNotThisFormat, 0},
      {"unknown header size", [] { auto b = infoHeader(4, 2, 24, 0, 0); b[14] = 44; return b; }(), kNotThisFormat, 0},
      {"pixels inside the header", [] { auto b = infoHeader(4, 2, 24, 0, 0); b[10] = 20; return b; }(), kNotThisFormat, 0},
      {"not BM", {'B', 'A', 0, 0}, kNotThisFormat, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qztest::writeFile(dir_.file("refused.bmp"), c.file);
    PictureRows rows;
    ImageInfo info;
    BmpLayout layout;
    EXPECT_EQ(bmpIdentify(probeOf(c.file), 4096, layout, info), c.identify);
    if (c.identify == kOk) {
      EXPECT_EQ(decodeFile(dir_.file("refused.bmp"), rows), c.decode);
    }
  }
  // A 33-pixel-wide 1-bit bitmap has 8 bytes a row.
  ImageInfo info;
  BmpLayout layout;
  std::vector<uint8_t> oneBit = infoHeader(33, 2, 1, 0, 2);
  ASSERT_EQ(bmpIdentify(probeOf(oneBit), 4096, layout, info), kOk);
  EXPECT_EQ(info.bitplaneBytesPerRow, 8u);
}

TEST_F(BmpCodec, SavesA24BitBitmapOthersReadExactly) {
  // One pixel wide: 4-byte rows, file size 54 + 4 x height.
  PictureRows narrow(qztest::makeGradient(1, 5));
  FILE* file = std::fopen(dir_.file("narrow.bmp").c_str(), "wb");
  ASSERT_EQ(bmpEncode(file, 1, 5, 24, narrow), kOk);
  std::fclose(file);
  const std::vector<uint8_t> bytes = qztest::readFile(dir_.file("narrow.bmp"));
  ASSERT_EQ(bytes.size(), 54u + 4 * 5);
  std::vector<uint8_t> expected = {'B', 'M', 74, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                   1, 0, 0, 0, 5, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 20, 0, 0, 0};
  expected.resize(54, 0);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin()));

  PictureRows rows(source_);
  file = std::fopen(dir_.file("saved.bmp").c_str(), "wb");
  ASSERT_EQ(bmpEncode(file, 13, 7, 24, rows), kOk);
  EXPECT_EQ(bmpEncode(file, 13, 7, 8, rows), kNotHandled);  // refused before the stream is touched
  std::fclose(file);
  PictureRows back;
  ASSERT_EQ(decodeFile(dir_.file("saved.bmp"), back), kOk);
  EXPECT_EQ(qztest::maxDifference(back.image, source_), 0);
  const std::string bmptopnm = qztest::toolPath("bmptopnm");
  if (!bmptopnm.empty()) {
    ASSERT_TRUE(qztest::run(bmptopnm + " '" + dir_.file("saved.bmp") + "' > '" + dir_.file("netpbm.ppm") + "'"));
    RgbImage netpbmImage;
    ASSERT_TRUE(qztest::readPnm(dir_.file("netpbm.ppm"), netpbmImage));
    EXPECT_EQ(qztest::maxDifference(netpbmImage, source_), 0);
  }
  RgbImage imageMagickImage;
  if (!convert_.empty() && qztest::decodeWithImageMagick(dir_.file("saved.bmp"), imageMagickImage, dir_.path())) {
    EXPECT_EQ(qztest::maxDifference(imageMagickImage, source_), 0);
  }
}

TEST_F(BmpCodec, DamagedFilesEndCleanly) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string sources[] = {imageMagick("rle.bmp", "-colors 9 -type Palette -compress RLE", "BMP3:"),
                                 imageMagick("24.bmp", "", "BMP3:")};
  for (const std::string& source : sources) {
    SCOPED_TRACE(source);
    for (const std::vector<uint8_t>& bad : qztest::damagedCopies(qztest::readFile(source))) {
      qztest::writeFile(dir_.file("bad.bmp"), bad);
      PictureRows rows;
      const uint32_t result = decodeFile(dir_.file("bad.bmp"), rows);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError || result == kNotHandled) << result;
      if (bad.size() < 54) {
        EXPECT_EQ(result, kNotThisFormat) << bad.size();
      }
    }
  }
}

// A few hundred bytes claiming 64518 x 64507 pixels are damaged, found from
// the header before any buffer; a bitmap cut short opens with the rows it
// has and says so once.
TEST_F(BmpCodec, ClaimedSizeAndShortFiles) {
  for (uint32_t compression : {0u, 1u}) {
    SCOPED_TRACE(compression);
    std::vector<uint8_t> huge = infoHeader(64518, 64507, compression ? 8 : 24, compression, compression ? 2 : 0);
    huge.resize(425, 0x55);
    ImageInfo info;
    BmpLayout layout;
    takeLoadProblem();
    EXPECT_EQ(bmpIdentify(probeOf(huge), huge.size(), layout, info), kReadError);
    EXPECT_NE(takeLoadProblem().text.find("too short"), std::string::npos);
  }
  // Past the largest side a picture can have, the size itself is what is wrong.
  for (const auto& [w, h] : {std::pair{100000, 100000}, std::pair{13, 70000}}) {
    SCOPED_TRACE(w);
    std::vector<uint8_t> impossible = infoHeader(w, h, 24, 0, 0);
    impossible.resize(425, 0x55);
    ImageInfo info;
    BmpLayout layout;
    takeLoadProblem();
    EXPECT_EQ(bmpIdentify(probeOf(impossible), impossible.size(), layout, info), kReadError);
    EXPECT_EQ(takeLoadProblem().text, "BMP: a picture of " + std::to_string(w) + " x " + std::to_string(h) +
                                          " pixels cannot be: a side is at most 65536 pixels");
  }
  const std::vector<uint8_t> whole = truecolourBitmap(source_, 24, false);
  const uint32_t rowBytes = 40;  // 13 pixels of 3 bytes, padded to 4
  ASSERT_EQ(whole.size(), 54u + rowBytes * 7);
  qztest::writeFile(dir_.file("whole.bmp"), whole);
  PictureRows all;
  ASSERT_EQ(decodeFile(dir_.file("whole.bmp"), all), kOk);
  EXPECT_FALSE(takeLoadProblem().partial);
  std::vector<uint8_t> cut(whole.begin(), whole.begin() + 54 + rowBytes * 3);
  qztest::writeFile(dir_.file("cut.bmp"), cut);
  PictureRows some;
  ASSERT_EQ(decodeFile(dir_.file("cut.bmp"), some), kOk);
  EXPECT_EQ(some.rowsStored, 3u);
  const LoadProblem problem = takeLoadProblem();
  EXPECT_TRUE(problem.partial);
  EXPECT_NE(problem.text.find("3 of its 7 rows"), std::string::npos) << problem.text;
}

}  // namespace
