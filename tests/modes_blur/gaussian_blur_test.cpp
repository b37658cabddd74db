// The Gaussian blur: its kernel's sums, impulse responses, the flat values
// its truncated terms give, edges, the radius range, and a comparison with
// the same integer kernel applied by ImageMagick's convolution.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "blur_test_kit.h"
#include "modes/blur_kernels.h"
#include "objects/object_text.h"
#include "support/external_tools.h"
#include "support/temp_dir.h"

namespace {

using namespace blurtest;
using qztest::NoisePixel;

TEST(GaussianBlur, KernelSumsAndNormalisers) {
  const uint32_t expected[][2] = {{1, 1}, {6, 8}, {19, 39}, {44, 118}, {85, 285}, {146, 588}, {231, 1081}, {344, 1844}};
  for (int32_t r = 0; r < 8; ++r) {
    const qz::modes::GaussianWeights k = qz::modes::gaussianWeights(r);
    EXPECT_EQ(k.sum, expected[r][0]) << r;
    EXPECT_EQ(k.normaliser, expected[r][1]) << r;
  }
  const qz::modes::GaussianWeights two = qz::modes::gaussianWeights(2);
  EXPECT_EQ(std::vector<uint32_t>(two.w, two.w + 5), (std::vector<uint32_t>{1, 4, 9, 4, 1}));
  EXPECT_EQ(qz::modes::gaussianWeights(40).radius, 29);
  EXPECT_EQ(qz::modes::gaussianWeights(-2).radius, 0);
}

Planes RenderGaussian(int32_t w, int32_t h, const qztest::PixelFn& pixel, int32_t radius) {
  Document doc(w, h, pixel);
  Qz_Image* layer = doc.AddPaintLayer("GaussianBlur", {0, 0, 0}, 0, 0, w, h, Opaque);
  EXPECT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kQzModeSetRadius, uint32_t(radius));
  doc.Composite();
  return PlanesOf(doc);
}

TEST(GaussianBlur, ImpulseResponses) {
  auto impulse = [](int32_t x, int32_t y) { return x == 3 && y == 3 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; };
  // Radius 1 (binomial): centre 255 * 4 / 16, edge 2 / 16, diagonal 1 / 16.
  const Planes one = RenderGaussian(7, 7, impulse, 1);
  EXPECT_EQ(one.at(1, 3, 3), 63);
  EXPECT_EQ(one.at(1, 2, 3), 31);
  EXPECT_EQ(one.at(1, 3, 4), 31);
  EXPECT_EQ(one.at(1, 4, 4), 15);
  EXPECT_EQ(one.at(1, 5, 3), 0);
  // Radius 2: the separable weights (w[i] w[j]) over S^2, through the truncated terms.
  const Planes two = RenderGaussian(9, 9, [](int32_t x, int32_t y) { return x == 4 && y == 4 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; }, 2);
  const qz::modes::GaussianWeights k = qz::modes::gaussianWeights(2);
  for (int32_t dy = -2; dy <= 2; ++dy)
    for (int32_t dx = -2; dx <= 2; ++dx) {
      const uint32_t column = 255 * k.w[dy + 2];
      const uint32_t a = column * k.w[dx + 2] / k.w[2];
      EXPECT_EQ(two.at(0, 4 + dx, 4 + dy), std::min<uint32_t>(a / k.normaliser, 255)) << dx << "," << dy;
    }
  EXPECT_EQ(two.at(0, 4, 4), 255 * 9 * 9 / 9 / 39);
}

TEST(GaussianBlur, FlatAreasByRadius) {
  // The general kernel truncates each term on its own, so small radii
  // brighten a flat area; the binomial kernel of radius 1 keeps it.
  struct Case {
    int32_t radius;
    uint8_t values[7];
  };
  const uint8_t flats[7] = {1, 50, 100, 128, 200, 254, 255};
  const Case cases[] = {{0, {1, 50, 100, 128, 200, 254, 255}}, {1, {1, 50, 100, 128, 200, 254, 255}},
                        {2, {1, 51, 102, 131, 205, 255, 255}}, {3, {1, 51, 102, 131, 205, 255, 255}},
                        {4, {1, 50, 101, 129, 202, 255, 255}}, {5, {1, 50, 100, 128, 201, 255, 255}},
                        {7, {1, 50, 100, 128, 200, 254, 255}}, {29, {1, 50, 100, 128, 200, 254, 255}}};
  for (const Case& c : cases)
    for (int i = 0; i < 7; ++i) {
      SCOPED_TRACE(testing::Message() << "radius " << c.radius << " flat " << int(flats[i]));
      const Rgb flat{flats[i], flats[i], flats[i]};
      const Planes out = RenderGaussian(6, 5, [&](int32_t, int32_t) { return flat; }, c.radius);
      EXPECT_EQ(out.at(0, 0, 0), c.values[i]);
      EXPECT_EQ(out.at(2, 3, 2), c.values[i]);
    }
}

