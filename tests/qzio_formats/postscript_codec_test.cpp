// PostScript and EPS writer core: the golden text of a small page, EPS
// without page comments and with balanced stacks, the fit table; Ghostscript
// draws what we write with the picture's pixels and an EPS placed in
// another page leaves that page's state as it was.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "codec_test_support.h"
#include "qzio/codec_postscript.h"
#include "support/temp_dir.h"

namespace {

using namespace qz::codec;
using qztest::PictureRows;
using qztest::RgbImage;

std::string encode(const RgbImage& image, const PostScriptSettings& settings) {
  PictureRows rows(image);
  std::vector<uint8_t> out;
  EXPECT_EQ(postScriptEncode(image.width, image.height, 24, rows, settings, out), kOk);
  return std::string(out.begin(), out.end());
}

size_t countOf(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

template <typename Change>
PostScriptSettings with(Change change) {
  PostScriptSettings settings;
  change(settings);
  return settings;
}

RgbImage twoPixels() {
  RgbImage image(2, 1);
  image.rgb = {255, 0, 16, 1, 2, 171};
  return image;
}

TEST(PostScriptWriter, GoldenTextOfATwoPixelLetterPage) {
  PostScriptSettings settings;
  settings.title = "two.ps";
  const std::string text = encode(twoPixels(), settings);
  const std::string head =
      "%!PS-Adobe-2.0\n"
      "%%Title: two.ps\n"
      "%%Creator: Quillantrix\n"
      "%%BoundingBox: 28 28 583 306\n"
      "%%Pages: 1\n"
      "%%DocumentFonts:\n"
      "%%EndComments\n"
      "%%EndProlog\n\n"
      "%%Page: 1 1\n\n"
      "/origstate save def\n"
      "20 dict begin\n"
      "/rgbindx 0 def\n"
      "/npixls 0 def\n"
      "/grays 2 string def\n"
      "/scan 6 string def\n"
      "28 28 translate\n"
      "555.30722 277.65361 scale\n"
      "\n/colorimage where\n\t{ pop }\n\t{\n\t\t/colortogray {";
  const std::string tail =
      "\t} ifelse\n"
      "2 1 8\n"
      "[2 0 0 -1 0 1]\n\n"
      "{currentfile scan readhexstring pop}\n"
      "false 3 colorimage\n"
      "ff00100102ab\n"
      "\nshowpage\nend\norigstate restore\n"
      "\n%%Trailer\n%%EOF";
  EXPECT_EQ(text.substr(0, head.size()), head);
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(PostScriptWriter, EpsHasNoPageAndBalancedStacks) {
  PostScriptSettings settings;
  settings.encapsulated = true;
  const std::string text = encode(qztest::makeGradient(30, 2), settings);
  EXPECT_EQ(text.rfind("%!PS-Adobe-2.0 EPSF-2.0\n", 0), 0u);
  EXPECT_EQ(text.find("%%Pages"), std::string::npos);
  EXPECT_EQ(text.find("%%Page:"), std::string::npos);
  EXPECT_EQ(text.find("showpage"), std::string::npos);
  EXPECT_EQ(countOf(text, "gsave"), 1u);
  EXPECT_EQ(countOf(text, "grestore"), 1u);
  EXPECT_EQ(countOf(text, " begin\n"), 1u);
  EXPECT_EQ(countOf(text, "\nend\n"), 1u);
  // 60 pixels: five lines of 12, each 72 digits.
  const size_t data = text.find("false 3 colorimage\n") + 19;
  EXPECT_EQ(text.find('\n', data), data + 72);
  // One pixel writes one line of six digits.
  RgbImage one(1, 1);
  one.rgb = {0xAB, 0xCD, 0xEF};
  EXPECT_NE(encode(one, settings).find("false 3 colorimage\nabcdef\n\nend\ngrestore\n"), std::string::npos);
}

TEST(PostScriptWriter, NumbersIgnoreTheLocale) {
  const char* locales[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", nullptr};
  const char* set = nullptr;
  for (const char** l = locales; *l && !set; ++l) set = std::setlocale(LC_NUMERIC, *l);
  if (!set) GTEST_SKIP() << "no locale with a decimal comma";
  const std::string text = encode(twoPixels(), PostScriptSettings{});
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_NE(text.find("555.30722 277.65361 scale"), std::string::npos);
}

TEST(PostScriptWriter, FitTable) {
  struct Case {
    const char* name;
    uint32_t width, height;
    PostScriptSettings settings;
    uint32_t result;
    double placedWidth, placedHeight;
  } cases[] = {
      // Letter, 10 mm borders: 195.90044 x 259.4 mm to fill.
      {"wide on a tall page: the width limits", 200, 100, {}, kOk, 195.90044, 97.95022},
      {"tall on a tall page: the height limits", 100, 400, {}, kOk, 64.85, 259.4},
      {"wide on a wide page", 400, 100, with([](auto& s) { s.pageWidth = 297, s.pageHeight = 210; }), kOk, 277, 69.25},
      {"square on a wide page: the height limits", 100, 100, with([](auto& s) { s.pageWidth = 297, s.pageHeight = 210; }), kOk, 190, 190},
      {"at 254 dpi", 254, 127, with([](auto& s) { s.resolution = 254, s.fitToPage = false; }), kOk, 25.4 / (0.03937 * 25.4), 12.7 / (0.03937 * 25.4)},
      {"resolution 0", 10, 10, with([](auto& s) { s.resolution = 0, s.fitToPage = false; }), kBadArguments, 0, 0},
      {"borders wider than the page", 10, 10, with([](auto& s) { s.left = s.right = 150; }), kBadArguments, 0, 0},
      {"borders taller than the page", 10, 10, with([](auto& s) { s.top = 280; }), kBadArguments, 0, 0},
      {"an empty picture", 0, 10, {}, kBadArguments, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PostScriptPlacement placed;
    ASSERT_EQ(postScriptPlacement(c.width, c.height, c.settings, placed), c.result);
    if (c.result != kOk) continue;
    EXPECT_NEAR(placed.width, c.placedWidth, 1e-6);
    EXPECT_NEAR(placed.height, c.placedHeight, 1e-6);
    EXPECT_NEAR(placed.resolution, c.width / (placed.width * 0.03937), 1e-6);
  }
  PictureRows rows(RgbImage(4, 4));
  std::vector<uint8_t> out;
  PostScriptSettings bad;
  bad.left = 300;
  EXPECT_EQ(postScriptEncode(4, 4, 24, rows, bad, out), kBadArguments);
  EXPECT_EQ(postScriptEncode(4, 4, 8, rows, PostScriptSettings{}, out), kNotHandled);
}

class PostScriptGhostscript : public ::testing::Test {
 protected:
  void SetUp() override {
    gs_ = qztest::toolPath("gs");
    if (gs_.empty()) GTEST_SKIP() << "Ghostscript missing";
  }
  qztest::TempDir dir_;
  std::string gs_;
};

TEST_F(PostScriptGhostscript, DrawsThePicturesPixels) {
  // At 72 dpi without borders a pixel is a point: Ghostscript at 72 dpi
  // draws the picture pixel for pixel.
  const RgbImage image = qztest::makeGradient(37, 23);
  PostScriptSettings settings =
      with([](auto& s) { s.left = s.right = s.top = s.bottom = 0, s.resolution = 72, s.fitToPage = false; });
  for (bool eps : {true, false}) {
    SCOPED_TRACE(eps ? "EPS" : "PS");
    settings.encapsulated = eps;
    const std::string text = encode(image, settings);
    const std::string in = dir_.file("in.ps"), out = dir_.file("out.ppm");
    qztest::writeFile(in, std::vector<uint8_t>(text.begin(), text.end()));
    const std::string size = eps ? "-dEPSCrop" : "-dDEVICEWIDTHPOINTS=37 -dDEVICEHEIGHTPOINTS=23 -dFIXEDMEDIA";
    ASSERT_TRUE(qztest::run(gs_ + " -q -dSAFER -dBATCH -dNOPAUSE -r72 " + size + " -sDEVICE=ppmraw -sOutputFile='" +
                            out + "' '" + in + "'"));
    RgbImage drawn;
    ASSERT_TRUE(qztest::readPnm(out, drawn));
    EXPECT_LE(qztest::maxDifference(drawn, image), 2);
  }
}

TEST_F(PostScriptGhostscript, EpsLeavesTheIncludingPageAsItWas) {
  PostScriptSettings settings;
  settings.encapsulated = true;
  const std::string eps = encode(qztest::makeGradient(50, 3), settings);
  const std::string program =
      "%!PS\n5 setlinewidth 0.25 0.5 0.75 setrgbcolor /mine 42 def\n"
      "countdictstack /dicts exch def matrix currentmatrix /ctm exch def 1 2 3 count /stack exch def\n" +
      eps +
      "\ncount stack eq countdictstack dicts eq and currentlinewidth 5 eq and\n"
      "matrix currentmatrix 0 get ctm 0 get eq and matrix currentmatrix 4 get ctm 4 get eq and\n"
      "currentrgbcolor 0.75 eq exch 0.5 eq and exch 0.25 eq and and mine 42 eq and\n"
      "{ (intact) } { (changed) } ifelse print flush\n";
  const std::string in = dir_.file("page.ps"), out = dir_.file("said.txt");
  qztest::writeFile(in, std::vector<uint8_t>(program.begin(), program.end()));
  ASSERT_TRUE(qztest::run(gs_ + " -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage '" + in + "' > '" + out + "'"));
  const std::vector<uint8_t> said = qztest::readFile(out);
  EXPECT_EQ(std::string(said.begin(), said.end()), "intact");
}

}  // namespace
