// The box blur and the modes made on it: flat areas stay flat at every
// radius, the output is the exact window mean however rows arrive (fresh,
// continued, after the data below changed, on an upper layer), the
// subclasses' rewrites, settings and their ranges, and object text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <random>
#include <string>

#include "blur_test_kit.h"
#include "image/hsv.h"
#include "image/strip_pool.h"
#include "objects/object_text.h"
#include "support/external_tools.h"
#include "support/temp_dir.h"

namespace {

using namespace blurtest;
using qztest::Noise;
using qztest::NoisePixel;

void SetRadii(Qz_Object* mode, int32_t rx, int32_t ry) {
  Qz_DoMethod(mode, kQzModeSetXRadius, uint32_t(rx));
  Qz_DoMethod(mode, kQzModeSetYRadius, uint32_t(ry));
}

TEST(BoxBlur, FlatStaysFlatAndRadiusZeroIsTheIdentity) {
  const int32_t radii[][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {3, 3}, {17, 5}, {133, 255}, {203, 254}, {255, 255}};
  for (const Rgb flat : {Rgb{0, 1, 2}, Rgb{128, 127, 126}, Rgb{253, 254, 255}}) {
    Document doc(9, 7, [&](int32_t, int32_t) { return flat; });
    Qz_Image* layer = doc.AddPaintLayer("Blur", {0, 0, 0}, 0, 0, 9, 7, Opaque);
    ASSERT_NE(layer, nullptr);
    for (const auto& r : radii) {
      SCOPED_TRACE(testing::Message() << "radii " << r[0] << "," << r[1] << " flat " << int(flat[0]));
      SetRadii(layer->mode, r[0], r[1]);
      doc.Composite();
      for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 9; ++x) ASSERT_EQ(doc.Pixel(x, y), flat) << x << "," << y;
    }
  }
  // Radius 0 gives back a busy picture exactly.
  Document doc(23, 11, NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("Blur", {0, 0, 0}, 0, 0, 23, 11, Opaque);
  SetRadii(layer->mode, 0, 0);
  doc.Composite();
  EXPECT_TRUE(SamePlanes(PlanesOf(doc), PlanesOf(23, 11, NoisePixel)));
}

// The exact mean with edges repeated, whole passes with any number of
// workers, rows in a random order (each its own pass), and a pass that
// continues from one made before the data below changed.
TEST(BoxBlur, EqualsANaiveMeanHoweverRowsArrive) {
  constexpr int32_t kW = 61, kH = 29;
  const int32_t radii[][2] = {{1, 1}, {3, 0}, {0, 4}, {5, 2}, {40, 17}};
  std::mt19937 random(7);
  int32_t salt = 0;
  for (const auto& r : radii) {
    SCOPED_TRACE(testing::Message() << "radii " << r[0] << "," << r[1]);
    // A different random picture for each case.
    salt += 3;
    const qztest::PixelFn picture = [salt](int32_t x, int32_t y) {
      return Rgb{Noise(x, y, salt), Noise(x, y, salt + 1), Noise(x, y, salt + 2)};
    };
    Document doc(kW, kH, picture);
    Qz_Image* layer = doc.AddPaintLayer("Blur", {0, 0, 0}, 0, 0, kW, kH, Opaque);
    ASSERT_NE(layer, nullptr);
    SetRadii(layer->mode, r[0], r[1]);
    const int64_t area = int64_t(2 * r[0] + 1) * (2 * r[1] + 1);
    const Planes want = NaiveMean(PlanesOf(kW, kH, picture), r[0], r[1], area);
    for (int32_t workers : {1, 8}) {
      const int32_t before = Qz__SetCompositorWorkers(workers);
      doc.ClearResult();
      doc.Composite();
      Qz__SetCompositorWorkers(before);
      ASSERT_TRUE(SamePlanes(PlanesOf(doc), want)) << workers << " workers: " << FirstDifference(PlanesOf(doc), want);
    }
    std::vector<int32_t> rows(kH);
    std::iota(rows.begin(), rows.end(), 0);
    std::shuffle(rows.begin(), rows.end(), random);
    doc.ClearResult();
    for (int32_t y : rows) Qz_ProcessImage(doc.image, 0, y, kW - 1, y);
    ASSERT_TRUE(SamePlanes(PlanesOf(doc), want)) << "rows in a random order: " << FirstDifference(PlanesOf(doc), want);

    // The top half, new pixels below around the cut, then the bottom half.
    Qz_ProcessImage(doc.image, 0, 0, kW - 1, 13);
    auto changed = [&](int32_t x, int32_t y) {
      Rgb p = picture(x, y);
      if (y >= 8 && y < 20) p[0] ^= 0x5A;
      return p;
    };
    for (int32_t y = 8; y < 20; ++y)
      for (int32_t x = 0; x < kW; ++x) doc.image->undoR[y][x] ^= 0x5A;
    Qz_NoteImageChange(doc.image);
    Qz_ProcessImage(doc.image, 0, 14, kW - 1, kH - 1);
    const Planes after = NaiveMean(PlanesOf(kW, kH, changed), r[0], r[1], area);
    const Planes got = PlanesOf(doc);
    for (int32_t y = 14; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x)
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(got.at(c, x, y), after.at(c, x, y)) << "after the change, " << FirstDifference(got, after);
  }
}

// ImageMagick's mean over the same window, edges repeated, rounds where
// the mode truncates: never more than one level apart.
TEST(BoxBlur, WithinALevelOfImageMagicksMean) {
  if (!qztest::haveTool("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  constexpr int32_t kW = 45, kH = 31;
  Document doc(kW, kH, NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("Blur", {0, 0, 0}, 0, 0, kW, kH, Opaque);
  ASSERT_NE(layer, nullptr);
  SetRadii(layer->mode, 3, 1);
  doc.Composite();
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
  const std::string command = "convert " + in + " -virtual-pixel edge -statistic Mean 7x3 " + result + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream f(result, std::ios::binary);
  std::string magic;
  int32_t w = 0, h = 0, maxValue = 0;
  f >> magic >> w >> h >> maxValue;
  f.get();
  ASSERT_EQ(magic, "P6");
  ASSERT_EQ(w, kW);
  ASSERT_EQ(h, kH);
  const Planes ours = PlanesOf(doc);
  int32_t worst = 0;
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x)
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(f.get() - int32_t(ours.at(c, x, y))));
  EXPECT_LE(worst, 1);
}

// On an upper layer the mean is of the composite below it, and the rows a
// continued run fetches are only those entering and leaving its sums.
TEST(BoxBlur, UpperLayerBlursTheCompositeBelow) {
  constexpr int32_t kW = 150, kH = 40;
  auto paintBelow = [](Document& doc) {
    return doc.AddPaintLayer("Multiply", {90, 200, 30}, 4, 3, 140, 30,
                             [](int32_t x, int32_t y) { return Noise(x, y, 5); });
  };
  Document below(kW, kH, NoisePixel);
  ASSERT_NE(paintBelow(below), nullptr);
  below.Composite();
  const Planes want = NaiveMean(PlanesOf(below), 6, 9, 13 * 19);

  Document doc(kW, kH, NoisePixel);
  ASSERT_NE(paintBelow(doc), nullptr);
  Qz_Image* blur = doc.AddPaintLayer("Blur", {0, 0, 0}, 0, 0, kW, kH, Opaque);
  ASSERT_NE(blur, nullptr);
  SetRadii(blur->mode, 6, 9);
  doc.Composite();
  EXPECT_TRUE(SamePlanes(PlanesOf(doc), want)) << FirstDifference(PlanesOf(doc), want);

  // The same bytes however the pass is cut, with rows split into runs.
  Document cut(kW, kH, NoisePixel);
  ASSERT_NE(paintBelow(cut), nullptr);
  Qz_Image* gapped = cut.AddPaintLayer("Blur", {0, 0, 0}, 0, 0, kW, kH, qztest::GappedAlpha);
  SetRadii(gapped->mode, 6, 9);
  qztest::ExpectSameHoweverCut(cut);
  qztest::StrictRender(cut, gapped, 0, 29, 5, 5);
  qztest::StrictRender(cut, gapped, 100, 149, 30, 33);
}

// A blur over a blur: the upper one's fetches render the lower one inside
// them, each keeping its own column sums.
TEST(BoxBlur, ABlurOverABlurIsTheMeanOfTheMean) {
  constexpr int32_t kW = 70, kH = 26;
  const Planes want = NaiveMean(NaiveMean(PlanesOf(kW, kH, NoisePixel), 2, 3, 5 * 7), 4, 1, 9 * 3);
  for (int32_t workers : {1, 8}) {
    SCOPED_TRACE(workers);
    Document doc(kW, kH, NoisePixel);
    Qz_Image* lower = doc.AddPaintLayer("Blur", {0, 0, 0}, 0, 0, kW, kH, Opaque);
    Qz_Image* upper = doc.AddPaintLayer("Blur", {0, 0, 0}, 0, 0, kW, kH, Opaque);
    ASSERT_NE(upper, nullptr);
    SetRadii(lower->mode, 2, 3);
    SetRadii(upper->mode, 4, 1);
    const int32_t before = Qz__SetCompositorWorkers(workers);
    doc.Composite();
    Qz__SetCompositorWorkers(before);
    EXPECT_TRUE(SamePlanes(PlanesOf(doc), want)) << FirstDifference(PlanesOf(doc), want);
  }
}

TEST(BoxBlur, EveryModeReadsOnlyWhatItFetchesAndIsTheSameHoweverCut) {
  struct Case {
    const char* mode;
    int32_t rx, ry;
  };
  const Case cases[] = {{"Blur", 3, 3},   {"Blur", 0, 0},      {"Blur", 255, 255}, {"Blur", 1, 60},
                        {"FireBlur", 3, 3}, {"Glow", 2, 5},     {"HSVBlur", 3, 3},  {"HSVBlur", 255, 0},
                        {"UnsharpMask", 1, 1}, {"UnsharpMask", 100, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.rx << "," << c.ry);
    Document doc(130, 24, NoisePixel);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {200, 150, 90}, 2, 1, 126, 22, qztest::GappedAlpha);
    ASSERT_NE(layer, nullptr);
    if (std::string(c.mode) == "UnsharpMask") {
      Qz_DoMethod(layer->mode, kQzModeSetRadius, uint32_t(c.rx));
      Qz_DoMethod(layer->mode, kQzModeSetAmount, 60u);
      Qz_DoMethod(layer->mode, kQzModeSetThreshold, 4u);
    } else {
      SetRadii(layer->mode, c.rx, c.ry);
    }
    qztest::ExpectSameHoweverCut(doc, std::span<const qztest::BlockSize>(qztest::kCutBlocks).first(3));
    qztest::StrictRender(doc, layer, 0, 129, 0, 0);
    qztest::StrictRender(doc, layer, 10, 40, 12, 14);
  }
}

// Rewrites of the blurred value b given the value s below the layer.
TEST(BoxBlur, SubclassesRewriteTheBlur) {
  // A flat field: the blur is the source, so each rewrite shows alone.
  struct Case {
    const char* mode;
    Rgb below, paint, expected;
  };
  const Case cases[] = {
      {"FireBlur", {200, 100, 255}, {0, 0, 0}, {0, 0, 0}},        // black paint gives black
      {"FireBlur", {200, 100, 255}, {128, 255, 64}, {95, 92, 15}},  // ((b k >> 7)^2 >> 8)^2 >> 8
      {"FireBlur", {255, 255, 255}, {255, 255, 255}, {255, 255, 255}},
      {"Glow", {10, 128, 255}, {0, 0, 0}, {10, 128, 255}},         // flat: b = s, the blur
      {"HSVBlur", {128, 128, 128}, {0, 0, 0}, {128, 128, 128}},    // grey stays grey
      {"HSVBlur", {255, 255, 255}, {0, 0, 0}, {255, 255, 255}},
      {"HSVBlur", {200, 40, 40}, {0, 0, 0}, {200, 40, 40}},
      {"UnsharpMask", {17, 99, 240}, {0, 0, 0}, {17, 99, 240}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " below " << int(c.below[0]) << "," << int(c.below[1]) << ","
                                    << int(c.below[2]));
    Document doc(7, 5, [&](int32_t, int32_t) { return c.below; });
    Qz_Image* layer = doc.AddPaintLayer(c.mode, c.paint, 0, 0, 7, 5, Opaque);
    ASSERT_NE(layer, nullptr);
    doc.Composite();
    EXPECT_EQ(doc.Pixel(3, 2), c.expected);
    EXPECT_EQ(doc.Pixel(0, 4), c.expected);
  }

  // A white pixel on grey, radii 1: the blur is 100 + 155 / 9 = 117 around it.
  auto dot = [](int32_t x, int32_t y) { return x == 3 && y == 2 ? Rgb{255, 255, 255} : Rgb{100, 100, 100}; };
  struct DotCase {
    const char* mode;
    uint8_t centre, beside, away;
  };
  const DotCase dots[] = {
      {"Blur", 117, 117, 100},
      {"Glow", 255, 121, 100},  // b + ((b - s)^2 >> 6)
      // Amount 25: k 64, d = s - b, s + (64 d >> 3).
      {"UnsharpMask", 255, 0, 100},
  };
  for (const DotCase& c : dots) {
    SCOPED_TRACE(c.mode);
    Document doc(7, 5, dot);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, 0, 0, 7, 5, Opaque);
    ASSERT_NE(layer, nullptr);
    SetRadii(layer->mode, 1, 1);
    doc.Composite();
    EXPECT_EQ(doc.Pixel(3, 2)[1], c.centre);
    EXPECT_EQ(doc.Pixel(4, 3)[1], c.beside);
    EXPECT_EQ(doc.Pixel(6, 0)[1], c.away);
  }

