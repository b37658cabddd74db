// The channel, noise and flip modes: the generator's numbers, identities,
// the ranges noise and scatter keep to, the mirrors, thresholds and the
// settings stored in object text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "compositor/compositor_kit.h"
#include "modes/row_random.h"
#include "objects/object_text.h"

namespace {

using qztest::Document;
using qztest::NoisePixel;
using qztest::Rgb;

uint8_t Opaque(int32_t, int32_t) { return 255; }

// The whole document rendered by one opaque layer of the mode.
struct Scene {
  Scene(const char* mode, int32_t w, int32_t h, const qztest::PixelFn& background = NoisePixel)
      : doc(w, h, background), layer(doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, w, h, Opaque)) {}
  std::vector<Rgb> Render() { return qztest::StrictRender(doc, layer, 0, doc.width() - 1, 0, doc.height() - 1); }
  Rgb Below(int32_t x, int32_t y) const { return NoisePixel(x, y); }
  Qz_Object* mode() const { return layer->mode; }
  Document doc;
  Qz_Image* layer;
};

TEST(RowRandom, DrawsTheRuntimeGeneratorsNumbersFromSeedOne) {
  qz::modes::RowRandom random;
  for (int32_t expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(random.next(), expected);
}

TEST(AddNoise, SpacingNinetyNineCopiesEveryPixel) {
  Scene s("AddNoise", 60, 9);
  Qz_DoMethod(s.mode(), 0x848, 99u);
  const std::vector<Rgb> out = s.Render();
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 60; ++x) ASSERT_EQ(out[size_t(y * 60 + x)], s.Below(x, y)) << x << "," << y;
}

// On mid grey nothing clamps: the noise is the output less 128.
TEST(AddNoise, NoiseStaysWithinMinusAmountToAmountLessOne) {
  struct Case {
    int32_t amount, colour;
  };
  for (const Case c : {Case{5, 0}, Case{5, 1}, Case{1, 1}, Case{90, 0}}) {
    SCOPED_TRACE(std::to_string(c.amount) + (c.colour ? " colour" : " grey"));
    Scene s("AddNoise", 200, 20, [](int32_t, int32_t) { return Rgb{128, 128, 128}; });
    Qz_DoMethod(s.mode(), kQzModeSetAmount, QzWord(c.amount));
    Qz_DoMethod(s.mode(), kQzModeSetColourMode, QzWord(c.colour));
    Qz_DoMethod(s.mode(), 0x848, 0u);
    int32_t lowest = 999, highest = -999, copied = 0, channelsDiffer = 0;
    for (const Rgb& p : s.Render()) {
      for (int ch = 0; ch < 3; ++ch) {
        lowest = std::min(lowest, p[ch] - 128);
        highest = std::max(highest, p[ch] - 128);
      }
      copied += p == Rgb{128, 128, 128};
      channelsDiffer += p[0] != p[1] || p[1] != p[2];
    }
    EXPECT_EQ(lowest, -c.amount);
    EXPECT_EQ(highest, c.amount - 1);
    EXPECT_GT(copied, 0);  // the draws that are multiples of 100, and noise 0
    if (c.colour)
      EXPECT_GT(channelsDiffer, 0);
    else
      EXPECT_EQ(channelsDiffer, 0);
  }
}

TEST(AddNoise, AmountZeroIsClampedAndSettingsLiveInObjectText) {
  Qz_Object* mode = Qz_CreateObject("AddNoiseMode");
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetAmount), 30u);
  EXPECT_EQ(Qz_DoMethod(mode, 0x852), 10u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetColourMode), 1u);
  Qz_DoMethod(mode, kQzModeSetAmount, 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetAmount), 1u);
  Qz_DoMethod(mode, kQzModeSetAmount, 77u);
  Qz_DoMethod(mode, 0x848, 42u);
  Qz_DoMethod(mode, kQzModeSetColourMode, 0u);
  size_t length = 0;
  char* text = Qz_StoreObjectToBuffer(mode, &length, 0);
  ASSERT_NE(text, nullptr);
  const std::string stored(text, length);
  for (const char* name : {"Qz_SetModeAmount", "Qz_SetAddNoiseSpacing", "Qz_SetModeColourMode"})
    EXPECT_NE(stored.find(name), std::string::npos) << name << " in\n" << stored;
  Qz_Object* restored = Qz_CreateObjectsFromString(text);
  ASSERT_NE(restored, nullptr) << Qz_GetObjectTextError();
  EXPECT_EQ(Qz_DoMethod(restored, kQzModeGetAmount), 77u);
  EXPECT_EQ(Qz_DoMethod(restored, 0x852), 42u);
  EXPECT_EQ(Qz_DoMethod(restored, kQzModeGetColourMode), 0u);
  Qz_DisposeObject(restored);
  std::free(text);
  Qz_DisposeObject(mode);
}

