// The bloom blur: its transfer, a white dot spreading, flat areas, the
// density's divisor, the mean of transferred samples however rows arrive,
// and its settings with their ranges.
#include <gtest/gtest.h>

#include "blur_test_kit.h"
#include "image/strip_pool.h"
#include "modes/blur_kernels.h"

namespace {

using namespace blurtest;
using qztest::NoisePixel;

constexpr uint32_t kSetXRadius = 2458, kGetXRadius = 2468, kSetYRadius = 2478, kGetYRadius = 2488;
constexpr uint32_t kSetDensity = 2498, kGetDensity = 2508;

void SetRadii(Qz_Object* mode, int32_t rx, int32_t ry) {
  Qz_DoMethod(mode, kSetXRadius, uint32_t(rx));
  Qz_DoMethod(mode, kSetYRadius, uint32_t(ry));
}

Planes RenderBloom(int32_t w, int32_t h, const qztest::PixelFn& pixel, int32_t rx, int32_t ry, int32_t density = 100) {
  Document doc(w, h, pixel);
  Qz_Image* layer = doc.AddPaintLayer("BloomBlur", {0, 0, 0}, 0, 0, w, h, Opaque);
  EXPECT_NE(layer, nullptr);
  SetRadii(layer->mode, rx, ry);
  Qz_DoMethod(layer->mode, kSetDensity, uint32_t(density));
  doc.Composite();
  return PlanesOf(doc);
}

TEST(BloomBlur, TransferAtRadiusZeroAndFlatAreas) {
  struct Case {
    uint8_t in, out;
  };
  const Case transfer[] = {{0, 0}, {1, 1}, {200, 200}, {201, 221}, {202, 242}, {203, 255}, {255, 255}};
  for (const Case& c : transfer) {
    SCOPED_TRACE(int(c.in));
    const Planes zero = RenderBloom(3, 2, [&](int32_t, int32_t) { return Rgb{c.in, c.in, c.in}; }, 0, 0);
    EXPECT_EQ(zero.at(0, 1, 1), c.out);
    // A flat area gives the same at any radius.
    const Planes wide = RenderBloom(5, 4, [&](int32_t, int32_t) { return Rgb{c.in, c.in, c.in}; }, 7, 2);
    EXPECT_EQ(wide.at(2, 4, 3), c.out);
  }
  EXPECT_EQ(qz::modes::bloomTransfer(255), 1355u);
}

TEST(BloomBlur, AWhiteDotSpreadsOverItsWindow) {
  auto dot = [](int32_t x, int32_t y) { return x == 6 && y == 5 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; };
  const Planes out = RenderBloom(13, 11, dot, 3, 3);
  for (int32_t y = 0; y < 11; ++y)
    for (int32_t x = 0; x < 13; ++x) {
      const bool near = std::abs(x - 6) <= 3 && std::abs(y - 5) <= 3;
      ASSERT_EQ(out.at(0, x, y), near ? 1355 / 49 : 0) << x << "," << y;  // 27
    }
  // Density 50: steps of 3 both ways, 3 x 3 taps counted for 49 samples summed.
  const Planes dense = RenderBloom(13, 11, dot, 3, 3, 50);
  EXPECT_EQ(dense.at(1, 6, 5), 1355 / 9);
  // On grey 100, a mean over 49 samples divided by 9 clamps to white.
  EXPECT_EQ(RenderBloom(6, 6, [](int32_t, int32_t) { return Rgb{100, 100, 100}; }, 3, 3, 50).at(2, 2, 2), 255);
}

TEST(BloomBlur, MeanOfTransferredSamplesHoweverRowsArrive) {
  constexpr int32_t kW = 47, kH = 23;
  Document doc(kW, kH, NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("BloomBlur", {0, 0, 0}, 0, 0, kW, kH, Opaque);
  ASSERT_NE(layer, nullptr);
  SetRadii(layer->mode, 4, 2);
  const Planes want = NaiveMean(PlanesOf(kW, kH, NoisePixel), 4, 2, 9 * 5,
                                [](int64_t v) { return int64_t(qz::modes::bloomTransfer(uint32_t(v))); });
  for (int32_t workers : {1, 8}) {
    const int32_t before = Qz__SetCompositorWorkers(workers);
    doc.ClearResult();
    doc.Composite();
    Qz__SetCompositorWorkers(before);
    EXPECT_TRUE(SamePlanes(PlanesOf(doc), want)) << workers << ": " << FirstDifference(PlanesOf(doc), want);
  }
  doc.ClearResult();
  for (int32_t y = kH - 1; y >= 0; --y) Qz_ProcessImage(doc.image, 0, y, kW - 1, y);
  EXPECT_TRUE(SamePlanes(PlanesOf(doc), want)) << "bottom up: " << FirstDifference(PlanesOf(doc), want);

  Document cut(130, 30, NoisePixel);
  ASSERT_NE(cut.AddPaintLayer("Screen", {40, 90, 10}, 5, 5, 100, 20,
                              [](int32_t x, int32_t y) { return qztest::Noise(x, y, 8); }),
            nullptr);
  Qz_Image* gapped = cut.AddPaintLayer("BloomBlur", {0, 0, 0}, 0, 0, 130, 30, qztest::GappedAlpha);
  ASSERT_NE(gapped, nullptr);
  const int32_t settings[][3] = {{3, 3, 100}, {0, 40, 30}};  // rx, ry, density
  for (const auto& r : settings) {
    SetRadii(gapped->mode, r[0], r[1]);
    Qz_DoMethod(gapped->mode, kSetDensity, uint32_t(r[2]));
    qztest::ExpectSameHoweverCut(cut, std::span<const qztest::BlockSize>(qztest::kCutBlocks).first(3));
    qztest::StrictRender(cut, gapped, 0, 129, 0, 0);
    qztest::StrictRender(cut, gapped, 20, 60, 14, 16);
  }
}

TEST(BloomBlur, SettersAnswerZeroAndKeepTheirRanges) {
  Document doc(4, 4, NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("BloomBlur", {0, 0, 0}, 0, 0, 4, 4, Opaque);
  ASSERT_NE(layer, nullptr);
  Qz_Object* mode = layer->mode;
  EXPECT_EQ(Qz_DoMethod(mode, kGetXRadius), 3u);
  EXPECT_EQ(Qz_DoMethod(mode, kGetYRadius), 3u);
  EXPECT_EQ(Qz_DoMethod(mode, kGetDensity), 100u);
  struct Case {
    uint32_t setter, getter;
    int32_t value, stored;
  };
  const Case cases[] = {{kSetXRadius, kGetXRadius, -7, 0},  {kSetXRadius, kGetXRadius, 900, 255},
                        {kSetYRadius, kGetYRadius, -1, 0},  {kSetYRadius, kGetYRadius, 12, 12},
                        {kSetDensity, kGetDensity, 0, 1},    {kSetDensity, kGetDensity, 140, 100},
                        {kSetDensity, kGetDensity, 64, 64}};
  qztest::RerenderCounter counter;
  for (const Case& c : cases) {
    EXPECT_EQ(Qz_DoMethod(mode, c.setter, uint32_t(c.value)), 0u);
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.stored) << c.value;
  }
  EXPECT_EQ(counter.Count(doc.image), std::size(cases));
  // Negative radii never make a window: the render still covers the block.
  SetRadii(mode, -3, -3);
  doc.Composite();
  EXPECT_TRUE(SamePlanes(PlanesOf(doc), PlanesOf(4, 4, [](int32_t x, int32_t y) {
    Rgb p = NoisePixel(x, y);
    for (uint8_t& v : p) v = uint8_t(std::min<uint32_t>(qz::modes::bloomTransfer(v), 255));
    return p;
  })));
}

}  // namespace
