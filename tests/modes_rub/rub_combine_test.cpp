// The Rub combiners, rub-through, rub-paint and burn-through: each operation
// on a table of pixel pairs, where the picture lies (every row of a block
// tested, the picture fetched in its own coordinates), the fallback to the
// data below, the paint-colour rework, grey documents, the class records,
// and the same bytes however the compositor cuts the work.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"
#include "rub_test_kit.h"
#include "support/external_tools.h"
#include "support/temp_dir.h"

namespace {

using qz::modes::RubOp;
using qztest::Document;
using qztest::Rgb;
using rubtest::Opaque;

struct Combiner {
  const char* mode;
  RubOp op;
};
const Combiner kCombiners[] = {
    {"RubAdd", RubOp::Add},         {"RubSubtract", RubOp::Subtract}, {"RubMultiply", RubOp::Multiply},
    {"RubDarken", RubOp::Darken},   {"RubLighten", RubOp::Lighten},   {"RubDifference", RubOp::Difference},
    {"RubOr", RubOp::Or},           {"RubXOr", RubOp::XOr},           {"RubBrightness", RubOp::Brightness},
    {"RubThru", RubOp::Thru}};

// What a combiner makes of one pixel below and one of the picture.
Rgb Combined(RubOp op, Rgb s, Rgb b) {
  Rgb out;
  const int32_t k = qz::modes::rubBrightnessLevel(b[0], b[1], b[2]);
  for (int c = 0; c < 3; ++c)
    out[c] = op == RubOp::Brightness ? uint8_t(qz::modes::rubScale(s[c], k)) : qz::modes::rubCombine(op, s[c], b[c]);
  return out;
}

// Columns of a 5-pixel row: the data below s and the picture b, grey.
constexpr uint8_t kS[5] = {200, 100, 255, 255, 0};
constexpr uint8_t kB[5] = {100, 200, 255, 1, 77};

TEST(RubCombiners, TableOfPixelPairs) {
  struct Case {
    const char* mode;
    uint8_t expected[5];
  };
  const Case cases[] = {
      {"RubAdd", {255, 255, 255, 255, 77}},       {"RubSubtract", {100, 0, 0, 254, 0}},
      {"RubMultiply", {78, 78, 255, 1, 0}},       {"RubDarken", {100, 100, 255, 1, 0}},
      {"RubLighten", {200, 200, 255, 255, 77}},   {"RubDifference", {100, 100, 0, 254, 77}},
      {"RubOr", {236, 236, 255, 255, 77}},        {"RubXOr", {172, 172, 0, 254, 77}},
      {"RubBrightness", {78, 78, 255, 1, 0}},     {"RubThru", {100, 200, 255, 1, 77}},
  };
  Document picture(5, 1, [](int32_t x, int32_t) { return Rgb{kB[x], kB[x], kB[x]}; });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Document doc(5, 1, [](int32_t x, int32_t) { return Rgb{kS[x], kS[x], kS[x]}; });
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {9, 9, 9}, 0, 0, 5, 1, Opaque);
    ASSERT_NE(layer, nullptr);
    doc.AttachSecondary(layer, picture.image, 0, 0);
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 0, 4, 0, 0);
    for (int32_t x = 0; x < 5; ++x)
      EXPECT_EQ(out[size_t(x)], (Rgb{c.expected[x], c.expected[x], c.expected[x]})) << "column " << x;
  }
}

TEST(RubCombiners, BrightnessScalesByThePicturesMeanLevel) {
  // (255 + 255 + 254) / 3 = 254.
  Document picture(1, 1, [](int32_t, int32_t) { return Rgb{255, 255, 254}; });
  Document doc(1, 1, [](int32_t, int32_t) { return Rgb{255, 128, 10}; });
  Qz_Image* layer = doc.AddPaintLayer("RubBrightness", {0, 0, 0}, 0, 0, 1, 1, Opaque);
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, picture.image, 0, 0);
  EXPECT_EQ(qztest::StrictRender(doc, layer, 0, 0, 0, 0)[0], (Rgb{254, 127, 9}));
}

