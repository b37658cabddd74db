// The stylise and line modes: each one's pixels for a small picture made to
// show its rule (an impulse, coordinates as colours, alternating rows, a
// ramp), and the limits of their settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compositor/compositor_kit.h"

namespace {

using qztest::Document;
using qztest::Rgb;

constexpr uint32_t kTVStripe = 0x820, kTVLine = 0x834, kTVDarkness = 0x848;
constexpr uint32_t kDeinterlaceMethod = 0x820;
constexpr uint32_t kSeamlessWidth = 0x820, kSeamlessGetWidth = 0x82A;
constexpr uint32_t kGlowWidth = 0x86E, kGlowBrightness = 0x878;
constexpr uint32_t kStellateRadius = 0x826, kStellateAngle = 0x83A, kStellateDensity = 0x84E,
                   kStellateGetDensity = 0x858;

uint8_t Opaque(int32_t, int32_t) { return 255; }

Qz_Image* OpaqueLayer(Document& doc, const char* mode) {
  return doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, doc.width(), doc.height(), Opaque);
}

// The whole image rendered strictly, in two blocks that split every row.
std::vector<Rgb> Render(Document& doc, Qz_Image* layer) {
  std::vector<Rgb> out;
  const int32_t cut = doc.width() / 2 - 1;
  for (int32_t y = 0; y < doc.height(); ++y) {
    for (const Rgb& p : qztest::StrictRender(doc, layer, 0, cut, y, y)) out.push_back(p);
    for (const Rgb& p : qztest::StrictRender(doc, layer, cut + 1, doc.width() - 1, y, y)) out.push_back(p);
  }
  return out;
}

Rgb At(const std::vector<Rgb>& out, const Document& doc, int32_t x, int32_t y) {
  return out[size_t(y) * size_t(doc.width()) + size_t(x)];
}

TEST(StyliseModes, CrackedPaintSpreadsAnImpulseByItsWeightsAndKeepsFlatAreas) {
  // 100 everywhere, 103 at (5, 4) and at the corner (0, 0).
  Document doc(11, 9, [](int32_t x, int32_t y) {
    const uint8_t v = (x == 5 && y == 4) || (x == 0 && y == 0) ? 103 : 100;
    return Rgb{v, v, v};
  });
  Qz_Image* layer = OpaqueLayer(doc, "CrackedPaint");
  ASSERT_NE(layer, nullptr);
  const std::vector<Rgb> out = Render(doc, layer);
  // Output (x, y) sees the impulse at (5 - x, 4 - y) from it: 3 times that weight.
  const int expected[3][3] = {{70, 91, 91}, {91, 199, 91}, {91, 109, 70}};
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 11; ++x) {
      int v = 100;
      if (std::abs(x - 5) <= 1 && std::abs(y - 4) <= 1) v = expected[y - 3][x - 4];
      // The corner's window repeats it over four weights: -10 + 3 - 3 + 33.
      if (x == 0 && y == 0) v = 100 + 3 * 23;
      if (x == 1 && y == 0) v = 100 + 3 * (-10 - 3);  // the corner at x - 1 in rows y - 1 and y
      if (x == 0 && y == 1) v = 100 + 3 * (-10 + 3);  // at x - 1 and x in row y - 1
      if (x == 1 && y == 1) v = 100 + 3 * -10;
      EXPECT_EQ(At(out, doc, x, y)[0], v) << x << "," << y;
    }
}

