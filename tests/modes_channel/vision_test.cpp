// The vision modes: where each one's samples lie (seen on an impulse), the
// means' arithmetic, distance 0 and the mirrored lightest of penta vision.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "compositor/compositor_kit.h"

namespace {

using qztest::Document;
using qztest::NoisePixel;
using qztest::Rgb;

constexpr uint32_t kSetDistance = 2066, kSetAngle = 2086, kSetCombine = 2106;

uint8_t Opaque(int32_t, int32_t) { return 255; }

std::vector<Rgb> RenderWhole(Document& doc, const char* mode, std::initializer_list<std::pair<uint32_t, int32_t>> settings) {
  Qz_Image* layer = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, doc.width(), doc.height(), Opaque);
  EXPECT_NE(layer, nullptr);
  for (auto [id, v] : settings) Qz_DoMethod(layer->mode, id, QzWord(int64_t(v)));
  return qztest::StrictRender(doc, layer, 0, doc.width() - 1, 0, doc.height() - 1);
}

// Angle 0 points down: the first arm is (0, 10) at distance 10; the second
// arm, an eighth of a turn on, is (-725, 724) / 1024 per pixel, floored:
// (-8, 7). A sample at offset (dx, dy) shows the impulse at (cx - dx, cy - dy).
TEST(Vision, SamplesLieSymmetricallyRoundThePixel) {
  using Offsets = std::vector<std::pair<int32_t, int32_t>>;
  const Offsets quad = {{0, -10}, {0, 10}, {10, 0}, {-10, 0}};
  const Offsets second = {{8, -7}, {-8, 7}, {7, 8}, {-7, -8}};
  auto with = [](Offsets a, const Offsets& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  struct Case {
    const char* mode;
    Offsets offsets;
  };
  const Case cases[] = {{"DoubleVision", {{0, -10}, {0, 10}}},
                        {"TripleVision", {{0, 0}, {0, -10}, {0, 10}}},
                        {"QuadVision", quad},
                        {"PentaVision", with(quad, {{0, 0}})},
                        {"OctaVision", with(quad, second)},
                        {"NonaVision", with(with(quad, second), {{0, 0}})}};
  constexpr int32_t cx = 30, cy = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    // Darkest of a black impulse on white: black wherever a sample meets it.
    Document doc(60, 40, [](int32_t x, int32_t y) { return x == cx && y == cy ? Rgb{0, 0, 0} : Rgb{250, 250, 250}; });
    const std::vector<Rgb> out = RenderWhole(doc, c.mode, {{kSetDistance, 25}, {kSetAngle, 0}, {kSetCombine, 0}});
    std::set<std::pair<int32_t, int32_t>> expected, got;
    for (auto [dx, dy] : c.offsets) expected.insert({cx - dx, cy - dy});
    for (int32_t y = 0; y < 40; ++y)
      for (int32_t x = 0; x < 60; ++x)
        if (out[size_t(y * 60 + x)][0] == 0) got.insert({x, y});
    EXPECT_EQ(got, expected);
  }
}

// On a flat image every combine gives the value back, but the means by
// 3 and 5 come out one level low (multiply and shift); at distance 0 every
// sample is the pixel itself.
TEST(Vision, CombinesOnAFlatImageAndAtDistanceZero) {
  struct Case {
    const char* mode;
    int32_t meanLoss;
  };
  for (const Case c : {Case{"DoubleVision", 0}, Case{"TripleVision", 1}, Case{"QuadVision", 0},
                       Case{"PentaVision", 1}, Case{"OctaVision", 0}, Case{"NonaVision", 0}}) {
    SCOPED_TRACE(c.mode);
    for (int32_t combine : {0, 1, 2}) {
      SCOPED_TRACE(combine);
      Document flat(20, 20, [](int32_t, int32_t) { return Rgb{200, 1, 0}; });
      const Rgb p = RenderWhole(flat, c.mode, {{kSetCombine, combine}})[37];
      const int32_t loss = combine == 2 ? c.meanLoss : 0;
      EXPECT_EQ(p, (Rgb{uint8_t(200 - loss), uint8_t(1 - loss), 0}));
      if (std::string(c.mode) == "PentaVision" && combine == 1) continue;  // mirrored samples
      Document busy(30, 20, NoisePixel);
      const std::vector<Rgb> out = RenderWhole(busy, c.mode, {{kSetDistance, 0}, {kSetCombine, combine}});
      for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 30; ++x) {
          Rgb want = NoisePixel(x, y);
          for (uint8_t& v : want) v = uint8_t(std::max(0, v - (v ? loss : 0)));
          ASSERT_EQ(out[size_t(y * 30 + x)], want) << x << "," << y;
        }
    }
  }
}

// Penta vision's lightest is the lightest of the image and its mirrors.
TEST(Vision, PentaLightestTakesTheImageAndItsMirrors) {
  Document doc(31, 18, NoisePixel);
  const std::vector<Rgb> out = RenderWhole(doc, "PentaVision", {{kSetDistance, 0}, {kSetCombine, 1}});
  for (int32_t y = 0; y < 18; ++y)
    for (int32_t x = 0; x < 31; ++x)
      for (int c = 0; c < 3; ++c) {
        const int32_t want = std::max({NoisePixel(x, y)[c], NoisePixel(30 - x, 17 - y)[c], NoisePixel(30 - x, y)[c],
                                       NoisePixel(x, 17 - y)[c]});
        ASSERT_EQ(out[size_t(y * 31 + x)][c], want) << x << "," << y;
      }
}

}  // namespace
