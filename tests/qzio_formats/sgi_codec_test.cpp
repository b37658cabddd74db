// SGI codec core: files ImageMagick and netpbm write (verbatim and run-length,
// 1 and 2 bytes a sample, grey, RGB and RGBA) load as those programs read
// them; hand-built files pin the 16-bit samples, dimension 1 and the table
// bounds; what we write reads back everywhere, bottom row first on disk.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_sgi.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

uint32_t decodeSgi(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(file, rows, info, sgiIdentify, sgiDecode);
}

// A 512-byte header.
Bytes header(uint8_t storage, uint8_t sampleBytes, uint16_t dimension, uint16_t width, uint16_t height,
             uint16_t channels) {
  Bytes out;
  qz::ByteWriter w(out);
  w.putU16be(474), w.putU8(storage), w.putU8(sampleBytes), w.putU16be(dimension);
  w.putU16be(width), w.putU16be(height), w.putU16be(channels);
  w.putU32be(0), w.putU32be(sampleBytes == 1 ? 255 : 65535);
  out.resize(512, 0);
  return out;
}

// Run-length file of channel planes of rows (each row given as its packets),
// with the offset and length tables.
Bytes runLengthFile(uint8_t sampleBytes, uint16_t dimension, uint16_t width, uint16_t height, uint16_t channels,
                    const std::vector<Bytes>& packedRows) {
  Bytes out = header(1, sampleBytes, dimension, width, height, channels);
  const size_t tables = packedRows.size() * 8;
  uint32_t offset = uint32_t(512 + tables);
  Bytes offsets, lengths;
  qz::ByteWriter o(offsets), l(lengths);
  for (const Bytes& row : packedRows) {
    o.putU32be(offset), l.putU32be(uint32_t(row.size()));
    offset += uint32_t(row.size());
  }
  out.insert(out.end(), offsets.begin(), offsets.end());
  out.insert(out.end(), lengths.begin(), lengths.end());
  for (const Bytes& row : packedRows) out.insert(out.end(), row.begin(), row.end());
  return out;
}

class SgiCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    source_ = qztest::makeGradient(13, 7);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  Bytes make(const std::string& command) {
    const std::string out = dir_.file("made.sgi");
    EXPECT_TRUE(qztest::run(command + " > '" + out + "'"));
    return qztest::readFile(out);
  }
  Bytes imageMagick(const std::string& options) {
    return make(convert_ + " '" + dir_.file("source.ppm") + "' " + options + " sgi:-");
  }
  Bytes netpbm(const std::string& depth, const std::string& options) {
    EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' " + depth + " ppm:'" + dir_.file("deep.ppm") + "'"));
    return make(qztest::toolPath("pnmtosgi") + " " + options + " '" + dir_.file("deep.ppm") + "'");
  }
  qztest::TempDir dir_;
  std::string convert_;
  RgbImage source_;
};