// A 100-wide picture at (20, 0) in a layer at (10, 5) lies over columns
// 30..129 and rows 5..14; a block of rows 3..16 meets it on some rows only.
TEST(RubCombiners, CombineWhereThePictureLiesEveryRowTested) {
  Document picture(100, 10, rubtest::Picture);
  for (const Combiner& m : kCombiners) {
    SCOPED_TRACE(m.mode);
    Document doc(160, 30, rubtest::Below);
    Qz_Image* layer = doc.AddPaintLayer(m.mode, {0, 0, 0}, 10, 5, 140, 25, Opaque);
    ASSERT_NE(layer, nullptr);
    doc.AttachSecondary(layer, picture.image, 20, 0);
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 25, 135, 3, 16);
    for (int32_t y = 3; y <= 16; ++y)
      for (int32_t x = 25; x <= 135; ++x) {
        const bool over = x >= 30 && x <= 129 && y >= 5 && y <= 14;
        const Rgb s = rubtest::Below(x, y);
        const Rgb expected = over ? Combined(m.op, s, rubtest::Picture(x - 30, y - 5)) : s;
        ASSERT_EQ(out[size_t((y - 3) * 111 + (x - 25))], expected) << x << ", " << y;
      }
  }
}

// Without a secondary image the combiners use the data below itself, moved
// by the layer's position and the secondary offset; rub-through has no
// such fallback and shows the data below.
TEST(RubCombiners, WithoutAPictureTheDataBelowIsThePicture) {
  struct Case {
    const char* mode;
    Rgb expected;  // of a flat (100, 30, 200) below, layer and offset at (0, 0)
  };
  const Case flat[] = {{"RubAdd", {200, 60, 255}},      {"RubDarken", {100, 30, 200}},
                       {"RubLighten", {100, 30, 200}},  {"RubThru", {100, 30, 200}},
                       {"RubSubtract", {0, 0, 0}},      {"RubXOr", {0, 0, 0}}};
  for (const Case& c : flat) {
    SCOPED_TRACE(c.mode);
    Document doc(6, 3, [](int32_t, int32_t) { return Rgb{100, 30, 200}; });
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, 0, 0, 6, 3, Opaque);
    ASSERT_NE(layer, nullptr);
    for (const Rgb& p : qztest::StrictRender(doc, layer, 0, 5, 0, 2)) ASSERT_EQ(p, c.expected);
  }
  // On an upper layer at (4, 2) with the offset (7, -3): the data below that
  // layer at (x - 11, y + 1) is added where it exists.
  rubtest::Stack stack(60, 24);
  Qz_Image* layer = stack.Add("RubAdd", 4, 2, 50, 20, Opaque);
  ASSERT_NE(layer, nullptr);
  layer->placement.secondX = 7;
  layer->placement.secondY = -3;
  const std::vector<Rgb> below = rubtest::DataBelow(stack.doc, layer);
  const std::vector<Rgb> out = qztest::StrictRender(stack.doc, layer, 0, 59, 0, 23);
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 60; ++x) {
      const Rgb s = rubtest::Below(x, y);
      const bool over = x >= 11 && y + 1 < 24;
      const Rgb expected = over ? Combined(RubOp::Add, s, below[size_t((y + 1) * 60 + x - 11)]) : s;
      ASSERT_EQ(out[size_t(y * 60 + x)], expected) << x << ", " << y;
    }
}

// Rub-paint and burn-through over a (50, 60, 70) picture: an 8-bit layer
// weighs the paint colour by its transparency g(a) (g(255) = 252, g(254) =
// 248, g(128) = 16); a 24-bit layer adds the colour to its own weighted planes.
TEST(RubPaintAndBurnThru, LayTheColourOverThePicture) {
  struct Case {
    const char* mode;
    Rgb colour;
    uint8_t a;
    Rgb expected;
  };
  const Case cases[] = {
      {"BurnThru", {3, 5, 7}, 255, {50, 60, 70}},      // full: the picture burns through
      {"BurnThru", {3, 5, 7}, 254, {251, 253, 255}},   // colour + 248, limited
      {"BurnThru", {3, 5, 7}, 128, {19, 21, 23}},
      {"RubPaint", {200, 100, 255}, 255, {247, 158, 255}},  // picture + colour * 252 / 255
      {"RubPaint", {200, 100, 255}, 128, {62, 66, 86}},
      {"RubPaint", {200, 100, 255}, 0, {50, 60, 70}},
  };
  Document picture(4, 2, [](int32_t, int32_t) { return Rgb{50, 60, 70}; });
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " at " << int(c.a));
    Document doc(4, 2, [](int32_t, int32_t) { return Rgb{1, 2, 3}; });
    Qz_Image* layer = doc.AddPaintLayer(c.mode, c.colour, 0, 0, 4, 2, [&](int32_t, int32_t) { return c.a; });
    ASSERT_NE(layer, nullptr);
    doc.AttachSecondary(layer, picture.image, 0, 0);
    for (const Rgb& p : qztest::StrictRender(doc, layer, 0, 3, 0, 1)) ASSERT_EQ(p, c.expected);
  }
  for (const char* mode : {"RubPaint", "BurnThru"}) {
    SCOPED_TRACE(mode);
    Document doc(3, 1, [](int32_t, int32_t) { return Rgb{1, 2, 3}; });
    Qz_Image* layer = doc.AddPaintLayer(mode, {3, 5, 7}, 0, 0, 3, 1, Opaque, 24);
    ASSERT_NE(layer, nullptr);
    doc.AttachSecondary(layer, picture.image, 0, 0);
    layer->r[0][1] = 255, layer->g[0][1] = 128, layer->b[0][1] = 0;
    EXPECT_EQ(qztest::StrictRender(doc, layer, 0, 2, 0, 0)[1], (Rgb{255, 21, 7}));
  }
}

