// BizarrePixelize: means of samples stepped away from a centre in 16-bit
// fixed point whose products wrap on purpose; an amount below 1 zooms.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "compositor/compositor_kit.h"
#include "mosaic_fixture.h"

namespace {

using qztest::Document;
using qztest::Rgb;

constexpr uint32_t kSetAmount = 2086, kGetAmount = 2096, kSetQuality = 2126, kGetQuality = 2136;
constexpr uint32_t kSetCentreX = 2146, kGetCentreX = 2156, kSetCentreY = 2166, kGetCentreY = 2176;
constexpr uint32_t kCentre = 2186, kSetXScale = 2196, kGetXScale = 2206, kSetYScale = 2216, kGetYScale = 2226;

void Set(Qz_Image* layer, uint32_t id, int32_t value) { Qz_DoMethod(layer->mode, id, uint32_t(value)); }

std::vector<Rgb> Render(Document& doc, Qz_Image* layer) {
  return qztest::StrictRender(doc, layer, 0, doc.width() - 1, 0, doc.height() - 1);
}

std::vector<Rgb> Picture(const Document& doc, const qztest::PixelFn& f) {
  std::vector<Rgb> out;
  for (int32_t y = 0; y < doc.height(); ++y)
    for (int32_t x = 0; x < doc.width(); ++x) out.push_back(f(x, y));
  return out;
}

TEST(BizarrePixelize, DefaultsAndClampedSettings) {
  Document doc(30, 12, mosaic::Coordinates);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "BizarrePixelize");
  ASSERT_NE(layer, nullptr);
  struct Case {
    uint32_t setter, getter;
    int32_t initial, asked, kept;
  };
  for (const Case& c : {Case{kSetAmount, kGetAmount, 1, -40000, -1023}, Case{kSetQuality, kGetQuality, 7, 0, 1},
                        Case{kSetQuality, kGetQuality, 1, -5, 1}, Case{kSetXScale, kGetXScale, 85, 100, 100},
                        Case{kSetYScale, kGetYScale, 85, 3, 3}, Case{kSetCentreX, kGetCentreX, 15, -7, -7},
                        Case{kSetCentreY, kGetCentreY, 6, 70000, int16_t(70000)}}) {
    SCOPED_TRACE(testing::Message() << c.setter << " " << c.asked);
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.getter)), c.initial);
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.setter, uint32_t(c.asked))), c.kept) << "answers what it kept";
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.getter)), c.kept);
  }
  Qz_DoMethod(layer->mode, kCentre);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetCentreX), 15u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetCentreY), 6u);
  // The very negative amount zooms with 1024 samples and reads only the image.
  Render(doc, layer);
}

// Scales of 100 step nowhere: every sample is the pixel, and their count
// divides 32768, so the picture comes back whole.
TEST(BizarrePixelize, ScalesOfOneHundredAreTheIdentity) {
  Document doc(37, 13, qztest::NoisePixel);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "BizarrePixelize");
  ASSERT_NE(layer, nullptr);
  Set(layer, kSetXScale, 100);
  Set(layer, kSetYScale, 100);
  struct Case {
    int32_t amount, quality;  // samples: amount / step + 1
  };
  for (const Case& c : {Case{1, 7}, Case{1, 100}, Case{100, 7}, Case{7, 50}, Case{0, 7}, Case{3, 34}}) {
    SCOPED_TRACE(testing::Message() << "amount " << c.amount << " quality " << c.quality);
    Set(layer, kSetAmount, c.amount);
    Set(layer, kSetQuality, c.quality);
    EXPECT_EQ(Render(doc, layer), Picture(doc, qztest::NoisePixel));
  }
}

// At the default scale of 85 a step is 1500 per pixel from the centre: 21
// pixels off it still fit 16 bits, 22 wrap to -32536 and point the other way.
// Amount 1, quality 100: the mean of the pixels at (2 vx) >> 10 and vx >> 10.
TEST(BizarrePixelize, StepsWrapPastTwentyOnePixelsFromTheCentre) {
  auto picture = [](int32_t x, int32_t y) { return Rgb{uint8_t(x), uint8_t(2 * x + y), uint8_t(250 - x)}; };
  Document doc(200, 5, picture);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "BizarrePixelize");
  ASSERT_NE(layer, nullptr);
  Set(layer, kSetCentreX, 100);
  Set(layer, kSetCentreY, 2);
  Set(layer, kSetQuality, 100);
  Set(layer, kSetYScale, 100);
  const std::vector<Rgb> out = Render(doc, layer);
  struct Case {
    int32_t fromCentre;  // cx - x
    int32_t far, near;   // the two samples' offsets
  };
  for (const Case& c : {Case{0, 0, 0}, Case{1, 2, 1}, Case{21, 61, 30}, Case{22, -64, -32}, Case{-21, -62, -31},
                        Case{-22, 63, 31}, Case{43, -3, -2}, Case{-60, -48, -24}}) {
    SCOPED_TRACE(testing::Message() << "cx - x = " << c.fromCentre);
    const int32_t x = 100 - c.fromCentre;
    for (int32_t y = 0; y < 5; ++y) {
      const Rgb a = picture(std::clamp(x + c.far, 0, 199), y), b = picture(std::clamp(x + c.near, 0, 199), y);
      const Rgb mean = {uint8_t((a[0] + b[0]) / 2), uint8_t((a[1] + b[1]) / 2), uint8_t((a[2] + b[2]) / 2)};
      EXPECT_EQ(out[size_t(y * 200 + x)], mean) << "row " << y;
    }
  }
}

// Below 1 the amount is a zoom toward the centre with 1 - amount samples.
TEST(BizarrePixelize, AmountsBelowOneZoomTowardTheCentre) {
  auto picture = [](int32_t x, int32_t y) { return Rgb{uint8_t(x * 3), uint8_t(y * 5), uint8_t(x + y)}; };
  Document doc(64, 40, picture);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "BizarrePixelize");
  ASSERT_NE(layer, nullptr);
  Set(layer, kSetAmount, 0);
  EXPECT_EQ(Render(doc, layer), Picture(doc, picture)) << "one sample: the pixel";
  Set(layer, kSetAmount, -3);
  const std::vector<Rgb> out = Render(doc, layer);
  // Centre (32, 20); the pixel at (0, 0) is 32, 20 from it: samples at x - j * 32 >> 10 = 0 for j < 4.
  EXPECT_EQ(out[0], picture(0, 0));
  // (63, 39): every step is -1 >> 10 = -1, one pixel off the image, taken at its edge.
  EXPECT_EQ(out[size_t(39 * 64 + 63)], picture(63, 39));
  // The centre pixel is its own source in either pass.
  EXPECT_EQ(out[size_t(20 * 64 + 32)], picture(32, 20));
  // A centre 3000 to the left: from (0, 20) the steps reach columns 0, 3, 6 and 9.
  Set(layer, kSetCentreX, -3000);
  const Rgb a = picture(0, 20), b = picture(3, 20), c = picture(6, 20), d = picture(9, 20);
  EXPECT_EQ(Render(doc, layer)[size_t(20 * 64)],
            (Rgb{uint8_t((a[0] + b[0] + c[0] + d[0]) / 4), uint8_t((a[1] + b[1] + c[1] + d[1]) / 4),
                 uint8_t((a[2] + b[2] + c[2] + d[2]) / 4)}));
  Set(layer, kSetAmount, -1023);
  const std::vector<Rgb> most = Render(doc, layer);
  Set(layer, kSetAmount, INT_MIN);
  EXPECT_EQ(Render(doc, layer), most) << "kept at -1023";
}

}  // namespace
