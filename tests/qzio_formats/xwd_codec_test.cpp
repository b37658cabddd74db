// X window dump codec core: dumps ImageMagick, netpbm and xwd itself (of a
// virtual X screen at 24 and 16 bits) write load as xwdtopnm reads them;
// hand-built dumps pin the byte orders, masks, line padding and colour
// entries; what we write others read exactly.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_xwd.h"
#include "support/external_tools.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

uint32_t decodeXwd(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(file, rows, info, xwdIdentify, xwdDecode);
}

struct X11Header {
  uint32_t depth = 24, width = 2, height = 1, byteOrder = 0, bitsPerPixel = 32, bytesPerLine = 8;
  uint32_t visualClass = 4, masks[3] = {0xFF0000, 0xFF00, 0xFF}, colours = 0;
};

// The 25 header words and a 3-byte window name, in either order.
Bytes x11(const X11Header& h, bool bigEndian) {
  const uint32_t words[25] = {103, 7, 2, h.depth, h.width, h.height, 0, h.byteOrder, 32, h.byteOrder, 32,
                              h.bitsPerPixel, h.bytesPerLine, h.visualClass, h.masks[0], h.masks[1], h.masks[2],
                              8, h.colours, h.colours, h.width, h.height, 0, 0, 0};
  Bytes out;
  qz::ByteWriter w(out);
  for (uint32_t word : words) bigEndian ? w.putU32be(word) : w.putU32le(word);
  w.bytes("ab", 3);
  return out;
}

// An X11 colour entry: pixel, red, green, blue (16 bits each), flags, pad.
Bytes colour(uint32_t pixel, uint16_t red, uint16_t green, uint16_t blue, bool bigEndian) {
  Bytes out;
  qz::ByteWriter w(out);
  if (bigEndian) {
    w.putU32be(pixel), w.putU16be(red), w.putU16be(green), w.putU16be(blue);
  } else {
    w.putU32le(pixel), w.putU16le(red), w.putU16le(green), w.putU16le(blue);
  }
  w.putU8(7), w.putU8(0);
  return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class XwdCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    convert_ = qztest::toolPath("convert");
    xwdtopnm_ = qztest::toolPath("xwdtopnm");
    source_ = qztest::makeGradient(13, 7);
    qztest::writePpm(dir_.file("source.ppm"), source_);
  }
  Bytes make(const std::string& command) {
    EXPECT_TRUE(qztest::run(command + " > '" + dir_.file("made.xwd") + "'"));
    return qztest::readFile(dir_.file("made.xwd"));
  }
  RgbImage netpbmPicture(const Bytes& file) {
    qztest::writeFile(dir_.file("in.xwd"), file);
    RgbImage image;
    EXPECT_TRUE(qztest::run(xwdtopnm_ + " '" + dir_.file("in.xwd") + "' | " + qztest::toolPath("pamdepth") + " 255 > '" +
                            dir_.file("out.ppm") + "'"));
    EXPECT_TRUE(qztest::readPnm(dir_.file("out.ppm"), image));
    return image;
  }
  qztest::TempDir dir_;
  std::string convert_, xwdtopnm_;
  RgbImage source_;
};

TEST_F(XwdCodec, LoadsWhatOtherProgramsWriteAsNetpbmReadsIt) {
  const std::string pnmtoxwd = qztest::toolPath("pnmtoxwd");
  if (convert_.empty() || xwdtopnm_.empty() || pnmtoxwd.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  const std::string source = " '" + dir_.file("source.ppm") + "'";
  EXPECT_TRUE(qztest::run(convert_ + source + " -colors 7 ppm:'" + dir_.file("few.ppm") + "'"));
  struct Case {
    const char* name;
    Bytes file;
    PixelKind kind;
  } cases[] = {
      {"netpbm direct colour", make(pnmtoxwd + " -directcolor" + source), PixelKind::TrueColour},
      {"netpbm pseudo colour", make(pnmtoxwd + " '" + dir_.file("few.ppm") + "'"), PixelKind::ColourMapped},
      {"netpbm grey", make(convert_ + source + " -colorspace Gray pgm:- | " + pnmtoxwd), PixelKind::ColourMapped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeXwd(c.file, rows, &info), kOk);
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_EQ(qztest::maxDifference(rows.image, netpbmPicture(c.file)), 0);
  }
  // ImageMagick's dump: 24 bits a pixel in lines of 40 bytes, padding that
  // is no whole pixel. Its direct-colour class without colours is shown as
  // black by netpbm, so ImageMagick itself is the reference.
  const std::string path = dir_.file("im.xwd");
  ASSERT_TRUE(qztest::run(convert_ + source + " xwd:'" + path + "'"));
  PictureRows rows;
  ASSERT_EQ(decodeXwd(qztest::readFile(path), rows), kOk);
  RgbImage reference;
  ASSERT_TRUE(qztest::decodeWithImageMagick(path, reference, dir_.path()));
  EXPECT_EQ(qztest::maxDifference(rows.image, reference), 0);
  EXPECT_EQ(qztest::maxDifference(rows.image, source_), 0);
}

TEST_F(XwdCodec, ScreenDumpsOfAVirtualDisplayLoad) {
  const std::string xvfb = qztest::toolPath("Xvfb"), xwd = qztest::toolPath("xwd");
  if (xvfb.empty() || xwd.empty() || xwdtopnm_.empty()) GTEST_SKIP() << "Xvfb, xwd or netpbm missing";
  for (const char* depth : {"24", "16"}) {
    SCOPED_TRACE(depth);
    const Bytes file = make(qztest::onVirtualDisplay(std::string("64x48x") + depth) + xwd + " -root -silent");
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeXwd(file, rows, &info), kOk);
    EXPECT_EQ(info.width, 64u);
    EXPECT_EQ(info.height, 48u);
    EXPECT_EQ(info.kind, PixelKind::TrueColour);
    EXPECT_EQ(qztest::maxDifference(rows.image, netpbmPicture(file)), 0);
  }
}

