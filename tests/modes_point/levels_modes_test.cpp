// Adjust, levels (HistogramMode) and colour-cast removal: their tables of
// pixels, the points and white points they find, reset, grey images, the
// same bytes however cut, and settings changed while passes render.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "modes/qz_point_modes.h"
#include "point_kit.h"

namespace {

using pointtest::Rgb;
using pointtest::Settings;
using qztest::Document;

struct Case {
  const char* name;
  const char* mode;
  Settings settings;
  std::vector<Rgb> below, expected;
};

const Case kCases[] = {
    {"gamma 50 squares", "Adjust", {{kQzAdjustSetGamma, 50}}, {{128, 255, 0}}, {{64, 255, 0}}},
    {"contrast 255", "Adjust", {{kQzAdjustSetContrast, 255}}, {{128, 200, 127}}, {{129, 255, 127}}},
    {"brightness and offsets", "Adjust",
     {{kQzAdjustSetBrightness, 10}, {kQzAdjustSetRedOffset, -20}, {kQzAdjustSetBlueOffset, 255}},
     {{100, 100, 100}, {5, 250, 0}}, {{90, 110, 255}, {0, 255, 255}}},
    // Gamma 0 is taken as 1 %: the exponent 100 leaves white and darkens the rest, not a black-out.
    {"gamma 0", "Adjust", {{kQzAdjustSetGamma, 0}}, {{255, 254, 200}}, {{255, 172, 0}}},
    {"hue turned a third", "Adjust", {{kQzAdjustSetHue, 120}}, {{255, 0, 0}, {0, 0, 255}},
     {{0, 255, 0}, {255, 0, 0}}},
    {"hue turned back", "Adjust", {{kQzAdjustSetHue, -120}}, {{255, 0, 0}}, {{0, 0, 255}}},
    {"saturation removed", "Adjust", {{kQzAdjustSetSaturation, -255}}, {{200, 100, 50}, {255, 0, 0}},
     {{200, 200, 200}, {255, 255, 255}}},
    {"levels 0 to 255 are the identity", "Histogram",
     {{kQzHistogramSetBlackPoint, 0}, {kQzHistogramSetWhitePoint, 255}}, {{0, 77, 255}}, {{0, 77, 255}}},
    {"levels 50 to 150", "Histogram", {{kQzHistogramSetBlackPoint, 50}, {kQzHistogramSetWhitePoint, 150}},
     {{100, 49, 150}}, {{127, 0, 255}}},
    // Green gains 55/255 of itself, blue 155/255 (321 for 200, limited to 255).
    {"manual white point", "RemoveColourCast", {{kQzColourCastSetChoice, 1}},
     {{100, 100, 200}, {255, 200, 100}}, {{100, 121, 255}, {255, 243, 160}}},
};

TEST(LevelsModes, TableOfPixels) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const auto width = int32_t(c.below.size());
    Document doc(width, 2, [&](int32_t x, int32_t) { return c.below[size_t(x)]; });
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {255, 200, 100}, 0, 0, width, 2, pointtest::Opaque);
    ASSERT_NE(layer, nullptr);
    pointtest::Apply(layer->mode, c.settings);
    doc.Composite();
    const auto strict = qztest::StrictRender(doc, layer, 0, width - 1, 1, 1);
    for (int32_t x = 0; x < width; ++x) {
      EXPECT_EQ(doc.Pixel(x, 1), c.expected[size_t(x)]) << "column " << x;
      EXPECT_EQ(strict[size_t(x)], c.expected[size_t(x)]) << "column " << x;
    }
  }
}

// Every setting at its initial value changes no pixel, over a strided cube.
TEST(LevelsModes, AdjustAtItsInitialValuesIsTheIdentity) {
  auto cube = [](int32_t x, int32_t y) {
    const int32_t i = y * 128 + x;
    return Rgb{uint8_t(i % 18 * 15), uint8_t(i / 18 % 16 * 17), uint8_t(std::min(255, i / 288 * 13 + 8))};
  };
  Document doc(128, 45, cube);
  Qz_Image* layer = doc.AddPaintLayer("Adjust", {0, 0, 0}, 0, 0, 128, 45, pointtest::Opaque);
  ASSERT_NE(layer, nullptr);
  doc.Composite();
  for (int32_t y = 0; y < 45; ++y)
    for (int32_t x = 0; x < 128; ++x) ASSERT_EQ(doc.Pixel(x, y), cube(x, y)) << x << "," << y;
}

