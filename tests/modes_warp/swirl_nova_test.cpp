// Swirl and super nova: strength 0 the identity, pixels turned by hand
// about the centre and black where they fall off the image, a centre on a
// corner fading toward the farthest one; the burst's seeded rays, its
// pixels, the same burst whatever lies below; at strength 0 or less super
// nova is the zoom-out routine; their settings and kept centre; the same
// bytes however cut, also while the settings change during passes.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "compositor/compositor_kit.h"
#include "modes/qz_radial_zoom.h"
#include "modes/qz_root_mode.h"
#include "modes/qz_warp_modes.h"
#include "modes/warp_strength.h"

namespace {

using qztest::Document;
using qztest::Rgb;

// A picture whose pixel tells where it came from.
Rgb Coded(int32_t x, int32_t y) { return {uint8_t(x), uint8_t(y), uint8_t(x ^ y)}; }
uint8_t Opaque(int32_t, int32_t) { return 255; }

// The mode's layer over a white multiply layer, so the image below is a composite.
struct Warp {
  Warp(const char* modeName, int32_t w, int32_t h, Rgb (*picture)(int32_t, int32_t) = Coded)
      : doc(w, h, picture) {
    doc.AddPaintLayer("Multiply", {255, 255, 255}, 0, 0, w, h, Opaque);
    layer = doc.AddPaintLayer(modeName, {0, 0, 0}, 0, 0, w, h, Opaque);
    mode = layer->mode;
  }
  QzWord Set(uint32_t id, int32_t v) { return Qz_DoMethod(mode, id, uint32_t(v)); }
  std::vector<Rgb> Render() { return qztest::StrictRender(doc, layer, 0, doc.width() - 1, 0, doc.height() - 1); }
  Rgb At(const std::vector<Rgb>& out, int32_t x, int32_t y) const { return out[size_t(y * doc.width() + x)]; }
  Document doc;
  Qz_Image* layer = nullptr;
  Qz_Object* mode = nullptr;
};

constexpr Rgb kBlack{0, 0, 0};

TEST(Swirl, StrengthZeroShowsThePictureBelow) {
  Warp s("Swirl", 101, 73);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSwirlGetStrength), 30u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSwirlGetQuality), 7u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSwirlGetCentreX), 50u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSwirlGetCentreY), 36u);
  for (int32_t centre : {36, 0, 72}) {
    s.Set(kQzSwirlSetCentreY, centre);
    s.Set(kQzSwirlSetStrength, 0);
    const std::vector<Rgb> out = s.Render();
    for (int32_t y = 0; y < 73; ++y)
      for (int32_t x = 0; x < 101; ++x) ASSERT_EQ(s.At(out, x, y), Coded(x, y)) << x << ", " << y;
  }
}

// 101 x 101 about (50, 50): the farthest corner 70 away. At strength 15
// (n 90) the pixel (60, 50), 10 out, turns by 90 + 90 (1 - 10/70) = 167.14
// degrees less the quarter turn every pixel starts from: sin and cos give
// 227 and -998 in 1/1024, so it shows (50 + 2270 >> 10, 50 + -9980 >> 10).
TEST(Swirl, TurnsAboutTheCentreAndBlackensWhatFallsOffTheImage) {
  Warp s("Swirl", 101, 101);
  struct Case {
    int32_t strength, x, y;
    Rgb shows;
  };
  const Case cases[] = {
      {15, 60, 50, Coded(52, 40)},  {15, 50, 60, Coded(59, 52)},   {15, 50, 50, Coded(50, 50)},
      {15, 100, 50, Coded(95, 28)}, {15, 80, 20, Coded(57, 8)},    {15, 3, 50, Coded(9, 73)},
      {15, 100, 100, Coded(99, 100)}, {15, 0, 0, kBlack},  // its point is (0, -1)
      {-15, 60, 50, Coded(52, 59)}, {-15, 100, 50, Coded(95, 71)}};
  for (int32_t strength : {15, -15}) {
    EXPECT_EQ(s.Set(kQzSwirlSetStrength, strength), QzWord(uint32_t(strength)));
    const std::vector<Rgb> out = s.Render();
    for (const Case& c : cases)
      if (c.strength == strength) {
        EXPECT_EQ(s.At(out, c.x, c.y), c.shows) << strength << ": " << c.x << ", " << c.y;
      }
  }
}