// The paint colour is laid only where the layer lies; beyond it the block
// shows what rub-through made of it.
TEST(RubPaintAndBurnThru, OnlyOnTheLayer) {
  Document doc(30, 6, rubtest::Below);
  Document picture(30, 6, rubtest::Picture);
  Qz_Image* layer = doc.AddPaintLayer("BurnThru", {3, 5, 7}, 10, 2, 8, 3, [](int32_t, int32_t) { return uint8_t(128); });
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, picture.image, -10, -2);
  const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 0, 29, 0, 5);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 30; ++x) {
      const bool on = x >= 10 && x < 18 && y >= 2 && y < 5;
      const Rgb expected = on ? Rgb{19, 21, 23} : rubtest::Picture(x, y);
      ASSERT_EQ(out[size_t(y * 30 + x)], expected) << x << ", " << y;
    }
}

// A grey document: the combiners and rub emboss show the grey data below;
// rub-through, the modes on it and the tiled modes answer 0 and leave the
// output alone.
TEST(RubModes, GreyDocuments) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(image, nullptr);
  ASSERT_NE(Qz_AllocImage(image, 6, 2, 8, kQzAllocNoThread, nullptr), nullptr);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 6; ++x) image->grey[y][x] = uint8_t(10 * x + y);
  struct Case {
    const char* mode;
    QzWord answer;
    bool copies;
  };
  const Case cases[] = {{"RubAdd", 1, true},     {"RubBrightness", 1, true}, {"RubThru", 0, false},
                        {"RubPaint", 0, false},  {"BurnThru", 0, false},   {"RubEmboss", 1, true},
                        {"RubTiled", 0, false},  {"Tile", 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Qz_Object* mode = qztest::MakeMode(c.mode, nullptr);
    ASSERT_NE(mode, nullptr);
    std::vector<uint8_t> out(12, 0xEE);
    uint8_t* rows[2] = {out.data(), out.data() + 6};
    Qz_ImageLock block{};
    block.image = image;
    block.x0 = 1, block.x1 = 4, block.y0 = 0, block.y1 = 1;
    block.grey = image->grey;
    Qz_ImageLock spare{};
    spare.image = image;
    Qz_ModeRenderMessage message{&block, &spare, rows, rows, rows, rows};
    EXPECT_EQ(Qz_RenderMode(mode, &message), c.answer);
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 6; ++x) {
        const bool written = c.copies && x < 4;
        EXPECT_EQ(rows[y][x], written ? image->grey[y][x + 1] : 0xEE) << x << ", " << y;
      }
    Qz_DisposeObject(mode);
  }
  Qz_DisposeObject(&image->object);
}

TEST(RubModes, ClassRecordsAndFlags) {
  struct Case {
    const char* mode;
    uint32_t classId;
    const char* super;
  };
  const Case cases[] = {{"RubAdd", kQzRubModeClassId, "RootMode"},       {"RubXOr", kQzRubModeClassId, "RootMode"},
                        {"RubThru", kQzRubModeClassId, "RootMode"},
                        {"RubPaint", kQzRubPaintModeClassId, "RubThruMode"},
                        {"BurnThru", kQzBurnThruModeClassId, "RubThruMode"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Qz_Object* mode = qztest::MakeMode(c.mode, nullptr);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->objectClass->classId, c.classId);
    // The record names the class the instance is really built on.
    EXPECT_STREQ(qz::kit::declOf(mode)->superName, c.super);
    ASSERT_NE(mode->super, nullptr);
    EXPECT_STREQ(qz::kit::declOf(mode->super)->name, c.super);
    EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetFlags), uint32_t(kQzModeCombinesSource));
    Qz_DisposeObject(mode);
  }
}