TEST(StyliseModes, HoneycombTakesEachCellsCentreAndTiesGoToTheMiddle) {
  // Colours name their coordinates: red 10 x, green 20 y.
  Document doc(24, 12, [](int32_t x, int32_t y) { return Rgb{uint8_t(10 * x), uint8_t(20 * y), 7}; });
  Qz_Image* layer = OpaqueLayer(doc, "Honeycomb");
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeGetRadius), 3u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeSetRadius, 1), 1u);
  // Size 1: tiles of 6 by 4, the middle at (3, 2); L a left corner, R a right corner.
  const char* kTile[4] = {"LLLMRR", "LLMMMR", "LMMMMM", "LLMMMR"};
  const std::vector<Rgb> out = Render(doc, layer);
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 24; ++x) {
      const int32_t u = x % 6, v = y % 4;
      const char cell = kTile[v][u];
      int32_t cx = x - u + (cell == 'M' ? 3 : cell == 'R' ? 6 : 0);
      int32_t cy = y - v + (cell == 'M' ? 2 : v < 2 ? 0 : 4);
      cx = std::min(cx, 23), cy = std::min(cy, 11);
      EXPECT_EQ(At(out, doc, x, y), (Rgb{uint8_t(10 * cx), uint8_t(20 * cy), 7})) << x << "," << y;
    }
  // Size 2: (3, 2) lies 13 from the corner (0, 0) and 13 from the middle (6, 4).
  Qz_DoMethod(layer->mode, kQzModeSetRadius, 2);
  EXPECT_EQ(qztest::StrictRender(doc, layer, 3, 3, 2, 2)[0], (Rgb{60, 80, 7}));
  EXPECT_EQ(qztest::StrictRender(doc, layer, 2, 2, 2, 2)[0], (Rgb{0, 0, 7}));
}

TEST(StyliseModes, TVScanlinesStripesFollowTheImageColumnsAndDarkenTheirRows) {
  Document doc(14, 7, [](int32_t, int32_t) { return Rgb{200, 150, 40}; });
  Qz_Image* layer = OpaqueLayer(doc, "TVScanlines");
  ASSERT_NE(layer, nullptr);
  struct Case {
    int32_t stripe, line, darkness;
    const char* darkRows;  // '1' for each dark row
  };
  for (const Case& k : {Case{2, 2, 50, "1001001"}, Case{1, 0, 50, "0000000"}, Case{3, 3, 255, "1100110"},
                        Case{50, 100, 0, "1111111"}}) {
    SCOPED_TRACE(testing::Message() << k.stripe << " " << k.line << " " << k.darkness);
    EXPECT_EQ(Qz_DoMethod(layer->mode, kTVStripe, k.stripe), QzWord(k.stripe));
    EXPECT_EQ(Qz_DoMethod(layer->mode, kTVLine, k.line), QzWord(k.line));
    EXPECT_EQ(Qz_DoMethod(layer->mode, kTVDarkness, k.darkness), QzWord(k.darkness));
    // Blocks start at odd columns: the pattern must not move with them.
    const std::vector<Rgb> out = Render(doc, layer);
    for (int32_t y = 0; y < 7; ++y)
      for (int32_t x = 0; x < 14; ++x) {
        const int own = x % (3 * k.stripe) / k.stripe;
        const int dark = k.darkRows[y] == '1' ? k.darkness : 0;
        Rgb expected{0, 0, 0};
        expected[size_t(own)] = uint8_t(std::max(int(Rgb{200, 150, 40}[size_t(own)]) - dark, 0));
        EXPECT_EQ(At(out, doc, x, y), expected) << x << "," << y;
      }
  }
  EXPECT_EQ(Qz_DoMethod(layer->mode, kTVStripe, 0), 1u);
}

