// The point modes (negative, solarize, threshold, posterize, brightness
// inversion, saturation-value swap, colour to grey): tables of pixels through
// the compositor and the strict render, grey images, their settings, and the
// same bytes however a pass is cut.
#include <gtest/gtest.h>

#include <algorithm>

#include "image/hsv.h"
#include "modes/qz_point_modes.h"
#include "point_kit.h"

namespace {

using pointtest::Rgb;
using pointtest::Settings;

struct Case {
  const char* name;
  const char* mode;
  Settings settings;
  std::vector<Rgb> below, expected;
};

const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0};

const Case kCases[] = {
    {"negative", "Negative", {}, {{0, 128, 255}}, {{255, 127, 0}}},
    {"solarize at 127", "Solarize", {}, {{126, 127, 255}}, {{126, 128, 0}}},
    {"solarize at 0 inverts all", "Solarize", {{kQzSolarizeSetThreshold, 0}}, {{0, 100, 255}},
     {{255, 155, 0}}},
    {"threshold at its maximum sends white low", "Threshold",
     {{kQzThresholdSetLevel, 256}, {kQzThresholdSetLow, 10}, {kQzThresholdSetHigh, 200}},
     {kWhite, kBlack}, {{10, 10, 10}, {10, 10, 10}}},
    {"threshold at 127: a sum of 381 is high, 380 low", "Threshold", {},
     {{127, 127, 127}, {127, 127, 126}}, {kWhite, kBlack}},
    {"posterize 5", "Posterize", {}, {{31, 32, 64}, {96, 128, 192}}, {{0, 63, 127}, {127, 191, 255}}},
    {"posterize 7", "Posterize", {{kQzPosterizeSetShift, 7}}, {{0, 127, 128}, {255, 1, 200}},
     {{0, 0, 255}, {255, 0, 255}}},
    {"posterize 1", "Posterize", {{kQzPosterizeSetShift, 1}}, {{0, 1, 2}}, {{0, 0, 3}}},
    // Greys stay grey: the exact back-conversion, not (126, 126, 127).
    {"invert brightness", "InvertBrightness", {}, {kBlack, kWhite, kRed, {128, 128, 128}, {0, 255, 255}},
     {kWhite, kBlack, kRed, {127, 127, 127}, {0, 255, 255}}},
    {"swap saturation and value", "SwapSV", {}, {{128, 128, 128}, kRed, {200, 100, 50}},
     {kBlack, kRed, {191, 91, 41}}},
};

TEST(PointModes, TableOfPixels) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(pointtest::RenderRow(c.mode, c.settings, c.below), c.expected);
  }
}

TEST(PointModes, ColourToGreyRules) {
  // (10, 100, 200) by rules 0..10.
  const uint8_t expected[] = {10, 200, 103, 10, 100, 200, 150, 105, 55, 88, 84};
  for (int32_t rule = 0; rule <= 10; ++rule) {
    SCOPED_TRACE(rule);
    const uint8_t g = expected[rule];
    const std::vector<Rgb> expectedRow = {{g, g, g}};
    EXPECT_EQ(pointtest::RenderRow("ColourToGrey", {{kQzColourToGreySetRule, rule}}, {{10, 100, 200}}),
              expectedRow);
  }
  // The initial rule is the 709 luminance.
  EXPECT_EQ(pointtest::RenderRow("ColourToGrey", {}, {kWhite, {0, 0, 255}}),
            (std::vector<Rgb>{kWhite, {18, 18, 18}}));
}

// Own setters answer 0, keep their value within its range and ask for one
// re-render per change.
TEST(PointModes, SettersClampAnswerZeroAndReRenderOnChange) {
  struct Setter {
    const char* mode;
    uint32_t set, get;
    int32_t initial, tooLow, lowest, tooHigh, highest;
  };
  const Setter kSetters[] = {
      {"Solarize", kQzSolarizeSetThreshold, kQzSolarizeGetThreshold, 127, -5, 0, 300, 255},
      {"Threshold", kQzThresholdSetLevel, kQzThresholdGetLevel, 127, -1, 0, 999, 256},
      {"Threshold", kQzThresholdSetLow, kQzThresholdGetLow, 0, -1, 0, 256, 255},
      {"Threshold", kQzThresholdSetHigh, kQzThresholdGetHigh, 255, -1, 0, 256, 255},
      {"Posterize", kQzPosterizeSetShift, kQzPosterizeGetShift, 5, 0, 1, 8, 7},
      {"ColourToGrey", kQzColourToGreySetRule, kQzColourToGreyGetRule, 9, -1, 0, 11, 10},
  };
  qztest::Document doc(2, 1, qztest::NoisePixel);
  for (const Setter& s : kSetters) {
    SCOPED_TRACE(testing::Message() << s.mode << " " << std::hex << s.set);
    Qz_Image* layer = doc.AddPaintLayer(s.mode, {0, 0, 0}, 0, 0, 2, 1, pointtest::Opaque);
    ASSERT_NE(layer, nullptr);
    qztest::RerenderCounter rerenders;
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, s.get)), s.initial);
    EXPECT_EQ(Qz_DoMethod(layer->mode, s.set, uint32_t(s.initial)), 0u);
    EXPECT_EQ(rerenders.Count(), 0u);
    EXPECT_EQ(Qz_DoMethod(layer->mode, s.set, uint32_t(s.tooLow)), 0u);
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, s.get)), s.lowest);
    EXPECT_EQ(Qz_DoMethod(layer->mode, s.set, uint32_t(s.tooHigh)), 0u);
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, s.get)), s.highest);
    EXPECT_EQ(rerenders.Count(doc.image), size_t(s.lowest != s.initial) + 1);
  }
}

