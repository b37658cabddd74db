// PolarMosaic: cells of rings and sectors round a centre, each the mean of
// the pixels below in it, gathered again whenever the settings or what lies
// below change, and never more stale than that.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <vector>

#include "compositor/compositor_kit.h"
#include "mosaic_fixture.h"

QZ_EXTERN_C_BEGIN
int32_t Qz__PolarMosaicCellMean(Qz_Image* document, int32_t cx, int32_t cy, int32_t ringWidth, int32_t sectors,
                                int64_t ring, int32_t sector, int32_t channel);
QZ_EXTERN_C_END

namespace {

using qztest::Document;
using qztest::Rgb;

constexpr uint32_t kSetRingWidth = 2066, kGetRingWidth = 2076, kSetCentreX = 2086, kGetCentreX = 2096;
constexpr uint32_t kSetCentreY = 2106, kGetCentreY = 2116, kCentre = 2126, kSetSectors = 2136, kGetSectors = 2146;

void Set(Qz_Image* layer, uint32_t id, int32_t value) { Qz_DoMethod(layer->mode, id, uint32_t(value)); }

std::vector<Rgb> Render(Document& doc, Qz_Image* layer) {
  return qztest::StrictRender(doc, layer, 0, doc.width() - 1, 0, doc.height() - 1);
}

// The mean of every pixel of `picture` in the same ring as (x, y), with whole
// rings counted in integers: the pixels with (r w)^2 <= dx^2 + dy^2 < ((r + 1) w)^2.
std::vector<Rgb> RingMeans(int32_t w, int32_t h, const qztest::PixelFn& picture, int32_t cx, int32_t cy,
                           int32_t ringWidth) {
  auto ring = [&](int32_t x, int32_t y) {
    const int64_t d2 = int64_t(x - cx) * (x - cx) + int64_t(y - cy) * (y - cy);
    int64_t r = 0;
    while ((r + 1) * ringWidth * (r + 1) * ringWidth <= d2) ++r;
    return r;
  };
  std::vector<std::array<uint64_t, 4>> sums(size_t(w + h) * 2 / size_t(ringWidth) + 2, {0, 0, 0, 0});
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const Rgb p = picture(x, y);
      auto& s = sums[size_t(ring(x, y))];
      s[0] += p[0], s[1] += p[1], s[2] += p[2], s[3] += 1;
    }
  std::vector<Rgb> out;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const auto& s = sums[size_t(ring(x, y))];
      out.push_back({uint8_t(s[0] / s[3]), uint8_t(s[1] / s[3]), uint8_t(s[2] / s[3])});
    }
  return out;
}

TEST(PolarMosaic, DefaultsAndClampedSettings) {
  Document doc(21, 15, mosaic::Coordinates);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "PolarMosaic");
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetRingWidth), 5u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetSectors), 180u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetCentreX), 10u) << "the layer's middle";
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetCentreY), 7u);
  struct Case {
    uint32_t setter, getter;
    int32_t asked, kept;
  };
  for (const Case& c : {Case{kSetRingWidth, kGetRingWidth, 0, 1}, Case{kSetRingWidth, kGetRingWidth, -7, 1},
                        Case{kSetRingWidth, kGetRingWidth, 255, 255}, Case{kSetSectors, kGetSectors, 0, 1},
                        Case{kSetSectors, kGetSectors, -360, 1}, Case{kSetSectors, kGetSectors, 5000, 360},
                        Case{kSetCentreX, kGetCentreX, -40, -40}, Case{kSetCentreY, kGetCentreY, INT_MIN, INT_MIN}}) {
    SCOPED_TRACE(testing::Message() << c.setter << " " << c.asked);
    EXPECT_EQ(Qz_DoMethod(layer->mode, c.setter, uint32_t(c.asked)), 0u);
    EXPECT_EQ(int32_t(Qz_DoMethod(layer->mode, c.getter)), c.kept);
  }
  EXPECT_EQ(Qz_DoMethod(layer->mode, kCentre), 0u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetCentreX), 10u);
  EXPECT_EQ(Qz_DoMethod(layer->mode, kGetCentreY), 7u);
}

// One sector makes concentric rings of their mean colour; a ring width of 1
// leaves the centre pixel alone in ring 0, sector 0.
TEST(PolarMosaic, OneSectorGivesRingsOfTheirMean) {
  struct Case {
    int32_t cx, cy, ringWidth;
  };
  for (const Case& c : {Case{10, 7, 5}, Case{10, 7, 1}, Case{0, 14, 4}, Case{3, 2, 2}}) {
    SCOPED_TRACE(testing::Message() << c.cx << "," << c.cy << " w " << c.ringWidth);
    Document doc(21, 15, mosaic::Coordinates);
    Qz_Image* layer = mosaic::OpaqueLayer(doc, "PolarMosaic");
    ASSERT_NE(layer, nullptr);
    Set(layer, kSetSectors, 1);
    Set(layer, kSetRingWidth, c.ringWidth);
    Set(layer, kSetCentreX, c.cx);
    Set(layer, kSetCentreY, c.cy);
    EXPECT_EQ(Render(doc, layer), RingMeans(21, 15, mosaic::Coordinates, c.cx, c.cy, c.ringWidth));
  }
}

