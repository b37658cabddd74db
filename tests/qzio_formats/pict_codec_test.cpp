// PICT codec core: the writer's exact bytes and 5-bit round trip, read back
// by ImageMagick; pictures netpbm and ImageMagick write load with their
// pixels; hand-built opcode streams pin the pen, the transfer modes, the
// copies and the refusals.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_pict.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

// The class reads past the library's 512-byte probe for the header; so does this.
uint32_t decodePict(const Bytes& file, PictureRows& rows, ImageInfo* infoOut = nullptr) {
  ImageInfo info;
  const uint32_t result = pictIdentify(file, file.size(), info);
  if (infoOut) *infoOut = info;
  if (result != kOk) return result;
  rows.resize(info.width, info.height);
  return pictDecode(file, rows);
}

// A version 2 picture of the given frame, opcodes added one by one.
struct PictBuilder {
  Bytes bytes = Bytes(512, 0);
  PictBuilder(int16_t width, int16_t height, int16_t left = 0, int16_t top = 0) {
    put16(0);
    rect(top, left, int16_t(top + height), int16_t(left + width));
    put16(0x0011), put16(0x02FF);
  }
  PictBuilder& op(uint16_t opcode) {
    if (bytes.size() & 1) bytes.push_back(0);
    return put16(opcode);
  }
  PictBuilder& put8(uint8_t v) { bytes.push_back(v); return *this; }
  PictBuilder& put16(uint16_t v) { qz::ByteWriter(bytes).putU16be(v); return *this; }
  PictBuilder& put32(uint32_t v) { qz::ByteWriter(bytes).putU32be(v); return *this; }
  PictBuilder& rect(int16_t top, int16_t left, int16_t bottom, int16_t right) {
    for (int16_t v : {top, left, bottom, right}) put16(uint16_t(v));
    return *this;
  }
  PictBuilder& colour(uint16_t opcode, uint8_t r, uint8_t g, uint8_t b) {
    return op(opcode).put16(uint16_t(r << 8)).put16(uint16_t(g << 8)).put16(uint16_t(b << 8));
  }
  // A one-pixel 16-bit direct pixmap copied from (0,0)-(1,1) to dst with `mode`.
  PictBuilder& direct(uint16_t pixel, int16_t dstTop, int16_t dstLeft, int16_t dstBottom, int16_t dstRight,
                      uint16_t mode) {
    op(0x009A).put32(0xFF).put16(0x8002).rect(0, 0, 1, 1);
    put16(0).put16(1).put32(0).put32(0x00480000).put32(0x00480000);
    put16(16).put16(16).put16(3).put16(5).put32(0).put32(0).put32(0);
    rect(0, 0, 1, 1).rect(dstTop, dstLeft, dstBottom, dstRight).put16(mode);
    return put16(pixel);  // row bytes 2, below 8: the row is stored unpacked
  }
  Bytes finish() {
    op(0x00FF);
    bytes[512] = uint8_t((bytes.size() - 512) >> 8), bytes[513] = uint8_t(bytes.size() - 512);
    return bytes;
  }
};

RgbImage fiveBits(RgbImage image) {
  for (uint8_t& v : image.rgb) v &= 0xF8;
  return image;
}

class PictCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    ppmtopict_ = qztest::toolPath("ppmtopict");
    source_ = qztest::makeGradient(37, 23);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  qztest::TempDir dir_;
  std::string convert_, ppmtopict_;
  RgbImage source_;
};

// The bytes of a 1 x 1 picture up to its row bytes, and after them.
Bytes onePixelHead(uint8_t size, uint16_t rowBytes) {
  Bytes out(512, 0);
  const Bytes head = {
      0x00, size, 0, 0, 0, 0, 0, 1, 0, 1,                  // size, frame
      0x00, 0x11, 0x02, 0xFF,                              // version 2
      0x0C, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0,                  // header opcode
      0x00, 0x01, 0x00, 0x0A, 0, 0, 0, 0, 0, 1, 0, 1,      // Clip
      0x00, 0x9A, 0, 0, 0, 0xFF, uint8_t(rowBytes >> 8), uint8_t(rowBytes), 0, 0, 0, 0, 0, 1, 0, 1,
      0, 0, 0, 3, 0, 0, 0, 0, 0, 0x48, 0, 0, 0, 0x48, 0, 0,           // version, pack type and size, dpi
      0, 16, 0, 16, 0, 3, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // pixel fields
      0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 0x00, 0x40,     // rectangles, mode
  };
  out.insert(out.end(), head.begin(), head.end());
  return out;
}

