// Spherize: no axis applied shows the image below; the centre and the
// outline's rim show themselves; the outline at aspect 50 is an ellipse;
// every pixel reads inside the image, also with a far-off or clamped
// centre; settings and the kept centre; the same bytes however cut, also
// while the settings change during passes.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "compositor/compositor_kit.h"
#include "modes/qz_root_mode.h"
#include "modes/qz_warp_modes.h"

namespace {

using qztest::Document;
using qztest::Rgb;

// A picture whose pixel tells where it came from.
Rgb Coded(int32_t x, int32_t y) { return {uint8_t(x), uint8_t(y), uint8_t(x ^ y)}; }
uint8_t Opaque(int32_t, int32_t) { return 255; }

struct Sphere {
  Sphere(int32_t w, int32_t h) : doc(w, h, Coded) {
    lower = doc.AddPaintLayer("Multiply", {255, 255, 255}, 0, 0, w, h, Opaque);
    layer = doc.AddPaintLayer("Spherize", {0, 0, 0}, 0, 0, w, h, Opaque);
    mode = layer->mode;
  }
  void Set(uint32_t id, int32_t v) { Qz_DoMethod(mode, id, uint32_t(v)); }
  std::vector<Rgb> Render() {
    return qztest::StrictRender(doc, layer, 0, doc.width() - 1, 0, doc.height() - 1);
  }
  Document doc;
  Qz_Image* lower = nullptr;
  Qz_Image* layer = nullptr;
  Qz_Object* mode = nullptr;
};

// Where the output pixel came from (the coded picture tells).
std::pair<int32_t, int32_t> From(const Rgb& p) { return {p[0], p[1]}; }

TEST(Spherize, NoAxisAppliedShowsTheImageBelow) {
  Sphere s(64, 48);
  for (int32_t size : {1, 50, 200}) {
    s.Set(kQzSpherizeSetSize, size);
    const std::vector<Rgb> out = s.Render();
    for (int32_t y = 0; y < 48; ++y)
      for (int32_t x = 0; x < 64; ++x) ASSERT_EQ(out[size_t(y * 64 + x)], Coded(x, y)) << x << ", " << y;
  }
}

// With both axes: the centre and the rim map onto themselves, pixels inside
// are pulled from farther out, and outside the outline a pixel shows itself.
TEST(Spherize, CentreAndRimFixedInsidePulledOutward) {
  Sphere s(100, 100);
  s.Set(kQzSpherizeSetHorizontal, 1);
  s.Set(kQzSpherizeSetVertical, 1);
  s.Set(kQzSpherizeSetSize, 30);  // R 30
  s.Set(kQzSpherizeSetCentreX, 50);
  s.Set(kQzSpherizeSetCentreY, 50);
  const std::vector<Rgb> out = s.Render();
  auto at = [&](int32_t x, int32_t y) { return From(out[size_t(y * 100 + x)]); };
  struct Case {
    int32_t x, y, fromX, fromY;
  };
  // asin(10/30)·60/π = 6.49 → 6 rows; acos law: floor(30 - acos(10/30)·60/π) = 6.
  const Case cases[] = {{50, 50, 50, 50}, {80, 50, 80, 50}, {50, 20, 50, 20}, {50, 80, 50, 80},
                        {60, 50, 56, 50}, {50, 60, 50, 56}, {40, 50, 44, 50}, {50, 40, 50, 44},
                        {90, 90, 90, 90}, {0, 0, 0, 0},     {75, 75, 75, 75}};
  for (const Case& c : cases)
    EXPECT_EQ(at(c.x, c.y), std::make_pair(c.fromX, c.fromY)) << c.x << ", " << c.y;
  // Every pixel of the outline's axis reads no farther out than the rim, and moves toward the centre.
  for (int32_t x = 51; x < 80; ++x) {
    EXPECT_LE(at(x, 50).first, x) << x;
    EXPECT_GE(at(x, 50).first, 50) << x;
  }
}

// Aspect 50 halves R² across: the outline's semi-axis is R·sqrt(0.5) across, R down.
TEST(Spherize, AspectFiftyMakesAnEllipse) {
  Sphere s(100, 100);
  s.Set(kQzSpherizeSetHorizontal, 1);
  s.Set(kQzSpherizeSetVertical, 1);
  s.Set(kQzSpherizeSetSize, 40);  // R 40
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeSetAspect, 50u), 50u);
  s.Set(kQzSpherizeSetCentreX, 50);
  s.Set(kQzSpherizeSetCentreY, 50);
  const std::vector<Rgb> out = s.Render();
  const double across = 40 * std::sqrt(0.5);  // 28.28
  for (int32_t dy = 0; dy <= 40; dy += 4)
    for (int32_t dx = 0; dx <= 45; ++dx) {
      const double q = dx * dx / std::floor(1600 * 0.5) + double(dy) * dy / 1600.0;
      if (q <= 1) continue;
      // Outside: the pixel itself.
      EXPECT_EQ(From(out[size_t((50 + dy) * 100 + 50 + dx)]), std::make_pair(50 + dx, 50 + dy)) << dx << ", " << dy;
    }
  // Just inside across, a pixel moves; at 29 across it is already outside.
  EXPECT_NE(From(out[size_t(50 * 100 + 60)]), std::make_pair(60, 50));
  EXPECT_EQ(From(out[size_t(50 * 100 + 50 + int(across) + 1)]), std::make_pair(50 + int(across) + 1, 50));
}