TEST(PolarMosaic, TheCentrePixelIsRingZeroSectorZeroAndEmptyCellsAreZero) {
  Document doc(9, 7, mosaic::Coordinates);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "PolarMosaic");
  ASSERT_NE(layer, nullptr);
  Set(layer, kSetRingWidth, 1);
  Set(layer, kSetSectors, 4);
  const std::vector<Rgb> out = Render(doc, layer);
  EXPECT_EQ(out[size_t(3 * 9 + 4)], mosaic::Coordinates(4, 3)) << "alone in its cell";
  for (int32_t c = 0; c < 3; ++c) {
    EXPECT_EQ(Qz__PolarMosaicCellMean(doc.image, 4, 3, 1, 4, 0, 0, c), mosaic::Coordinates(4, 3)[size_t(c)]);
    for (int32_t sector = 1; sector < 4; ++sector)
      EXPECT_EQ(Qz__PolarMosaicCellMean(doc.image, 4, 3, 1, 4, 0, sector, c), 0) << "no pixel in sector " << sector;
  }
  // Four quarters in one ring: the right and upper neighbours lie in sector 0 and 1, beyond any rounding.
  Set(layer, kSetRingWidth, 255);
  const std::vector<Rgb> quarters = Render(doc, layer);
  std::set<Rgb> seen(quarters.begin(), quarters.end());
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(quarters[size_t(2 * 9 + 6)], quarters[size_t(0 * 9 + 8)]) << "up and to the right: one cell";
  EXPECT_NE(quarters[size_t(2 * 9 + 6)], quarters[size_t(2 * 9 + 2)]);
}

// A cell bigger than 65535 pixels keeps its true mean.
TEST(PolarMosaic, ABigCellHasItsTrueMean) {
  auto picture = [](int32_t x, int32_t y) { return Rgb{uint8_t(x * 7 + y), uint8_t(255 - (x ^ y)), uint8_t(200)}; };
  Document doc(300, 300, picture);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "PolarMosaic");
  ASSERT_NE(layer, nullptr);
  Set(layer, kSetSectors, 1);
  Set(layer, kSetRingWidth, 255);  // every pixel within 213 of the middle: one cell of 90000
  uint64_t sums[3] = {};
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x = 0; x < 300; ++x)
      for (int c = 0; c < 3; ++c) sums[c] += picture(x, y)[size_t(c)];
  const Rgb mean = {uint8_t(sums[0] / 90000), uint8_t(sums[1] / 90000), uint8_t(sums[2] / 90000)};
  doc.Composite();
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{150, 150}, std::pair{299, 17}, std::pair{299, 299}})
    EXPECT_EQ(doc.Pixel(x, y), mean) << x << "," << y;
}

// Whatever was gathered before, a render shows what a new mode with the
// same settings would show on the same picture.
std::vector<Rgb> Fresh(const qztest::PixelFn& below, const std::vector<std::pair<uint32_t, int32_t>>& settings) {
  Document doc(23, 16, below);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "PolarMosaic");
  for (const auto& [id, value] : settings) Set(layer, id, value);
  return Render(doc, layer);
}

TEST(PolarMosaic, GathersAgainAfterASetter) {
  Document doc(23, 16, mosaic::Coordinates);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "PolarMosaic");
  ASSERT_NE(layer, nullptr);
  std::vector<std::pair<uint32_t, int32_t>> settings;
  const std::vector<Rgb> first = Render(doc, layer);
  EXPECT_EQ(first, Fresh(mosaic::Coordinates, settings));
  for (const auto& step : std::vector<std::pair<uint32_t, int32_t>>{
           {kSetSectors, 6}, {kSetRingWidth, 3}, {kSetCentreX, 2}, {kSetCentreY, 15}, {kSetSectors, 180},
           {kSetRingWidth, 5}, {kSetCentreX, 11}, {kSetCentreY, 8}}) {
    settings.push_back(step);
    SCOPED_TRACE(testing::Message() << step.first << "=" << step.second);
    Set(layer, step.first, step.second);
    EXPECT_EQ(Render(doc, layer), Fresh(mosaic::Coordinates, settings));
  }
  EXPECT_EQ(Render(doc, layer), first) << "back at the defaults";
}