TEST(PictWriter, OnePixelPictureHasItsExactBytes) {
  RgbImage pixel(1, 1);
  pixel.rgb = {255, 8, 0x87};
  Bytes file;
  ASSERT_EQ(qztest::encodeBytes(pixel, file, pictEncode), kOk);
  // Row bytes 2 (under 8): the one row is stored unpacked, 11111 00001 10000.
  Bytes expected = onePixelHead(0x7E, 0x8002);
  expected.insert(expected.end(), {0x7C, 0x30, 0x00, 0xFF});
  ASSERT_EQ(file.size(), expected.size());
  for (size_t i = 0; i < file.size(); ++i) EXPECT_EQ(file[i], expected[i]) << "byte " << i;

  // A picture of the earlier writer (row bytes 4 a pixel, a word count
  // before each row) still reads.
  Bytes earlier = onePixelHead(0x82, 0x8004);
  earlier.insert(earlier.end(), {0x00, 0x03, 0x00, 0x7C, 0x30, 0x00, 0x00, 0xFF});
  PictureRows rows;
  ASSERT_EQ(decodePict(earlier, rows), kOk);
  EXPECT_EQ(rows.image.at(0, 0)[0], 248);
  EXPECT_EQ(rows.image.at(0, 0)[1], 8);
  EXPECT_EQ(rows.image.at(0, 0)[2], 0x80);
}

TEST_F(PictCodec, SavesFiveBitsAChannelThatReadBack) {
  // Unpacked rows (width 3), byte counts (37) and word counts and two runs (130).
  for (uint32_t width : {3u, 37u, 130u}) {
    SCOPED_TRACE(width);
    const RgbImage image = qztest::makeGradient(width, 5);
    Bytes file;
    ASSERT_EQ(qztest::encodeBytes(image, file, pictEncode), kOk);
    PictureRows back;
    ASSERT_EQ(decodePict(file, back), kOk);
    EXPECT_EQ(qztest::maxDifference(back.image, fiveBits(image)), 0);
    if (convert_.empty()) continue;
    qztest::writeFile(dir_.file("saved.pict"), file);
    RgbImage other;
    ASSERT_TRUE(qztest::decodeWithImageMagick("pict:" + dir_.file("saved.pict"), other, dir_.path()));
    EXPECT_EQ(qztest::maxDifference(other, fiveBits(image)), 0);
  }
  PictureRows back;
  RgbImage white(1, 1);
  white.rgb = {255, 255, 255};
  Bytes one;
  ASSERT_EQ(qztest::encodeBytes(white, one, pictEncode), kOk);
  ASSERT_EQ(decodePict(one, back), kOk);
  EXPECT_EQ(back.image.at(0, 0)[1], 248);  // shifted, not replicated
  // Widths whose row bytes do not fit 15 bits are refused.
  PictureRows rows(RgbImage(16384, 1));
  Bytes none;
  EXPECT_EQ(pictEncode(16384, 1, 24, rows, none), kBadArguments);
  EXPECT_EQ(pictEncode(37, 23, 8, rows, none), kNotHandled);
}

