// GIF codec core: hand-built files pin the LZW decoder (table growth, the
// code one past the table, a full table without clear, bad codes), the
// interlace passes, animations and partial frames; what we write reads back
// exactly when the picture has few colours, and both ways with netpbm and
// ImageMagick.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "codec_test_support.h"
#include "platform/byte_order.h"
#include "qzio/codec_gif.h"
#include "qzio/load_problem.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

uint32_t decodeGif(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(file, rows, info, gifIdentify, gifDecode);
}

// LZW codes packed as a decoder reads them: widths grow when the table
// reaches the next power of two, and return after a clear.
Bytes packCodes(uint32_t minimumCodeSize, const std::vector<uint32_t>& codes) {
  const uint32_t clear = 1u << minimumCodeSize;
  uint32_t width = minimumCodeSize + 1, next = clear + 2, accumulator = 0, bits = 0;
  bool havePrevious = false;
  Bytes packed;
  for (uint32_t code : codes) {
    accumulator |= code << bits;
    bits += width;
    while (bits >= 8) packed.push_back(uint8_t(accumulator)), accumulator >>= 8, bits -= 8;
    if (code == clear) {
      width = minimumCodeSize + 1, next = clear + 2, havePrevious = false;
    } else if (code != clear + 1) {
      if (havePrevious && next < 4096 && ++next == (1u << width) && width < 12) ++width;
      havePrevious = true;
    }
  }
  if (bits) packed.push_back(uint8_t(accumulator));
  Bytes out{uint8_t(minimumCodeSize)};
  for (size_t at = 0; at < packed.size(); at += 255) {
    const size_t n = std::min<size_t>(255, packed.size() - at);
    out.push_back(uint8_t(n));
    out.insert(out.end(), packed.begin() + ptrdiff_t(at), packed.begin() + ptrdiff_t(at + n));
  }
  out.push_back(0);
  return out;
}

// Colour i of the test table: red 10 * i, green 255 - i, blue i.
uint32_t tableColour(uint32_t i) { return (10 * i & 0xFF) | (255 - i) << 8 | i << 16; }

Bytes screen(uint16_t width, uint16_t height, uint32_t tableBits = 4) {
  Bytes out{'G', 'I', 'F', '8', '9', 'a'};
  qz::ByteWriter w(out);
  w.putU16le(width), w.putU16le(height), w.putU8(uint8_t(0x80 | (tableBits - 1))), w.putU8(0), w.putU8(0);
  for (uint32_t i = 0; i < (1u << tableBits); ++i) {
    const uint32_t c = tableColour(i);
    w.putU8(uint8_t(c)), w.putU8(uint8_t(c >> 8)), w.putU8(uint8_t(c >> 16));
  }
  return out;
}

Bytes frame(uint16_t width, uint16_t height, bool interlaced, const Bytes& data) {
  Bytes out{','};
  qz::ByteWriter w(out);
  w.putU16le(0), w.putU16le(0), w.putU16le(width), w.putU16le(height), w.putU8(interlaced ? 0x40 : 0);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Bytes kTrailer{';'};
const Bytes kControlExtension{'!', 0xF9, 4, 1, 0, 0, 3, 0};

// The table indices of a decoded picture, row by row.
std::vector<uint32_t> indicesOf(const RgbImage& image) {
  std::vector<uint32_t> out;
  for (uint32_t y = 0; y < image.height; ++y)
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t* p = image.at(x, y);
      out.push_back(p[2]);  // blue is the index in the test table
      EXPECT_EQ(p[1], 255 - p[2]);
    }
  return out;
}

