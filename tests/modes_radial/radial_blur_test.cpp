// The radial blur: its tap counts, pixels worked out by hand toward and
// away from the centre, strength 0 as the identity, the exported zoom-out
// routine against the mode, its stored settings and centre, and the same
// bytes however the picture is cut, on any number of workers.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "compositor/compositor_kit.h"
#include "image/strip_pool.h"
#include "modes/radial_zoom.h"
#include "objects/object_text.h"
#include "support/stored_text.h"

namespace {

using qztest::Document;
using qztest::NoisePixel;
using qztest::Rgb;

uint8_t Opaque(int32_t, int32_t) { return 255; }

Qz_Image* OpaqueLayer(Document& doc) {
  return doc.AddPaintLayer("RadialBlur", {0, 0, 0}, 0, 0, doc.width(), doc.height(), Opaque);
}

std::vector<Rgb> RenderAll(Document& doc, Qz_Image* layer) {
  return qztest::StrictRender(doc, layer, 0, doc.width() - 1, 0, doc.height() - 1);
}

TEST(RadialBlur, TapsFollowLengthAndQuality) {
  struct Case {
    int32_t length, quality, step, count, norm;
  };
  for (const Case& c : {Case{180, 7, 14, 13, 2520}, Case{180, 100, 1, 181, 181}, Case{6, 1, 6, 2, 16384},
                        Case{0, 7, 1, 1, 32768}, Case{1, 50, 1, 2, 16384}, Case{1530, 3, 33, 47, 697},
                        Case{12, 0, 12, 2, 16384}}) {
    SCOPED_TRACE(std::to_string(c.length) + " " + std::to_string(c.quality));
    const qz::modes::ZoomTaps t = qz::modes::zoomTaps(c.length, c.quality);
    EXPECT_EQ(t.step, c.step);
    EXPECT_EQ(t.count, c.count);
    EXPECT_EQ(t.norm, c.norm);
  }
}

TEST(RadialBlur, PixelsTowardAndAwayFromTheCentreOnARamp) {
  // A ramp of 3 per column; the centre (32, 32). At strength 30, quality 7:
  // 13 taps every 14/1024 of the way. From (40, 32) inward nine land on
  // column 39 and four on 38; outward nine on 40 and four on 41. The centre
  // itself takes its own value 13 times, one lower by the reciprocal.
  Document doc(64, 64, [](int32_t x, int32_t) { return Rgb{uint8_t(3 * x), uint8_t(3 * x), 9}; });
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeGetXPosition), 32u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeGetYPosition), 32u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeGetRadius), 30u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeGetQuality), 7u);
  auto at = [&](const std::vector<Rgb>& out, int32_t x, int32_t y) { return out[size_t(y * 64 + x)]; };
  const std::vector<Rgb> in = RenderAll(doc, layer);
  EXPECT_EQ(at(in, 40, 32)[0], (9 * 117 + 4 * 114) * 2520 >> 15);  // 116
  EXPECT_EQ(at(in, 32, 32)[0], 96 * 13 * 2520 >> 15);               // 95
  EXPECT_EQ(at(in, 32, 32)[2], 8);
  // Straight above the centre the ramp does not change along the taps.
  EXPECT_EQ(at(in, 32, 10)[0], 95);
  Qz_DoMethod(layer->mode, kQzModeSetRadius, QzWord(-30));
  const std::vector<Rgb> out = RenderAll(doc, layer);
  EXPECT_EQ(at(out, 40, 32)[0], (9 * 120 + 4 * 123) * 2520 >> 15);  // 120
  EXPECT_EQ(at(out, 32, 32)[0], 95);
  // Toward the centre reads darker on the right of it and lighter on its left; away, the reverse.
  for (int32_t x : {5, 20, 45, 60})
    for (int32_t y : {3, 32, 50}) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      const int v = 3 * x;
      if (x > 32) {
        EXPECT_LE(at(in, x, y)[0], v);
        EXPECT_GE(at(out, x, y)[0], v - 1);
      } else {
        EXPECT_GE(at(in, x, y)[0], v - 1);
        EXPECT_LE(at(out, x, y)[0], v);
      }
    }
}

