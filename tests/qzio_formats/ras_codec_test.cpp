// Sun raster codec core: files netpbm and ImageMagick write (1, 8, 24 and
// 32 bits, with and without a map, raw and run-length) load as netpbm reads
// them (netpbm writes no 24-bit run-length rasters); hand-built files pin the escape rules, runs across rows, the RGB
// type and the odd-width padding; what we write others read exactly.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_ras.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

uint32_t decodeRas(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(file, rows, info, rasIdentify, rasDecode);
}

Bytes header(uint32_t width, uint32_t height, uint32_t depth, uint32_t type, uint32_t mapLength = 0,
             uint32_t imageLength = 0) {
  Bytes out;
  qz::ByteWriter w(out);
  for (uint32_t word : {0x59A66A95u, width, height, depth, imageLength, type, mapLength ? 1u : 0u, mapLength})
    w.putU32be(word);
  return out;
}

Bytes join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class RasCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    pnmtorast_ = qztest::toolPath("pnmtorast");
    rasttopnm_ = qztest::toolPath("rasttopnm");
    // Odd width and more colours than a map holds, so netpbm writes 24 bits.
    source_ = qztest::makeGradient(37, 23);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  Bytes make(const std::string& command) {
    EXPECT_TRUE(qztest::run(command + " > '" + dir_.file("made.ras") + "'"));
    return qztest::readFile(dir_.file("made.ras"));
  }
  Bytes netpbm(const std::string& reduce, const std::string& options, const std::string& kind = "ppm:") {
    const std::string reduced = dir_.file("reduced.pnm");
    EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' " + reduce + " " + kind + "'" + reduced + "'"));
    return make(pnmtorast_ + " " + options + " '" + reduced + "'");
  }
  RgbImage netpbmPicture(const Bytes& file) {
    qztest::writeFile(dir_.file("in.ras"), file);
    RgbImage image;
    EXPECT_TRUE(qztest::run(rasttopnm_ + " '" + dir_.file("in.ras") + "' | " + qztest::toolPath("ppmtoppm") + " > '" +
                            dir_.file("out.ppm") + "'"));
    EXPECT_TRUE(qztest::readPnm(dir_.file("out.ppm"), image));
    return image;
  }
  qztest::TempDir dir_;
  std::string convert_, pnmtorast_, rasttopnm_;
  RgbImage source_;
};

