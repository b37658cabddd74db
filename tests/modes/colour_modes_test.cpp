// The paint and colour-blend modes: each mode's output for a table of pixels
// below and paint colours, through the compositor (opaque layer: the output
// is the mode's) and through a strict direct render.
#include <gtest/gtest.h>

#include "compositor/compositor_kit.h"

namespace {

using qztest::Document;
using qztest::Rgb;

struct Case {
  const char* mode;
  Rgb below, paint, expected;
};

// Channels 1..3 of one case are three (c, k) pairs.
const Case kCases[] = {
    {"Paint", {100, 200, 128}, {200, 100, 128}, {200, 100, 128}},
    {"AddColour", {100, 200, 10}, {200, 100, 20}, {255, 255, 30}},
    {"SubtractColour", {100, 200, 128}, {200, 100, 128}, {0, 100, 0}},
    {"Darken", {100, 200, 128}, {200, 100, 128}, {100, 100, 128}},
    {"Lighten", {100, 200, 128}, {200, 100, 128}, {200, 200, 128}},
    {"DifferenceRGB", {100, 200, 5}, {200, 100, 5}, {100, 100, 0}},
    {"Multiply", {100, 200, 128}, {200, 100, 128}, {78, 78, 64}},
    {"Multiply", {255, 255, 77}, {255, 1, 0}, {255, 1, 0}},
    {"Screen", {100, 200, 128}, {200, 100, 128}, {222, 222, 192}},
    {"Screen", {77, 77, 0}, {0, 255, 0}, {77, 255, 0}},
    {"Burn", {100, 200, 128}, {200, 100, 128}, {15, 0, 0}},
    {"Burn", {200, 50, 0}, {0, 255, 255}, {0, 50, 0}},
    {"Dodge", {100, 64, 9}, {200, 255, 0}, {255, 255, 9}},
    {"Overlay", {100, 200, 128}, {200, 100, 128}, {165, 109, 127}},
    {"SoftLight", {100, 200, 128}, {200, 100, 128}, {134, 190, 128}},
    {"HardLight", {100, 200, 128}, {200, 100, 128}, {190, 134, 128}},
    {"Overlay", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {"SoftLight", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {"HardLight", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {"Tint", {255, 0, 0}, {0, 128, 255}, {0, 128, 255}},
    {"Tint", {100, 200, 128}, {200, 100, 128}, {156, 78, 100}},
    // A black paint colour still builds the tables: 128 -> 0, 255 -> 253.
    {"Colourise", {128, 128, 128}, {0, 0, 0}, {0, 0, 0}},
    {"Colourise", {255, 255, 255}, {0, 0, 0}, {253, 253, 253}},
    {"Colourise", {127, 127, 127}, {200, 100, 50}, {200, 100, 50}},
    {"Sepia", {128, 128, 128}, {0, 0, 0}, {138, 107, 75}},
    {"Sepia", {200, 100, 50}, {9, 9, 9}, {134, 104, 73}},
    {"Sepia", {255, 255, 255}, {0, 0, 0}, {254, 253, 253}},
};

TEST(ColourModes, TableOfPixels) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.mode << " below " << int(c.below[0]) << ","
                                    << int(c.below[1]) << "," << int(c.below[2]));
    // Six pixels: one group of four and a tail of two.
    Document doc(6, 2, [&](int32_t, int32_t) { return c.below; });
    Qz_Image* layer = doc.AddPaintLayer(c.mode, c.paint, 0, 0, 6, 2,
                                        [](int32_t, int32_t) { return uint8_t(255); });
    ASSERT_NE(layer, nullptr);
    doc.Composite();
    for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(doc.Pixel(x, 1), c.expected) << "column " << x;
    for (const Rgb& p : qztest::StrictRender(doc, layer, 1, 4, 0, 1)) EXPECT_EQ(p, c.expected);
  }
}

TEST(ColourModes, ColouriseFollowsThePaintColourUntilATargetIsSet) {
  Document doc(4, 1, [](int32_t, int32_t) { return Rgb{127, 127, 127}; });
  Qz_Image* layer = doc.AddPaintLayer("Colourise", {10, 20, 30}, 0, 0, 4, 1,
                                      [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(qztest::StrictRender(doc, layer, 0, 3, 0, 0)[0], (Rgb{10, 20, 30}));
  layer->committedColour[0] = 90;
  EXPECT_EQ(qztest::StrictRender(doc, layer, 0, 3, 0, 0)[0], (Rgb{90, 20, 30}));
  // A set target replaces the paint colour for good; channels not set are 0.
  EXPECT_EQ(Qz_DoMethod(layer->mode, 0x81E, 200), 0u);
  EXPECT_EQ(qztest::StrictRender(doc, layer, 0, 3, 0, 0)[0], (Rgb{200, 0, 0}));
  layer->committedColour[1] = 250;
  EXPECT_EQ(qztest::StrictRender(doc, layer, 0, 3, 0, 0)[0], (Rgb{200, 0, 0}));
}

TEST(ColourModes, BiColourMapsTheLayerBetweenItsTwoColours) {
  Document doc(3, 1, [](int32_t, int32_t) { return Rgb{1, 2, 3}; });
  const uint8_t alphas[3] = {0, 255, 128};
  Qz_Image* layer = doc.AddPaintLayer("BiColour", {200, 100, 10}, 0, 0, 3, 1,
                                      [&](int32_t x, int32_t) { return alphas[x]; });
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, 0x130053, uint32_t(20 | 40 << 8 | 60 << 16)), 0u);
  const auto out = qztest::StrictRender(doc, layer, 0, 2, 0, 0);
  EXPECT_EQ(out[0], (Rgb{20, 40, 60}));
  EXPECT_EQ(out[1], (Rgb{200, 100, 10}));
  // ((k * 128 + s * 127 + 1) * 257) >> 16 per channel.
  EXPECT_EQ(out[2], (Rgb{110, 70, 34}));

  // A 24-bit layer: ((c * c) >> 8)^2 >> 8 plus the paint colour.
  Document colourDoc(2, 1, [](int32_t, int32_t) { return Rgb{0, 0, 0}; });
  Qz_Image* colourLayer = colourDoc.AddPaintLayer(
      "BiColour", {10, 10, 10}, 0, 0, 2, 1, [](int32_t, int32_t) { return uint8_t(200); }, 24);
  ASSERT_NE(colourLayer, nullptr);
  EXPECT_EQ(qztest::StrictRender(colourDoc, colourLayer, 0, 1, 0, 0)[1], (Rgb{105, 105, 105}));
}

// Grey images and empty blocks, for every mode: only PaintMode writes grey,
// and an empty block answers 1 with nothing written.
TEST(ColourModes, GreyImagesAndEmptyBlocks) {
  auto* grey = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(grey, nullptr);
  ASSERT_NE(Qz_AllocImage(grey, 4, 1, 8, kQzAllocNoThread, nullptr), nullptr);
  auto* layer = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer));
  ASSERT_NE(layer, nullptr);
  ASSERT_NE(Qz_AllocImage(layer, 4, 1, 8, 0, nullptr), nullptr);
  const uint8_t colour[3] = {10, 20, 31};
  std::memcpy(layer->committedColour, colour, 3);
  for (const std::string& name : qztest::ColourModeNames()) {
    SCOPED_TRACE(name);
    Qz_Object* mode = qztest::MakeMode(name, layer);
    ASSERT_NE(mode, nullptr);
    uint8_t out[4] = {7, 7, 7, 7};
    uint8_t* outRow = out;
    Qz_ImageLock block{};
    block.image = grey;
    block.layer = layer;
    block.x0 = 0, block.x1 = 3, block.y0 = block.y1 = 0;
    block.grey = grey->grey;
    Qz_ImageLock spare{};
    Qz_ModeRenderMessage message{&block, &spare, nullptr, nullptr, nullptr, &outRow};
    const QzWord answer = Qz_RenderMode(mode, &message);
    const bool paint = name == "Paint";
    EXPECT_EQ(answer, paint ? 1u : 0u);
    EXPECT_EQ(out[3], paint ? 20 : 7);
    Qz_DisposeObject(mode);
  }
  Qz_DisposeObject(&layer->object);
  Qz_DisposeObject(&grey->object);

  Document doc(4, 1, [](int32_t, int32_t) { return Rgb{1, 2, 3}; });
  Qz_Image* colourLayer = doc.AddPaintLayer("Paint", {9, 9, 9}, 0, 0, 4, 1,
                                            [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(colourLayer, nullptr);
  for (const std::string& name : qztest::ColourModeNames()) {
    SCOPED_TRACE(name);
    Qz_Object* mode = qztest::MakeMode(name, colourLayer);
    uint8_t out[3][4] = {{7, 7, 7, 7}, {7, 7, 7, 7}, {7, 7, 7, 7}};
    uint8_t* rows[3] = {out[0], out[1], out[2]};
    Qz_ImageLock block{};
    block.image = doc.image;
    block.layer = colourLayer;
    block.x0 = 0, block.x1 = 3, block.y0 = 1, block.y1 = 0;
    block.r = doc.image->r, block.g = doc.image->g, block.b = doc.image->b;
    Qz_ImageLock spare{};
    Qz_ModeRenderMessage message{&block, &spare, &rows[0], &rows[1], &rows[2], nullptr};
    EXPECT_EQ(Qz_RenderMode(mode, &message), 1u);
    EXPECT_EQ(out[0][0], 7);
    Qz_DisposeObject(mode);
  }
}

// Every mode, on a gradient: the compositor's result in an opaque layer is
// exactly the strict direct render's, whatever the block.
TEST(ColourModes, CompositorAndDirectRenderAgree) {
  for (const std::string& name : qztest::ColourModeNames()) {
    SCOPED_TRACE(name);
    Document doc(19, 3, [](int32_t x, int32_t y) {
      return Rgb{uint8_t(x * 13), uint8_t(255 - x * 11), uint8_t(y * 90 + x)};
    });
    Qz_Image* layer = doc.AddPaintLayer(name, {170, 60, 240}, 0, 0, 19, 3,
                                        [](int32_t x, int32_t) { return uint8_t(x * 14); });
    ASSERT_NE(layer, nullptr);
    for (int32_t x = 0; x < 19; ++x) layer->grey[1][x] = 255;
    doc.Composite();
    const auto direct = qztest::StrictRender(doc, layer, 2, 16, 1, 1);
    for (int32_t x = 2; x <= 16; ++x) EXPECT_EQ(doc.Pixel(x, 1), direct[size_t(x - 2)]) << x;
  }
}

}  // namespace