  // HSVBlur keeps the hue and saturation below and takes the blur's value.
  auto stripes = [](int32_t x, int32_t) { return x % 2 ? Rgb{200, 100, 0} : Rgb{0, 50, 100}; };
  Document doc(8, 3, stripes);
  Qz_Image* layer = doc.AddPaintLayer("HSVBlur", {0, 0, 0}, 0, 0, 8, 3, Opaque);
  SetRadii(layer->mode, 1, 0);
  doc.Composite();
  // At the orange x = 3 the blur is (66, 66, 66), value 66; at the blue x = 4 (133, 83, 33), value 133.
  uint8_t orange[3], blue[3];
  qz::hsvToRgb({qz::rgbToHsv(200, 100, 0).h, qz::rgbToHsv(200, 100, 0).s, 66}, orange);
  qz::hsvToRgb({qz::rgbToHsv(0, 50, 100).h, qz::rgbToHsv(0, 50, 100).s, 133}, blue);
  EXPECT_EQ(doc.Pixel(3, 1), (Rgb{orange[0], orange[1], orange[2]}));
  EXPECT_EQ(doc.Pixel(4, 1), (Rgb{blue[0], blue[1], blue[2]}));
}

TEST(BoxBlur, UnsharpMaskAmountZeroOrAHighThresholdGivesTheSource) {
  // A gentle picture: |s - b| stays within 100.
  auto gentle = [](int32_t x, int32_t y) { return Rgb{uint8_t(60 + Noise(x, y, 1) / 4), uint8_t(100 + x), uint8_t(y * 9)}; };
  struct Case {
    int32_t amount, threshold;
    bool source;
  };
  const Case cases[] = {{0, 0, true}, {100, 100, true}, {25, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "amount " << c.amount << " threshold " << c.threshold);
    Document doc(31, 17, gentle);
    Qz_Image* layer = doc.AddPaintLayer("UnsharpMask", {0, 0, 0}, 0, 0, 31, 17, Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, kQzModeSetRadius, 3u);
    Qz_DoMethod(layer->mode, kQzModeSetAmount, uint32_t(c.amount));
    Qz_DoMethod(layer->mode, kQzModeSetThreshold, uint32_t(c.threshold));
    doc.Composite();
    EXPECT_EQ(SamePlanes(PlanesOf(doc), PlanesOf(31, 17, gentle)), c.source);
  }
}