TEST(PolarMosaic, GathersAgainWhenWhatLiesBelowChanges) {
  Document doc(23, 16, mosaic::Coordinates);
  Qz_Image* below = doc.AddPaintLayer("Paint", {250, 20, 90}, 0, 0, 23, 16, [](int32_t, int32_t) { return uint8_t(0); });
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "PolarMosaic");
  ASSERT_NE(below, nullptr);
  ASSERT_NE(layer, nullptr);
  Set(layer, kSetSectors, 5);
  doc.Composite();
  const std::vector<uint8_t> before = doc.Planes();
  // Painting the layer itself again reads what was gathered: the same picture.
  Qz_ModifiedImageData(layer, 0, 0, 22, 15);
  doc.Composite();
  EXPECT_EQ(doc.Planes(), before);
  // A dab on the layer below: its cells' means change.
  for (int32_t y = 2; y < 9; ++y) std::memset(below->grey[y] + 14, 255, 6);
  Qz_ModifiedImageData(below, 14, 2, 19, 8);
  doc.Composite();
  const std::vector<uint8_t> painted = doc.Planes();
  EXPECT_NE(painted, before);
  Document reference(23, 16, mosaic::Coordinates);
  Qz_Image* refBelow =
      reference.AddPaintLayer("Paint", {250, 20, 90}, 0, 0, 23, 16, [](int32_t x, int32_t y) {
        return uint8_t(x >= 14 && x < 20 && y >= 2 && y < 9 ? 255 : 0);
      });
  Qz_Image* refLayer = mosaic::OpaqueLayer(reference, "PolarMosaic");
  ASSERT_NE(refBelow, nullptr);
  Set(refLayer, kSetSectors, 5);
  reference.Composite();
  EXPECT_EQ(painted, reference.Planes());
  // The bottom layer reads the background: a change there is gathered too.
  Qz_DoMethod(&doc.image->object, kQzImageRemoveLayer, below);
  Qz_DisposeObject(&below->object);
  doc.Composite();
  EXPECT_EQ(doc.Planes(), std::vector<uint8_t>(before)) << "the background as before";
  for (int32_t x = 0; x < 23; ++x) doc.image->undoG[4][x] = 0;
  Qz_NoteImageChange(doc.image);
  doc.Composite();
  auto darker = [](int32_t x, int32_t y) {
    Rgb p = mosaic::Coordinates(x, y);
    if (y == 4) p[1] = 0;
    return p;
  };
  Document changed(23, 16, darker);
  Qz_Image* changedLayer = mosaic::OpaqueLayer(changed, "PolarMosaic");
  Set(changedLayer, kSetSectors, 5);
  changed.Composite();
  EXPECT_EQ(doc.Planes(), changed.Planes());
}

// A centre far off the picture, even at the ends of its range, reads and
// writes nothing it should not, and keeps its tables to the rings the picture meets.
TEST(PolarMosaic, AFarOffCentreIsClean) {
  Document doc(31, 12, qztest::NoisePixel);
  ASSERT_NE(doc.AddPaintLayer("Multiply", {90, 200, 30}, 2, 1, 25, 10,
                              [](int32_t x, int32_t y) { return qztest::Noise(x, y, 5); }),
            nullptr);
  Qz_Image* layer = mosaic::OpaqueLayer(doc, "PolarMosaic");
  ASSERT_NE(layer, nullptr);
  struct Case {
    int32_t cx, cy, ringWidth, sectors;
  };
  for (const Case& c : {Case{INT_MAX, INT_MAX, 1, 360}, Case{INT_MIN, INT_MIN, 1, 360}, Case{INT_MIN, INT_MAX, 5, 180},
                        Case{-3000, 6, 2, 7}, Case{40, -100000, 255, 1}, Case{30, 11, 1, 360}}) {
    SCOPED_TRACE(testing::Message() << c.cx << "," << c.cy);
    Set(layer, kSetCentreX, c.cx);
    Set(layer, kSetCentreY, c.cy);
    Set(layer, kSetRingWidth, c.ringWidth);
    Set(layer, kSetSectors, c.sectors);
    qztest::StrictRender(doc, layer, 0, 30, 0, 11);
    qztest::StrictRender(doc, layer, 7, 19, 3, 5);
  }
  // From about two thousand million pixels away, a ring 32767 wide covers the picture in at most two rings.
  Set(layer, kSetCentreX, INT_MAX);
  Set(layer, kSetCentreY, INT_MIN);
  Set(layer, kSetRingWidth, 32767);
  Set(layer, kSetSectors, 1);
  const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 0, 30, 0, 11);
  EXPECT_LE(std::set<Rgb>(out.begin(), out.end()).size(), 2u);
}

}  // namespace