// The same bytes however the compositor cuts the work, on an upper layer at
// (4, 2) whose picture sits at (7, -3), each row split into runs.
class RubSameHoweverCut : public ::testing::TestWithParam<const char*> {};

TEST_P(RubSameHoweverCut, OnAnUpperLayerWithAnOffsetPicture) {
  Document picture(150, 30, rubtest::Picture);
  rubtest::Stack stack(210, 30);
  Qz_Image* layer = stack.Add(GetParam(), 4, 2, 200, 27, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  stack.doc.AttachSecondary(layer, picture.image, 7, -3);
  const std::vector<uint8_t> planes = qztest::ExpectSameHoweverCut(stack.doc);
  // Blocks across the picture's edges read only what they fetched.
  qztest::StrictRender(stack.doc, layer, 0, 209, 0, 3);
  qztest::StrictRender(stack.doc, layer, 100, 180, 20, 29);
  // The picture shows: without it the pass differs.
  stack.doc.AttachSecondary(layer, nullptr, 7, -3);
  stack.doc.Composite();
  EXPECT_NE(stack.doc.Planes(), planes);
  qztest::StrictRender(stack.doc, layer, 0, 209, 0, 3);
}

INSTANTIATE_TEST_SUITE_P(RubModes, RubSameHoweverCut,
                         ::testing::Values("RubAdd", "RubSubtract", "RubMultiply", "RubBrightness", "RubDarken",
                                           "RubLighten", "RubDifference", "RubOr", "RubXOr", "RubThru",
                                           "RubPaint", "BurnThru"));

// ---- against ImageMagick ---------------------------------------------------------

void WritePpm(const std::string& path, int32_t w, int32_t h, const qztest::PixelFn& pixel) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << w << " " << h << "\n255\n";
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const Rgb p = pixel(x, y);
      out.write(reinterpret_cast<const char*>(p.data()), 3);
    }
}

// The pixels of a P6 file with a plain header, as ImageMagick writes it.
std::vector<Rgb> ReadPpm(const std::string& path, int32_t w, int32_t h) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int32_t fw = 0, fh = 0, max = 0;
  in >> magic >> fw >> fh >> max;
  in.get();
  std::vector<Rgb> pixels;
  if (magic != "P6" || fw != w || fh != h || max != 255) return pixels;
  pixels.resize(size_t(w) * h);
  in.read(reinterpret_cast<char*>(pixels.data()), std::streamsize(pixels.size() * 3));
  if (!in) pixels.clear();
  return pixels;
}

TEST(RubCombiners, AgreeWithImageMagicksComposeOperators) {
  if (!qztest::haveTool("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  constexpr int32_t kW = 64, kH = 16;
  qztest::TempDir dir;
  const std::string below = dir.path() + "/below.ppm", picture = dir.path() + "/picture.ppm";
  WritePpm(below, kW, kH, rubtest::Below);
  WritePpm(picture, kW, kH, rubtest::Picture);
  Document pictureDoc(kW, kH, rubtest::Picture);
  struct Case {
    const char* mode;
    const char* compose;  // ImageMagick: destination below, source the picture
    int tolerance;        // ImageMagick rounds a product; the mode truncates it
  };
  const Case cases[] = {{"RubAdd", "LinearDodge", 0}, {"RubSubtract", "MinusSrc", 0},
                        {"RubDarken", "Darken", 0},   {"RubLighten", "Lighten", 0},
                        {"RubDifference", "Difference", 0}, {"RubMultiply", "Multiply", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::string out = dir.path() + "/" + c.mode + ".ppm";
    const std::string command = "convert '" + below + "' '" + picture + "' -compose " + c.compose +
                                " -composite -depth 8 '" + out + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<Rgb> theirs = ReadPpm(out, kW, kH);
    ASSERT_EQ(theirs.size(), size_t(kW * kH));
    Document doc(kW, kH, rubtest::Below);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, 0, 0, kW, kH, Opaque);
    ASSERT_NE(layer, nullptr);
    doc.AttachSecondary(layer, pictureDoc.image, 0, 0);
    const std::vector<Rgb> ours = qztest::StrictRender(doc, layer, 0, kW - 1, 0, kH - 1);
    int worst = 0;
    for (size_t i = 0; i < ours.size(); ++i)
      for (int ch = 0; ch < 3; ++ch) worst = std::max(worst, std::abs(int(ours[i][ch]) - int(theirs[i][ch])));
    EXPECT_LE(worst, c.tolerance);
  }
}

}  // namespace