TEST_F(RasCodec, LoadsWhatOtherProgramsWriteAsNetpbmReadsIt) {
  if (convert_.empty() || pnmtorast_.empty() || rasttopnm_.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  const std::string im = convert_ + " '" + dir_.file("source.ppm") + "' ";
  struct Case {
    const char* name;
    Bytes file;
    uint32_t depth, type;
    PixelKind kind;
  } cases[] = {
      {"netpbm 24-bit", netpbm("", "-standard"), 24, 1, PixelKind::TrueColour},
      {"netpbm mapped", netpbm("-colors 7", "-standard"), 8, 1, PixelKind::ColourMapped},
      {"netpbm mapped run-length", netpbm("-colors 7", "-rle"), 8, 2, PixelKind::ColourMapped},
      {"netpbm 1-bit", netpbm("-monochrome", "-standard", "pbm:"), 1, 1, PixelKind::Grey},
      {"netpbm 1-bit run-length", netpbm("-monochrome", "-rle", "pbm:"), 1, 2, PixelKind::Grey},
      {"ImageMagick RGB order", make(im + "sun:-"), 24, 3, PixelKind::TrueColour},
      {"ImageMagick 32-bit", make(im + "-alpha set sun:-"), 32, 3, PixelKind::TrueColour},
      {"ImageMagick mapped", make(im + "-colors 5 -type Palette sun:-"), 8, 1, PixelKind::ColourMapped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GE(c.file.size(), 32u);
    EXPECT_EQ(c.file[15], c.depth);
    EXPECT_EQ(c.file[23], c.type);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeRas(c.file, rows, &info), kOk);
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_EQ(qztest::maxDifference(rows.image, netpbmPicture(c.file)), 0);
  }
}

TEST(RasHandBuilt, EscapesRunsAndOrders) {
  // 3 x 2 at 8 bits, grey: rows of 4 bytes (3 and a pad). Raw: 0x80 9 9 pad,
  // 9 9 9 pad. Encoded: the 0x80 escaped, then one run of 5 bytes of 9
  // that runs on from row 0 into row 1, then 9 and the last pad.
  const Bytes raw = join(header(3, 2, 8, 1), {0x80, 9, 9, 0, 9, 9, 9, 0});
  const Bytes encoded = join(header(3, 2, 8, 2), {0x80, 0x00, 0x80, 0x01, 9, 0, 0x80, 0x02, 9, 0});
  PictureRows fromRaw, fromEncoded;
  ASSERT_EQ(decodeRas(raw, fromRaw), kOk);
  ASSERT_EQ(decodeRas(encoded, fromEncoded), kOk);
  EXPECT_EQ(fromRaw.image.at(0, 0)[0], 0x80);
  EXPECT_EQ(fromRaw.image.at(2, 1)[0], 9);
  EXPECT_EQ(qztest::maxDifference(fromRaw.image, fromEncoded.image), 0);

  // One pixel at 24 bits (a pad byte a row): type 1 reads B, G, R, type 3 R, G, B.
  PictureRows rows;
  ASSERT_EQ(decodeRas(join(header(1, 1, 24, 1), {10, 20, 30, 0}), rows), kOk);
  EXPECT_EQ(rows.image.at(0, 0)[0], 30);
  ASSERT_EQ(decodeRas(join(header(1, 1, 24, 3), {10, 20, 30, 0}), rows), kOk);
  EXPECT_EQ(rows.image.at(0, 0)[0], 10);
  // 32 bits: a leading pad byte.
  ASSERT_EQ(decodeRas(join(header(1, 1, 32, 1), {99, 10, 20, 30}), rows), kOk);
  EXPECT_EQ(rows.image.at(0, 0)[0], 30);
  EXPECT_EQ(rows.image.at(0, 0)[2], 10);
  // 1 bit: a set bit is black; 9 pixels take 2 bytes.
  ASSERT_EQ(decodeRas(join(header(9, 1, 1, 1), {0x80, 0x00}), rows), kOk);
  EXPECT_EQ(rows.image.at(0, 0)[0], 0);
  EXPECT_EQ(rows.image.at(8, 0)[0], 255);
  // A map of 2 colours (thirds: reds, greens, blues) on 8 bits.
  ASSERT_EQ(decodeRas(join(header(2, 1, 8, 1, 6), {1, 2, 3, 4, 5, 6, 1, 0}), rows), kOk);
  EXPECT_EQ(rows.image.at(0, 0)[0], 2);
  EXPECT_EQ(rows.image.at(0, 0)[1], 4);
  EXPECT_EQ(rows.image.at(0, 0)[2], 6);
  EXPECT_EQ(rows.colourmap[2], 0u);
}

TEST(RasHandBuilt, Refusals) {
  struct Case {
    const char* name;
    Bytes file;
    uint32_t result;
  } cases[] = {
      {"24 bits with a map", join(header(1, 1, 24, 1, 3), {1, 2, 3, 0, 0, 0, 0}), kNotHandled},
      {"a map longer than the file", join(header(1, 1, 8, 1, 3000), {1, 2, 3, 0, 0}), kNotThisFormat},
      {"type 4", join(header(1, 1, 8, 4), {0, 0}), kNotThisFormat},
      {"4 bits", join(header(1, 1, 4, 1), {0, 0}), kNotThisFormat},
      {"zero height", header(1, 0, 8, 1), kNotThisFormat},
      {"a row short", join(header(3, 2, 8, 1), {1, 2, 3, 0, 1}), kReadError},
      {"far too short", join(header(30000, 30000, 24, 2), {1, 2, 3}), kReadError},
      {"escape at the end", join(header(3, 1, 8, 2), {1, 0x80}), kReadError},
      {"run without its byte", join(header(3, 1, 8, 2), {0x80, 0x05}), kReadError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    EXPECT_EQ(decodeRas(c.file, rows), c.result);
  }
}

TEST_F(RasCodec, SavesStandardRastersOthersReadExactly) {
  Bytes file;
  ASSERT_EQ(qztest::encodeBytes(source_, file, rasEncode), kOk);
  const uint32_t rowBytes = 37 * 3 + 1;  // odd width: one pad byte
  ASSERT_EQ(file.size(), 32u + 23 * rowBytes);
  const Bytes expected = header(37, 23, 24, 1, 0, 23 * rowBytes);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin()));
  EXPECT_EQ(file[32 + rowBytes - 1], 0);
  EXPECT_EQ(file[32], source_.at(0, 0)[2]);  // blue first
  PictureRows back;
  ASSERT_EQ(decodeRas(file, back), kOk);
  EXPECT_EQ(qztest::maxDifference(back.image, source_), 0);
  if (!rasttopnm_.empty()) {
    EXPECT_EQ(qztest::maxDifference(netpbmPicture(file), source_), 0);
  }
  if (!convert_.empty()) {
    qztest::writeFile(dir_.file("saved.ras"), file);
    RgbImage other;
    ASSERT_TRUE(qztest::decodeWithImageMagick(dir_.file("saved.ras"), other, dir_.path()));
    EXPECT_EQ(qztest::maxDifference(other, source_), 0);
  }
  PictureRows rows(source_);
  EXPECT_EQ(rasEncode(37, 23, 8, rows, file), kNotHandled);
}

TEST_F(RasCodec, DamagedFilesEndCleanly) {
  if (convert_.empty() || pnmtorast_.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  for (const Bytes& source : {netpbm("-monochrome", "-rle", "pbm:"), netpbm("-colors 7", "-rle"), netpbm("", "-standard")}) {
    for (const Bytes& bad : qztest::damagedCopies(source)) {
      PictureRows rows;
      const uint32_t result = decodeRas(bad, rows);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError || result == kNotHandled) << result;
    }
  }
}

}  // namespace
