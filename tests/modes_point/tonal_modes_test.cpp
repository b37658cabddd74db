// The automatic tonal modes and red-eye removal: statistics taken when the
// mode is given its layer and kept while the picture changes, the stretch
// they give, flat and empty pictures, and the same bytes however cut.
#include <gtest/gtest.h>

#include <utility>

#include "modes/qz_point_modes.h"
#include "point_kit.h"

namespace {

using pointtest::Rgb;
using qztest::Document;

// Paints the document's background at (x, y) after the mode has taken its
// statistics, as a lower layer's stroke would.
void Repaint(Document& doc, int32_t x, int32_t y, Rgb p) {
  doc.image->undoR[y][x] = p[0], doc.image->undoG[y][x] = p[1], doc.image->undoB[y][x] = p[2];
  Qz_NoteImageChange(doc.image);
}

struct Picture {
  const char* name;
  int32_t width, height;
  Rgb fill;
};

struct StretchCase {
  const char* name;
  const char* mode;
  Picture picture;
  std::vector<std::pair<Rgb, Rgb>> repaintedThenExpected;
};

const StretchCase kStretchCases[] = {
    // 400 samples of 100: low = high = 100, so the divisor is 1.
    {"uniform 100", "AutoContrast", {"40 x 40 of 100", 40, 40, {100, 100, 100}},
     {{{100, 101, 99}, {0, 255, 0}}, {{200, 50, 100}, {255, 0, 0}}}},
    // 25 samples: nothing is clipped, low 0, high 255: (c * 255) / 256.
    {"fewer than 200 samples", "AutoContrast", {"10 x 10 of 100", 10, 10, {100, 100, 100}},
     {{{128, 255, 1}, {127, 254, 0}}, {{10, 200, 30}, {9, 199, 29}}}},
    // Mean saturation 255, above the reference: no boost, the stretch alone.
    {"saturated picture", "AutoEnhance", {"10 x 10 of red", 10, 10, {255, 0, 0}},
     {{{10, 200, 30}, {9, 199, 29}}, {{128, 128, 128}, {127, 127, 127}}}},
    // A grey picture: boost 85, saturation 127 -> 211, then the stretch.
    {"grey picture", "AutoEnhance", {"10 x 10 of grey", 10, 10, {90, 90, 90}},
     {{{200, 100, 100}, {199, 34, 34}}, {{128, 128, 128}, {127, 127, 127}}}},
};

TEST(TonalModes, StretchFromStatisticsTakenAtTheStart) {
  for (const StretchCase& c : kStretchCases) {
    SCOPED_TRACE(c.name);
    const Picture& p = c.picture;
    Document doc(p.width, p.height, [&](int32_t, int32_t) { return p.fill; });
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, 0, 0, p.width, p.height, pointtest::Opaque);
    ASSERT_NE(layer, nullptr);
    for (size_t i = 0; i < c.repaintedThenExpected.size(); ++i)
      Repaint(doc, int32_t(i), 1, c.repaintedThenExpected[i].first);
    doc.Composite();
    const auto strict = qztest::StrictRender(doc, layer, 0, p.width - 1, 1, 1);
    for (size_t i = 0; i < c.repaintedThenExpected.size(); ++i) {
      EXPECT_EQ(doc.Pixel(int32_t(i), 1), c.repaintedThenExpected[i].second) << "column " << i;
      EXPECT_EQ(strict[i], c.repaintedThenExpected[i].second) << "column " << i;
    }
  }
}

