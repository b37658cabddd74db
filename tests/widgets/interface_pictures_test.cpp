// The interface pictures the build draws into Data/Images: every one the
// picture table names is there, reads back through the program's own reader
// and BitMap gadget exactly as drawn, and netpbm decodes the same pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "canvas.h"
#include "gadgets/ilbm_reader.h"
#include "gadgets/qz_widgets.h"
#include "ilbm_builder.h"
#include "ilbm_writer.h"
#include "picture_table.h"
#include "platform/paths.h"

namespace {

using qz::pictures::PictureSpec;
using qztest::unpadded;

std::string dataPath(const PictureSpec& spec) { return std::string("Data/Images/") + spec.name; }

uint32_t colorRef(std::span<const uint8_t> palette, uint8_t index) {
  return uint32_t(palette[index * 3u]) | (uint32_t(palette[index * 3u + 1]) << 8) |
         (uint32_t(palette[index * 3u + 2]) << 16);
}

// A binary PPM as ilbmtoppm writes it: width, height and RGB bytes.
struct Ppm {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

bool readPpm(FILE* in, Ppm* out) {
  char magic[3] = {};
  int maxValue = 0;
  if (std::fscanf(in, "%2s %d %d %d", magic, &out->width, &out->height, &maxValue) != 4 ||
      std::string(magic) != "P6" || maxValue != 255 || std::fgetc(in) == EOF)
    return false;
  out->rgb.resize(std::size_t(out->width) * out->height * 3);
  return std::fread(out->rgb.data(), 1, out->rgb.size(), in) == out->rgb.size();
}

class InterfacePictures : public qztest::Canvas {};

TEST_F(InterfacePictures, EveryPictureReadsBackAsDrawn) {
  ASSERT_GE(qz::pictures::pictureTable().size(), 50u);
  for (const PictureSpec& spec : qz::pictures::pictureTable()) {
    SCOPED_TRACE(spec.name);
    qz::ilbm::Picture picture;
    std::string error;
    ASSERT_TRUE(qz::ilbm::readFile(dataPath(spec).c_str(), &picture, &error)) << error;
    EXPECT_EQ(picture.width, spec.width);
    EXPECT_EQ(picture.height, spec.height);
    EXPECT_EQ(picture.compression, 1) << "packed with ByteRun1";
    const std::size_t colours = std::size_t(1) << picture.planes;
    ASSERT_EQ(colours * 3, spec.palette.size());
    ASSERT_TRUE(picture.hasPalette);
    EXPECT_TRUE(std::equal(spec.palette.begin(), spec.palette.end(), picture.palette.begin()));
    const std::vector<uint8_t> pixels = unpadded(picture);
    EXPECT_EQ(pixels, qz::pictures::drawPicture(spec).pixels()) << "the file is out of date or garbled";

    // A real picture: something drawn over a good part of it, in colours a
    // viewer can tell apart.
    const std::set<uint8_t> used(pixels.begin(), pixels.end());
    EXPECT_GE(used.size(), 2u);
    EXPECT_GE(std::count_if(pixels.begin(), pixels.end(), [](uint8_t p) { return p != 0; }),
              std::ptrdiff_t(pixels.size() / 10));
    std::set<uint32_t> distinct;
    for (std::size_t c = 0; c < colours; ++c) distinct.insert(colorRef(spec.palette, uint8_t(c)));
    EXPECT_GE(distinct.size(), 16u) << "a palette of its own, not a few greys";
    std::set<uint32_t> shown;
    for (uint8_t c : used) shown.insert(colorRef(spec.palette, c));
    EXPECT_EQ(shown.size(), used.size()) << "two of its colours look alike";
    if (spec.width == 48 && spec.height == 48)
      EXPECT_EQ(used.count(0), 0u) << "48 x 48 pictures show colour 0 as stored: they must paint every pixel";
  }
}

TEST_F(InterfacePictures, BitMapGadgetsShowThemOnTheBackground) {
  for (const PictureSpec& spec : qz::pictures::pictureTable()) {
    SCOPED_TRACE(spec.name);
    clear();
    Qz_Object* b = attach(Qz_CreateObject("BitMap", kBitMapLoad, dataPath(spec).c_str()));
    ASSERT_NE(b, nullptr);
    Qz_DoMethod(b, kRootMeasure);
    ASSERT_EQ(box(b)->width, spec.width);
    ASSERT_EQ(box(b)->height, spec.height);
    placeAt(b, 0, 0, spec.width, spec.height);
    Qz_DoMethod(b, kRootDraw);
    const qz::pictures::PictureCanvas drawn = qz::pictures::drawPicture(spec);
    int wrong = 0;
    for (int y = 0; y < spec.height; ++y)
      for (int x = 0; x < spec.width; ++x) {
        const uint8_t index = drawn.at(x, y);
        const uint32_t expected =
            index == 0 ? Qz_ResolvePen(info.backgroundPen) : colorRef(spec.palette, index);
        wrong += at(x, y) != expected ? 1 : 0;
      }
    EXPECT_EQ(wrong, 0);
    Qz_DisposeObject(b);
  }
}

TEST_F(InterfacePictures, FoundUnderEveryNameTheProgramUses) {
  // Tool-bar names go through the images volume; one tool spells the folder
  // "Toolbar", which the data-path matching must still find.
  struct Case {
    uint32_t method;
    const char* name;
  };
  const Case cases[] = {{kBitMapToolBarName, "Magnify+"},
                        {kBitMapToolBarName, "Rectangle/Main"},
                        {kBitMapLoad, "Data/Images/Toolbar/PositionAction"},
                        {kBitMapLoad, "Qz_Images:Tabs/ModeOptions"},
                        {kBitMapLoad, "Data\\Images\\ToolBar\\Magnify-"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Object* b = Qz_CreateObject("BitMap", c.method, c.name);
    ASSERT_NE(b, nullptr);
    Qz_DoMethod(b, kRootMeasure);
    EXPECT_GT(box(b)->width, 0);
    EXPECT_EQ(box(b)->width, box(b)->height);
    Qz_DisposeObject(b);
  }
}

TEST(InterfacePictureFiles, NetpbmDecodesTheSamePixels) {
  if (std::system("command -v ilbmtoppm > /dev/null 2>&1") != 0) GTEST_SKIP() << "netpbm is not installed";
  for (const PictureSpec& spec : qz::pictures::pictureTable()) {
    SCOPED_TRACE(spec.name);
    const std::string path = qz::normalizePath(dataPath(spec));
    FILE* pipe = popen(("ilbmtoppm '" + path + "' 2>/dev/null").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    Ppm ppm;
    const bool read = readPpm(pipe, &ppm);
    EXPECT_EQ(pclose(pipe), 0);
    ASSERT_TRUE(read);
    ASSERT_EQ(ppm.width, spec.width);
    ASSERT_EQ(ppm.height, spec.height);
    qz::ilbm::Picture picture;
    ASSERT_TRUE(qz::ilbm::readFile(path.c_str(), &picture, nullptr));
    const std::vector<uint8_t> pixels = unpadded(picture);
    int wrong = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i)
      for (int k = 0; k < 3; ++k) wrong += ppm.rgb[i * 3 + k] != picture.palette[pixels[i] * 3u + k] ? 1 : 0;
    EXPECT_EQ(wrong, 0);
  }
}

TEST(InterfacePictureFiles, WriterRoundTripsAwkwardSizes) {
  // Widths around the 16-pixel row padding, and rows long enough for runs
  // and literals longer than one ByteRun1 token can hold.
  struct Case {
    int width, height, planes;
  };
  for (const Case c : {Case{1, 1, 1}, Case{7, 3, 2}, Case{16, 2, 3}, Case{17, 5, 5}, Case{1100, 3, 8},
                       Case{2100, 2, 4}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.planes);
    const int colours = 1 << c.planes;
    std::vector<uint8_t> palette;
    for (int i = 0; i < colours; ++i) palette.insert(palette.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    std::vector<uint8_t> pixels;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        // A long flat stretch, then noise: both run kinds, past 128 bytes each.
        const bool flat = x < c.width / 2;
        pixels.push_back(uint8_t(flat ? y % colours : (x * 131 + y * 71 + (x * x) % 17) % colours));
      }
    const std::vector<uint8_t> file = qz::pictures::encodeIlbm(c.width, c.height, pixels, palette);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.size() % 2, 0u) << "chunks are padded to even lengths";
    qz::ilbm::Picture picture;
    std::string error;
    ASSERT_TRUE(qz::ilbm::decode(file.data(), file.size(), &picture, &error)) << error;
    EXPECT_EQ(picture.planes, c.planes);
    EXPECT_EQ(unpadded(picture), pixels);
    EXPECT_TRUE(std::equal(palette.begin(), palette.end(), picture.palette.begin()));
  }
  // What the format cannot hold is refused, not written wrong.
  const std::vector<uint8_t> twoColours = {0, 0, 0, 255, 255, 255};
  const std::vector<uint8_t> threeColours = {0, 0, 0, 1, 1, 1, 2, 2, 2};
  const std::vector<uint8_t> pixelOutside = {0, 1, 2, 1};
  EXPECT_TRUE(qz::pictures::encodeIlbm(2, 2, pixelOutside, twoColours).empty());
  EXPECT_TRUE(qz::pictures::encodeIlbm(2, 2, std::vector<uint8_t>(4, 0), threeColours).empty());
  EXPECT_TRUE(qz::pictures::encodeIlbm(3, 2, std::vector<uint8_t>(4, 0), twoColours).empty());
  EXPECT_TRUE(qz::pictures::encodeIlbm(0, 0, {}, twoColours).empty());
}

}  // namespace
