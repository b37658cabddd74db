// The roll blur: angle 0 and the pixels next to the centre unchanged, the
// ring tables' shape, each pixel the mean of its arc, the table and direct
// evaluations alike, tables built once per centre and size, and the same
// bytes however the picture is cut, on any number of workers.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "compositor/compositor_kit.h"
#include "image/strip_pool.h"
#include "modes/roll_rings.h"

namespace {

using qztest::Document;
using qztest::NoisePixel;
using qztest::Rgb;

constexpr uint32_t kSetAngle = 2698, kGetAngle = 2708, kSetQuality = 2718, kGetQuality = 2728;
constexpr uint32_t kSetX = 2738, kGetX = 2748, kSetY = 2758, kGetY = 2768, kCentre = 2778;
constexpr uint32_t kSetDirect = 2808, kGetDirect = 2818;

uint8_t Opaque(int32_t, int32_t) { return 255; }

Qz_Image* OpaqueLayer(Document& doc) {
  return doc.AddPaintLayer("RollBlur", {0, 0, 0}, 0, 0, doc.width(), doc.height(), Opaque);
}

std::vector<Rgb> RenderAll(Document& doc, Qz_Image* layer) {
  return qztest::StrictRender(doc, layer, 0, doc.width() - 1, 0, doc.height() - 1);
}

void SetCentre(Qz_Image* layer, int32_t x, int32_t y) {
  Qz_DoMethod(layer->mode, kSetX, QzWord(x));
  Qz_DoMethod(layer->mode, kSetY, QzWord(y));
}

TEST(RollBlur, RingsRunRoundTheCircleAndReachEveryPixel) {
  for (const qz::modes::RollKey& key : {qz::modes::RollKey{13, 17, 32, 32}, qz::modes::RollKey{0, 0, 40, 9},
                                        qz::modes::RollKey{-20, 50, 30, 30}}) {
    SCOPED_TRACE(std::to_string(key.centreX) + "," + std::to_string(key.centreY));
    const auto t = qz::modes::buildRollRings(key);
    ASSERT_NE(t, nullptr);
    const int32_t last = qz::modes::rollOuterRadius(key);
    for (int32_t r = t->first; r <= last; ++r) {
      const uint32_t n = t->count(r);
      ASSERT_EQ(n % 8, 0u);
      for (uint32_t i = 0; i < n; ++i) {
        const qz::modes::RollPoint p = t->point(r, i), q = t->point(r, (i + 1) % n);
        // Neighbours on the ring touch, and every point lies on the circle within a pixel.
        ASSERT_LE(std::abs(p.x - q.x), 1) << r << " " << i;
        ASSERT_LE(std::abs(p.y - q.y), 1) << r << " " << i;
        ASSERT_NEAR(std::hypot(p.x, p.y), r, 1.0) << r << " " << i;
      }
    }
    // Every pixel from radius 3 on has a ring whose point there is itself or a neighbour.
    for (int32_t y = 0; y < key.height; ++y)
      for (int32_t x = 0; x < key.width; ++x) {
        const double d = std::hypot(x - key.centreX, y - key.centreY);
        const size_t at = size_t(y * key.width + x);
        if (d < 2.5) {
          EXPECT_EQ(t->ring[at], 0) << x << "," << y;
          continue;
        }
        ASSERT_NE(t->ring[at], 0) << x << "," << y;
        const int32_t r = t->radius(t->ring[at]);
        const qz::modes::RollPoint p = t->point(r, t->index[at]);
        EXPECT_LE(std::abs(p.y + key.centreY - y), 1) << x << "," << y;
        EXPECT_LE(std::abs(p.x + key.centreX - x), 1) << x << "," << y;
      }
  }
}

TEST(RollBlur, AngleZeroAndThePixelsByTheCentreAreUnchanged) {
  Document doc(33, 27, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetX), 16u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetY), 13u);
  for (int32_t direct : {0, 1}) {
    SCOPED_TRACE(direct);
    Qz_DoMethod(layer->mode, kSetDirect, QzWord(direct));
    Qz_DoMethod(layer->mode, kSetAngle, 0);
    std::vector<Rgb> out = RenderAll(doc, layer);
    for (int32_t y = 0; y < 27; ++y)
      for (int32_t x = 0; x < 33; ++x) ASSERT_EQ(out[size_t(y * 33 + x)], NoisePixel(x, y)) << x << "," << y;
    Qz_DoMethod(layer->mode, kSetAngle, 100);
    out = RenderAll(doc, layer);
    size_t changed = 0;
    for (int32_t y = 0; y < 27; ++y)
      for (int32_t x = 0; x < 33; ++x) {
        if (std::hypot(x - 16, y - 13) < 2.5) {
          EXPECT_EQ(out[size_t(y * 33 + x)], NoisePixel(x, y)) << x << "," << y;
        }
        changed += out[size_t(y * 33 + x)] != NoisePixel(x, y);
      }
    EXPECT_GT(changed, size_t(33 * 27 / 2));
  }
}