TEST(BoxBlur, SettingsTheirRangesAndARadiusChange) {
  Document doc(9, 9, NoisePixel);
  Qz_Image* layer = doc.AddPaintLayer("Blur", {0, 0, 0}, 0, 0, 9, 9, Opaque);
  ASSERT_NE(layer, nullptr);
  Qz_Object* mode = layer->mode;
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetXRadius), 3u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetYRadius), 3u);
  struct Case {
    uint32_t setter, getter;
    int32_t value, stored;
  };
  const Case cases[] = {{kQzModeSetXRadius, kQzModeGetXRadius, -5, 0},
                        {kQzModeSetXRadius, kQzModeGetXRadius, 70000, 255},
                        {kQzModeSetYRadius, kQzModeGetYRadius, 300, 255},
                        {kQzModeSetYRadius, kQzModeGetYRadius, 12, 12}};
  for (const Case& c : cases) {
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.setter, uint32_t(c.value))), c.stored) << c.value;
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.stored) << c.value;
  }
  // A blur, then radius 0 in the next pass: the source again.
  doc.Composite();
  EXPECT_FALSE(SamePlanes(PlanesOf(doc), PlanesOf(9, 9, NoisePixel)));
  SetRadii(mode, 0, 0);
  doc.Composite();
  EXPECT_TRUE(SamePlanes(PlanesOf(doc), PlanesOf(9, 9, NoisePixel)));

  // UnsharpMask: its radius is both radii of the blur; defaults 25, 1, 0.
  Qz_Image* sharp = doc.AddPaintLayer("UnsharpMask", {0, 0, 0}, 0, 0, 9, 9, Opaque);
  ASSERT_NE(sharp, nullptr);
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeGetAmount), 25u);
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeGetRadius), 1u);
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeGetThreshold), 0u);
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeGetXRadius), 1u);
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeSetRadius, 0u), 1u);  // 1..100
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeSetRadius, 7u), 7u);
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeGetXRadius), 7u);
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeGetYRadius), 7u);
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeSetAmount, 250u), 100u);
  EXPECT_EQ(Qz_DoMethod(sharp->mode, kQzModeSetThreshold, uint32_t(-3)), 0u);
  // A changed setting asks for a re-render, a repeated one does not.
  qztest::RerenderCounter counter;
  Qz_DoMethod(sharp->mode, kQzModeSetAmount, 40u);
  EXPECT_EQ(counter.Count(doc.image), 1u);
  Qz_DoMethod(sharp->mode, kQzModeSetAmount, 40u);
  EXPECT_EQ(counter.Count(doc.image), 1u);
}

