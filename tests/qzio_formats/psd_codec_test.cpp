// Photoshop codec core: what ImageMagick writes (raw and PackBits; RGB,
// grey and indexed) loads with ImageMagick's pixels; hand-built documents
// pin skipped sections, bitmap rows, the refusals; what we save ImageMagick
// reads exactly.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_psd.h"
#include "qzio/load_problem.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

uint32_t decodePsd(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(file, rows, info, psdIdentify, psdDecode);
}

// A document: header, the three sections and the compression, then data.
Bytes psd(uint32_t width, uint32_t height, uint32_t channels, uint32_t bits, uint32_t mode, uint16_t compression,
          const Bytes& data, const Bytes& modeData = {}, uint32_t resources = 0, uint32_t layers = 0) {
  Bytes out;
  qz::ByteWriter w(out);
  w.putU32be(0x38425053u), w.putU16be(1);
  for (int i = 0; i < 6; ++i) w.putU8(0);
  w.putU16be(static_cast<uint16_t>(channels)), w.putU32be(height), w.putU32be(width);
  w.putU16be(static_cast<uint16_t>(bits)), w.putU16be(static_cast<uint16_t>(mode));
  w.putU32be(static_cast<uint32_t>(modeData.size()));
  out.insert(out.end(), modeData.begin(), modeData.end());
  w.putU32be(resources);
  out.resize(out.size() + resources, 0x55);
  w.putU32be(layers);
  out.resize(out.size() + layers, 0xAA);
  w.putU16be(compression);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

class PsdCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    source_ = qztest::makeGradient(37, 23);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  Bytes make(const std::string& options) {
    EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' -depth 8 " + options + " psd:'" +
                            dir_.file("made.psd") + "'"));
    return qztest::readFile(dir_.file("made.psd"));
  }
  RgbImage imageMagickPicture(const Bytes& file) {
    qztest::writeFile(dir_.file("in.psd"), file);
    RgbImage image;
    EXPECT_TRUE(qztest::decodeWithImageMagick(dir_.file("in.psd"), image, dir_.path()));
    return image;
  }
  qztest::TempDir dir_;
  std::string convert_;
  RgbImage source_;
};

TEST_F(PsdCodec, LoadsWhatImageMagickWritesWithItsPixels) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick missing";
  struct Case {
    const char* name;
    Bytes file;
    PixelKind kind;
  } cases[] = {
      {"RGB raw", make(""), PixelKind::TrueColour},
      {"RGB PackBits", make("-compress RLE"), PixelKind::TrueColour},
      {"RGB with alpha", make("-alpha set -channel A -fx 0.5 -compress RLE"), PixelKind::TrueColour},
      {"grey PackBits", make("-colorspace Gray -compress RLE"), PixelKind::Grey},
      {"indexed raw", make("-colors 5 -type Palette"), PixelKind::ColourMapped},
      {"indexed PackBits", make("-colors 5 -type Palette -compress RLE"), PixelKind::ColourMapped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodePsd(c.file, rows, &info), kOk);
    EXPECT_EQ(info.kind, c.kind);
    if (c.kind != PixelKind::TrueColour || std::string(c.name) == "RGB with alpha") continue;
    EXPECT_EQ(qztest::maxDifference(rows.image, source_), 0);
  }
  // Indexed documents hold the picture ImageMagick reduced to 5 colours
  // (its own reader refuses its indexed documents); grey ones read as it reads them.
  RgbImage reduced;
  ASSERT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' -depth 8 -colors 5 -type Palette ppm:'" +
                          dir_.file("reduced.ppm") + "'"));
  ASSERT_TRUE(qztest::readPnm(dir_.file("reduced.ppm"), reduced));
  for (const Bytes& file : {make("-colors 5 -type Palette -compress RLE"), make("-colors 5 -type Palette")}) {
    PictureRows rows;
    ASSERT_EQ(decodePsd(file, rows), kOk);
    EXPECT_EQ(qztest::maxDifference(rows.image, reduced), 0);
  }
  const Bytes grey = make("-colorspace Gray -compress RLE");
  PictureRows rows;
  ASSERT_EQ(decodePsd(grey, rows), kOk);
  EXPECT_EQ(qztest::maxDifference(rows.image, imageMagickPicture(grey)), 0);
}