TEST(LevelsModes, AdjustResetRestoresEverySettingAndReRenders) {
  Document doc(3, 1, qztest::NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("Adjust", {0, 0, 0}, 0, 0, 3, 1, pointtest::Opaque);
  ASSERT_NE(layer, nullptr);
  const std::pair<uint32_t, int32_t> kGetters[] = {
      {kQzAdjustGetHue, 0},        {kQzAdjustGetSaturation, 0},  {kQzAdjustGetBrightness, 0},
      {kQzAdjustGetContrast, 127}, {kQzAdjustGetGamma, 100},     {kQzAdjustGetRedOffset, 0},
      {kQzAdjustGetGreenOffset, 0}, {kQzAdjustGetBlueOffset, 0}};
  pointtest::Apply(layer->mode, {{kQzAdjustSetHue, -40}, {kQzAdjustSetGamma, 300},
                                 {kQzAdjustSetGreenOffset, 9}, {kQzAdjustSetContrast, 12}});
  // A setter answers the stored value, widened with its sign.
  EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, kQzAdjustSetBrightness, uint32_t(-300))), -255);
  qztest::RerenderCounter rerenders;
  Qz_DoMethod(layer->mode, kQzAdjustReset);
  EXPECT_GT(rerenders.Count(doc.image), 0u);
  for (const auto& [getter, value] : kGetters)
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, getter)), value) << std::hex << getter;
  doc.Composite();
  for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(doc.Pixel(x, 0), qztest::NoisePixel(x, 0));
}

// The histogram's points are preset from the document, 0.5 % clipped at each end.
TEST(LevelsModes, HistogramPresetsItsPointsFromTheDocument) {
  // 400 pixels, 2 may be clipped at each end: brightness 10 and 240 twice
  // each, the rest from 60 to 180.
  Document doc(40, 10, [](int32_t x, int32_t y) {
    const int32_t i = y * 40 + x;
    const auto v = uint8_t(i < 2 ? 10 : i < 4 ? 240 : 60 + i % 121);
    return Rgb{v, v, v};
  });
  Qz_Image* layer = doc.AddPaintLayer("Histogram", {0, 0, 0}, 0, 0, 40, 10, pointtest::Opaque);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzHistogramGetBlackPoint), 10u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzHistogramGetWhitePoint), 240u);
  qztest::RerenderCounter rerenders;
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzHistogramSetBlackPoint, 60), 60u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzHistogramSetWhitePoint, 999), 255u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kQzHistogramSetWhitePoint, 255), 255u);
  EXPECT_EQ(rerenders.Count(doc.image), 2u);
}