TEST(BoxBlur, RadiiAndUnsharpMaskSettingsLiveInObjectText) {
  Qz_Object* sharp = Qz_CreateObject("UnsharpMaskMode");
  ASSERT_NE(sharp, nullptr);
  Qz_DoMethod(sharp, kQzModeSetAmount, 70u);
  Qz_DoMethod(sharp, kQzModeSetRadius, 4u);
  Qz_DoMethod(sharp, kQzModeSetThreshold, 9u);
  Qz_DoMethod(sharp, kQzModeSetYRadius, 6u);
  size_t length = 0;
  char* text = Qz_StoreObjectToBuffer(sharp, &length, 0);
  ASSERT_NE(text, nullptr);
  const std::string stored(text, length);
  for (const char* line : {"Qz_SetModeAmount,\t\t\t70,", "Qz_SetModeRadius,\t\t\t4,", "Qz_SetModeThreshold,\t\t\t9,",
                           "Qz_SetModeXRadius,\t\t\t4,", "Qz_SetModeYRadius,\t\t\t6,"})
    EXPECT_NE(stored.find(line), std::string::npos) << line << " in\n" << stored;
  Qz_Object* restored = Qz_CreateObjectsFromString(text);
  ASSERT_NE(restored, nullptr) << Qz_GetObjectTextError();
  EXPECT_EQ(Qz_DoMethod(restored, kQzModeGetAmount), 70u);
  EXPECT_EQ(Qz_DoMethod(restored, kQzModeGetThreshold), 9u);
  EXPECT_EQ(Qz_DoMethod(restored, kQzModeGetXRadius), 4u);
  EXPECT_EQ(Qz_DoMethod(restored, kQzModeGetYRadius), 6u);
  Qz_DisposeObject(restored);
  std::free(text);
  Qz_DisposeObject(sharp);

  // The plain blur keeps exactly its two radii.
  Qz_Object* blur = Qz_CreateObject("BlurMode");
  ASSERT_NE(blur, nullptr);
  Qz_DoMethod(blur, kQzModeSetXRadius, 11u);
  char* blurText = Qz_StoreObjectToBuffer(blur, &length, 0);
  ASSERT_NE(blurText, nullptr);
  const std::string blurStored(blurText, length);
  EXPECT_NE(blurStored.find("Qz_SetModeXRadius,\t\t\t11,"), std::string::npos) << blurStored;
  EXPECT_NE(blurStored.find("Qz_SetModeYRadius,\t\t\t3,"), std::string::npos) << blurStored;
  EXPECT_EQ(blurStored.find("Qz_SetModeAmount"), std::string::npos) << blurStored;
  std::free(blurText);
  Qz_DisposeObject(blur);
}

}  // namespace

