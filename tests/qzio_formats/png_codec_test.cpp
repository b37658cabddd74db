// PNG codec core: every colour type ImageMagick writes loads as 8-bit RGB
// with its pixels, what we write reads back exactly, damage is refused, or
// told with the rows read before it kept.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "codec_test_support.h"
#include "qzio/codec_png.h"
#include "qzio/load_problem.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;

uint32_t decodeFile(const std::string& path, PictureRows& rows, ImageInfo* infoOut = nullptr) {
  return qztest::decodeStdioFile(path, rows, infoOut, pngReadInfo, pngDecode);
}

uint32_t encodeFile(const std::string& path, PictureRows& rows, const PngSaveOptions& options) {
  return qztest::encodeStdioFile(path, [&](FILE* file) { return pngEncode(file, rows.image.width, rows.image.height, options, rows); });
}

class PngCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    source_ = qztest::makeGradient(13, 7);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  std::string imageMagickPng(const std::string& name, const std::string& options, const std::string& prefix) {
    const std::string out = dir_.file(name);
    EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' " + options + " " + prefix + "'" + out + "'"));
    return out;
  }
  qztest::TempDir dir_;
  std::string convert_;
  RgbImage source_;
};

TEST_F(PngCodec, LoadsEveryKindImageMagickWritesWithItsPixels) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  struct Case {
    const char* name;
    std::string options;
    std::string prefix;
    uint32_t depth;
    int tolerance;  // 16-bit files: ImageMagick rounds, we keep the high byte
  } cases[] = {
      {"RGB", "", "PNG24:", 24, 0},
      {"palette", "-colors 7", "PNG8:", 24, 0},
      {"1-bit grey", "-monochrome", "PNG:", 24, 0},
      {"8-bit grey", "-colorspace Gray", "PNG:", 24, 0},
      {"16-bit", "-depth 16", "PNG48:", 24, 1},
      {"alpha", "-alpha set -channel A -fx 0.5 +channel", "PNG32:", 32, 0},
      {"grey and alpha", "-colorspace Gray -alpha set -channel A -fx 0.5 +channel", "PNG:", 32, 0},
      {"palette with transparency", "-fill black -draw 'point 0,0' -transparent black", "PNG8:", 32, 0},
      {"interlaced", "-interlace PNG", "PNG24:", 24, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = imageMagickPng(std::string("in.png"), c.options, c.prefix);
    EXPECT_TRUE(pngProbeMatches(qztest::readFile(path)));
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeFile(path, rows, &info), kOk);
    EXPECT_EQ(info.depth, c.depth);
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(path, reference, dir_.path()));
    EXPECT_LE(qztest::maxDifference(rows.image, reference), c.tolerance);
  }
}

TEST_F(PngCodec, WhatWeWriteReadsBackExactlyElsewhere) {
  struct Case {
    const char* name;
    PngSaveOptions options;
    uint8_t colourType, interlace;
  } cases[] = {
      {"RGB", {6, false, false}, 2, 0},
      {"interlaced", {9, true, false}, 2, 1},
      {"interlaced with alpha", {0, true, true}, 6, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows(source_);
    const std::string path = dir_.file(std::string(c.name) + ".png");
    ASSERT_EQ(encodeFile(path, rows, c.options), kOk);
    const std::vector<uint8_t> bytes = qztest::readFile(path);
    ASSERT_GT(bytes.size(), 29u);
    EXPECT_EQ(bytes[25], c.colourType);  // IHDR fields after signature, length, type, sides, bit depth
    EXPECT_EQ(bytes[28], c.interlace);
    PictureRows back;
    ASSERT_EQ(decodeFile(path, back), kOk);
    EXPECT_EQ(qztest::maxDifference(back.image, source_), 0);
    if (convert_.empty()) continue;
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(path, reference, dir_.path()));
    EXPECT_EQ(qztest::maxDifference(reference, source_), 0);
    if (c.options.alpha) {
      // No mask behind the rows: every pixel is opaque.
      std::string out = dir_.file("alpha.txt");
      ASSERT_TRUE(qztest::run(convert_ + " '" + path + "' -format '%[fx:minima.a]' info:'" + out + "'"));
      const std::vector<uint8_t> text = qztest::readFile(out);
      EXPECT_EQ(std::string(text.begin(), text.end()), "1");
    }
  }
}

TEST_F(PngCodec, StopRequestsEndWithNine) {
  PictureRows rows(qztest::makeGradient(30, 30));
  rows.stopAfter = 5;
  EXPECT_EQ(encodeFile(dir_.file("stop.png"), rows, PngSaveOptions{}), kCancelled);
  rows.stopAfter = 0xFFFFFFFF;
  PngSaveOptions interlaced;
  interlaced.interlaced = true;
  ASSERT_EQ(encodeFile(dir_.file("whole.png"), rows, interlaced), kOk);
  PictureRows back;
  back.stopAfter = 5;
  EXPECT_EQ(decodeFile(dir_.file("whole.png"), back), kCancelled);
}