TEST(XwdHandBuilt, ByteOrdersMasksAndPadding) {
  struct Case {
    const char* name;
    Bytes file;
    uint8_t red, green, blue;  // of the first pixel
  } cases[] = {
      // Pixel 0x00112233, stored least significant byte first.
      {"big-endian header", join({x11({}, true), {0x33, 0x22, 0x11, 0, 0, 0, 0, 0}}), 0x11, 0x22, 0x33},
      {"little-endian header", join({x11({}, false), {0x33, 0x22, 0x11, 0, 0, 0, 0, 0}}), 0x11, 0x22, 0x33},
      {"pixels most significant first",
       join({x11({.byteOrder = 1}, true), {0, 0x11, 0x22, 0x33, 0, 0, 0, 0}}), 0x11, 0x22, 0x33},
      {"blue in the high bits",
       join({x11({.masks = {0xFF, 0xFF00, 0xFF0000}}, true), {0x33, 0x22, 0x11, 0, 0, 0, 0, 0}}), 0x33, 0x22, 0x11},
      // 5-6-5: all ones in each field give the field's top bits only.
      {"5-6-5", join({x11({.depth = 16, .bitsPerPixel = 16, .bytesPerLine = 4, .masks = {0xF800, 0x07E0, 0x001F}}, true),
                      {0xFF, 0xFF, 0, 0}}),
       0xF8, 0xFC, 0xF8},
      // 10 bits a component: narrowed by shifting right.
      {"10-bit masks",
       join({x11({.masks = {0x3FF00000, 0x000FFC00, 0x000003FF}}, true), {0xFF, 0x03, 0x00, 0x30, 0, 0, 0, 0}}),
       0xC0, 0x00, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ASSERT_EQ(decodeXwd(c.file, rows), kOk);
    EXPECT_EQ(rows.image.at(0, 0)[0], c.red);
    EXPECT_EQ(rows.image.at(0, 0)[1], c.green);
    EXPECT_EQ(rows.image.at(0, 0)[2], c.blue);
  }

  // 24 bits a pixel, 2 pixels in lines of 8 bytes: the lines are found by
  // their byte length, so the second line's pixels are not shifted.
  PictureRows rows;
  X11Header padded{.height = 2, .bitsPerPixel = 24, .bytesPerLine = 8};
  ASSERT_EQ(decodeXwd(join({x11(padded, true), {1, 2, 3, 4, 5, 6, 0xEE, 0xEE, 7, 8, 9, 10, 11, 12, 0xEE, 0xEE}}), rows),
            kOk);
  EXPECT_EQ(rows.image.at(0, 1)[2], 7);
  EXPECT_EQ(rows.image.at(1, 1)[0], 12);
}

TEST(XwdHandBuilt, ColourMapsStayInBounds) {
  // 8-bit pseudo colour, big-endian, entries for pixels 1, 300 and 2^32 - 1:
  // only the one inside the map is used.
  X11Header mapped{.depth = 8, .width = 2, .bitsPerPixel = 8, .bytesPerLine = 4, .visualClass = 3, .colours = 3};
  const Bytes file = join({x11(mapped, true), colour(1, 0x1234, 0x5678, 0x9ABC, true),
                           colour(300, 0xFFFF, 0xFFFF, 0xFFFF, true), colour(0xFFFFFFFF, 0xFFFF, 0, 0, true),
                           {1, 0, 0, 0}});
  PictureRows rows;
  ImageInfo info;
  ASSERT_EQ(decodeXwd(file, rows, &info), kOk);
  EXPECT_EQ(info.kind, PixelKind::ColourMapped);
  EXPECT_EQ(rows.image.at(0, 0)[0], 0x12);
  EXPECT_EQ(rows.image.at(0, 0)[2], 0x9A);
  EXPECT_EQ(rows.image.at(1, 0)[0], 0);  // pixel 0 has no entry: black

  // X10, little-endian: 8 planes, Z format, 2 colours of 8 bytes, lines of
  // even bytes (3 pixels in 4).
  Bytes x10;
  qz::ByteWriter w(x10);
  for (uint32_t word : {40u, 6u, 0u, 8u, 1u, 3u, 1u}) w.putU32le(word);
  for (uint16_t half : {3, 1, 0, 0, 0, 2}) w.putU16le(half);
  for (uint16_t half : {7, 0xFF00, 0, 0, 9, 0, 0, 0xAB00}) w.putU16le(half);  // pixel 7 red, pixel 9 blue
  w.bytes(Bytes{9, 7, 0, 0xEE});
  ASSERT_EQ(decodeXwd(x10, rows, &info), kOk);
  EXPECT_EQ(info.kind, PixelKind::ColourMapped);
  EXPECT_EQ(rows.image.at(0, 0)[2], 0xAB);
  EXPECT_EQ(rows.image.at(1, 0)[0], 0xFF);

  // 1-bit grey: 0 and 1 become black and white.
  Bytes grey = join({x11({.depth = 1, .width = 2, .bitsPerPixel = 1, .bytesPerLine = 4, .visualClass = 0}, true),
                     {0x40, 0, 0, 0}});
  grey[11] = 1;  // pixmap format 1: XY, allowed at depth 1
  grey[39] = 1;  // most significant bit first
  ASSERT_EQ(decodeXwd(grey, rows), kOk);
  EXPECT_EQ(rows.image.at(0, 0)[0], 0);
  EXPECT_EQ(rows.image.at(1, 0)[0], 255);
}

TEST(XwdHandBuilt, Refusals) {
  auto bad = [](X11Header h, size_t at = 0, uint8_t value = 0) {
    Bytes b = join({x11(h, true), Bytes(64, 0)});
    if (at) b[at] = value;
    return b;
  };
  struct Case {
    const char* name;
    Bytes file;
    uint32_t result;
  } cases[] = {
      {"depth 25", bad({.depth = 25}), kNotThisFormat},
      {"XY pixmap at depth 24", bad({}, 11, 1), kNotThisFormat},
      {"bitmap unit 12", bad({}, 35, 12), kNotThisFormat},
      {"true colour at 8 bits", bad({.bitsPerPixel = 8}), kNotThisFormat},
      {"lines shorter than their pixels", bad({.bytesPerLine = 7}), kNotThisFormat},
      {"colours past the file", bad({.visualClass = 3, .colours = 1000}), kNotThisFormat},
      {"version 8", bad({}, 7, 8), kNotThisFormat},
      {"a line short", join({x11({.height = 3}, true), Bytes(20, 0)}), kReadError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    EXPECT_EQ(decodeXwd(c.file, rows), c.result);
  }
}

TEST_F(XwdCodec, SavesDumpsOthersReadExactly) {
  Bytes file;
  ASSERT_EQ(qztest::encodeBytes(source_, file, xwdEncode), kOk);
  ASSERT_EQ(file.size(), 101u + 13 * 7 * 4);
  const uint32_t words[25] = {101, 7, 2, 24, 13, 7, 0, 0, 32, 0, 32, 32, 52, 4, 0xFF0000, 0xFF00, 0xFF,
                              8, 0, 0, 13, 7, 0, 0, 0};
  qz::ByteReader r(file);
  for (uint32_t word : words) EXPECT_EQ(r.u32be(), word);
  EXPECT_EQ(r.u8(), 0);  // empty window name
  const uint8_t* p = source_.at(0, 0);
  const Bytes firstPixel = {p[2], p[1], p[0], 0};
  EXPECT_TRUE(std::equal(firstPixel.begin(), firstPixel.end(), file.begin() + 101));
  PictureRows back;
  ASSERT_EQ(decodeXwd(file, back), kOk);
  EXPECT_EQ(qztest::maxDifference(back.image, source_), 0);
  if (!xwdtopnm_.empty()) {
    EXPECT_EQ(qztest::maxDifference(netpbmPicture(file), source_), 0);
  }
  if (!convert_.empty()) {
    qztest::writeFile(dir_.file("saved.xwd"), file);
    RgbImage other;
    ASSERT_TRUE(qztest::decodeWithImageMagick(dir_.file("saved.xwd"), other, dir_.path()));
    EXPECT_EQ(qztest::maxDifference(other, source_), 0);
  }
  PictureRows rows(source_);
  EXPECT_EQ(xwdEncode(13, 7, 8, rows, file), kNotHandled);
}

TEST_F(XwdCodec, DamagedFilesEndCleanly) {
  const std::string pnmtoxwd = qztest::toolPath("pnmtoxwd");
  if (convert_.empty() || pnmtoxwd.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  EXPECT_TRUE(qztest::run(convert_ + " '" + dir_.file("source.ppm") + "' -colors 7 ppm:'" + dir_.file("few.ppm") + "'"));
  for (const Bytes& source : {make(convert_ + " '" + dir_.file("source.ppm") + "' xwd:-"),
                              make(pnmtoxwd + " '" + dir_.file("few.ppm") + "'")}) {
    for (const Bytes& bad : qztest::damagedCopies(source)) {
      PictureRows rows;
      const uint32_t result = decodeXwd(bad, rows);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError) << result;
    }
  }
}

}  // namespace