// Levels agree with ImageMagick's -level to within its rounding (ours truncates).
TEST(LevelsModes, HistogramAgreesWithImageMagickLevel) {
  if (!qztest::haveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
  Document doc(61, 17, qztest::NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("Histogram", {0, 0, 0}, 0, 0, 61, 17, pointtest::Opaque);
  ASSERT_NE(layer, nullptr);
  pointtest::Apply(layer->mode, {{kQzHistogramSetBlackPoint, 40}, {kQzHistogramSetWhitePoint, 200}});
  doc.Composite();
  const auto expected = pointtest::MagickOf(doc, "-level 15.686275%,78.431373%");
  ASSERT_FALSE(expected.empty());
  const auto ours = pointtest::Pixels(doc);
  for (size_t i = 0; i < ours.size(); ++i)
    for (int c = 0; c < 3; ++c) ASSERT_LE(std::abs(ours[i][c] - expected[i][c]), 1) << i;
}

struct CastCase {
  const char* name;
  qztest::PixelFn picture;
  std::vector<std::pair<Rgb, Rgb>> pixels;  // (below, expected) on row 1
};

// 40 x 50 pictures: 500 samples, so the brightest two make the white point.
const CastCase kCastCases[] = {
    {"warm highlights",
     [](int32_t x, int32_t y) { return y == 0 && (x == 0 || x == 2) ? Rgb{250, 240, 200} : Rgb{100, 100, 100}; },
     {{{100, 100, 100}, {100, 104, 120}}, {{250, 240, 200}, {250, 249, 240}}}},
    // Pure white among the samples: the white point is white, nothing changes.
    {"1 % pure white",
     [](int32_t x, int32_t y) { return y < 2 && x < 10 ? Rgb{255, 255, 255} : Rgb{100, 120, 140}; },
     {{{100, 120, 140}, {100, 120, 140}}, {{10, 20, 30}, {10, 20, 30}}}},
    // A flat picture is its own white point: its channels rise to the largest, nothing doubles.
    {"flat", [](int32_t, int32_t) { return Rgb{100, 120, 140}; }, {{{100, 120, 140}, {128, 137, 140}}}},
};

TEST(LevelsModes, RemoveColourCastFindsItsWhitePoint) {
  for (const CastCase& c : kCastCases) {
    SCOPED_TRACE(c.name);
    Document doc(40, 50, c.picture);
    Qz_Image* layer = doc.AddPaintLayer("RemoveColourCast", {0, 0, 0}, 0, 0, 40, 50, pointtest::Opaque);
    ASSERT_NE(layer, nullptr);
    for (size_t i = 0; i < c.pixels.size(); ++i) {
      const Rgb p = c.pixels[i].first;
      doc.image->undoR[1][i] = p[0], doc.image->undoG[1][i] = p[1], doc.image->undoB[1][i] = p[2];
    }
    Qz_NoteImageChange(doc.image);
    doc.Composite();
    const auto strict = qztest::StrictRender(doc, layer, 0, 39, 1, 1);
    for (size_t i = 0; i < c.pixels.size(); ++i) {
      EXPECT_EQ(doc.Pixel(int32_t(i), 1), c.pixels[i].second) << "column " << i;
      EXPECT_EQ(strict[i], c.pixels[i].second) << "column " << i;
    }
  }
}

// A manual white point too dark to scale by leaves the picture as it is.
TEST(LevelsModes, RemoveColourCastWithABlackPaintColourChangesNothing) {
  for (const Rgb paint : {Rgb{0, 0, 0}, Rgb{1, 0, 1}}) {
    Document doc(5, 1, qztest::NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer("RemoveColourCast", paint, 0, 0, 5, 1, pointtest::Opaque);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(Qz_DoMethod(layer->mode, kQzColourCastSetChoice, 1), 1u);
    doc.Composite();
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(doc.Pixel(x, 0), qztest::NoisePixel(x, 0));
  }
}

TEST(LevelsModes, GreyImages) {
  const std::pair<const char*, std::pair<QzWord, std::vector<uint8_t>>> kGrey[] = {
      {"Adjust", {1, {10, 136, 137, 255}}},
      {"Histogram", {1, {7, 7, 7, 7}}},
      {"RemoveColourCast", {1, {7, 7, 7, 7}}},
  };
  for (const auto& [name, expected] : kGrey) {
    SCOPED_TRACE(name);
    Qz_Object* mode = qztest::MakeMode(name, nullptr);
    ASSERT_NE(mode, nullptr);
    Qz_DoMethod(mode, kQzAdjustSetBrightness, 10);  // Adjust's; the others do not answer it
    const auto result = pointtest::RenderGrey(mode, {0, 126, 127, 255});
    EXPECT_EQ(result.answer, expected.first);
    EXPECT_EQ(result.out, expected.second);
    Qz_DisposeObject(mode);
  }
}

TEST(LevelsModes, SameBytesHoweverCut) {
  const std::pair<const char*, Settings> kModes[] = {
      {"Adjust", {{kQzAdjustSetGamma, 70}, {kQzAdjustSetRedOffset, 30}}},
      {"Adjust", {{kQzAdjustSetHue, 40}, {kQzAdjustSetSaturation, 90}, {kQzAdjustSetContrast, 200}}},
      {"Histogram", {}}, {"RemoveColourCast", {}}, {"RemoveColourCast", {{kQzColourCastSetChoice, 1}}}};
  for (const auto& [mode, settings] : kModes) {
    SCOPED_TRACE(mode);
    pointtest::BandedScene scene(mode, settings);
    ASSERT_NE(scene.layer, nullptr);
    qztest::ExpectSameHoweverCut(scene.doc);
    qztest::StrictRender(scene.doc, scene.layer, 3, 200, 5, 7);
  }
}

// Settings change on another thread while passes render on eight workers:
// each pass's rows come from one table, and once the changes stop the
// picture is the one the last settings give.
TEST(LevelsModes, AdjustSettingsChangedWhilePassesRender) {
  pointtest::BandedScene scene("Adjust");
  ASSERT_NE(scene.layer, nullptr);
  Qz_Object* mode = scene.layer->mode;
  const int32_t before = Qz__SetCompositorWorkers(8);
  std::atomic<bool> stop{false};
  std::thread changer([&] {
    for (int32_t i = 0; !stop.load(); ++i) {
      Qz_DoMethod(mode, kQzAdjustSetGamma, uint32_t(50 + i % 200));
      Qz_DoMethod(mode, kQzAdjustSetBrightness, uint32_t(i % 60 - 30));
      Qz_DoMethod(mode, kQzAdjustSetHue, uint32_t(i % 3 == 0 ? 0 : 90));
      Qz_DoMethod(mode, kQzAdjustSetContrast, uint32_t(100 + i % 100));
    }
  });
  for (int pass = 0; pass < 20; ++pass) scene.doc.Composite();
  stop.store(true);
  changer.join();
  scene.doc.Composite();
  const auto changed = scene.doc.Planes();
  // The same settings on a fresh mode.
  pointtest::BandedScene fresh("Adjust", {{kQzAdjustSetGamma, int32_t(Qz_DoMethod(mode, kQzAdjustGetGamma))},
                                          {kQzAdjustSetBrightness, int32_t(Qz_DoMethod(mode, kQzAdjustGetBrightness))},
                                          {kQzAdjustSetHue, int32_t(Qz_DoMethod(mode, kQzAdjustGetHue))},
                                          {kQzAdjustSetContrast, int32_t(Qz_DoMethod(mode, kQzAdjustGetContrast))}});
  ASSERT_NE(fresh.layer, nullptr);
  fresh.doc.Composite();
  EXPECT_EQ(changed, fresh.doc.Planes());
  Qz__SetCompositorWorkers(before);
}

}  // namespace