// Solarize and Posterize change grey images too; the others leave them to
// the caller (0) or, ColourToGrey, answer 1 and write nothing.
TEST(PointModes, GreyImages) {
  struct GreyCase {
    const char* mode;
    QzWord answer;
    std::vector<uint8_t> out;
  };
  const GreyCase kGrey[] = {
      {"Solarize", 1, {0, 126, 128, 0}},  {"Posterize", 1, {0, 127, 127, 255}},
      {"Negative", 0, {7, 7, 7, 7}},      {"Threshold", 0, {7, 7, 7, 7}},
      {"InvertBrightness", 0, {7, 7, 7, 7}}, {"SwapSV", 0, {7, 7, 7, 7}},
      {"ColourToGrey", 1, {7, 7, 7, 7}},
  };
  for (const GreyCase& c : kGrey) {
    SCOPED_TRACE(c.mode);
    Qz_Object* mode = qztest::MakeMode(c.mode, nullptr);
    ASSERT_NE(mode, nullptr);
    const auto result = pointtest::RenderGrey(mode, {0, 126, 127, 255});
    EXPECT_EQ(result.answer, c.answer);
    EXPECT_EQ(result.out, c.out);
    Qz_DisposeObject(mode);
  }
}

// The editor's HSV conversion: greys, primaries and secondaries come back
// exactly; anything else within the error of whole degrees of hue (up to
// 255 / 60 levels each) and a truncated saturation.
TEST(PointModes, HsvRoundTripOverAGrid) {
  int32_t worst = 0;
  for (int32_t r = 0; r < 256; r += 5)
    for (int32_t g = 0; g < 256; g += 3)
      for (int32_t b = 0; b < 256; b += 7) {
        uint8_t out[3];
        qz::hsvToRgb(qz::rgbToHsv(r, g, b), out);
        const int32_t error = std::max({std::abs(out[0] - r), std::abs(out[1] - g), std::abs(out[2] - b)});
        worst = std::max(worst, error);
        const bool exact = (r == g && g == b) ||
                           ((r == 0 || r == 255) && (g == 0 || g == 255) && (b == 0 || b == 255));
        if (exact) {
          EXPECT_EQ(error, 0) << r << "," << g << "," << b;
        }
      }
  EXPECT_LE(worst, 5);
}

TEST(PointModes, SameBytesHoweverCut) {
  const std::pair<const char*, Settings> kModes[] = {
      {"Negative", {}}, {"Solarize", {{kQzSolarizeSetThreshold, 90}}}, {"Threshold", {}},
      {"Posterize", {{kQzPosterizeSetShift, 3}}}, {"InvertBrightness", {}}, {"SwapSV", {}},
      {"ColourToGrey", {{kQzColourToGreySetRule, 2}}}};
  for (const auto& [mode, settings] : kModes) {
    SCOPED_TRACE(mode);
    pointtest::BandedScene scene(mode, settings);
    ASSERT_NE(scene.layer, nullptr);
    qztest::ExpectSameHoweverCut(scene.doc);
    qztest::StrictRender(scene.doc, scene.layer, 3, 200, 5, 7);
  }
}

}  // namespace

namespace {

// ImageMagick computes the same negative and threshold of a busy picture.
TEST(PointModes, AgreeWithImageMagick) {
  if (!qztest::haveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
  struct Oracle {
    const char* mode;
    pointtest::Settings settings;
    const char* operators;
  };
  // The threshold: a whole sum below 300 is one below 299.5, clear of float rounding.
  const Oracle kOracles[] = {
      {"Negative", {}, "-negate"},
      {"Threshold", {{kQzThresholdSetLevel, 100}},
       "-fx \"(u.r + u.g + u.b) * 255 < 299.5 ? 0 : 1\""},
  };
  for (const Oracle& o : kOracles) {
    SCOPED_TRACE(o.mode);
    qztest::Document doc(61, 17, qztest::NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer(o.mode, {0, 0, 0}, 0, 0, 61, 17, pointtest::Opaque);
    ASSERT_NE(layer, nullptr);
    pointtest::Apply(layer->mode, o.settings);
    doc.Composite();
    const auto expected = pointtest::MagickOf(doc, o.operators);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(pointtest::Pixels(doc), expected);
  }
}

}  // namespace
