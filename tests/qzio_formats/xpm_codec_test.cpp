// X pixmap codec core: a table of colour forms and headers (XPM3 with and
// without hotspot, "static const char", XPM1), refusals and truncation, the
// writer's exact text, its one- and two-character codes and the 3-3-2
// fallback; both ways with netpbm and ImageMagick.
#include <gtest/gtest.h>

#include <set>

#include "codec_test_support.h"
#include "qzio/codec_xpm.h"
#include "qzio/load_problem.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;
using Bytes = std::vector<uint8_t>;

uint32_t decodeXpm(const Bytes& file, PictureRows& rows, ImageInfo* info = nullptr) {
  return qztest::decodeBytes(file, rows, info, xpmIdentify, xpmDecode);
}

std::string rgbOf(const RgbImage& image, uint32_t x, uint32_t y) {
  char s[16];
  std::snprintf(s, sizeof s, "%02x%02x%02x", image.at(x, y)[0], image.at(x, y)[1], image.at(x, y)[2]);
  return s;
}

TEST(XpmColours, EveryForm) {
  struct Case {
    const char* spec;
    const char* rgb;  // null: refused
  } cases[] = {
      {"#fff", "ffffff"},          {"#ffffffffffff", "ffffff"}, {"#102030", "102030"}, {"#100020003000", "102030"},
      {"None", "7f7f7f"},          {"none", "7f7f7f"},          {"rgb:f/80/0", "ff8000"}, {"rgb:ffff/0/8", "ff0088"},
      {"rgbi:1/0.5/0", "ff8000"},  {"1,0,0.5", "ff0080"},       {"red", "ff0000"},       {"Light Blue", "add8e6"},
      {"no such colour", "ffffff"}, {"#ff", nullptr},           {"#ggg", nullptr},       {"rgb:fffff/0/0", nullptr},
      {"rgbi:2/0/0", nullptr},     {"1.5,0,0", nullptr},        {"rgb:1/2", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec);
    uint8_t rgb[3] = {};
    ASSERT_EQ(xpmColour(c.spec, rgb), c.rgb != nullptr);
    if (!c.rgb) continue;
    char s[8];
    std::snprintf(s, sizeof s, "%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    EXPECT_STREQ(s, c.rgb);
  }
}

TEST(XpmHandBuilt, HeadersAndColourLines) {
  const std::string colours = "\"a c #ff0000\",\n\"b g4 black g #00ff00 c #0000ff\",\n\"c s name m white\",\n";
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"XPM3", "/* XPM */\nstatic char *x[] = {\n\"3 2 3 1\",\n" + colours + "\"abc\",\n\"cba\"};\n"},
      {"comments, hotspot, const", "/* XPM */\n/* a note */\nstatic const char * x [] = {\n/* values */\n\"3 2 3 1 0 1\",\n" +
                                        colours + "/* pixels */\n\"abc\",\n\"cba\"\n};\n"},
      {"XPM1", "#define x_format 1\n#define x_width 3\n#define x_height 2\n#define x_ncolors 3\n#define x_chars_per_pixel 1\n"
               "static char * x_colors[] = {\n\"a\", \"#ff0000\", \"b\", \"#0000ff\", \"c\", \"white\"};\n"
               "static char * x_pixels[] = {\n\"abc\",\n\"cba\"};\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRows rows;
    ImageInfo info;
    ASSERT_EQ(decodeXpm(qztest::textBytes(c.file), rows, &info), kOk);
    EXPECT_EQ(info.width, 3u);
    EXPECT_EQ(info.height, 2u);
    EXPECT_EQ(rgbOf(rows.image, 0, 0), "ff0000");
    EXPECT_EQ(rgbOf(rows.image, 1, 0), "0000ff");  // "c" ranks above "g" and "g4"
    EXPECT_EQ(rgbOf(rows.image, 2, 0), "ffffff");  // "m" above "s"
    EXPECT_EQ(rgbOf(rows.image, 0, 1), "ffffff");
  }
  // Two characters a pixel.
  PictureRows rows;
  ASSERT_EQ(decodeXpm(qztest::textBytes("/* XPM */\nstatic char *x[] = {\"2 1 2 2\", \"ab c red\", \"a  c blue\", \"a ab\"};"), rows), kOk);
  EXPECT_EQ(rgbOf(rows.image, 0, 0), "0000ff");
  EXPECT_EQ(rgbOf(rows.image, 1, 0), "ff0000");
}