TEST(RadialBlur, StrengthZeroLeavesThePictureAsItIs) {
  Document doc(37, 23, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kQzModeSetRadius, 0);
  const std::vector<Rgb> out = RenderAll(doc, layer);
  for (int32_t y = 0; y < 23; ++y)
    for (int32_t x = 0; x < 37; ++x) ASSERT_EQ(out[size_t(y * 37 + x)], NoisePixel(x, y)) << x << "," << y;
}

TEST(RadialBlur, TheZoomOutRoutineEqualsTheModeAwayFromTheCentre) {
  // Small images too: their directions are scaled up by 2^(10 / size).
  struct Case {
    int32_t width, height, cx, cy, strength, quality;
  };
  for (const Case& c : {Case{41, 29, 12, 20, -7, 40}, Case{5, 9, 1, 7, -40, 100}, Case{33, 17, -500, 3000, -255, 1},
                        Case{20, 20, 10, 10, -1, 7}}) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    Document doc(c.width, c.height, NoisePixel);
    Qz_Image* layer = OpaqueLayer(doc);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, kQzModeSetXPosition, QzWord(c.cx));
    Qz_DoMethod(layer->mode, kQzModeSetYPosition, QzWord(c.cy));
    Qz_DoMethod(layer->mode, kQzModeSetRadius, QzWord(c.strength));
    Qz_DoMethod(layer->mode, kQzModeSetQuality, QzWord(c.quality));
    const std::vector<Rgb> mode = RenderAll(doc, layer);
    std::vector<uint8_t> dst(size_t(c.width * c.height));
    std::vector<uint8_t*> rows;
    for (int32_t y = 0; y < c.height; ++y) rows.push_back(dst.data() + y * c.width);
    // A block in the middle, then the whole image.
    Qz__RadialZoomBlurChannel(rows.data(), doc.image->g, 0, 0, c.width - 1, c.height - 1, c.width, c.height,
                              -6 * c.strength, c.cx, c.cy, c.quality);
    for (int32_t y = 0; y < c.height; ++y)
      for (int32_t x = 0; x < c.width; ++x)
        ASSERT_EQ(dst[size_t(y * c.width + x)], mode[size_t(y * c.width + x)][1]) << x << "," << y;
    std::vector<uint8_t> part(4);
    uint8_t* partRows[2] = {part.data(), part.data() + 2};
    Qz__RadialZoomBlurChannel(partRows, doc.image->g, 1, 2, 2, 3, c.width, c.height, -6 * c.strength, c.cx, c.cy,
                              c.quality);
    EXPECT_EQ(part[0], dst[size_t(2 * c.width + 1)]);
    EXPECT_EQ(part[3], dst[size_t(3 * c.width + 2)]);
  }
}

TEST(RadialBlur, SettingsAreLimitedStoredAndAStoredCentreSurvivesTheLayer) {
  Qz_Object* mode = Qz_CreateObject("RadialBlurMode");
  ASSERT_NE(mode, nullptr);
  Qz_DoMethod(mode, kQzModeSetQuality, 0);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetQuality), 1u);
  Qz_DoMethod(mode, kQzModeSetRadius, 4000);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetRadius), 255u);
  Qz_DoMethod(mode, kQzModeSetRadius, QzWord(-90));
  Qz_DoMethod(mode, kQzModeSetQuality, 55);
  Qz_DoMethod(mode, kQzModeSetXPosition, 11);
  Qz_DoMethod(mode, kQzModeSetYPosition, QzWord(-4));
  std::string text = qztest::storedText(mode);
  Qz_DisposeObject(mode);
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  Qz_Object* back = Qz_CreateObjectsFromString(buffer.data());
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(int16_t(Qz_DoMethod(back, kQzModeGetRadius)), -90) << text;
  EXPECT_EQ(Qz_DoMethod(back, kQzModeGetQuality), 55u) << text;
  EXPECT_EQ(Qz_DoMethod(back, kQzModeGetXPosition), 11u) << text;
  EXPECT_EQ(int16_t(Qz_DoMethod(back, kQzModeGetYPosition)), -4) << text;
  // Handed a layer, the restored mode keeps the centre it was stored with.
  Document doc(50, 30, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeGetXPosition), 25u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzModeGetYPosition), 15u);
  Qz_DoMethod(back, kQzModeSetImage, layer);
  EXPECT_EQ(Qz_DoMethod(back, kQzModeGetXPosition), 11u);
  EXPECT_EQ(int16_t(Qz_DoMethod(back, kQzModeGetYPosition)), -4);
  // The centre button puts it back in the layer's middle.
  Qz_DoMethod(back, 2186);
  EXPECT_EQ(Qz_DoMethod(back, kQzModeGetXPosition), 25u);
  EXPECT_EQ(Qz_DoMethod(back, kQzModeGetYPosition), 15u);
  Qz_DisposeObject(back);
}