// Ranges and biases, and the picks each keeps to (offsets from the pixel).
TEST(Randomize, PicksStayInTheBiasedWindowAndOneByOneIsTheIdentity) {
  struct Case {
    int32_t rx, ry, px, py, dxMin, dxMax, dyMin, dyMax;
  };
  // ox = px * rx / 100 + rx / 2; picks x - ox .. x - ox + rx - 1.
  for (const Case c : {Case{1, 1, 0, 0, 0, 0, 0, 0}, Case{5, 3, 0, 0, -2, 2, -1, 1},
                       Case{4, 4, -400, 0, 14, 17, -2, 1}, Case{3, 6, 100, -100, -4, -2, 3, 8}}) {
    SCOPED_TRACE(std::to_string(c.rx) + " " + std::to_string(c.ry) + " " + std::to_string(c.px) + " " +
                 std::to_string(c.py));
    // Each pixel's colour names its own position.
    Document doc(64, 40, [](int32_t x, int32_t y) { return Rgb{uint8_t(x), uint8_t(y), 7}; });
    Qz_Image* layer = doc.AddPaintLayer("Randomize", {0, 0, 0}, 0, 0, 64, 40, Opaque);
    for (auto [id, v] : {std::pair{2080u, c.rx}, {2100u, c.ry}, {2120u, c.px}, {2140u, c.py}})
      Qz_DoMethod(layer->mode, id, QzWord(int64_t(v)));
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 20, 43, 12, 27);
    for (int32_t y = 12; y <= 27; ++y)
      for (int32_t x = 20; x <= 43; ++x) {
        const Rgb p = out[size_t((y - 12) * 24 + x - 20)];
        ASSERT_GE(p[0] - x, c.dxMin);
        ASSERT_LE(p[0] - x, c.dxMax);
        ASSERT_GE(p[1] - y, c.dyMin);
        ASSERT_LE(p[1] - y, c.dyMax);
      }
  }
}

// A negative bias pushes the window past the block: what it reads lies in
// what it fetched, at the image's edges too.
TEST(Randomize, NegativeBiasReadsOnlyWhatItFetched) {
  Document doc(50, 30, NoisePixel);
  ASSERT_NE(doc.AddPaintLayer("Multiply", {90, 200, 30}, 0, 0, 50, 30,
                              [](int32_t x, int32_t y) { return qztest::Noise(x, y, 5); }),
            nullptr);
  Qz_Image* layer = doc.AddPaintLayer("Randomize", {0, 0, 0}, 0, 0, 50, 30, Opaque);
  for (auto [px, py] : {std::pair{-400, -400}, {-400, 400}, {400, -150}}) {
    Qz_DoMethod(layer->mode, 2080u, 7u);
    Qz_DoMethod(layer->mode, 2100u, 5u);
    Qz_DoMethod(layer->mode, 2120u, QzWord(int64_t(px)));
    Qz_DoMethod(layer->mode, 2140u, QzWord(int64_t(py)));
    qztest::StrictRender(doc, layer, 0, 9, 0, 3);
    qztest::StrictRender(doc, layer, 20, 30, 10, 14);
    qztest::StrictRender(doc, layer, 44, 49, 26, 29);
  }
  Qz_DoMethod(layer->mode, 2080u, 0u);  // 0 would divide by zero
  EXPECT_EQ(Qz_DoMethod(layer->mode, 2090u), 1u);
}

TEST(ChannelRandomize, EachChannelKeepsToItsOwnRanges) {
  Document doc(80, 50, [](int32_t x, int32_t y) { return Rgb{uint8_t(x), uint8_t(y), uint8_t(x + 100)}; });
  Qz_Image* layer = doc.AddPaintLayer("ChannelRandomize", {0, 0, 0}, 0, 0, 80, 50, Opaque);
  // Red X 3, green Y 5, blue 1 by 1: blue is the identity.
  for (auto [id, v] : {std::pair{2080u, 3}, {2100u, 1}, {2120u, 1}, {2140u, 5}, {2160u, 1}, {2180u, 1}})
    Qz_DoMethod(layer->mode, id, QzWord(v));
  const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 10, 69, 10, 39);
  int32_t redMoved = 0;
  for (int32_t y = 10; y <= 39; ++y)
    for (int32_t x = 10; x <= 69; ++x) {
      const Rgb p = out[size_t((y - 10) * 60 + x - 10)];
      ASSERT_GE(p[0] - x, -1);
      ASSERT_LE(p[0] - x, 1);
      ASSERT_GE(p[1] - y, -2);
      ASSERT_LE(p[1] - y, 2);
      ASSERT_EQ(p[2], uint8_t(x + 100));
      redMoved += p[0] != x;
    }
  EXPECT_GT(redMoved, 0);
}