TEST(GifHandBuilt, DecodesPictures) {
  // 0, 1 then a string of a string: 3 x 3 of index 0 is codes 0, 6 ("00", one
  // past the table), 7 ("000"), 7.
  std::vector<uint32_t> tableFull;
  for (uint32_t i = 0; i < 4200; ++i) tableFull.push_back(i & 1);
  tableFull.push_back(5);
  std::vector<uint32_t> many{4};
  many.insert(many.end(), tableFull.begin(), tableFull.end());
  struct Case {
    const char* name;
    Bytes file;
    std::vector<uint32_t> indices;
  } cases[] = {
      {"2 x 2", join({screen(2, 2), frame(2, 2, false, packCodes(2, {4, 0, 1, 2, 3, 5})), kTrailer}), {0, 1, 2, 3}},
      {"3 x 3 repeated strings", join({screen(3, 3), frame(3, 3, false, packCodes(2, {4, 0, 6, 7, 7, 5})), kTrailer}),
       {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"interlaced rows in four passes",
       join({screen(1, 5), frame(1, 5, true, packCodes(4, {16, 10, 14, 12, 11, 13, 17})), kTrailer}),
       {10, 11, 12, 13, 14}},
      {"extensions and stray bytes are passed over",
       join({screen(2, 1), kControlExtension, {'!', 0xFE, 2, 'h', 'i', 0, 0x55},
             frame(2, 1, false, packCodes(2, {4, 3, 2, 5})), kTrailer}),
       {3, 2}},
      {"whole frames: the last is shown",
       join({screen(2, 1), frame(2, 1, false, packCodes(2, {4, 1, 1, 5})), kControlExtension,
             frame(2, 1, false, packCodes(2, {4, 2, 3, 5})), kTrailer}),
       {2, 3}},
      {"a later part-screen frame ends the animation",
       join({screen(2, 1), frame(2, 1, false, packCodes(2, {4, 1, 2, 5})), frame(1, 1, false, packCodes(2, {4, 3, 5})),
             kTrailer}),
       {1, 2}},
      {"pixels past the picture are dropped", join({screen(2, 1), frame(2, 1, false, packCodes(2, {4, 1, 2, 3, 3, 5})), kTrailer}),
       {1, 2}},
      {"no end code, no trailer", join({screen(2, 1), frame(2, 1, false, packCodes(2, {4, 3, 1}))}), {3, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ASSERT_EQ(decodeGif(c.file, rows), kOk);
    EXPECT_EQ(indicesOf(rows.image), c.indices);
    EXPECT_TRUE(takeLoadProblem().text.empty());
  }
  // A table filled to 4096 codes without a clear keeps decoding with 12-bit codes.
  PictureRows rows;
  const Bytes full = join({screen(100, 42, 1), frame(100, 42, false, packCodes(2, many)), kTrailer});
  ASSERT_EQ(decodeGif(full, rows), kOk);
  std::vector<uint32_t> expected(4200);
  for (uint32_t i = 0; i < 4200; ++i) expected[i] = i & 1;
  EXPECT_EQ(indicesOf(rows.image), expected);
}

TEST(GifHandBuilt, DamageAndRefusals) {
  const Bytes good = frame(2, 1, false, packCodes(2, {4, 1, 2, 5}));
  Bytes codeSize9 = frame(2, 1, false, packCodes(2, {4, 1, 2, 5}));
  codeSize9[10] = 9;
  struct Case {
    const char* name;
    Bytes file;
    uint32_t result;
    bool partial;
    std::vector<uint32_t> indices;  // of a load that succeeds
  } cases[] = {
      {"first picture smaller than the screen", join({screen(2, 2), frame(2, 1, false, packCodes(2, {4, 1, 2, 5}))}),
       kNotThisFormat, false, {}},
      {"code beyond the next free code", join({screen(2, 1), frame(2, 1, false, packCodes(2, {4, 1, 7, 5}))}),
       kBadArguments, false, {}},
      {"first code not a colour", join({screen(2, 1), frame(2, 1, false, packCodes(2, {4, 6, 5}))}), kBadArguments,
       false, {}},
      {"data end before the first row", join({screen(3, 1), frame(3, 1, false, packCodes(2, {4, 1}))}), kBadArguments,
       false, {}},
      {"minimum code size 9", join({screen(2, 1), codeSize9}), kBadArguments, false, {}},
      {"minimum code size 1", [] { Bytes b = frame(2, 1, false, packCodes(2, {4, 1, 2, 5})); b[10] = 1;
         return join({screen(2, 1), b}); }(), kBadArguments, false, {}},
      {"no picture", join({screen(2, 1), kTrailer}), kReadError, false, {}},
      {"ends inside the colour table", [] { Bytes b = screen(2, 1); b.resize(b.size() - 5); return b; }(),
       kBadArguments, false, {}},
      {"a later frame broken: the last whole one stays",
       join({screen(2, 1), good, frame(2, 1, false, packCodes(2, {4, 3, 7, 5}))}), kOk, true, {1, 2}},
      {"first frame ends after a row", join({screen(2, 2), frame(2, 2, false, packCodes(2, {4, 1, 2, 5}))}), kOk, true,
       {1, 2, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    takeLoadProblem();
    PictureRows rows;
    EXPECT_EQ(decodeGif(c.file, rows), c.result);
    const LoadProblem problem = takeLoadProblem();
    if (c.result != kOk || c.partial) EXPECT_FALSE(problem.text.empty());
    EXPECT_EQ(problem.partial, c.partial);
    if (c.result == kOk) EXPECT_EQ(indicesOf(rows.image), c.indices);
  }
  ImageInfo info;
  const Bytes notGif{'G', 'I', 'E', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(gifIdentify(notGif, 13, info), kNotThisFormat);
  Bytes huge = screen(65535, 65535);
  EXPECT_EQ(gifIdentify(huge, huge.size(), info), kReadError);
}

// 256 colours far enough apart to keep their own octree leaves.
RgbImage manyColours(uint32_t width, uint32_t height, uint32_t colours) {
  RgbImage image(width, height);
  std::mt19937 random(7);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      // Long runs on the first rows, noise below.
      const uint32_t i = y < height / 4 ? (y * 3) % colours : random() % colours;
      uint8_t* p = image.at(x, y);
      p[0] = uint8_t((i & 7) * 36), p[1] = uint8_t((i >> 3 & 7) * 36), p[2] = uint8_t((i >> 6) * 85);
    }
  return image;
}

Bytes encode(const RgbImage& image, GifSaveOptions options) {
  Bytes out;
  PictureRows rows(image);
  EXPECT_EQ(gifEncode(image.width, image.height, 24, options, rows, out), kOk);
  return out;
}

class GifCodec : public ::testing::Test {
 protected:
  qztest::TempDir dir_;
};

TEST_F(GifCodec, SavesExactlyWhatFitsItsColours) {
  struct Case {
    const char* name;
    RgbImage image;
    bool interlaced;
  } cases[] = {
      // Noise in 256 colours fills the 4096-code table many times: 12-bit codes and clears.
      {"256 colours, long runs and noise", manyColours(301, 211, 256), false},
      {"interlaced", manyColours(17, 23, 40), true},
      {"one pixel", manyColours(1, 1, 1), false},
  };
  const std::string giftopnm = qztest::toolPath("giftopnm");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = encode(c.image, {.colours = 256, .dithering = 0, .interlaced = c.interlaced});
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");
    PictureRows back;
    ASSERT_EQ(decodeGif(file, back), kOk);
    EXPECT_EQ(qztest::maxDifference(back.image, c.image), 0);
    if (giftopnm.empty()) continue;
    qztest::writeFile(dir_.file("saved.gif"), file);
    // ppmtoppm: giftopnm writes a bitmap for black and white.
    ASSERT_TRUE(qztest::run(giftopnm + " '" + dir_.file("saved.gif") + "' | ppmtoppm > '" + dir_.file("netpbm.ppm") + "'"));
    RgbImage theirs;
    ASSERT_TRUE(qztest::readPnm(dir_.file("netpbm.ppm"), theirs));
    EXPECT_EQ(qztest::maxDifference(theirs, c.image), 0);
    RgbImage magick;
    ASSERT_TRUE(qztest::decodeWithImageMagick(dir_.file("saved.gif"), magick, dir_.path()));
    EXPECT_EQ(qztest::maxDifference(magick, c.image), 0);
  }
}

TEST_F(GifCodec, TwoColourHeader) {
  RgbImage image(3, 2);
  for (uint32_t x = 0; x < 3; ++x) image.at(x, 1)[0] = image.at(x, 1)[1] = image.at(x, 1)[2] = 255;
  const Bytes file = encode(image, {});
  ASSERT_GT(file.size(), 30u);
  EXPECT_EQ(file[10], 0x80);  // 1 bit, table of 2 entries
  EXPECT_EQ(file[13 + 6], ',');
  EXPECT_EQ(file[13 + 6 + 9], 0x00);  // not interlaced
  EXPECT_EQ(file[13 + 6 + 10], 2);    // minimum code size 2 for 1 bit
  EXPECT_EQ(file.back(), ';');
  PictureRows back;
  ASSERT_EQ(decodeGif(file, back), kOk);
  EXPECT_EQ(qztest::maxDifference(back.image, image), 0);
  const Bytes interlaced = encode(image, {.interlaced = true});
  EXPECT_EQ(interlaced[13 + 6 + 9], 0x40);
}

TEST_F(GifCodec, DithersAGradientCloseToItsColours) {
  const RgbImage source = qztest::makeGradient(64, 48);
  for (uint32_t strength : {0u, 70u, 100u}) {
    SCOPED_TRACE(strength);
    PictureRows back;
    ASSERT_EQ(decodeGif(encode(source, {.colours = 16, .dithering = strength}), back), kOk);
    // The mean of every 8 x 8 block stays near the source's.
    int worst = 0;
    for (uint32_t by = 0; by < 48; by += 8)
      for (uint32_t bx = 0; bx < 64; bx += 8)
        for (int c = 0; c < 3; ++c) {
          int a = 0, b = 0;
          for (uint32_t y = by; y < by + 8; ++y)
            for (uint32_t x = bx; x < bx + 8; ++x) a += source.at(x, y)[c], b += back.image.at(x, y)[c];
          worst = std::max(worst, std::abs(a - b) / 64);
        }
    EXPECT_LT(worst, 48);
  }
}

// LZW as common encoders write it, but never clearing: once 4096 codes are
// in the table, the rest of the picture is coded with the table as it is.
Bytes lzwWithoutClears(const std::vector<uint8_t>& pixels, uint32_t minimumCodeSize) {
  const uint32_t clear = 1u << minimumCodeSize;
  std::map<std::pair<uint32_t, uint8_t>, uint32_t> table;  // (string's code, pixel) -> code
  std::vector<uint32_t> codes{clear};
  uint32_t next = clear + 2, string = pixels[0];
  for (size_t i = 1; i < pixels.size(); ++i) {
    const auto found = table.find({string, pixels[i]});
    if (found != table.end()) {
      string = found->second;
      continue;
    }
    codes.push_back(string);
    if (next < 4096) table[{string, pixels[i]}] = next++;
    string = pixels[i];
  }
  codes.push_back(string);
  codes.push_back(clear + 1);
  return packCodes(minimumCodeSize, codes);
}

// A picture whose code table fills and whose data go on with 12-bit codes
// and no clear: read as ImageMagick reads it.
TEST_F(GifCodec, ATableFilledWithoutAClearKeepsDecoding) {
  constexpr uint16_t kWidth = 160, kHeight = 120;
  std::vector<uint8_t> pixels(size_t{kWidth} * kHeight);
  uint32_t state = 1;
  for (uint8_t& p : pixels) p = uint8_t((state = state * 214013 + 2531011) >> 16 & 3);  // noise: many short strings
  const Bytes file =
      join({screen(kWidth, kHeight, 2), frame(kWidth, kHeight, false, lzwWithoutClears(pixels, 2)), kTrailer});
  takeLoadProblem();
  PictureRows rows;
  ASSERT_EQ(decodeGif(file, rows), kOk);
  EXPECT_TRUE(takeLoadProblem().text.empty());
  const std::vector<uint32_t> shown = indicesOf(rows.image);
  EXPECT_TRUE(std::equal(shown.begin(), shown.end(), pixels.begin())) << "every pixel, the last rows included";

  if (qztest::toolPath("convert").empty()) GTEST_SKIP() << "ImageMagick missing";
  qztest::writeFile(dir_.file("full.gif"), file);
  RgbImage theirs;
  ASSERT_TRUE(qztest::decodeWithImageMagick(dir_.file("full.gif"), theirs, dir_.path()));
  EXPECT_EQ(qztest::maxDifference(rows.image, theirs), 0);
}

TEST_F(GifCodec, LoadsWhatOtherProgramsWrite) {
  const std::string convert = qztest::toolPath("convert"), pamtogif = qztest::toolPath("pamtogif");
  if (convert.empty() || pamtogif.empty()) GTEST_SKIP() << "ImageMagick or netpbm missing";
  const RgbImage source = manyColours(45, 31, 200);
  qztest::writePpm(dir_.file("source.ppm"), source);
  const std::string in = "'" + dir_.file("source.ppm") + "'", out = "'" + dir_.file("made.gif") + "'";
  struct Case {
    const char* name;
    std::string command;
    bool negated = false;
  } cases[] = {
      {"pamtogif", pamtogif + " " + in + " > " + out},
      {"pamtogif interlaced", pamtogif + " -interlace " + in + " > " + out},
      {"ImageMagick", convert + " " + in + " " + out},
      {"ImageMagick interlaced", convert + " " + in + " -interlace GIF " + out},
      {"ImageMagick animation: the last frame",
       convert + " " + in + " \\( " + in + " -negate \\) " + out, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(qztest::run(c.command));
    PictureRows rows;
    ASSERT_EQ(decodeGif(qztest::readFile(dir_.file("made.gif")), rows), kOk);
    RgbImage expected = source;
    if (c.negated)
      for (uint8_t& v : expected.rgb) v = uint8_t(255 - v);
    EXPECT_EQ(qztest::maxDifference(rows.image, expected), 0);
  }
}

TEST_F(GifCodec, DamagedFilesFailCleanly) {
  const Bytes file = encode(manyColours(40, 30, 100), {.interlaced = true});
  const Bytes animated = join({screen(2, 1), frame(2, 1, false, packCodes(2, {4, 1, 2, 5})), kControlExtension,
                               frame(2, 1, false, packCodes(2, {4, 2, 3, 5})), kTrailer});
  for (const Bytes& source : {file, animated}) {
    for (const Bytes& bad : qztest::damagedCopies(source)) {
      PictureRows rows;
      const uint32_t result = decodeGif(bad, rows);
      EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError || result == kBadArguments)
          << result;
    }
  }
}

}  // namespace