struct CutCase {
  int32_t strength, quality, cx, cy;
};

const CutCase kCutCases[] = {{30, 7, 115, 12}, {-60, 100, 3, 40}, {255, 1, 30000, -30000},
                             {-255, 50, -32768, 32767}, {0, 7, 60, 5}};

// One test per case, so each stays short under the thread sanitizer.
class RadialBlurCuts : public testing::TestWithParam<CutCase> {};

TEST_P(RadialBlurCuts, SameBytesHoweverCutAndReadsOnlyWhatItFetched) {
  {
    const CutCase& c = GetParam();
    SCOPED_TRACE(std::to_string(c.strength) + " " + std::to_string(c.cx) + "," + std::to_string(c.cy));
    Document doc(230, 24, NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer("RadialBlur", {200, 60, 30}, -3, -2, 236, 27, qztest::GappedAlpha);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, kQzModeSetRadius, QzWord(c.strength));
    Qz_DoMethod(layer->mode, kQzModeSetQuality, QzWord(c.quality));
    Qz_DoMethod(layer->mode, kQzModeSetXPosition, QzWord(c.cx));
    Qz_DoMethod(layer->mode, kQzModeSetYPosition, QzWord(c.cy));
    qztest::ExpectSameHoweverCut(doc);
    // Over another layer, the picture below is a composite fetched whole.
    Document upper(40, 21, NoisePixel);
    ASSERT_NE(upper.AddPaintLayer("Multiply", {90, 200, 30}, 2, 1, 30, 18,
                                  [](int32_t x, int32_t y) { return qztest::Noise(x, y, 5); }),
              nullptr);
    Qz_Image* top = upper.AddPaintLayer("RadialBlur", {10, 220, 90}, 1, 2, 38, 18, Opaque);
    ASSERT_NE(top, nullptr);
    Qz_DoMethod(top->mode, kQzModeSetRadius, QzWord(c.strength));
    Qz_DoMethod(top->mode, kQzModeSetXPosition, QzWord(c.cx));
    Qz_DoMethod(top->mode, kQzModeSetYPosition, QzWord(c.cy));
    qztest::StrictRender(upper, top, 0, 39, 0, 1);
    qztest::StrictRender(upper, top, 5, 17, 9, 11);
  }
}

INSTANTIATE_TEST_SUITE_P(RadialBlur, RadialBlurCuts, testing::ValuesIn(kCutCases));

TEST(RadialBlur, SettingsChangedWhileAPassRenders) {
  const int32_t before = Qz__SetCompositorWorkers(8);
  Document doc(120, 64, NoisePixel);
  Qz_Image* layer = OpaqueLayer(doc);
  ASSERT_NE(layer, nullptr);
  std::atomic<bool> stop{false};
  std::thread panel([&] {
    for (int32_t i = 0; !stop.load(); ++i) {
      Qz_DoMethod(layer->mode, kQzModeSetRadius, QzWord(i % 2 ? 40 : -25));
      Qz_DoMethod(layer->mode, kQzModeSetXPosition, QzWord(i % 120));
      Qz_DoMethod(layer->mode, kQzModeSetQuality, QzWord(1 + i % 100));
    }
  });
  for (int pass = 0; pass < 6; ++pass) doc.Composite();
  stop.store(true);
  panel.join();
  Qz_DoMethod(layer->mode, kQzModeSetRadius, 30);
  doc.Composite();
  const std::vector<uint8_t> settled = doc.Planes();
  Qz__SetCompositorWorkers(1);
  doc.Composite();
  EXPECT_EQ(doc.Planes(), settled);
  Qz__SetCompositorWorkers(before);
}

}  // namespace