namespace {

// An 8-bit document renders on its grey rows: the blurs take the same
// window there (checked against the colour result of the same values).
TEST(BlurFamily, GreyDocumentsBlurTheirGreyRows) {
  constexpr int32_t kW = 9, kH = 5;
  auto value = [](int32_t x, int32_t y) { return uint8_t(x * 25 + y * 7 + (x == 4 && y == 2 ? 30 : 0)); };
  auto* grey = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image", kQzImageSetType, kQzDocument));
  ASSERT_NE(grey, nullptr);
  ASSERT_NE(Qz_AllocImage(grey, kW, kH, 8, kQzAllocNoThread, nullptr), nullptr);
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) grey->grey[y][x] = value(x, y);
  struct Case {
    const char* mode;
    uint32_t setter;
    int32_t setting;
  };
  // The Gaussian last: it then flattens the grey picture.
  const Case cases[] = {{"Blur", kQzModeSetXRadius, 2}, {"BloomBlur", 2458, 2}, {"MotionBlur", 2086, 3},
                        {"StarBlur", 2086, 4}, {"GaussianBlur", kQzModeSetRadius, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Document colour(kW, kH, [&](int32_t x, int32_t y) { return Rgb{value(x, y), value(x, y), value(x, y)}; });
    Qz_Image* layer = colour.AddPaintLayer(c.mode, {0, 0, 0}, 0, 0, kW, kH, Opaque);
    ASSERT_NE(layer, nullptr);
    Qz_DoMethod(layer->mode, c.setter, uint32_t(c.setting));
    colour.Composite();
    std::vector<uint8_t> out(size_t(kW) * kH, 7);
    std::vector<uint8_t*> rows;
    for (int32_t y = 0; y < kH; ++y) rows.push_back(out.data() + size_t(y) * kW);
    Qz_ImageLock block{};
    block.image = grey;
    block.x0 = 0, block.x1 = kW - 1, block.y0 = 0, block.y1 = kH - 1;
    block.grey = grey->grey;
    Qz_ImageLock spare{};
    spare.image = grey;
    Qz_ModeRenderMessage message{&block, &spare, nullptr, nullptr, nullptr, rows.data()};
    EXPECT_EQ(Qz_RenderMode(layer->mode, &message), 1u);
    Qz_FreeImageLock(&spare);
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) ASSERT_EQ(rows[y][x], colour.Pixel(x, y)[0]) << x << "," << y;
    if (std::string(c.mode) != "GaussianBlur") continue;
    // At radius 1 a grey document takes the general kernel, whose truncated
    // terms brighten a flat 100 to 112 (colour documents keep it: 1-2-1).
    Qz_DoMethod(layer->mode, kQzModeSetRadius, 1u);
    for (int32_t y = 0; y < kH; ++y) std::fill(grey->grey[y], grey->grey[y] + kW, uint8_t(100));
    EXPECT_EQ(Qz_RenderMode(layer->mode, &message), 1u);
    Qz_FreeImageLock(&spare);
    EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 112));
  }
  Qz_DisposeObject(&grey->object);
}

}  // namespace