TEST(RollBlur, EachPixelIsTheMeanOfItsArc) {
  // Quality 100 takes every ring point within h of the pixel's own place, h = r * arc / 2.
  Document doc(32, 32, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  SetCentre(layer, 11, 19);
  Qz_DoMethod(layer->mode, kSetAngle, 40);
  const std::vector<Rgb> out = RenderAll(doc, layer);
  const qz::modes::RollKey key{11, 19, 32, 32};
  const auto t = qz::modes::buildRollRings(key);
  ASSERT_NE(t, nullptr);
  const int32_t outer = qz::modes::rollOuterRadius(key);
  const double arc = std::floor(40 * M_PI / 180 * outer) / outer;
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) {
      const size_t at = size_t(y * 32 + x);
      if (!t->ring[at]) continue;
      const int32_t r = t->radius(t->ring[at]), n = int32_t(t->count(r)), i = int32_t(t->index[at]);
      const int32_t h = int32_t(r * arc / 2);
      int sum[3] = {NoisePixel(x, y)[0], NoisePixel(x, y)[1], NoisePixel(x, y)[2]}, count = 1;
      for (int32_t k = -h; k <= h; ++k) {
        if (k == 0 || h < 1) continue;
        const qz::modes::RollPoint p = t->point(r, uint32_t((i + k + n) % n));
        const int32_t px = 11 + p.x, py = 19 + p.y;
        if (px < 0 || py < 0 || px >= 32 || py >= 32) continue;
        for (int c = 0; c < 3; ++c) sum[c] += NoisePixel(px, py)[c];
        ++count;
      }
      for (int c = 0; c < 3; ++c) ASSERT_EQ(out[at][c], sum[c] / count) << x << "," << y << " c" << c;
    }
}

TEST(RollBlur, TheDirectEvaluationAgreesWithTheTablesOnASmoothPicture) {
  auto smooth = [](int32_t x, int32_t y) {
    return Rgb{uint8_t(128 + 100 * std::sin(x * 0.11)), uint8_t(128 + 100 * std::cos(y * 0.07)), uint8_t(2 * x + y)};
  };
  Document doc(90, 70, smooth);
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kSetAngle, 30);
  Qz_DoMethod(layer->mode, kSetQuality, 60);
  const std::vector<Rgb> tables = RenderAll(doc, layer);
  Qz_DoMethod(layer->mode, kSetDirect, 1);
  const std::vector<Rgb> direct = RenderAll(doc, layer);
  // The rings step a diagonal pixel as one, so their arcs differ a little
  // from the true ones; near the edges each skips its own samples.
  double total = 0;
  size_t far = 0;
  for (size_t i = 0; i < tables.size(); ++i)
    for (int c = 0; c < 3; ++c) {
      const int d = std::abs(int(tables[i][c]) - int(direct[i][c]));
      total += d;
      far += d > 12;
    }
  EXPECT_LT(total / double(tables.size() * 3), 4.0);
  EXPECT_LT(far, tables.size() * 3 / 50);
}

