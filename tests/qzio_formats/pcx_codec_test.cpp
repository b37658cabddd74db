// PCX codec core: what ImageMagick and netpbm write in the three kinds loads
// as netpbm reads it; hand-built files pin the size rule, the palette marker,
// the run rules and the refusals.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_pcx.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

uint32_t decodePcx(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(file, rows, info, pcxIdentify, pcxDecode);
}

// A 128-byte header followed by the encoded data.
Bytes pcx(uint32_t bits, uint32_t planes, uint32_t bytesPerLine, uint16_t xMin, uint16_t xMax, uint16_t yMax,
          const Bytes& data) {
  Bytes out;
  qz::ByteWriter w(out);
  w.putU8(10), w.putU8(5), w.putU8(1), w.putU8(static_cast<uint8_t>(bits));
  w.putU16le(xMin), w.putU16le(0), w.putU16le(xMax), w.putU16le(yMax);
  out.resize(65, 0);
  w.putU8(static_cast<uint8_t>(planes));
  w.putU16le(static_cast<uint16_t>(bytesPerLine));
  out.resize(128, 0);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

class PcxCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    ppmtopcx_ = qztest::toolPath("ppmtopcx");
    pcxtoppm_ = qztest::toolPath("pcxtoppm");
    source_ = qztest::makeGradient(37, 23);  // odd width: odd lines padded
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  Bytes make(const std::string& command) {
    EXPECT_TRUE(qztest::run(command + " > '" + dir_.file("made.pcx") + "'"));
    return qztest::readFile(dir_.file("made.pcx"));
  }
  RgbImage netpbmPicture(const Bytes& file) {
    qztest::writeFile(dir_.file("in.pcx"), file);
    RgbImage image;
    EXPECT_TRUE(qztest::run(pcxtoppm_ + " '" + dir_.file("in.pcx") + "' | " + qztest::toolPath("ppmtoppm") + " > '" +
                            dir_.file("out.ppm") + "'"));
    EXPECT_TRUE(qztest::readPnm(dir_.file("out.ppm"), image));
    return image;
  }
  qztest::TempDir dir_;
  std::string convert_, ppmtopcx_, pcxtoppm_;
  RgbImage source_;
};

TEST_F(PcxCodec, LoadsWhatOtherProgramsWriteAsNetpbmReadsIt) {
  if (convert_.empty() || ppmtopcx_.empty() || pcxtoppm_.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  const std::string source = "'" + dir_.file("source.ppm") + "'";
  struct Case {
    const char* name;
    Bytes file;
    uint32_t depth;
    PixelKind kind;
  } cases[] = {
      {"netpbm 24-bit", make(ppmtopcx_ + " -24bit " + source), 24, PixelKind::TrueColour},
      {"netpbm 8-bit", make(convert_ + " " + source + " -colors 40 ppm:- | " + ppmtopcx_ + " -8bit"), 8,
       PixelKind::ColourMapped},
      {"ImageMagick true colour", make(convert_ + " " + source + " pcx:-"), 24, PixelKind::TrueColour},
      {"ImageMagick palette", make(convert_ + " " + source + " -colors 7 -type Palette pcx:-"), 8,
       PixelKind::ColourMapped},
      {"netpbm 1-bit", make(convert_ + " " + source + " -monochrome pbm:- | " + ppmtopcx_), 1, PixelKind::Bitplane},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodePcx(c.file, rows, &info), kOk);
    EXPECT_EQ(info.depth, c.depth);
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_EQ(qztest::maxDifference(rows.image, netpbmPicture(c.file)), 0);
    if (c.depth == 24) {
      EXPECT_EQ(qztest::maxDifference(rows.image, source_), 0);
    }
  }
}