TEST_F(SgiCodec, LoadsWhatOtherProgramsWriteWithItsPixels) {
  if (convert_.empty() || qztest::toolPath("pnmtosgi").empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  struct Case {
    const char* name;
    Bytes file;
    uint8_t storage, sampleBytes;
    uint32_t depth;
  } cases[] = {
      {"ImageMagick run-length", imageMagick("-compress RLE"), 1, 1, 24},
      {"ImageMagick 16-bit verbatim", imageMagick("-depth 16"), 0, 2, 24},
      {"ImageMagick RGBA", imageMagick("-alpha set -channel A -evaluate set 50% +channel -compress RLE"), 1, 1, 24},
      {"ImageMagick grey", imageMagick("-colorspace Gray"), 1, 1, 8},
      {"ImageMagick verbatim", imageMagick("-compress None"), 0, 1, 24},
      {"netpbm verbatim", netpbm("-depth 8", "-verbatim"), 0, 1, 24},
      {"netpbm 16-bit run-length", netpbm("-depth 16", "-rle"), 1, 2, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GE(c.file.size(), 512u);
    EXPECT_EQ(c.file[2], c.storage);
    EXPECT_EQ(c.file[3], c.sampleBytes);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeSgi(c.file, rows, &info), kOk);
    EXPECT_EQ(info.depth, c.depth);
    qztest::writeFile(dir_.file("case.sgi"), c.file);
    RgbImage reference;
    ASSERT_TRUE(qztest::decodeWithImageMagick(dir_.file("case.sgi"), reference, dir_.path()));
    EXPECT_EQ(qztest::maxDifference(rows.image, reference), 0);
  }
}

TEST(SgiHandBuilt, SamplesRowsAndLayouts) {
  // 2 x 2 grey, 2 bytes a sample, run-length: the more significant byte is
  // the sample. Bottom row: a run of 0x1234; top row: literals 0xAB00, 0x00FF.
  Bytes wide = runLengthFile(2, 3, 2, 2, 1, {{0x00, 0x02, 0x12, 0x34, 0, 0}, {0x00, 0x82, 0xAB, 0x00, 0x00, 0xFF, 0, 0}});
  PictureRows rows;
  ImageInfo info;
  ASSERT_EQ(decodeSgi(wide, rows, &info), kOk);
  EXPECT_EQ(info.kind, PixelKind::Grey);
  EXPECT_EQ(rows.image.at(0, 1)[0], 0x12);
  EXPECT_EQ(rows.image.at(1, 1)[0], 0x12);
  EXPECT_EQ(rows.image.at(0, 0)[0], 0xAB);
  EXPECT_EQ(rows.image.at(1, 0)[0], 0x00);

  // Verbatim 2-byte samples, three channels: file row 0 is the bottom row.
  Bytes verbatim = header(0, 2, 3, 1, 2, 3);
  for (uint8_t high : {10, 20, 30, 40, 50, 60}) verbatim.insert(verbatim.end(), {high, 0xFF});  // R0 R1 G0 G1 B0 B1
  ASSERT_EQ(decodeSgi(verbatim, rows), kOk);
  EXPECT_EQ(rows.image.at(0, 1)[0], 10);
  EXPECT_EQ(rows.image.at(0, 1)[1], 30);
  EXPECT_EQ(rows.image.at(0, 0)[2], 60);

  // Dimension 1 is one row whatever the height field says.
  Bytes line = header(0, 1, 1, 3, 9, 4);
  line.insert(line.end(), {5, 6, 7});
  ASSERT_EQ(decodeSgi(line, rows, &info), kOk);
  EXPECT_EQ(info.height, 1u);
  EXPECT_EQ(info.kind, PixelKind::Grey);
  EXPECT_EQ(rows.image.at(2, 0)[0], 7);

  // Runs longer than the row stop at its end; the next row is unharmed.
  Bytes overlong = runLengthFile(1, 2, 2, 2, 1, {{0x7F, 9, 0}, {0x82, 1, 2, 0}});
  ASSERT_EQ(decodeSgi(overlong, rows), kOk);
  EXPECT_EQ(rows.image.at(1, 1)[0], 9);
  EXPECT_EQ(rows.image.at(1, 0)[0], 2);
}

TEST(SgiHandBuilt, Refusals) {
  auto withTables = [](uint32_t offset, uint32_t length) {
    Bytes file = header(1, 1, 2, 2, 1, 1);
    qz::ByteWriter w(file);
    w.putU32be(offset), w.putU32be(length), w.putU8(0x02), w.putU8(1), w.putU8(0);
    return file;
  };
  struct Case {
    const char* name;
    Bytes file;
    uint32_t identify, decode;
  } cases[] = {
      {"two channels", header(0, 1, 3, 2, 2, 2), kNotThisFormat, 0},
      {"dimension 4", header(0, 1, 4, 2, 2, 1), kNotThisFormat, 0},
      {"3 bytes a sample", header(0, 3, 3, 2, 2, 1), kNotThisFormat, 0},
      {"storage 2", header(2, 1, 3, 2, 2, 1), kNotThisFormat, 0},
      {"zero width", header(0, 1, 3, 0, 2, 1), kNotThisFormat, 0},
      {"colour map kind 1", [] { Bytes b = header(0, 1, 3, 2, 2, 1); b[107] = 1; return b; }(), kNotThisFormat, 0},
      {"verbatim rows missing", header(0, 1, 3, 2, 2, 3), kReadError, 0},
      {"tables missing", header(1, 1, 3, 2, 2, 3), kOk, kReadError},
      {"far too short for its rows", header(1, 1, 3, 60000, 60000, 3), kReadError, 0},
      {"row offset past the file", withTables(0xFFFFFFF0, 3), kOk, kReadError},
      {"row length past the file", withTables(520, 0x7FFFFFFF), kOk, kReadError},
      {"row inside the file", withTables(520, 3), kOk, kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageInfo info;
    EXPECT_EQ(sgiIdentify(c.file, c.file.size(), info), c.identify);
    PictureRows rows;
    if (c.identify == kOk) {
      EXPECT_EQ(decodeSgi(c.file, rows), c.decode);
    }
  }
}

TEST_F(SgiCodec, SavesVerbatimRgbBottomRowFirst) {
  Bytes file;
  ASSERT_EQ(qztest::encodeBytes(source_, file, sgiEncode), kOk);
  ASSERT_EQ(file.size(), 512u + 13 * 7 * 3);
  Bytes expected = header(0, 1, 3, 13, 7, 3);
  const char name[] = "no name";
  std::copy(name, name + 7, expected.begin() + 24);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin()));
  // The red plane's first file row is the picture's last row.
  for (uint32_t x = 0; x < 13; ++x) EXPECT_EQ(file[512 + x], source_.at(x, 6)[0]);
  // Green's first row follows red's whole plane.
  EXPECT_EQ(file[512 + 13 * 7], source_.at(0, 6)[1]);
  PictureRows back;
  ASSERT_EQ(decodeSgi(file, back), kOk);
  EXPECT_EQ(qztest::maxDifference(back.image, source_), 0);
  qztest::writeFile(dir_.file("saved.sgi"), file);
  const std::string sgitopnm = qztest::toolPath("sgitopnm");
  if (!sgitopnm.empty()) {
    ASSERT_TRUE(qztest::run(sgitopnm + " '" + dir_.file("saved.sgi") + "' > '" + dir_.file("netpbm.ppm") + "'"));
    RgbImage netpbmImage;
    ASSERT_TRUE(qztest::readPnm(dir_.file("netpbm.ppm"), netpbmImage));
    EXPECT_EQ(qztest::maxDifference(netpbmImage, source_), 0);
  }
  RgbImage imageMagickImage;
  if (!convert_.empty()) {
    ASSERT_TRUE(qztest::decodeWithImageMagick(dir_.file("saved.sgi"), imageMagickImage, dir_.path()));
    EXPECT_EQ(qztest::maxDifference(imageMagickImage, source_), 0);
  }
  PictureRows rows(source_);
  EXPECT_EQ(sgiEncode(13, 7, 8, rows, file), kNotHandled);
}

TEST_F(SgiCodec, DamagedFilesEndCleanly) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  for (const Bytes& source : {imageMagick("-compress RLE"), imageMagick("-depth 16")}) {
    for (const Bytes& bad : qztest::damagedCopies(source)) {
      PictureRows rows;
      const uint32_t result = decodeSgi(bad, rows);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError) << result;
    }
  }
}

}  // namespace
