// TIFF codec core: the kinds of TIFF other programs write (compressions,
// tiles, palettes, grey, 16-bit, separate planes) load with their pixels;
// each compression we write is tagged right and reads back elsewhere.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "codec_test_support.h"
#include "qzio/codec_tiff.h"
#include "qzio/load_problem.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;

uint32_t decodeFile(const std::string& path, PictureRows& rows) {
  ImageInfo info;
  const uint32_t result = tiffReadInfo(path.c_str(), info);
  if (result != kOk) return result;
  rows.resize(info.width, info.height);
  return tiffDecode(path.c_str(), rows);
}

uint32_t encodeFile(const std::string& path, PictureRows& rows, const TiffSaveOptions& options) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  const uint32_t result = tiffEncode(fd, path.c_str(), rows.image.width, rows.image.height, options, rows);
  close(fd);
  return result;
}

// The value tiffdump shows for a tag of the first directory, or -1.
long tagValue(const std::string& tiffdump, const std::string& path, int tag, const std::string& dir) {
  const std::string out = dir + "/dump.txt";
  if (std::system((tiffdump + " '" + path + "' > '" + out + "' 2>/dev/null").c_str()) != 0) return -1;
  const std::vector<uint8_t> bytes = qztest::readFile(out);
  const std::string text(bytes.begin(), bytes.end());
  const size_t at = text.find("(" + std::to_string(tag) + ")");
  if (at == std::string::npos) return -1;
  const size_t open = text.find('<', at);
  return open == std::string::npos ? -1 : std::stol(text.substr(open + 1));
}

class TiffCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    tiffcp_ = qztest::toolPath("tiffcp");
    tiffdump_ = qztest::toolPath("tiffdump");
    source_ = qztest::makeGradient(37, 21);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  std::string imageMagickTiff(const std::string& name, const std::string& options) {
    const std::string out = dir_.file(name);
    EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' " + options + " 'TIFF:" + out + "'"));
    return out;
  }
  std::string tiffcpCopy(const std::string& from, const std::string& name, const std::string& options) {
    const std::string out = dir_.file(name);
    EXPECT_TRUE(qztest::run(tiffcp_ + " " + options + " '" + from + "' '" + out + "'"));
    return out;
  }
  qztest::TempDir dir_;
  std::string convert_, tiffcp_, tiffdump_;
  RgbImage source_;
};

TEST_F(TiffCodec, LoadsWhatOtherProgramsWriteWithItsPixels) {
  if (convert_.empty() || tiffcp_.empty()) GTEST_SKIP() << "ImageMagick or libtiff-tools missing";
  const std::string plain = imageMagickTiff("plain.tif", "-compress None");
  struct Case {
    const char* name;
    std::string path;
    int tolerance;
  } cases[] = {
      {"uncompressed", plain, 0},
      {"LZW", imageMagickTiff("lzw.tif", "-compress LZW"), 0},
      {"Deflate with predictor", tiffcpCopy(plain, "zip.tif", "-c zip:2"), 0},
      {"PackBits", tiffcpCopy(plain, "packbits.tif", "-c packbits"), 0},
      {"JPEG", imageMagickTiff("jpeg.tif", "-compress JPEG -quality 95"), 3},
      {"tiles", tiffcpCopy(plain, "tiles.tif", "-c lzw -t -w 16 -l 16"), 0},
      {"separate planes", tiffcpCopy(plain, "planes.tif", "-p separate"), 0},
      {"palette", imageMagickTiff("palette.tif", "-colors 9 -type Palette"), 1},  // 16-bit map entries: rounding
      {"grey", imageMagickTiff("grey.tif", "-colorspace Gray"), 0},
      {"16-bit", imageMagickTiff("sixteen.tif", "-depth 16"), 1},
      {"big-endian", imageMagickTiff("msb.tif", "-endian MSB"), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(tiffProbeMatches(qztest::readFile(c.path)));
    PictureRows rows;
    ASSERT_EQ(decodeFile(c.path, rows), kOk);
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(c.path, reference, dir_.path()));
    EXPECT_LE(qztest::maxDifference(rows.image, reference), c.tolerance);
  }
}

TEST_F(TiffCodec, EachCompressionWeWriteIsTaggedAndReadsBack) {
  struct Case {
    const char* name;
    TiffSaveOptions options;
    long compressionTag, predictorTag;
    int tolerance;
  } cases[] = {
      {"none", {kTiffCompressionNone, 75, false}, 1, -1, 0},
      {"PackBits", {kTiffCompressionPackBits, 75, false}, 32773, -1, 0},
      {"Deflate", {kTiffCompressionDeflate, 75, false}, 32946, -1, 0},
      {"Deflate, horizontal predictor", {kTiffCompressionDeflate, 75, true}, 32946, 2, 0},
      {"JPEG", {kTiffCompressionJpeg, 90, false}, 7, -1, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows(source_);
    const std::string path = dir_.file("out.tif");
    ASSERT_EQ(encodeFile(path, rows, c.options), kOk);
    PictureRows back;
    ASSERT_EQ(decodeFile(path, back), kOk);
    EXPECT_LE(qztest::maxDifference(back.image, source_), c.tolerance);
    if (!tiffdump_.empty()) {
      EXPECT_EQ(tagValue(tiffdump_, path, 259, dir_.path()), c.compressionTag);
      EXPECT_EQ(tagValue(tiffdump_, path, 317, dir_.path()), c.predictorTag);
      EXPECT_EQ(tagValue(tiffdump_, path, 262, dir_.path()), 2);  // RGB
    }
    if (convert_.empty()) continue;
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(path, reference, dir_.path()));
    EXPECT_LE(qztest::maxDifference(reference, back.image), c.tolerance ? 3 : 0);
  }
}