TEST(StyliseModes, DeinterlaceRebuildsOneFieldByEachMethod) {
  // Row y is 20 + 30 y in red, the reverse in blue.
  Document doc(5, 8, [](int32_t, int32_t y) { return Rgb{uint8_t(20 + 30 * y), 9, uint8_t(230 - 30 * y)}; });
  Qz_Image* layer = OpaqueLayer(doc, "Deinterlace");
  ASSERT_NE(layer, nullptr);
  const int kRed[3][8] = {{35, 35, 95, 95, 155, 155, 215, 215},
                          {20, 50, 50, 110, 110, 170, 170, 230},
                          {20, 80, 80, 140, 140, 200, 200, 230}};
  const int kBlendedBlue[8] = {215, 215, 155, 155, 95, 95, 35, 35};
  for (int32_t method = 0; method < 3; ++method) {
    SCOPED_TRACE(method);
    Qz_DoMethod(layer->mode, kDeinterlaceMethod, method);
    const std::vector<Rgb> out = Render(doc, layer);
    for (int32_t y = 0; y < 8; ++y) {
      // Blending rounds down in each channel; the other methods copy rows.
      const int blue = method == 0 ? kBlendedBlue[y] : 250 - kRed[method][y];
      EXPECT_EQ(At(out, doc, 2, y), (Rgb{uint8_t(kRed[method][y]), 9, uint8_t(blue)})) << y;
    }
  }
}

TEST(StyliseModes, MakeSeamlessBlendsTheEdgeColumnsTowardsEachOther) {
  // Red is a ramp, 2 x.
  Document doc(100, 3, [](int32_t x, int32_t) { return Rgb{uint8_t(2 * x), 50, 50}; });
  Qz_Image* layer = OpaqueLayer(doc, "MakeSeamless");
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kSeamlessGetWidth), 40u);
  const std::vector<Rgb> out = Render(doc, layer);
  for (int32_t x = 40; x <= 59; ++x) EXPECT_EQ(At(out, doc, x, 1)[0], 2 * x) << x;
  EXPECT_EQ(At(out, doc, 0, 1)[0], 198);   // the last column's colour
  EXPECT_EQ(At(out, doc, 99, 1)[0], 0);    // the first column's
  EXPECT_EQ(At(out, doc, 10, 1)[0], 193);  // t = 1: (198 * 39 + 20) / 40
  EXPECT_EQ(At(out, doc, 39, 1)[0], 153);  // t = 15: (198 * 25 + 78 * 15) / 40
  EXPECT_EQ(At(out, doc, 95, 1)[0], 19);   // t = 4: (190 * 4) / 40
  EXPECT_EQ(At(out, doc, 60, 1)[0], 117);  // t = 39: (0 + 120 * 39) / 40
  EXPECT_EQ(At(out, doc, 5, 2)[1], 50);
  // Past 100 the weights would turn negative: the width stops there.
  EXPECT_EQ(Qz_DoMethod(layer->mode, kSeamlessWidth, 150), 100u);
  for (const Rgb& p : Render(doc, layer)) EXPECT_LE(p[0], 198);
}

TEST(StyliseModes, GlowEdgesComputesEveryRowAndLightsEdges) {
  struct Case {
    int32_t width, brightness;
    int flat;  // the output of a flat 200
  };
  for (const Case& k : {Case{2, 255, 40}, Case{1, 40, 255}, Case{7, 500, 6}}) {
    SCOPED_TRACE(testing::Message() << k.width << " " << k.brightness);
    Document doc(20, 9, [](int32_t, int32_t) { return Rgb{200, 200, 200}; });
    Qz_Image* layer = OpaqueLayer(doc, "GlowEdges");
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, kGlowWidth, k.width);
    Qz_DoMethod(layer->mode, kGlowBrightness, k.brightness);
    for (const Rgb& p : Render(doc, layer)) EXPECT_EQ(p, (Rgb{uint8_t(k.flat), uint8_t(k.flat), uint8_t(k.flat)}));
  }
  // A step from 0 to 100 at column 10, width 1: S = c + 3 |100 - 0| beside it.
  Document doc(20, 5, [](int32_t x, int32_t) { return Rgb{uint8_t(x < 10 ? 0 : 100), 0, 0}; });
  Qz_Image* layer = OpaqueLayer(doc, "GlowEdges");
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kGlowWidth, 1);
  const std::vector<Rgb> out = Render(doc, layer);
  for (int32_t y : {0, 2, 4}) {
    EXPECT_EQ(At(out, doc, 8, y)[0], 0);
    EXPECT_EQ(At(out, doc, 9, y)[0], 100);   // 300 * 255 / 765
    EXPECT_EQ(At(out, doc, 10, y)[0], 133);  // 400 * 255 / 765
    EXPECT_EQ(At(out, doc, 11, y)[0], 33);
  }
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGlowBrightness, 0), 0u);
  EXPECT_EQ(qztest::StrictRender(doc, layer, 11, 11, 2, 2)[0][0], 212);  // b limited to 40: 100 * 255 / 120
}