// On the bottom-right pixel the centre's own corner is 0 away: the twist
// fades toward the top-left one, 50 away (a 30-40-50 triangle), which shows
// itself. Far-off centres read only inside the image.
TEST(Swirl, ACentreOnACornerFadesTowardTheFarthestCorner) {
  Warp s("Swirl", 31, 41);
  s.Set(kQzSwirlSetCentreX, 30);
  s.Set(kQzSwirlSetCentreY, 40);
  s.Set(kQzSwirlSetStrength, 30);
  const std::vector<Rgb> out = s.Render();
  EXPECT_EQ(s.At(out, 0, 0), Coded(0, 0));
  EXPECT_EQ(s.At(out, 30, 40), Coded(30, 40));
  EXPECT_EQ(s.At(out, 29, 40), Coded(30, 40));
  EXPECT_EQ(s.At(out, 15, 20), kBlack);  // turned half round, off the image
  for (const auto& centre : {std::pair{-32768, 32767}, std::pair{32767, -5}, std::pair{15, 20}}) {
    s.Set(kQzSwirlSetCentreX, centre.first);
    s.Set(kQzSwirlSetCentreY, centre.second);
    for (int32_t strength : {255, -255, 1}) {
      s.Set(kQzSwirlSetStrength, strength);
      for (const Rgb& p : s.Render()) {
        ASSERT_LT(p[0], 31);
        ASSERT_LT(p[1], 41);
      }
    }
  }
}

TEST(SuperNova, RaysForSeedSeven) {
  const qz::modes::BurstRays rays = qz::modes::burstRays(7);
  const double first[] = {0.266778, 0.339595, 0.336268, 0.640065};
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(rays[i], first[i], 1e-6) << i;
  for (double r : rays) {
    EXPECT_GE(r, 0.0);
    EXPECT_LE(r, 1.0);
  }
  EXPECT_EQ(qz::modes::burstRays(7), rays);
  EXPECT_NE(qz::modes::burstRays(8), rays);
}

// Strength 1 (n 6) about (50, 50) of 101 x 101. (90, 50): on the centre row
// the ray index is 0.8, so the brightness is 0.2 r0 + 0.8 r1 = 0.325, and
// 255 (0.9 / (40 / 6 + 0.001) + 0.325²) = 61; (10, 50) wraps to the same ray.
TEST(SuperNova, TheBurstIsGreySeededAndTheSameWhateverLiesBelow) {
  Warp coded("SuperNova", 101, 101);
  Warp noise("SuperNova", 101, 101, qztest::NoisePixel);
  struct Case {
    int32_t quality, x, y, value;
  };
  const Case cases[] = {{7, 50, 50, 255}, {7, 51, 50, 255}, {7, 90, 50, 61}, {7, 10, 50, 61},
                        {7, 50, 10, 198}, {7, 50, 90, 198}, {7, 80, 90, 70}, {7, 5, 3, 72},
                        {7, 99, 0, 58},   {8, 90, 50, 90},  {8, 50, 10, 110}, {8, 5, 3, 119}};
  for (int32_t quality : {7, 8}) {
    for (Warp* w : {&coded, &noise}) {
      w->Set(kQzSwirlSetStrength, 1);
      w->Set(kQzSwirlSetQuality, quality);
    }
    const std::vector<Rgb> out = coded.Render();
    EXPECT_EQ(noise.Render(), out);
    EXPECT_EQ(coded.Render(), out);
    for (const Rgb& p : out) {
      ASSERT_EQ(p[0], p[1]);
      ASSERT_EQ(p[0], p[2]);
    }
    for (const Case& c : cases)
      if (c.quality == quality) {
        EXPECT_EQ(coded.At(out, c.x, c.y)[0], c.value) << c.x << ", " << c.y;
      }
  }
}

// At strength 0 or less super nova blurs away from its centre: each channel
// the routine the radial blur exports, called directly on the picture.
TEST(SuperNova, AtStrengthZeroOrLessIsTheZoomOutRoutine) {
  struct Case {
    int32_t width, height, cx, cy, strength, quality;
  };
  for (const Case& c : {Case{41, 29, 12, 20, -7, 40}, Case{5, 9, 1, 7, -40, 100}, Case{33, 17, -500, 3000, -255, 1},
                        Case{20, 20, 10, 10, 0, 7}}) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " + std::to_string(c.strength));
    Document doc(c.width, c.height, qztest::NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer("SuperNova", {0, 0, 0}, 0, 0, c.width, c.height, Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, kQzSwirlSetCentreX, uint32_t(c.cx));
    Qz_DoMethod(layer->mode, kQzSwirlSetCentreY, uint32_t(c.cy));
    Qz_DoMethod(layer->mode, kQzSwirlSetStrength, uint32_t(c.strength));
    Qz_DoMethod(layer->mode, kQzSwirlSetQuality, uint32_t(c.quality));
    const std::vector<Rgb> mode = qztest::StrictRender(doc, layer, 0, c.width - 1, 0, c.height - 1);
    uint8_t* const* planes[3] = {doc.image->r, doc.image->g, doc.image->b};
    for (int channel = 0; channel < 3; ++channel) {
      std::vector<uint8_t> dst(size_t(c.width * c.height));
      std::vector<uint8_t*> rows;
      for (int32_t y = 0; y < c.height; ++y) rows.push_back(dst.data() + y * c.width);
      Qz__RadialZoomBlurChannel(rows.data(), planes[channel], 0, 0, c.width - 1, c.height - 1, c.width, c.height,
                                -6 * c.strength, c.cx, c.cy, c.quality);
      for (int32_t y = 0; y < c.height; ++y)
        for (int32_t x = 0; x < c.width; ++x) {
          ASSERT_EQ(dst[size_t(y * c.width + x)], mode[size_t(y * c.width + x)][channel]) << x << "," << y;
          if (c.strength == 0) {
            ASSERT_EQ(mode[size_t(y * c.width + x)], qztest::NoisePixel(x, y));
          }
        }
    }
  }
}