// Saves go out in strips of about 64 KiB (whole MCU rows for JPEG) that
// tiffinfo and ImageMagick read back with the same pixels.
TEST_F(TiffCodec, SavesInStripsOfAbout64KiB) {
  const std::string tiffinfo = qztest::toolPath("tiffinfo");
  if (convert_.empty() || tiffinfo.empty() || tiffdump_.empty())
    GTEST_SKIP() << "ImageMagick or libtiff-tools missing";
  const RgbImage wide = qztest::makeGradient(1501, 97);  // rows of 4503 bytes
  struct Case {
    const char* name;
    TiffSaveOptions options;
    long rowsPerStrip;
    int tolerance;
  } cases[] = {
      {"none", {kTiffCompressionNone, 75, false}, 65536 / 4503, 0},
      {"Deflate", {kTiffCompressionDeflate, 75, true}, 65536 / 4503, 0},
      {"JPEG", {kTiffCompressionJpeg, 90, false}, 16, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows(wide);
    const std::string path = dir_.file("wide.tif");
    ASSERT_EQ(encodeFile(path, rows, c.options), kOk);
    EXPECT_EQ(tagValue(tiffdump_, path, 278, dir_.path()), c.rowsPerStrip);
    EXPECT_TRUE(qztest::run(tiffinfo + " -D '" + path + "' > /dev/null 2> '" + dir_.file("errors.txt") + "'"));
    EXPECT_TRUE(qztest::readFile(dir_.file("errors.txt")).empty()) << "tiffinfo complained";
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(path, reference, dir_.path()));
    EXPECT_LE(qztest::maxDifference(reference, wide), c.tolerance);
  }
}

TEST_F(TiffCodec, RefusesFilesWithoutBothSides) {
  // "II", 42, directory at 8 holding only ImageWidth = 4.
  const std::vector<uint8_t> noLength = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
                                         0x00, 0x01, 3, 0, 1, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
  qztest::writeFile(dir_.file("nolength.tif"), noLength);
  ImageInfo info;
  EXPECT_TRUE(tiffProbeMatches(noLength));
  EXPECT_EQ(tiffReadInfo(dir_.file("nolength.tif").c_str(), info), kNotThisFormat);
  PictureRows rows;
  rows.resize(4, 1);
  EXPECT_EQ(tiffDecode(dir_.file("missing.tif").c_str(), rows), kCannotOpen);
  const std::vector<uint8_t> bigTiff = {'I', 'I', 43, 0, 8, 0, 0, 0};
  EXPECT_FALSE(tiffProbeMatches(bigTiff));
}

TEST_F(TiffCodec, StopRequestsEndWithNine) {
  PictureRows rows(source_);
  rows.stopAfter = 4;
  EXPECT_EQ(encodeFile(dir_.file("stop.tif"), rows, TiffSaveOptions{}), kCancelled);
  rows.stopAfter = 0xFFFFFFFF;
  ASSERT_EQ(encodeFile(dir_.file("whole.tif"), rows, TiffSaveOptions{}), kOk);
  PictureRows back;
  back.stopAfter = 4;
  EXPECT_EQ(decodeFile(dir_.file("whole.tif"), back), kCancelled);
}

TEST_F(TiffCodec, DamagedFilesEndCleanly) {
  PictureRows rows(qztest::makeGradient(19, 9));
  TiffSaveOptions deflate;
  deflate.compression = kTiffCompressionDeflate;
  ASSERT_EQ(encodeFile(dir_.file("good.tif"), rows, deflate), kOk);
  const std::vector<uint8_t> good = qztest::readFile(dir_.file("good.tif"));
  for (const std::vector<uint8_t>& bad : qztest::damagedCopies(good)) {
    const std::string path = dir_.file("bad.tif");
    qztest::writeFile(path, bad);
    PictureRows back;
    const uint32_t result = decodeFile(path, back);
    EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError) << result;
    if (bad.size() < 8) {
      EXPECT_EQ(result, kNotThisFormat);
    }
  }
}