TEST(PcxHandBuilt, SizesPalettesAndRuns) {
  // x min 10 to x max 19: 10 pixels; 8 bits, no palette marker: a grey ramp.
  // 0xC0 is a run of none and eats the byte after it; 0xC3 7 gives 7 7 7.
  PictureRows rows;
  ImageInfo info;
  ASSERT_EQ(decodePcx(pcx(8, 1, 10, 10, 19, 0, {0xC0, 99, 1, 2, 0xC3, 7, 0xC1, 0xC5, 9, 9, 9, 9}), rows, &info), kOk);
  EXPECT_EQ(info.width, 10u);
  EXPECT_EQ(info.height, 1u);
  const uint8_t expected[10] = {1, 2, 7, 7, 7, 0xC5, 9, 9, 9, 9};
  for (uint32_t x = 0; x < 10; ++x) EXPECT_EQ(rows.image.at(x, 0)[1], expected[x]) << x;

  // With the marker and palette at the end, index 1 takes its colour.
  Bytes mapped = pcx(8, 1, 2, 0, 1, 0, {0, 1});
  mapped.push_back(12);
  for (int i = 0; i < 256; ++i) mapped.insert(mapped.end(), {uint8_t(i), uint8_t(255 - i), 40});
  ASSERT_EQ(decodePcx(mapped, rows), kOk);
  EXPECT_EQ(rows.image.at(1, 0)[0], 1);
  EXPECT_EQ(rows.image.at(1, 0)[1], 254);
  EXPECT_EQ(rows.image.at(1, 0)[2], 40);

  // A run that reaches past its line carries on into the next one.
  ASSERT_EQ(decodePcx(pcx(8, 1, 2, 0, 1, 1, {0xC3, 5, 6}), rows), kOk);
  EXPECT_EQ(rows.image.at(0, 1)[0], 5);
  EXPECT_EQ(rows.image.at(1, 1)[0], 6);

  // Three planes: red, green and blue lines of each row in turn.
  ASSERT_EQ(decodePcx(pcx(8, 3, 1, 0, 0, 0, {10, 20, 30}), rows, &info), kOk);
  EXPECT_EQ(info.depth, 24u);
  EXPECT_EQ(rows.image.at(0, 0)[2], 30);

  // 1 bit: entry 0 black, 1 white; a line longer than the buffer's row
  // (6 bytes for 9 pixels) is read whole and cut to the row.
  ASSERT_EQ(decodePcx(pcx(1, 1, 6, 0, 8, 1, {0x80, 0, 1, 2, 3, 4, 0x00, 0x80, 5, 6, 7, 8}), rows, &info), kOk);
  EXPECT_EQ(info.kind, PixelKind::Bitplane);
  EXPECT_EQ(rows.image.at(0, 0)[0], 255);
  EXPECT_EQ(rows.image.at(1, 0)[0], 0);
  EXPECT_EQ(rows.image.at(0, 1)[0], 0);
  EXPECT_EQ(rows.image.at(8, 1)[0], 255);
}

TEST(PcxHandBuilt, Refusals) {
  struct Case {
    const char* name;
    Bytes file;
    uint32_t result;
  } cases[] = {
      {"1 bit in two planes", pcx(1, 2, 2, 0, 7, 0, {0, 0, 0, 0}), kCannotOpen},
      {"a line shorter than the width", pcx(8, 1, 4, 0, 9, 0, {0, 0, 0, 0}), kNotThisFormat},
      {"1-bit line too short", pcx(1, 1, 1, 0, 9, 0, {0, 0}), kNotThisFormat},
      {"4 bits", pcx(4, 1, 4, 0, 7, 0, {0, 0, 0, 0}), kNotThisFormat},
      {"8 bits in two planes", pcx(8, 2, 1, 0, 0, 0, {0, 0}), kNotThisFormat},
      {"x max before x min", pcx(8, 1, 1, 5, 4, 0, {0}), kNotThisFormat},
      {"not run-length", [] { Bytes b = pcx(8, 1, 1, 0, 0, 0, {0}); b[2] = 0; return b; }(), kNotThisFormat},
      {"header cut short", Bytes{10, 5, 1, 8}, kNotThisFormat},
      {"data end in the last line", pcx(8, 1, 3, 0, 2, 1, {1, 2, 3, 4}), kReadError},
      {"run without its byte", pcx(8, 1, 3, 0, 2, 0, {1, 0xC2}), kReadError},
      {"far too short", pcx(8, 3, 60000, 0, 59999, 9999, {1, 2, 3}), kReadError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    EXPECT_EQ(decodePcx(c.file, rows), c.result);
  }
}

TEST_F(PcxCodec, DamagedFilesEndCleanly) {
  if (convert_.empty() || ppmtopcx_.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  const std::string source = convert_ + " '" + dir_.file("source.ppm") + "' ";
  for (const Bytes& good : {make(source + "pcx:-"), make(source + "-colors 7 -type Palette pcx:-"),
                            make(source + "-monochrome pbm:- | " + ppmtopcx_)}) {
    for (const Bytes& bad : qztest::damagedCopies(good)) {
      PictureRows rows;
      const uint32_t result = decodePcx(bad, rows);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError || result == kCannotOpen) << result;
    }
  }
}

}  // namespace