// Centres at and beyond the edges, sizes that reach far past the image:
// StrictRender fails on any read outside the image below.
TEST(Spherize, EverySampleInsideTheImage) {
  Sphere s(40, 30);
  s.Set(kQzSpherizeSetHorizontal, 1);
  s.Set(kQzSpherizeSetVertical, 1);
  const int32_t centres[][2] = {{0, 0}, {39, 29}, {40, 30}, {-5, 100}, {1000, -1000}, {20, 15}};
  for (int32_t size : {1, 3, 100, 200})
    for (int32_t aspect : {-99, 0, 99})
      for (const auto& c : centres) {
        SCOPED_TRACE(testing::Message() << size << " " << aspect << " " << c[0] << "," << c[1]);
        s.Set(kQzSpherizeSetSize, size);
        s.Set(kQzSpherizeSetAspect, aspect);
        s.Set(kQzSpherizeSetCentreX, c[0]);
        s.Set(kQzSpherizeSetCentreY, c[1]);
        const std::vector<Rgb> out = s.Render();
        for (const Rgb& p : out) {
          ASSERT_LT(p[0], 40);
          ASSERT_LT(p[1], 30);
        }
      }
}

TEST(Spherize, CentreClampedToTheLastPixelAndKeptWithTheLayer) {
  Sphere s(64, 48);
  // The layer's middle until a centre is chosen.
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeGetCentreX), 32u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeGetCentreY), 24u);
  s.Set(kQzSpherizeSetCentreX, 500);
  s.Set(kQzSpherizeSetCentreY, -3);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeGetCentreX), 63u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeGetCentreY), 0u);
  s.Set(kQzSpherizeSetCentreX, 10);
  Qz_DoMethod(s.mode, kQzModeSetImage, s.layer);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeGetCentreX), 10u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeCentre), 0u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeGetCentreX), 32u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeGetCentreY), 24u);
  // Settings keep their ranges.
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeSetSize, 500u), 0u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeGetSize), 200u);
  EXPECT_EQ(Qz_DoMethod(s.mode, kQzSpherizeSetAspect, uint32_t(-150)), uint32_t(-99));
}

TEST(Spherize, SameBytesHoweverCut) {
  Document doc(150, 60, qztest::NoisePixel);
  Qz_Image* lower = doc.AddPaintLayer("Multiply", {200, 150, 90}, 0, 0, 150, 60, qztest::GappedAlpha);
  Qz_Image* layer = doc.AddPaintLayer("Spherize", {0, 0, 0}, 0, 0, 150, 60, qztest::GappedAlpha);
  ASSERT_NE(lower, nullptr);
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kQzSpherizeSetHorizontal, 1u);
  Qz_DoMethod(layer->mode, kQzSpherizeSetVertical, 1u);
  Qz_DoMethod(layer->mode, kQzSpherizeSetAspect, uint32_t(-30));
  qztest::ExpectSameHoweverCut(doc);
}

// Settings change on another thread while passes render: every table a
// render takes stays whole (TSan and ASan watch).
TEST(Spherize, SettingsChangedWhilePassesRender) {
  Document doc(120, 80, qztest::NoisePixel);
  doc.AddPaintLayer("Multiply", {200, 150, 90}, 0, 0, 120, 80, qztest::GappedAlpha);
  Qz_Image* layer = doc.AddPaintLayer("Spherize", {0, 0, 0}, 0, 0, 120, 80, qztest::GappedAlpha);
  Qz_Object* mode = layer->mode;
  Qz_DoMethod(mode, kQzSpherizeSetHorizontal, 1u);
  Qz_DoMethod(mode, kQzSpherizeSetVertical, 1u);
  const int32_t before = Qz__SetCompositorWorkers(8);
  std::atomic<bool> done{false};
  std::thread setter([&] {
    for (int i = 0; !done.load(); ++i) {
      Qz_DoMethod(mode, kQzSpherizeSetSize, uint32_t(1 + i % 150));
      Qz_DoMethod(mode, kQzSpherizeSetAspect, uint32_t(i % 199 - 99));
      Qz_DoMethod(mode, kQzSpherizeSetCentreX, uint32_t(i % 130));
      std::this_thread::yield();
    }
  });
  for (int pass = 0; pass < 20; ++pass) doc.Composite();
  done = true;
  setter.join();
  Qz__SetCompositorWorkers(before);
}

}  // namespace