// Strips read one by one must not lose the rest of the picture when one of
// them will not decode: the other strips still arrive with their pixels.
TEST_F(TiffCodec, OneBadStripKeepsTheOthers) {
  const RgbImage source = qztest::makeGradient(200, 400);  // four strips of up to 109 rows
  PictureRows rows(source);
  TiffSaveOptions deflate;
  deflate.compression = kTiffCompressionDeflate;
  ASSERT_EQ(encodeFile(dir_.file("good.tif"), rows, deflate), kOk);
  std::vector<uint8_t> bytes = qztest::readFile(dir_.file("good.tif"));
  // The strips come before the directory libtiff writes last.
  for (size_t i = bytes.size() * 2 / 5, n = 0; n < 24; ++i, ++n) bytes[i] = 0xA5;
  qztest::writeFile(dir_.file("bad.tif"), bytes);
  PictureRows back;
  takeLoadProblem();
  ASSERT_EQ(decodeFile(dir_.file("bad.tif"), back), kOk);
  EXPECT_TRUE(takeLoadProblem().partial) << "the lost strip was not told";
  const size_t rowBytes = size_t(source.width) * 3;
  uint32_t sameRows = 0;
  for (uint32_t y = 0; y < source.height; ++y)
    sameRows += std::equal(source.at(0, y), source.at(0, y) + rowBytes, back.image.at(0, y)) ? 1 : 0;
  EXPECT_GE(sameRows, source.height - 109);
  EXPECT_TRUE(std::equal(source.at(0, 0), source.at(0, 0) + rowBytes, back.image.at(0, 0)));
  EXPECT_TRUE(std::equal(source.at(0, 399), source.at(0, 399) + rowBytes, back.image.at(0, 399)));
}

// A file stored bottom row first comes out top row first, also when it is
// read a strip at a time: each strip lands at its mirrored place.
TEST_F(TiffCodec, BottomUpFilesReadInStripsComeOutUpright) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick missing";
  const std::string path =
      imageMagickTiff("bottom-up.tif", "-orient BottomLeft -compress LZW -define tiff:rows-per-strip=4");
  PictureRows rows;
  ASSERT_EQ(decodeFile(path, rows), kOk);
  ASSERT_EQ(rows.image.height, source_.height);
  const size_t rowBytes = size_t(source_.width) * 3;
  for (uint32_t y = 0; y < source_.height; ++y) {
    SCOPED_TRACE(y);
    EXPECT_TRUE(std::equal(source_.at(0, y), source_.at(0, y) + rowBytes, rows.image.at(0, source_.height - 1 - y)));
  }
}

// Counts what a decoder stores without keeping any of it.
class CountingRows : public PixelRows {
 public:
  bool store(uint32_t, uint32_t, const uint8_t*) override { return ++stored, true; }
  bool fetch(uint32_t, uint32_t, uint8_t*) override { return false; }
  bool progress(uint32_t, uint32_t) override { return true; }
  uint64_t stored = 0;
};

// A minimal one-strip RGB TIFF: the given compression and size, with 64
// bytes of strip data that begin like a Deflate stream and end there.
std::vector<uint8_t> oneStripTiff(uint16_t compression, uint32_t width, uint32_t height) {
  std::vector<uint8_t> file = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const auto put16 = [&](uint32_t v) { file.push_back(v & 0xFF), file.push_back(v >> 8 & 0xFF); };
  const auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  struct Entry {
    uint16_t tag, type;
    uint32_t value;
  };
  const uint32_t dataAt = 8 + 2 + 9 * 12 + 4;
  const Entry entries[] = {{256, 4, width},  {257, 4, height}, {258, 3, 8},      {259, 3, compression}, {262, 3, 2},
                           {273, 4, dataAt}, {277, 3, 3},      {278, 4, height}, {279, 4, 64}};
  put16(9);
  for (const Entry& e : entries) {
    put16(e.tag), put16(e.type), put32(1);
    e.type == 3 ? (put16(e.value), put16(0)) : put32(e.value);
  }
  put32(0);
  file.insert(file.end(), {0x78, 0x9C});
  file.resize(dataAt + 64, 0xA5);
  return file;
}

// Refused from the header, before a buffer of the claimed size is made, and
// by the decoder without a row or a raster of that size: a few dozen bytes
// claiming 900 million pixels in one Deflate strip, and a compression libtiff
// has no decoder for (it would allocate and clear the strip all the same).
TEST_F(TiffCodec, FilesThatCannotHoldTheirPictureAreRefused) {
  struct Case {
    const char* name;
    uint16_t compression;
    uint32_t side;
  } cases[] = {{"tiny Deflate file of 30000 x 30000", 8, 30000}, {"unknown compression", 44, 64}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qztest::writeFile(dir_.file("claim.tif"), oneStripTiff(c.compression, c.side, c.side));
    ImageInfo info;
    EXPECT_EQ(tiffReadInfo(dir_.file("claim.tif").c_str(), info), kNotThisFormat);
    CountingRows rows;
    EXPECT_EQ(tiffDecode(dir_.file("claim.tif").c_str(), rows), kNotThisFormat);
    EXPECT_EQ(rows.stored, 0u);
  }
}

}  // namespace