TEST(ChannelFlip, DefaultsMirrorRedAcrossGreenDownAndBlueBoth) {
  Scene s("ChannelFlip", 13, 7);
  const std::vector<Rgb> out = s.Render();
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 13; ++x) {
      const Rgb p = out[size_t(y * 13 + x)];
      ASSERT_EQ(p[0], s.Below(12 - x, y)[0]);
      ASSERT_EQ(p[1], s.Below(x, 6 - y)[1]);
      ASSERT_EQ(p[2], s.Below(12 - x, 6 - y)[2]);
    }
  // The setters set or clear their bit; the flag word reads from either getter.
  Qz_DoMethod(s.mode(), 2078u, 0u);
  Qz_DoMethod(s.mode(), 2138u, 0u);
  Qz_DoMethod(s.mode(), 2158u, 5u);
  EXPECT_EQ(Qz_DoMethod(s.mode(), 2088u), 0u);
  EXPECT_EQ(Qz_DoMethod(s.mode(), 2148u), 0u);
  EXPECT_EQ(Qz_DoMethod(s.mode(), 2188u), 3u);
  const std::vector<Rgb> red = s.Render();
  EXPECT_EQ(red[0][0], s.Below(0, 0)[0]);
  EXPECT_EQ(red[0][1], s.Below(0, 0)[1]);
}

TEST(ChannelThreshold, DefaultsAndPerChannelValues) {
  Scene s("ChannelThreshold", 16, 16, [](int32_t x, int32_t y) {
    return Rgb{uint8_t(x * 16 + y), uint8_t(255 - x * 16 - y), uint8_t(x * 16 + y)};
  });
  auto value = [&](int32_t x, int32_t y) { return uint8_t(x * 16 + y); };
  std::vector<Rgb> out = s.Render();
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x) {
      const uint8_t v = value(x, y);
      const Rgb p = out[size_t(y * 16 + x)];
      ASSERT_EQ(p[0], v >= 127 ? 255 : 0) << int(v);
      ASSERT_EQ(p[1], 255 - v >= 127 ? 255 : 0) << int(v);
    }
  // Red: 256 always low; blue: low 40, high 90 from 200.
  for (auto [id, v] : {std::pair{2059u, 256}, {2119u, 11}, {2099u, 200}, {2159u, 40}, {2219u, 90}})
    Qz_DoMethod(s.mode(), id, QzWord(v));
  out = s.Render();
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x) {
      const Rgb p = out[size_t(y * 16 + x)];
      ASSERT_EQ(p[0], 11);
      ASSERT_EQ(p[2], value(x, y) >= 200 ? 90 : 40);
    }
}

TEST(Flips, MirrorTheWholeImageAndTwiceGiveItBack) {
  for (const char* mode : {"FlipX", "FlipY", "ChannelFlip"}) {
    SCOPED_TRACE(mode);
    Document doc(31, 17, NoisePixel);
    Qz_Image* first = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, 31, 17, Opaque);
    ASSERT_NE(first, nullptr);
    doc.Composite();
    const std::vector<uint8_t> once = doc.Planes();
    EXPECT_NE(once, Document(31, 17, NoisePixel).Planes());
    const bool x = std::string(mode) != "FlipY", y = std::string(mode) != "FlipX";
    // The middle column and row (odd sizes) map to themselves.
    if (std::string(mode) != "ChannelFlip") {
      for (int32_t j = 0; j < 17; ++j)
        for (int32_t i = 0; i < 31; ++i) {
          ASSERT_EQ(doc.Pixel(i, j), NoisePixel(x ? 30 - i : i, y ? 16 - j : j)) << i << "," << j;
        }
    }
    ASSERT_NE(doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, 31, 17, Opaque), nullptr);
    doc.Composite();
    EXPECT_EQ(doc.Planes(), Document(31, 17, NoisePixel).Planes());
  }
}

TEST(Flips, AOnePixelBlockAtColumnZeroShowsTheLastColumn) {
  Document doc(40, 21, NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("FlipX", {0, 0, 0}, 0, 0, 40, 21, Opaque);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(qztest::StrictRender(doc, layer, 0, 0, 3, 3)[0], NoisePixel(39, 3));
  EXPECT_EQ(qztest::StrictRender(doc, layer, 39, 39, 20, 20)[0], NoisePixel(0, 20));
}

}  // namespace