TEST_F(PictCodec, LoadsWhatOtherProgramsWrite) {
  if (convert_.empty() || ppmtopict_.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  // netpbm: an 8-bit PackBitsRect with a colour table.
  const std::string reduced = dir_.file("reduced.ppm");
  ASSERT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' -colors 40 ppm:'" + reduced + "'"));
  ASSERT_TRUE(qztest::run(ppmtopict_ + " '" + reduced + "' > '" + dir_.file("netpbm.pict") + "'"));
  RgbImage expected;
  ASSERT_TRUE(qztest::readPnm(reduced, expected));
  PictureRows rows;
  ASSERT_EQ(decodePict(qztest::readFile(dir_.file("netpbm.pict")), rows), kOk);
  EXPECT_EQ(qztest::maxDifference(rows.image, expected), 0);
  // ImageMagick: a 32-bit DirectBitsRect.
  ASSERT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' pict:'" + dir_.file("im.pict") + "'"));
  ASSERT_EQ(decodePict(qztest::readFile(dir_.file("im.pict")), rows), kOk);
  EXPECT_EQ(qztest::maxDifference(rows.image, source_), 0);
}

TEST(PictInterpreter, PenRectanglesTextAndPads) {
  // Clip to the frame (origin 10, 20), paint a rectangle with the default
  // pattern and mode, then text, a one-byte payload that needs a pad, and a
  // rectangle framed by a 2 x 1 pen.
  PictBuilder p(8, 6, 10, 20);
  p.op(0x0001).put16(10).rect(20, 10, 26, 18);
  p.op(0x0031).rect(21, 11, 23, 13);
  p.op(0x0028).put16(22).put16(15).put8(3).put8('a').put8('b').put8('c');
  p.op(0x0004).put8(1);  // text face: one byte, then a pad
  p.op(0x0007).put16(1).put16(2);
  p.op(0x0030).rect(21, 13, 25, 18);
  PictureRows rows;
  ImageInfo info;
  ASSERT_EQ(decodePict(p.finish(), rows, &info), kOk);
  EXPECT_EQ(info.width, 8u);
  EXPECT_EQ(info.height, 6u);
  auto black = [&](uint32_t x, uint32_t y) { return rows.image.at(x, y)[0] == 0; };
  EXPECT_TRUE(black(1, 1) && black(2, 2));
  EXPECT_FALSE(black(0, 0) || black(2, 0) || black(1, 3));
  // The frame: 2 wide at the sides, 1 high at top and bottom, hollow inside.
  EXPECT_TRUE(black(3, 1) && black(4, 2) && black(5, 1) && black(7, 3) && black(5, 4));
  EXPECT_FALSE(black(5, 2) || black(5, 3));
  int marked = 0;
  for (uint8_t v : rows.image.rgb) marked += v != 255 && v != 0;
  EXPECT_EQ(marked, 0);  // text drew nothing
}

TEST(PictInterpreter, TransferModesOnePixelEach) {
  // A white 1-pixel picture gets one copy of the 16-bit pixel (80, 160, 240)
  // with op colour (128, 64, 0) in each mode.
  struct Case {
    uint16_t mode;
    uint8_t r, g, b;
  } cases[] = {
      {0, 80, 160, 240},   {1, 255, 255, 255}, {2, 80, 160, 240},   {3, 255, 255, 255}, {5, 255, 255, 255},
      {6, 175, 95, 15},    {32, 167, 231, 255}, {33, 128, 64, 0},  {34, 79, 159, 239}, {35, 175, 95, 15},
      {36, 80, 160, 240},  {37, 255, 255, 255}, {38, 175, 95, 15}, {39, 80, 160, 240}, {32 | 64, 167, 231, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    PictBuilder p(1, 1);
    p.colour(0x001F, 128, 64, 0);
    p.direct(uint16_t(10 << 10 | 20 << 5 | 30), 0, 0, 1, 1, c.mode);
    PictureRows rows;
    ASSERT_EQ(decodePict(p.finish(), rows), kOk);
    EXPECT_EQ(rows.image.at(0, 0)[0], c.r);
    EXPECT_EQ(rows.image.at(0, 0)[1], c.g);
    EXPECT_EQ(rows.image.at(0, 0)[2], c.b);
  }
  // Pen modes through paintRect: srcBic (3) paints the background colour,
  // notSrcCopy-like XOR (2) inverts white to black.
  for (auto [mode, expected] : {std::pair<uint16_t, uint8_t>{3, 9}, {2, 0}, {5, 255}, {8, 0}}) {
    PictBuilder p(1, 1);
    p.colour(0x001B, 9, 9, 9);
    p.op(0x0008).put16(mode).op(0x0031).rect(0, 0, 1, 1);
    PictureRows rows;
    ASSERT_EQ(decodePict(p.finish(), rows), kOk);
    EXPECT_EQ(rows.image.at(0, 0)[0], expected) << mode;
  }
}

TEST(PictInterpreter, CopiesPolygonsAndClips) {
  // A copy to a rectangle of another size draws nothing.
  PictBuilder p(2, 2);
  p.direct(0, 0, 0, 2, 2, 0);
  PictureRows rows;
  ASSERT_EQ(decodePict(p.finish(), rows), kOk);
  for (uint8_t v : rows.image.rgb) EXPECT_EQ(v, 255);

  // A polygon of 120 points (a 10 x 10 square walked in small steps) is filled.
  PictBuilder poly(12, 12);
  std::vector<std::pair<int16_t, int16_t>> points;
  for (int i = 0; i < 30; ++i) points.emplace_back(int16_t(1), int16_t(1 + i / 3));
  for (int i = 0; i < 30; ++i) points.emplace_back(int16_t(1 + i / 3), int16_t(11));
  for (int i = 0; i < 30; ++i) points.emplace_back(int16_t(11), int16_t(11 - i / 3));
  for (int i = 0; i < 30; ++i) points.emplace_back(int16_t(11 - i / 3), int16_t(1));
  poly.op(0x0071).put16(uint16_t(10 + 4 * points.size())).rect(1, 1, 11, 11);
  for (auto [v, h] : points) poly.put16(uint16_t(v)).put16(uint16_t(h));
  ASSERT_EQ(decodePict(poly.finish(), rows), kOk);
  EXPECT_EQ(rows.image.at(5, 5)[0], 0);
  EXPECT_EQ(rows.image.at(0, 5)[0], 255);

  // A small clip in one picture does not reach the next one.
  PictBuilder clipped(4, 4);
  clipped.op(0x0001).put16(10).rect(0, 0, 1, 1).op(0x0031).rect(0, 0, 4, 4);
  ASSERT_EQ(decodePict(clipped.finish(), rows), kOk);
  EXPECT_EQ(rows.image.at(2, 2)[0], 255);
  PictBuilder plain(4, 4);
  plain.op(0x0031).rect(0, 0, 4, 4);
  ASSERT_EQ(decodePict(plain.finish(), rows), kOk);
  EXPECT_EQ(rows.image.at(2, 2)[0], 0);
}

TEST(PictInterpreter, BadSizesStopWith8) {
  struct Case {
    const char* name;
    Bytes file;
    uint32_t result;
  } cases[] = {
      {"clip size 4", PictBuilder(2, 2).op(0x0001).put16(4).finish(), kNotThisFormat},
      {"framePoly size 1", PictBuilder(2, 2).op(0x0070).put16(1).finish(), kNotThisFormat},
      {"paintRgn size 0", PictBuilder(2, 2).op(0x0081).put16(0).finish(), kNotThisFormat},
      {"paintPoly size 6", PictBuilder(2, 2).op(0x0071).put16(6).put16(0).put16(0).finish(), kNotThisFormat},
      {"pixel pattern type 3", PictBuilder(2, 2).op(0x0012).put16(3).put32(0).put32(0).finish(), kNotThisFormat},
      {"pixmap of 3 components", [] {
         PictBuilder p(1, 1);
         p.op(0x0098).put16(0x8002).rect(0, 0, 1, 1).put16(0).put16(0).put32(0).put32(0).put32(0);
         return p.put16(0).put16(8).put16(3).put16(8).put32(0).put32(0).put32(0).finish();
       }(), kNotThisFormat},
      {"ends without its end mark", [] { Bytes b = PictBuilder(2, 2).op(0x0031).rect(0, 0, 1, 1).bytes; return b; }(), kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    EXPECT_EQ(decodePict(c.file, rows), c.result);
  }
  ImageInfo info;
  Bytes reversed = PictBuilder(2, 2).finish();
  reversed[519] = 0, reversed[520] = 0;  // right before left
  EXPECT_EQ(pictIdentify(reversed, reversed.size(), info), kNotThisFormat);
  const Bytes huge = PictBuilder(30000, 30000).finish();
  EXPECT_EQ(pictIdentify(huge, huge.size(), info), kReadError);  // far too short for its frame
  Bytes version3 = PictBuilder(2, 2).finish();
  version3[524] = 3;
  EXPECT_EQ(pictIdentify(version3, version3.size(), info), kNotThisFormat);
}

TEST_F(PictCodec, DamagedFilesEndCleanly) {
  Bytes narrow, wide;
  ASSERT_EQ(qztest::encodeBytes(qztest::makeGradient(9, 5), narrow, pictEncode), kOk);
  ASSERT_EQ(qztest::encodeBytes(qztest::makeGradient(130, 2), wide, pictEncode), kOk);
  std::vector<Bytes> goods = {narrow, wide};
  if (!ppmtopict_.empty()) {
    ASSERT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' -colors 9 ppm:- | " + ppmtopict_ + " > '" +
                            dir_.file("n.pict") + "'"));
    goods.push_back(qztest::readFile(dir_.file("n.pict")));
  }
  for (const Bytes& good : goods) {
    for (const Bytes& bad : qztest::damagedCopies(good)) {
      PictureRows rows;
      const uint32_t result = decodePict(bad, rows);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError) << result;
    }
  }
}

}  // namespace