TEST_F(PngCodec, DamagedFilesEndCleanly) {
  PictureRows rows(qztest::makeGradient(21, 11));
  PngSaveOptions interlaced;
  interlaced.interlaced = true;
  ASSERT_EQ(encodeFile(dir_.file("good.png"), rows, interlaced), kOk);
  const std::vector<uint8_t> good = qztest::readFile(dir_.file("good.png"));
  for (const std::vector<uint8_t>& bad : qztest::damagedCopies(good)) {
    const std::string path = dir_.file("bad.png");
    qztest::writeFile(path, bad);
    PictureRows back;
    const uint32_t result = decodeFile(path, back);
    // Past the signature, damage is damage, never "not a PNG".
    EXPECT_TRUE(result == kOk || result == kReadError || (bad.size() < 8 && result == kNotThisFormat)) << result;
    // A cut before the end of the image data cannot pass as a whole
    // picture: it fails, or keeps the rows read and says so.
    const LoadProblem problem = takeLoadProblem();
    if (result == kReadError) EXPECT_EQ(problem.text.rfind("PNG: ", 0), 0u);
    if (bad.size() < good.size() - 12 && result == kOk) {
      EXPECT_TRUE(problem.partial) << bad.size();
      EXPECT_EQ(problem.text.rfind("PNG: ", 0), 0u) << problem.text;
    }
  }
}

// Damage in the second half of a picture ImageMagick wrote (noise, in many
// data chunks) keeps the rows before it, exactly, and says so, whether the
// file ends there or its data turns to garbage.
TEST_F(PngCodec, DamageInTheSecondHalfKeepsTheRowsReadBeforeIt) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string png = dir_.file("noise.png");
  ASSERT_TRUE(qztest::run(convert_ + " -size 64x400 xc: -seed 7 +noise Random -depth 8 'PNG24:" + png + "'"));
  PictureRows whole;
  ASSERT_EQ(decodeFile(png, whole), kOk);
  const std::vector<uint8_t> bytes = qztest::readFile(png);
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + bytes.size() / 2);
  std::vector<uint8_t> garbled = bytes;
  for (size_t i = bytes.size() / 2; i < bytes.size() - 12; ++i) garbled[i] = uint8_t(i * 131);
  for (const auto& [name, damaged] : {std::pair{"cut in half", cut}, std::pair{"second half garbled", garbled}}) {
    SCOPED_TRACE(name);
    qztest::writeFile(dir_.file("damaged.png"), damaged);
    takeLoadProblem();
    PictureRows back;
    ASSERT_EQ(decodeFile(dir_.file("damaged.png"), back), kOk) << takeLoadProblem().text;
    EXPECT_GT(back.rowsStored, 100u);
    EXPECT_LT(back.rowsStored, 400u);
    const LoadProblem problem = takeLoadProblem();
    EXPECT_TRUE(problem.partial);
    EXPECT_EQ(problem.text.rfind("PNG: ", 0), 0u) << problem.text;
    for (int32_t x : {0, 31, 63}) EXPECT_EQ(std::memcmp(back.image.at(x, 20), whole.image.at(x, 20), 3), 0) << x;
  }
}

uint32_t crc32Of(const uint8_t* bytes, size_t n) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    crc ^= bytes[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void put32be(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (24 - 8 * i));
}

// A PNG with a good signature but a bad checksum is damaged, in libpng's
// words; one whose header claims 64518 x 64507 pixels in a few hundred bytes
// is damaged too, found before any buffer is made.
TEST_F(PngCodec, DamageAndClaimedSizeAreReportedAsDamage) {
  PictureRows rows(qztest::makeGradient(21, 11));
  ASSERT_EQ(encodeFile(dir_.file("good.png"), rows, PngSaveOptions{}), kOk);
  const std::vector<uint8_t> good = qztest::readFile(dir_.file("good.png"));
  ASSERT_GT(good.size(), 33u);
  takeLoadProblem();
  // IHDR's checksum sits at 29..32; the first IDAT's checksum at its end.
  std::vector<uint8_t> badHeader = good;
  badHeader[30] ^= 0xFF;
  qztest::writeFile(dir_.file("bad-header.png"), badHeader);
  PictureRows back;
  ImageInfo info;
  EXPECT_EQ(decodeFile(dir_.file("bad-header.png"), back, &info), kReadError);
  EXPECT_NE(takeLoadProblem().text.find("CRC"), std::string::npos);

  std::vector<uint8_t> huge = good;
  put32be(huge, 16, 64518);
  put32be(huge, 20, 64507);
  put32be(huge, 29, crc32Of(huge.data() + 12, 17));
  huge.resize(425);
  qztest::writeFile(dir_.file("huge.png"), huge);
  FILE* file = std::fopen(dir_.file("huge.png").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(pngReadInfo(file, info), kReadError);
  std::fclose(file);
  EXPECT_NE(takeLoadProblem().text.find("too short"), std::string::npos);
}

}  // namespace