TEST_F(PsdCodec, SectionsAreSkippedAndBitmapRowsKeepTheirLength) {
  // 2 x 1 RGB; a 40-byte resource section and a 1000-byte layer section
  // change nothing.
  const Bytes data = {10, 20, 30, 40, 50, 60};
  PictureRows plain, padded;
  ASSERT_EQ(decodePsd(psd(2, 1, 3, 8, 3, 0, data), plain), kOk);
  ASSERT_EQ(decodePsd(psd(2, 1, 3, 8, 3, 0, data, {}, 40, 1000), padded), kOk);
  EXPECT_EQ(qztest::maxDifference(plain.image, padded.image), 0);
  EXPECT_EQ(plain.image.at(1, 0)[0], 20);
  EXPECT_EQ(plain.image.at(1, 0)[2], 60);

  // PackBits: the table of row lengths (3 rows) then the rows.
  PictureRows packed;
  ASSERT_EQ(decodePsd(psd(2, 1, 3, 8, 3, 1, {0, 2, 0, 3, 0, 2, 0xFF, 10, 1, 30, 40, 0xFF, 50}), packed), kOk);
  EXPECT_EQ(packed.image.at(0, 0)[0], 10);
  EXPECT_EQ(packed.image.at(1, 0)[0], 10);
  EXPECT_EQ(packed.image.at(1, 0)[1], 40);
  EXPECT_EQ(packed.image.at(1, 0)[2], 50);

  // Indexed: 256 reds, 256 greens, 256 blues.
  Bytes palette(768, 0);
  palette[7] = 200, palette[256 + 7] = 100, palette[512 + 7] = 50;
  PictureRows mapped;
  ASSERT_EQ(decodePsd(psd(1, 1, 1, 8, 2, 0, {7}, palette), mapped), kOk);
  EXPECT_EQ(mapped.colourmap[7], 200u | 100u << 8 | 50u << 16);
  EXPECT_EQ(mapped.image.at(0, 0)[1], 100);

  // Bitmap, 9 x 3: rows of 2 bytes in the file, read row by row; a set bit is black.
  PictureRows bits;
  ImageInfo info;
  ASSERT_EQ(decodePsd(psd(9, 3, 1, 1, 0, 0, {0x80, 0x00, 0x00, 0x80, 0xFF, 0x80}), bits, &info), kOk);
  EXPECT_EQ(info.kind, PixelKind::Bitplane);
  EXPECT_EQ(bits.image.at(0, 0)[0], 0);
  EXPECT_EQ(bits.image.at(1, 0)[0], 255);
  EXPECT_EQ(bits.image.at(8, 1)[0], 0);
  EXPECT_EQ(bits.image.at(0, 1)[0], 255);
  EXPECT_EQ(bits.image.at(8, 2)[0], 0);
}

TEST_F(PsdCodec, BitmapDocumentsReadAsImageMagickReadsThem) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick missing";
  const Bytes file = psd(9, 2, 1, 1, 0, 0, {0xA5, 0x80, 0x0F, 0x00});
  PictureRows rows;
  ASSERT_EQ(decodePsd(file, rows), kOk);
  EXPECT_EQ(qztest::maxDifference(rows.image, imageMagickPicture(file)), 0);
}