TEST(RollBlur, TablesAreBuiltOncePerCentreAndSize) {
  Document doc(48, 40, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  const int64_t start = Qz__RollBlurTableBuilds();
  doc.Composite();
  doc.Composite();
  EXPECT_EQ(Qz__RollBlurTableBuilds() - start, 1);
  Qz_DoMethod(layer->mode, kSetAngle, 55);
  Qz_DoMethod(layer->mode, kSetQuality, 20);
  doc.Composite();
  EXPECT_EQ(Qz__RollBlurTableBuilds() - start, 1);
  SetCentre(layer, 5, 6);
  doc.Composite();
  EXPECT_EQ(Qz__RollBlurTableBuilds() - start, 2);
  SetCentre(layer, 24, 20);
  doc.Composite();
  EXPECT_EQ(Qz__RollBlurTableBuilds() - start, 2);
  Qz_DoMethod(layer->mode, kSetDirect, 1);
  SetCentre(layer, 1, 1);
  doc.Composite();
  EXPECT_EQ(Qz__RollBlurTableBuilds() - start, 2);
}

TEST(RollBlur, SettingsAreLimitedAndAPlacedCentreSurvivesTheLayer) {
  Qz_Object* mode = Qz_CreateObject("RollBlurMode");
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(Qz_DoMethod(mode, kGetAngle), 10u);
  EXPECT_EQ(Qz_DoMethod(mode, kGetQuality), 100u);
  EXPECT_EQ(Qz_DoMethod(mode, kGetDirect), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kSetAngle, 500), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kGetAngle), 100u);
  EXPECT_EQ(Qz_DoMethod(mode, kSetQuality, 0), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kGetQuality), 1u);
  EXPECT_EQ(Qz_DoMethod(mode, kSetDirect, 7), 1u);
  EXPECT_EQ(Qz_DoMethod(mode, kSetX, 9), 9u);
  Document doc(50, 30, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(mode, kQzModeSetImage, layer);
  EXPECT_EQ(Qz_DoMethod(mode, kGetX), 9u);
  Qz_DoMethod(mode, kCentre);
  EXPECT_EQ(Qz_DoMethod(mode, kGetX), 25u);
  EXPECT_EQ(Qz_DoMethod(mode, kGetY), 15u);
  Qz_DisposeObject(mode);
}

struct CutCase {
  int32_t angle, quality, direct, cx, cy;
};
const CutCase kCutCases[] = {{10, 100, 0, 115, 12}, {60, 30, 0, 3, 40},   {45, 70, 1, 115, 12},
                             {100, 1, 0, 30000, -30000}, {20, 50, 1, -32768, 32767}, {80, 100, 0, -40, 10}};

class RollBlurCuts : public testing::TestWithParam<CutCase> {};

TEST_P(RollBlurCuts, SameBytesHoweverCutAndReadsOnlyWhatItFetched) {
  const CutCase& c = GetParam();
  auto apply = [&](Qz_Image* layer) {
    Qz_DoMethod(layer->mode, kSetAngle, QzWord(c.angle));
    Qz_DoMethod(layer->mode, kSetQuality, QzWord(c.quality));
    Qz_DoMethod(layer->mode, kSetDirect, QzWord(c.direct));
    SetCentre(layer, c.cx, c.cy);
  };
  Document doc(230, 24, NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("RollBlur", {200, 60, 30}, -3, -2, 236, 27, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  apply(layer);
  qztest::ExpectSameHoweverCut(doc);
  Document upper(40, 21, NoisePixel);
  ASSERT_NE(upper.AddPaintLayer("Multiply", {90, 200, 30}, 2, 1, 30, 18,
                                [](int32_t x, int32_t y) { return qztest::Noise(x, y, 5); }),
            nullptr);
  Qz_Image* top = upper.AddPaintLayer("RollBlur", {10, 220, 90}, 1, 2, 38, 18, Opaque);
  ASSERT_NE(top, nullptr);
  apply(top);
  qztest::StrictRender(upper, top, 0, 39, 0, 1);
  qztest::StrictRender(upper, top, 5, 17, 9, 11);
}

INSTANTIATE_TEST_SUITE_P(RollBlur, RollBlurCuts, testing::ValuesIn(kCutCases));

TEST(RollBlur, SettingsChangedWhileAPassRenders) {
  const int32_t before = Qz__SetCompositorWorkers(8);
  Document doc(120, 64, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  std::atomic<bool> stop{false};
  std::thread panel([&] {
    for (int32_t i = 0; !stop.load(); ++i) {
      Qz_DoMethod(layer->mode, kSetAngle, QzWord(i % 101));
      SetCentre(layer, i % 7 * 20, i % 5 * 15);
      Qz_DoMethod(layer->mode, kSetDirect, QzWord(i / 3 % 2));
    }
  });
  for (int pass = 0; pass < 6; ++pass) doc.Composite();
  stop.store(true);
  panel.join();
  Qz_DoMethod(layer->mode, kSetDirect, 0);
  Qz_DoMethod(layer->mode, kSetAngle, 25);
  doc.Composite();
  const std::vector<uint8_t> settled = doc.Planes();
  Qz__SetCompositorWorkers(1);
  doc.Composite();
  EXPECT_EQ(doc.Planes(), settled);
  Qz__SetCompositorWorkers(before);
}

}  // namespace