TEST(TonalModes, AutoEqualizeStretchesBetweenTheExtremeSums) {
  // Darkest sum 30, brightest 600: lo 10, hi 200.
  Document doc(8, 2, [](int32_t x, int32_t y) {
    return x == 0 && y == 0 ? Rgb{10, 10, 10} : x == 1 && y == 0 ? Rgb{200, 200, 200} : Rgb{105, 105, 105};
  });
  Qz_Image* layer = doc.AddPaintLayer("AutoEqualize", {0, 0, 0}, 0, 0, 8, 2, pointtest::Opaque);
  ASSERT_NE(layer, nullptr);
  Repaint(doc, 2, 0, {0, 9, 255});
  doc.Composite();
  EXPECT_EQ(doc.Pixel(0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(doc.Pixel(1, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(doc.Pixel(3, 0), (Rgb{127, 127, 127}));
  EXPECT_EQ(doc.Pixel(2, 0), (Rgb{0, 0, 255}));
}

// A flat picture has no range to stretch, and a mode never given a layer
// has no statistics: either way the pixels stay as they are.
TEST(TonalModes, FlatPicturesAndModesWithoutStatisticsChangeNothing) {
  for (const char* mode : {"AutoEqualize", "AutoContrast", "AutoEnhance"}) {
    SCOPED_TRACE(mode);
    Document flat(6, 3, [](int32_t, int32_t) { return Rgb{50, 50, 50}; });
    Qz_Image* layer = flat.AddPaintLayer(mode, {0, 0, 0}, 0, 0, 6, 3, pointtest::Opaque);
    ASSERT_NE(layer, nullptr);
    Repaint(flat, 4, 2, {1, 99, 250});
    const Rgb repainted{1, 99, 250};
    if (std::string(mode) == "AutoEqualize") {
      flat.Composite();
      EXPECT_EQ(flat.Pixel(4, 2), repainted);
      EXPECT_EQ(flat.Pixel(0, 0), (Rgb{50, 50, 50}));
    }
    Qz_Object* unanalysed = qztest::MakeMode(mode, nullptr);
    ASSERT_NE(unanalysed, nullptr);
    std::swap(layer->mode, unanalysed);
    const auto out = qztest::StrictRender(flat, layer, 0, 5, 2, 2);
    std::swap(layer->mode, unanalysed);
    Qz_DisposeObject(unanalysed);
    EXPECT_EQ(out[4], repainted);
    EXPECT_EQ(out[0], (Rgb{50, 50, 50}));
  }
}

TEST(TonalModes, RemoveRedEye) {
  EXPECT_EQ(pointtest::RenderRow("RemoveRedEye", {}, {{200, 50, 80}, {200, 80, 50}, {50, 100, 0}, {90, 90, 255}}),
            (std::vector<Rgb>{{50, 50, 80}, {65, 80, 50}, {50, 100, 0}, {90, 90, 255}}));
  Qz_Object* mode = qztest::MakeMode("RemoveRedEye", nullptr);
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(Qz_DoMethod(mode, kQzRemoveRedEyeGetStrength), 49u);  // 127 / 256
  EXPECT_EQ(Qz_DoMethod(mode, kQzRemoveRedEyeSetStrength, 100), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzRemoveRedEyeGetStrength), 100u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzRemoveRedEyeSetStrength, 500), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzRemoveRedEyeGetStrength), 100u);
  Qz_DisposeObject(mode);
}

// Grey blocks: AutoEqualize handles them (without statistics: unchanged),
// the stretch modes answer 1 and RemoveRedEye 0, both writing nothing.
TEST(TonalModes, GreyImages) {
  const std::pair<const char*, std::pair<QzWord, std::vector<uint8_t>>> kGrey[] = {
      {"AutoEqualize", {1, {0, 126, 127, 255}}},
      {"AutoContrast", {1, {7, 7, 7, 7}}},
      {"AutoEnhance", {1, {7, 7, 7, 7}}},
      {"RemoveRedEye", {0, {7, 7, 7, 7}}},
  };
  for (const auto& [name, expected] : kGrey) {
    SCOPED_TRACE(name);
    Qz_Object* mode = qztest::MakeMode(name, nullptr);
    ASSERT_NE(mode, nullptr);
    const auto result = pointtest::RenderGrey(mode, {0, 126, 127, 255});
    EXPECT_EQ(result.answer, expected.first);
    EXPECT_EQ(result.out, expected.second);
    Qz_DisposeObject(mode);
  }
}

TEST(TonalModes, SameBytesHoweverCut) {
  for (const char* mode : {"AutoContrast", "AutoEnhance", "AutoEqualize", "RemoveRedEye"}) {
    SCOPED_TRACE(mode);
    pointtest::BandedScene scene(mode);
    ASSERT_NE(scene.layer, nullptr);
    qztest::ExpectSameHoweverCut(scene.doc);
    qztest::StrictRender(scene.doc, scene.layer, 3, 200, 5, 7);
  }
}

}  // namespace