TEST(SwirlAndSuperNova, SettingsKeepTheirRangesAndAChosenCentreStays) {
  for (const char* name : {"Swirl", "SuperNova"}) {
    SCOPED_TRACE(name);
    Document doc(64, 48, Coded);
    Qz_Image* layer = doc.AddPaintLayer(name, {0, 0, 0}, 10, 5, 40, 20, Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_Object* mode = layer->mode;
    // The layer's middle, in the document.
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlGetCentreX), 30u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlGetCentreY), 15u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetStrength, 4000u), 255u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetStrength, uint32_t(-4000)), uint32_t(-255));
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetQuality, 0u), 1u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetQuality, 101u), 100u);
    // The centre is a 16-bit setting, not limited to the document.
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetCentreX, 70000u), 4464u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlSetCentreY, uint32_t(-9)), uint32_t(-9));
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlGetCentreX), 4464u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlGetCentreY), uint32_t(-9));
    Qz_DoMethod(mode, kQzModeSetImage, layer);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlGetCentreX), 4464u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlCentre), 0u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlGetCentreX), 30u);
    EXPECT_EQ(Qz_DoMethod(mode, kQzSwirlGetCentreY), 15u);
  }
}

struct CutCase {
  const char* mode;
  int32_t strength, quality, cx, cy;
};

const CutCase kCutCases[] = {{"Swirl", 30, 7, 70, 25},    {"Swirl", -200, 7, 3, 40},   {"Swirl", 255, 1, 30000, -300},
                             {"SuperNova", 9, 7, 80, 30}, {"SuperNova", 40, 3, -20, 70}, {"SuperNova", -30, 60, 20, 5}};

// One test per case, so each stays short under the thread sanitizer.
class SwirlCuts : public testing::TestWithParam<CutCase> {};

TEST_P(SwirlCuts, SameBytesHoweverCutAndReadsOnlyWhatItFetched) {
  const CutCase& c = GetParam();
  SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.strength));
  Document doc(150, 60, qztest::NoisePixel);
  doc.AddPaintLayer("Multiply", {200, 150, 90}, 0, 0, 150, 60, qztest::GappedAlpha);
  Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, -2, -3, 154, 64, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kQzSwirlSetStrength, uint32_t(c.strength));
  Qz_DoMethod(layer->mode, kQzSwirlSetQuality, uint32_t(c.quality));
  Qz_DoMethod(layer->mode, kQzSwirlSetCentreX, uint32_t(c.cx));
  Qz_DoMethod(layer->mode, kQzSwirlSetCentreY, uint32_t(c.cy));
  qztest::ExpectSameHoweverCut(doc);
  qztest::StrictRender(doc, layer, 0, 149, 0, 1);
  qztest::StrictRender(doc, layer, 5, 17, 29, 31);
}

INSTANTIATE_TEST_SUITE_P(SwirlAndSuperNova, SwirlCuts, testing::ValuesIn(kCutCases));

TEST(SwirlAndSuperNova, SettingsChangedWhileAPassRenders) {
  for (const char* name : {"Swirl", "SuperNova"}) {
    const int32_t before = Qz__SetCompositorWorkers(8);
    Document doc(120, 64, qztest::NoisePixel);
    doc.AddPaintLayer("Multiply", {200, 150, 90}, 0, 0, 120, 64, qztest::GappedAlpha);
    Qz_Image* layer = doc.AddPaintLayer(name, {0, 0, 0}, 0, 0, 120, 64, Opaque);
    ASSERT_NE(layer, nullptr);
    std::atomic<bool> stop{false};
    std::thread panel([&] {
      for (int32_t i = 0; !stop.load(); ++i) {
        Qz_DoMethod(layer->mode, kQzSwirlSetStrength, uint32_t(i % 2 ? 40 : -25));
        Qz_DoMethod(layer->mode, kQzSwirlSetCentreX, uint32_t(i % 120));
        Qz_DoMethod(layer->mode, kQzSwirlSetQuality, uint32_t(1 + i % 100));
        std::this_thread::yield();
      }
    });
    for (int pass = 0; pass < 6; ++pass) doc.Composite();
    stop.store(true);
    panel.join();
    Qz_DoMethod(layer->mode, kQzSwirlSetStrength, 30u);
    doc.Composite();
    const std::vector<uint8_t> settled = doc.Planes();
    Qz__SetCompositorWorkers(1);
    doc.Composite();
    EXPECT_EQ(doc.Planes(), settled) << name;
    Qz__SetCompositorWorkers(before);
  }
}

}  // namespace