TEST(PsdHandBuilt, Refusals) {
  Bytes cmyk = psd(1, 1, 4, 8, 4, 0, {1, 2, 3, 4});
  ImageInfo info;
  const Bytes probe = qztest::probeOf(cmyk);
  ASSERT_EQ(psdIdentify(probe, cmyk.size(), info), kOk);
  EXPECT_EQ(info.depth, 32u);
  EXPECT_TRUE(psdIsCmyk(probe));
  struct Case {
    const char* name;
    Bytes file;
    uint32_t result;
  } cases[] = {
      {"CMYK", cmyk, kNotThisFormat},
      {"16 bits a channel", psd(1, 1, 3, 16, 3, 0, Bytes(6, 0)), kUnexpectedKind},
      {"ZIP compression", psd(1, 1, 3, 8, 3, 2, Bytes(6, 0)), kUnexpectedKind},
      {"duotone", psd(1, 1, 1, 8, 8, 0, {0}), kNotThisFormat},
      {"RGB of two channels", psd(1, 1, 2, 8, 3, 0, {0, 0}), kNotThisFormat},
      {"version 2", [] { Bytes b = psd(1, 1, 3, 8, 3, 0, {1, 2, 3}); b[5] = 2; return b; }(), kNotThisFormat},
      {"raw rows cut short", psd(2, 2, 3, 8, 3, 0, Bytes(11, 0)), kReadError},
      {"section past the end", [] { Bytes b = psd(1, 1, 3, 8, 3, 0, {1, 2, 3}); b[29] = 0x70; return b; }(), kReadError},
      {"row table past the end", psd(1, 40, 3, 8, 3, 1, Bytes(100, 0)), kReadError},
      {"packed rows past the end", psd(2, 1, 3, 8, 3, 1, {0, 2, 0, 2, 0, 9, 0xFF, 1, 0xFF, 2, 0xFF}), kReadError},
      {"far too short", psd(30000, 30000, 3, 8, 3, 1, {1, 2, 3}), kReadError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    EXPECT_EQ(decodePsd(c.file, rows), c.result);
  }
}

// A row packed short stops where its bytes end, black after; the rows
// after it load as usual and the load says the file is damaged.
TEST_F(PsdCodec, ARowPackedShortEndsThereAndTheRestLoads) {
  // 4 x 2 RGB; the first row's channels unpack to 2, 2 and 3 of 4 bytes.
  const Bytes file = psd(4, 2, 3, 8, 3, 1,
                         {0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2,  // row lengths: R0 R1 G0 G1 B0 B1
                          0xFF, 1, 0xFD, 7,                   // red: 1 1 | 7 7 7 7
                          0xFF, 2, 0xFD, 8,                   // green: 2 2 | 8 8 8 8
                          0xFE, 3, 0xFD, 9});                 // blue: 3 3 3 | 9 9 9 9
  takeLoadProblem();
  PictureRows rows;
  ASSERT_EQ(decodePsd(file, rows), kOk);
  EXPECT_NE(takeLoadProblem().text.find("row 1 is packed short"), std::string::npos);
  const struct {
    int x, y;
    uint8_t r, g, b;
  } probes[] = {{1, 0, 1, 2, 3}, {2, 0, 0, 0, 3}, {3, 0, 0, 0, 0}, {0, 1, 7, 8, 9}, {3, 1, 7, 8, 9}};
  for (const auto& p : probes) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    EXPECT_EQ(rows.image.at(p.x, p.y)[0], p.r);
    EXPECT_EQ(rows.image.at(p.x, p.y)[1], p.g);
    EXPECT_EQ(rows.image.at(p.x, p.y)[2], p.b);
  }
}

TEST_F(PsdCodec, SavesRawRgbDocumentsOthersReadExactly) {
  Bytes file;
  ASSERT_EQ(qztest::encodeBytes(source_, file, psdEncode), kOk);
  ASSERT_EQ(file.size(), 26u + 12 + 2 + 37 * 23 * 3);
  const Bytes expected = psd(37, 23, 3, 8, 3, 0, {});
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin()));
  EXPECT_EQ(file[40], source_.at(0, 0)[0]);
  EXPECT_EQ(file[40 + 37 * 23], source_.at(0, 0)[1]);  // the green plane follows the red
  PictureRows back;
  ASSERT_EQ(decodePsd(file, back), kOk);
  EXPECT_EQ(qztest::maxDifference(back.image, source_), 0);
  if (!convert_.empty()) {
    EXPECT_EQ(qztest::maxDifference(imageMagickPicture(file), source_), 0);
  }
  PictureRows rows(source_);
  Bytes none;
  EXPECT_EQ(psdEncode(37, 23, 8, rows, none), kNotHandled);
  EXPECT_EQ(psdEncode(30001, 1, 24, rows, none), kBadArguments);
}

TEST_F(PsdCodec, DamagedFilesEndCleanly) {
  if (convert_.empty()) GTEST_SKIP() << "ImageMagick missing";
  for (const Bytes& good : {make("-compress RLE"), make("-colors 5 -type Palette"), make("-colorspace Gray")}) {
    for (const Bytes& bad : qztest::damagedCopies(good)) {
      PictureRows rows;
      const uint32_t result = decodePsd(bad, rows);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError || result == kUnexpectedKind)
          << result;
    }
  }
}

}  // namespace