TEST(XpmHandBuilt, RefusalsAndTruncation) {
  const std::string head = "/* XPM */\nstatic char *x[] = {\n\"2 2 1 1\",\n";
  struct Case {
    const char* name;
    std::string file;
    uint32_t identify, decode;
    bool partial;
  } cases[] = {
      {"not XPM", "/* XBM */\nstatic char *x[] = {\"2 2 1 1\"};", kNotThisFormat, 0, false},
      {"three values", "/* XPM */\nstatic char *x[] = {\"2 2 1\"};", kNotThisFormat, 0, false},
      {"not a C array", "/* XPM */\nint x = {\"2 2 1 1\"};", kNotThisFormat, 0, false},
      {"XPM1 without format 1", "#define x_format 2\n#define x_width 1\n#define x_height 1\n#define x_ncolors 1\n"
                                "#define x_chars_per_pixel 1\nstatic char *c[] = {\"a\", \"red\"};\nstatic char *p[] = {\"a\"};",
       kNotThisFormat, 0, false},
      {"far too short", "/* XPM */\nstatic char *x[] = {\"60000 60000 1 1\"};", kReadError, 0, false},
      {"bad colour", head + "\"a c #12\",\n\"aa\",\n\"aa\"};", kOk, kReadError, false},
      {"colour without a key", head + "\"a #ff0000\",\n\"aa\",\n\"aa\"};", kOk, kReadError, false},
      {"unknown pixel code", head + "\"a c red\",\n\"ab\",\n\"aa\"};", kOk, kReadError, false},
      {"no rows", head + "\"a c red\"};                ", kOk, kReadError, false},
      {"second row missing", head + "\"a c red\",\n\"aa\"};            ", kOk, kOk, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    takeLoadProblem();
    ImageInfo info;
    const Bytes file = qztest::textBytes(c.file);
    EXPECT_EQ(xpmIdentify(file, file.size(), info), c.identify);
    if (c.identify != kOk) continue;
    PictureRows rows;
    EXPECT_EQ(decodeXpm(file, rows), c.decode);
    const LoadProblem problem = takeLoadProblem();
    EXPECT_EQ(problem.partial, c.partial);
    if (c.decode != kOk || c.partial) EXPECT_FALSE(problem.text.empty());
    if (c.partial) {
      EXPECT_EQ(rgbOf(rows.image, 1, 0), "ff0000");
      EXPECT_EQ(rgbOf(rows.image, 1, 1), "ffffff");
    }
  }
}

RgbImage coloured(uint32_t width, uint32_t height, uint32_t colours) {
  RgbImage image(width, height);
  for (uint32_t i = 0; i < width * height; ++i) {
    const uint32_t c = i % colours;
    uint8_t* p = &image.rgb[size_t{i} * 3];
    p[0] = uint8_t(c * 7), p[1] = uint8_t(c >> 5 << 3), p[2] = uint8_t(255 - c);
  }
  return image;
}

Bytes encode(const RgbImage& image, const std::string& name = "pic.xpm") {
  Bytes out;
  PictureRows rows(image);
  EXPECT_EQ(xpmEncode(image.width, image.height, 24, name, rows, out), kOk);
  return out;
}

TEST(XpmWriter, ExactTextAndCodes) {
  RgbImage two(2, 2);
  two.at(1, 0)[0] = 255, two.at(0, 1)[0] = 255;
  const Bytes file = encode(two, "some/dir/pic.tar.xpm");
  EXPECT_EQ(std::string(file.begin(), file.end()),
            "/* XPM */\nstatic char *pic[] = {\n/* width height num_colors chars_per_pixel */\n"
            "\"\t   2\t   2\t      2\t\t\t\t\t\t1\",\n/* colors */\n\". c #000000\",\n\"# c #ff0000\",\n"
            "/* pixels */\n\".#\",\n\"#.\"\n};\n");
  struct Case {
    uint32_t colours, charsPerPixel;
  } cases[] = {{64, 1}, {65, 2}, {256, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.colours);
    const RgbImage image = coloured(37, 9, c.colours);
    const Bytes saved = encode(image);
    const std::string s(saved.begin(), saved.end());
    char values[64];
    std::snprintf(values, sizeof values, "%6u\t\t\t\t\t\t%1u\"", c.colours, c.charsPerPixel);
    EXPECT_NE(s.find(values), std::string::npos);
    PictureRows back;
    ASSERT_EQ(decodeXpm(saved, back), kOk);
    EXPECT_EQ(qztest::maxDifference(back.image, image), 0);
  }
  // Past 256 colours: the 3-3-2 palette, dithered, with only the entries used.
  const RgbImage many = qztest::makeGradient(40, 30);
  const Bytes saved = encode(many);
  PictureRows back;
  ASSERT_EQ(decodeXpm(saved, back), kOk);
  std::set<std::string> used;
  for (uint32_t y = 0; y < 30; ++y)
    for (uint32_t x = 0; x < 40; ++x) used.insert(rgbOf(back.image, x, y));
  const std::string s(saved.begin(), saved.end());
  const size_t colourLines = size_t(std::count(s.begin(), s.end(), '\n')) - 30 - 7;
  EXPECT_EQ(colourLines, used.size());
  EXPECT_LT(qztest::maxDifference(back.image, many), 128);
}

class XpmTools : public ::testing::Test {
 protected:
  qztest::TempDir dir_;
};

TEST_F(XpmTools, BothWaysWithNetpbmAndImageMagick) {
  const std::string xpmtoppm = qztest::toolPath("xpmtoppm"), ppmtoxpm = qztest::toolPath("ppmtoxpm"),
                    convert = qztest::toolPath("convert");
  if (xpmtoppm.empty() || ppmtoxpm.empty() || convert.empty()) GTEST_SKIP() << "netpbm or ImageMagick missing";
  for (uint32_t colours : {5u, 200u}) {
    SCOPED_TRACE(colours);
    const RgbImage image = coloured(23, 11, colours);
    qztest::writeFile(dir_.file("ours.xpm"), encode(image));
    ASSERT_TRUE(qztest::run(xpmtoppm + " '" + dir_.file("ours.xpm") + "' > '" + dir_.file("netpbm.ppm") + "'"));
    RgbImage theirs;
    ASSERT_TRUE(qztest::readPnm(dir_.file("netpbm.ppm"), theirs));
    EXPECT_EQ(qztest::maxDifference(theirs, image), 0);
    qztest::writePpm(dir_.file("source.ppm"), image);
    for (const std::string& command :
         {ppmtoxpm + " '" + dir_.file("source.ppm") + "'", convert + " '" + dir_.file("source.ppm") + "' xpm:-"}) {
      SCOPED_TRACE(command);
      ASSERT_TRUE(qztest::run(command + " > '" + dir_.file("made.xpm") + "'"));
      PictureRows rows;
      ASSERT_EQ(decodeXpm(qztest::readFile(dir_.file("made.xpm")), rows), kOk);
      EXPECT_EQ(qztest::maxDifference(rows.image, image), 0);
    }
  }
}

TEST(XpmHandBuilt, DamagedFilesFailCleanly) {
  for (const Bytes& bad : qztest::damagedCopies(encode(coloured(20, 8, 90)))) {
    PictureRows rows;
    const uint32_t result = decodeXpm(bad, rows);
    EXPECT_TRUE(result == kOk || result == kNotThisFormat || result == kReadError) << result;
  }
}

}  // namespace
