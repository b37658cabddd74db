// X bitmap codec core: headers, bit order and hex forms by table, the
// threshold and exact text of the writer, truncated files filled white, and
// both ways with netpbm and ImageMagick.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "qzio/codec_xbm.h"
#include "qzio/load_problem.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

uint32_t decodeXbm(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(file, rows, info, xbmIdentify, xbmDecode);
}

// Row y as "#" for black and "." for white.
std::string rowOf(const RgbImage& image, uint32_t y) {
  std::string s;
  for (uint32_t x = 0; x < image.width; ++x) s += image.at(x, y)[0] == 0 ? '#' : '.';
  return s;
}

TEST(XbmHandBuilt, Reads) {
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::string> rows;
    bool partial;
  } cases[] = {
      {"9 wide, two bytes a row", "#define a_width 9\n#define a_height 2\nstatic char a_bits[] = {\n0x01, 0x01, 0xFE, 0x00 };",
       {"#.......#", ".#######."}, false},
      {"comments, an x in the name, one-digit bytes",
       "/* a bitmap */\n#define box_x_width 4\n#define box_x_height 1\nstatic unsigned char box_x_bits[] = { 0x5 };",
       {"#.#."}, false},
      {"X10 words of 16 bits", "#define a_width 17\n#define a_height 1\nstatic short a_bits[] = {\n 0x8001, 0x0001};",
       {"#..............##"}, false},
      {"short file: the rest is white", "#define a_width 8\n#define a_height 3\nstatic char a_bits[] = { 0xff, 0x0f,",
       {"########", "####....", "........"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    takeLoadProblem();
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeXbm(qztest::textBytes(c.file), rows, &info), kOk);
    EXPECT_EQ(info.kind, PixelKind::Grey);
    for (uint32_t y = 0; y < c.rows.size(); ++y) EXPECT_EQ(rowOf(rows.image, y), c.rows[y]);
    EXPECT_EQ(takeLoadProblem().partial, c.partial);
  }
  struct Refusal {
    const char* name;
    std::string file;
    uint32_t result;
  } refusals[] = {
      {"width above 10000", "#define a_width 10001\n#define a_height 1\nstatic char a_bits[] = { 0x00 };", kNotThisFormat},
      {"no height", "#define a_width 8\nstatic char a_bits[] = { 0x00 };", kNotThisFormat},
      {"no data", "#define a_width 8\n#define a_height 1\nstatic char a_bits[] = { };", kNotThisFormat},
      {"far too short", "#define a_width 9000\n#define a_height 9000\nstatic char a_bits[] = { 0x00 };", kReadError},
  };
  for (const Refusal& c : refusals) {
    SCOPED_TRACE(c.name);
    ImageInfo info;
    const Bytes file = qztest::textBytes(c.file);
    EXPECT_EQ(xbmIdentify(file, file.size(), info), c.result);
  }
}

Bytes encode(const RgbImage& image, const std::string& name = "dir/pic.tar.xbm") {
  Bytes out;
  PictureRows rows(image);
  EXPECT_EQ(xbmEncode(image.width, image.height, 24, name, rows, out), kOk);
  return out;
}

TEST(XbmWriter, ThresholdAndExactText) {
  RgbImage image(9, 2);
  std::fill(image.rgb.begin(), image.rgb.end(), 255);
  for (int c = 0; c < 3; ++c) image.at(0, 0)[c] = 127, image.at(8, 0)[c] = 0, image.at(1, 1)[c] = 128;
  image.at(2, 1)[0] = 127, image.at(2, 1)[1] = 128, image.at(2, 1)[2] = 128;  // (127+128+128)/3 = 127: black
  const Bytes file = encode(image);
  EXPECT_EQ(std::string(file.begin(), file.end()),
            "#define pic_width 9\n#define pic_height 2\nstatic char pic_bits[] = {\n"
            "0x01, 0x01, \n0x04, 0x00, \n};\n");
  PictureRows back;
  ASSERT_EQ(decodeXbm(file, back), kOk);
  EXPECT_EQ(rowOf(back.image, 0), "#.......#");
  EXPECT_EQ(rowOf(back.image, 1), "..#......");
  Bytes out;
  PictureRows rows(image);
  EXPECT_EQ(xbmEncode(9, 2, 8, "a.xbm", rows, out), kNotHandled);
}

class XbmTools : public ::testing::Test {
 protected:
  qztest::TempDir dir_;
};

TEST_F(XbmTools, BothWaysWithNetpbmAndImageMagick) {
  const std::string xbmtopbm = qztest::toolPath("xbmtopbm"), pbmtoxbm = qztest::toolPath("pbmtoxbm"),
                    convert = qztest::toolPath("convert");
  if (xbmtopbm.empty() || pbmtoxbm.empty() || convert.empty()) GTEST_SKIP() << "netpbm or ImageMagick missing";
  RgbImage image(21, 7);
  for (uint32_t y = 0; y < 7; ++y)
    for (uint32_t x = 0; x < 21; ++x) std::fill_n(image.at(x, y), 3, uint8_t((x * y + x) % 3 ? 255 : 0));
  qztest::writeFile(dir_.file("ours.xbm"), encode(image));
  ASSERT_TRUE(qztest::run(xbmtopbm + " '" + dir_.file("ours.xbm") + "' | ppmtoppm > '" + dir_.file("netpbm.ppm") + "'"));
  RgbImage theirs;
  ASSERT_TRUE(qztest::readPnm(dir_.file("netpbm.ppm"), theirs));
  EXPECT_EQ(qztest::maxDifference(theirs, image), 0);
  qztest::writePpm(dir_.file("source.ppm"), image);
  for (const std::string& command : {"ppmtopgm '" + dir_.file("source.ppm") + "' | pgmtopbm -threshold | " + pbmtoxbm,
                                     "ppmtopgm '" + dir_.file("source.ppm") + "' | pgmtopbm -threshold | " + pbmtoxbm + " -x10",
                                     convert + " '" + dir_.file("source.ppm") + "' xbm:-"}) {
    SCOPED_TRACE(command);
    ASSERT_TRUE(qztest::run(command + " > '" + dir_.file("made.xbm") + "'"));
    PictureRows rows;
    ASSERT_EQ(decodeXbm(qztest::readFile(dir_.file("made.xbm")), rows), kOk);
    EXPECT_EQ(qztest::maxDifference(rows.image, image), 0);
  }
}

TEST(XbmHandBuilt, DamagedFilesFailCleanly) {
  RgbImage image(19, 6);
  for (size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = uint8_t(i / 3 % 5 ? 255 : 0);
  for (const Bytes& bad : qztest::damagedCopies(encode(image))) {
    PictureRows rows;
    const uint32_t result = decodeXbm(bad, rows);
    EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError) << result;
  }
}

}  // namespace