TEST(GaussianBlur, RadiusRangeAndObjectText) {
  Qz_Object* mode = Qz_CreateObject("GaussianBlurMode");
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetRadius), 3u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeSetRadius, 40u), 29u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeSetRadius, 300u), 29u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeSetRadius, uint32_t(-4)), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeSetRadius, 12u), 12u);
  size_t length = 0;
  char* text = Qz_StoreObjectToBuffer(mode, &length, 0);
  ASSERT_NE(text, nullptr);
  EXPECT_NE(std::string(text, length).find("Qz_SetModeRadius,\t\t\t12,"), std::string::npos) << text;
  Qz_Object* restored = Qz_CreateObjectsFromString(text);
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(Qz_DoMethod(restored, kQzModeGetRadius), 12u);
  Qz_DisposeObject(restored);
  std::free(text);
  Qz_DisposeObject(mode);
}

TEST(GaussianBlur, StrictAndTheSameHoweverCut) {
  for (int32_t radius : {0, 1, 3, 29}) {
    SCOPED_TRACE(radius);
    Document doc(140, 36, NoisePixel);
    ASSERT_NE(doc.AddPaintLayer("Multiply", {90, 200, 30}, 4, 3, 120, 30,
                                [](int32_t x, int32_t y) { return qztest::Noise(x, y, 5); }),
              nullptr);
    Qz_Image* layer = doc.AddPaintLayer("GaussianBlur", {0, 0, 0}, 0, 0, 140, 36, qztest::GappedAlpha);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, kQzModeSetRadius, uint32_t(radius));
    qztest::ExpectSameHoweverCut(doc, std::span<const qztest::BlockSize>(qztest::kCutBlocks).first(3));
    qztest::StrictRender(doc, layer, 0, 139, 0, 0);
    qztest::StrictRender(doc, layer, 100, 139, 33, 35);
  }
}

// ImageMagick's convolution with the same separable integer kernel and
// edge pixels repeated: the mode's terms are truncated one by one against a
// normaliser a little below S^2 / w[r], so it is ImageMagick's value times
// S^2 / (w[r] N) to within a level or two.
TEST(GaussianBlur, CloseToImageMagicksConvolution) {
  if (!qztest::haveTool("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  constexpr int32_t kW = 40, kH = 30, kRadius = 3;
  const Planes out = RenderGaussian(kW, kH, NoisePixel, kRadius);
  qztest::TempDir dir;
  const std::string in = dir.file("in.ppm"), result = dir.file("out.ppm");
  {
    std::ofstream f(in, std::ios::binary);
    f << "P6\n" << kW << " " << kH << "\n255\n";
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const Rgb p = NoisePixel(x, y);
        f.write(reinterpret_cast<const char*>(p.data()), 3);
      }
  }
  const std::string command = "convert " + in +
                              " -virtual-pixel edge -define convolve:scale=! -morphology Convolve '7x1:1,4,9,16,9,4,1'"
                              " -morphology Convolve '1x7:1,4,9,16,9,4,1' " + result + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream f(result, std::ios::binary);
  std::string magic;
  int32_t w = 0, h = 0, maxValue = 0;
  f >> magic >> w >> h >> maxValue;
  f.get();
  ASSERT_EQ(magic, "P6");
  ASSERT_EQ(w, kW);
  ASSERT_EQ(h, kH);
  const qz::modes::GaussianWeights k = qz::modes::gaussianWeights(kRadius);
  const double bias = double(k.sum) * k.sum / k.w[kRadius] / k.normaliser;
  double worst = 0;
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x)
      for (int c = 0; c < 3; ++c) {
        const double theirs = std::min(255.0, f.get() * bias);
        worst = std::max(worst, std::abs(theirs - out.at(c, x, y)));
      }
  EXPECT_LE(worst, 2.0);
}

}  // namespace