TEST(StyliseModes, StellateKeepsAFlatFieldAndSpreadsADotAlongEightRays) {
  Document flat(16, 9, [](int32_t, int32_t) { return Rgb{77, 140, 201}; });
  Qz_Image* flatLayer = OpaqueLayer(flat, "Stellate");
  ASSERT_NE(flatLayer, nullptr);
  Qz_DoMethod(flatLayer->mode, kStellateRadius, 9);
  Qz_DoMethod(flatLayer->mode, kStellateAngle, 195);
  for (const Rgb& p : Render(flat, flatLayer)) EXPECT_EQ(p, (Rgb{77, 140, 201}));

  // A white dot at (10, 10) on black, radius 2, density 60: one-pixel
  // steps, the second fading by 127. The second arm lies an eighth of a
  // turn from the first: at step 2 it reaches (+-2, -+1) and (+-1, +-2).
  Document doc(21, 21, [](int32_t x, int32_t y) {
    const uint8_t v = x == 10 && y == 10 ? 255 : 0;
    return Rgb{v, v, v};
  });
  Qz_Image* layer = OpaqueLayer(doc, "Stellate");
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kStellateGetDensity), 60u);
  const std::vector<Rgb> out = Render(doc, layer);
  for (int32_t y = 0; y < 21; ++y)
    for (int32_t x = 0; x < 21; ++x) {
      const int32_t dx = x - 10, dy = y - 10;
      int expected = 0;
      if (dx == 0 && dy == 0) expected = 255;
      if (std::abs(dx) + std::abs(dy) == 1) expected = 255;
      if ((std::abs(dx) == 2 && dy == 0) || (dx == 0 && std::abs(dy) == 2)) expected = 128;
      if ((dx == -2 && dy == 1) || (dx == 2 && dy == -1) || (dx == 1 && dy == 2) || (dx == -1 && dy == -2))
        expected = 128;
      EXPECT_EQ(At(out, doc, x, y)[1], expected) << dx << "," << dy;
    }
  // Sizes that would divide by zero are limited.
  EXPECT_EQ(Qz_DoMethod(layer->mode, kStellateDensity, 0), 1u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kStellateRadius, 0), 1u);
  qztest::StrictRender(doc, layer, 0, 20, 9, 11);
}

TEST(StyliseModes, FireBurnsTheLayersOwnPixelsInThePaintColour) {
  for (int32_t depth : {8, 24}) {
    SCOPED_TRACE(depth);
    Document doc(8, 4, [](int32_t, int32_t) { return Rgb{11, 22, 33}; });
    // The layer holds 252 in its left half and 255 in its right, from column 2.
    Qz_Image* layer = doc.AddPaintLayer("Fire", {0, 3, 10}, 2, 1, 6, 3,
                                        [](int32_t x, int32_t) { return uint8_t(x < 3 ? 252 : 255); }, depth);
    ASSERT_NE(layer, nullptr);
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 0, 7, 0, 2);
    EXPECT_EQ(out[0], (Rgb{11, 22, 33}));         // above the layer: what lies below
    EXPECT_EQ(out[8 + 1], (Rgb{11, 22, 33}));     // left of it
    EXPECT_EQ(out[8 + 2], (Rgb{240, 243, 250}));  // 252: 248 squared, shifted: 240
    EXPECT_EQ(out[8 + 5], (Rgb{252, 255, 255}));  // 255: 252, reaching 255 with the paint
  }
}

}  // namespace
