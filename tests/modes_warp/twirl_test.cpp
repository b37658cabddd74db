// Twirl: the quarter-wave sine table, a full turn at the focus and a half
// turn half-way out in low quality, pixels at the radius or beyond showing
// themselves, a negative radius turning the other way, high quality
// interpolating, reads inside the image with a far-off focus, the kept
// focus, and the same bytes however cut.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "compositor/compositor_kit.h"
#include "modes/qz_root_mode.h"
#include "modes/qz_warp_modes.h"

extern "C" int32_t Qz__TwirlSine(int32_t i);

namespace {

using qztest::Document;
using qztest::Rgb;

Rgb Coded(int32_t x, int32_t y) { return {uint8_t(x), uint8_t(y), uint8_t(x ^ y)}; }
Rgb Ramp(int32_t x, int32_t) { return {uint8_t(2 * x), uint8_t(2 * x), uint8_t(2 * x)}; }
uint8_t Opaque(int32_t, int32_t) { return 255; }

struct Twirl {
  Twirl(int32_t w, int32_t h, Rgb (*picture)(int32_t, int32_t) = Coded) : doc(w, h, picture) {
    doc.AddPaintLayer("Multiply", {255, 255, 255}, 0, 0, w, h, Opaque);
    layer = doc.AddPaintLayer("Twirl", {0, 0, 0}, 0, 0, w, h, Opaque);
    mode = layer->mode;
  }
  void Set(uint32_t id, int32_t v) { EXPECT_EQ(Qz_DoMethod(mode, id, uint32_t(v)), 0u); }
  std::vector<Rgb> Render() { return qztest::StrictRender(doc, layer, 0, doc.width() - 1, 0, doc.height() - 1); }
  Rgb At(const std::vector<Rgb>& out, int32_t x, int32_t y) { return out[size_t(y * doc.width() + x)]; }
  Document doc;
  Qz_Image* layer = nullptr;
  Qz_Object* mode = nullptr;
};

TEST(Twirl, SineTable) {
  EXPECT_EQ(Qz__TwirlSine(0), 0);
  EXPECT_EQ(Qz__TwirlSine(128), 181);
  EXPECT_EQ(Qz__TwirlSine(256), 256);
}

TEST(Twirl, LowQualityTurns) {
  Twirl t(100, 100);
  t.Set(kQzTwirlSetFocusX, 50);
  t.Set(kQzTwirlSetFocusY, 50);
  t.Set(kQzTwirlSetRadius, 40);
  t.Set(kQzTwirlSetAngle, 360);
  const std::vector<Rgb> out = t.Render();
  struct Case {
    int32_t x, y, fromX, fromY;
  };
  const Case cases[] = {
      {50, 50, 50, 50},  // the focus: a full turn
      {70, 50, 30, 50},  // half-way out: 180 degrees
      {50, 70, 50, 30},
      {90, 50, 90, 50},  // at the radius: itself
      {99, 99, 99, 99},  // beyond it
      {0, 0, 0, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(t.At(out, c.x, c.y), Coded(c.fromX, c.fromY)) << c.x << ", " << c.y;
}

// A negative radius turns the other way: mirrored across the focus row on a
// picture symmetric about that row, the two renders match.
TEST(Twirl, NegativeRadiusTurnsTheOtherWay) {
  auto sym = [](int32_t x, int32_t y) -> Rgb { return {uint8_t(x * 2), uint8_t(std::abs(y - 40) * 3), 9}; };
  Document doc(80, 81, sym);
  doc.AddPaintLayer("Multiply", {255, 255, 255}, 0, 0, 80, 81, Opaque);
  Qz_Image* layer = doc.AddPaintLayer("Twirl", {0, 0, 0}, 0, 0, 80, 81, Opaque);
  for (uint32_t high : {kQzTwirlChooseLow, kQzTwirlChooseHigh}) {
    Qz_DoMethod(layer->mode, high, 1u);
    Qz_DoMethod(layer->mode, kQzTwirlSetFocusX, 40u);
    Qz_DoMethod(layer->mode, kQzTwirlSetFocusY, 40u);
    Qz_DoMethod(layer->mode, kQzTwirlSetAngle, 90u);
    Qz_DoMethod(layer->mode, kQzTwirlSetRadius, 30u);
    const std::vector<Rgb> plus = qztest::StrictRender(doc, layer, 0, 79, 0, 80);
    Qz_DoMethod(layer->mode, kQzTwirlSetRadius, uint32_t(-30));
    const std::vector<Rgb> minus = qztest::StrictRender(doc, layer, 0, 79, 0, 80);
    EXPECT_NE(plus, minus);
    int32_t off = 0;
    for (int32_t y = 0; y <= 80; ++y)
      for (int32_t x = 0; x < 80; ++x) {
        const Rgb a = plus[size_t(y * 80 + x)], b = minus[size_t((80 - y) * 80 + x)];
        for (int c = 0; c < 3; ++c) off += std::abs(a[c] - b[c]) > 3;
      }
    EXPECT_EQ(off, 0) << high;
  }
}

// High quality on a ramp: within 1 of the ramp's value at the turned point.
TEST(Twirl, HighQualityInterpolatesOnARamp) {
  Twirl t(120, 60, Ramp);
  t.Set(kQzTwirlChooseHigh, 1);
  t.Set(kQzTwirlSetFocusX, 60);
  t.Set(kQzTwirlSetFocusY, 30);
  t.Set(kQzTwirlSetRadius, 50);
  t.Set(kQzTwirlSetAngle, 45);
  const std::vector<Rgb> out = t.Render();
  for (int32_t y = 0; y < 60; ++y)
    for (int32_t x = 0; x < 120; ++x) {
      const double dx = x - 60, dy = y - 30, d = std::sqrt(dx * dx + dy * dy);
      double fx = x;
      if (d < 50) {
        const double th = (45 - 45 * d / 50) * 0.017453292519943295;
        const double tx = 60 + dx * std::cos(th) + dy * std::sin(th), ty = 30 + dy * std::cos(th) - dx * std::sin(th);
        if (tx >= 0 && tx <= 119 && ty >= 0 && ty <= 59) fx = tx;
      }
      ASSERT_NEAR(t.At(out, x, y)[0], 2 * fx, 1.0) << x << ", " << y;
    }
}

TEST(Twirl, FarOffFocusReadsInsideAndRadiusZeroIsTheIdentity) {
  Twirl t(40, 30);
  const int32_t foci[][2] = {{-300, 10}, {20, 15}, {39, 29}, {32000, -32000}};
  for (uint32_t quality : {kQzTwirlChooseLow, kQzTwirlChooseHigh})
    for (const auto& f : foci) {
      t.Set(quality, 1);
      t.Set(kQzTwirlSetFocusX, f[0]);
      t.Set(kQzTwirlSetFocusY, f[1]);
      t.Set(kQzTwirlSetRadius, 512);
      t.Set(kQzTwirlSetAngle, 720);
      for (const Rgb& p : t.Render()) {
        ASSERT_LT(p[0], 40);
        ASSERT_LT(p[1], 30);
      }
      t.Set(kQzTwirlSetRadius, 0);
      const std::vector<Rgb> out = t.Render();
      for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x) ASSERT_EQ(t.At(out, x, y), Coded(x, y));
    }
}

TEST(Twirl, SameBytesHoweverCut) {
  Document doc(150, 60, qztest::NoisePixel);
  doc.AddPaintLayer("Multiply", {200, 150, 90}, 0, 0, 150, 60, qztest::GappedAlpha);
  Qz_Image* layer = doc.AddPaintLayer("Twirl", {0, 0, 0}, 0, 0, 150, 60, qztest::GappedAlpha);
  Qz_DoMethod(layer->mode, kQzTwirlChooseHigh, 1u);
  Qz_DoMethod(layer->mode, kQzTwirlSetRadius, 50u);
  qztest::ExpectSameHoweverCut(doc);
}

}  // namespace
