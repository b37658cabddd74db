// The displacement map: the brightening by the map at each bright-map
// weight, the point each pixel is taken from (along the angle, by the map's
// value, the map placed by the layer and its offset), the green map or each
// channel's own, settings kept in range, and the same bytes however cut,
// also while the settings change during passes.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "modes/qz_displace_map_mode.h"
#include "modes_rub/rub_test_kit.h"

namespace {

using qztest::Document;
using qztest::Rgb;
using rubtest::Opaque;

void Set(Qz_Object* mode, int32_t angle, int32_t strength, int32_t bright, int32_t perChannel) {
  EXPECT_EQ(Qz_DoMethod(mode, kQzDisplaceSetAngle, uint32_t(angle)), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzDisplaceSetStrength, uint32_t(strength)), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzDisplaceSetBrightMap, uint32_t(bright)), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzDisplaceSetPerChannel, uint32_t(perChannel)), 0u);
}

// Flat data below and a flat map, no displacement: the brightening alone.
TEST(DisplaceMap, BrightensByTheMap) {
  struct Case {
    uint8_t below, map, bright, expected;
  };
  const Case cases[] = {{200, 0, 128, 135}, {0, 0, 128, 0},     {255, 0, 128, 190},   {128, 0, 128, 63},
                        {200, 128, 255, 200}, {200, 255, 255, 255}, {10, 0, 255, 0}, {90, 200, 77, 111},
                        {0, 0, 0, 0},       {1, 255, 0, 1},     {254, 0, 0, 254},     {255, 255, 0, 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.below) << " under " << int(c.map) << " weight " << int(c.bright));
    Document doc(8, 4, [&](int32_t, int32_t) { return Rgb{c.below, c.below, c.below}; });
    Document map(8, 4, [&](int32_t, int32_t) { return Rgb{0, c.map, 0}; });
    Qz_Image* layer = doc.AddPaintLayer("DisplaceMap", {0, 0, 0}, 0, 0, 8, 4, Opaque);
    ASSERT_NE(layer, nullptr);
    doc.AttachSecondary(layer, map.image, 0, 0);
    Set(layer->mode, 135, 0, c.bright, 0);
    for (const Rgb& p : qztest::StrictRender(doc, layer, 0, 7, 0, 3)) ASSERT_EQ(p, (Rgb{c.expected, c.expected, c.expected}));
  }
}

// The data below tells where each pixel comes from: red 2x, green 5y. The
// map moves every odd picture column by its full value and leaves the even
// ones; off the map the data below shows as it is.
Rgb Coded(int32_t x, int32_t y) { return {uint8_t(2 * x), uint8_t(5 * y), 77}; }

TEST(DisplaceMap, TakesEachPixelAlongTheAngle) {
  struct Case {
    const char* name;
    int32_t angle, strength;
    uint8_t oddValue;  // the map's green at odd picture columns
    int32_t dx, dy;    // where those pixels come from, relative to them
  };
  const Case cases[] = {
      {"angle 0 is vertical only", 0, 20, 255, 0, 19},
      {"the default angle, up and left", 135, 20, 255, -14, -14},
      {"angle 90 leftwards", 90, 20, 255, -20, 0},
      {"strength 0 none", 135, 0, 255, 0, 0},
      {"map 0 none", 135, 20, 0, 0, 0},
      {"half the map, half the way", 0, 40, 128, 0, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc(100, 40, Coded);
    Document map(30, 20, [&](int32_t x, int32_t) { return Rgb{0, uint8_t(x % 2 ? c.oddValue : 0), 0}; });
    Qz_Image* layer = doc.AddPaintLayer("DisplaceMap", {0, 0, 0}, 10, 5, 60, 30, Opaque);
    ASSERT_NE(layer, nullptr);
    doc.AttachSecondary(layer, map.image, 3, 2);  // picture (0, 0) at document (13, 7)
    Set(layer->mode, c.angle, c.strength, 0, 0);
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 10, 69, 5, 34);
    for (int32_t y = 5; y < 35; ++y)
      for (int32_t x = 10; x < 70; ++x) {
        const bool onMap = x >= 13 && x < 43 && y >= 7 && y < 27;
        const bool moved = onMap && (x - 13) % 2 == 1;
        const int32_t fx = std::clamp(x + (moved ? c.dx : 0), 0, 99), fy = std::clamp(y + (moved ? c.dy : 0), 0, 39);
        ASSERT_EQ(out[size_t((y - 5) * 60 + x - 10)], Coded(fx, fy)) << x << ", " << y;
      }
  }
}

// A map whose planes differ: the green plane moves every channel alike, or
// each channel moves by its own plane.
TEST(DisplaceMap, TheGreenMapOrEachChannelsOwn) {
  Document doc(60, 30, Coded);
  Document map(60, 30, [](int32_t, int32_t) { return Rgb{255, 0, 128}; });
  Qz_Image* layer = doc.AddPaintLayer("DisplaceMap", {0, 0, 0}, 0, 0, 60, 30, Opaque);
  ASSERT_NE(layer, nullptr);
  doc.AttachSecondary(layer, map.image, 0, 0);
  for (int32_t perChannel : {0, 1}) {
    SCOPED_TRACE(perChannel ? "per channel" : "green map");
    Set(layer->mode, 0, 40, 0, perChannel);
    const std::vector<Rgb> out = qztest::StrictRender(doc, layer, 0, 59, 0, 29);
    // Angle 0, strength 40: map 255 reaches 39 rows down, 128 reaches 20.
    const int32_t reach[3] = {perChannel ? 39 : 0, 0, perChannel ? 20 : 0};
    for (int32_t y = 0; y < 30; ++y)
      for (int32_t x = 0; x < 60; ++x)
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(out[size_t(y * 60 + x)][size_t(c)], Coded(x, std::min(29, y + reach[c]))[size_t(c)])
              << x << ", " << y << " channel " << c;
  }
}

TEST(DisplaceMap, SettingsStayInRangeAndReRender) {
  Document doc(16, 16, rubtest::Below);
  Qz_Image* layer = doc.AddPaintLayer("DisplaceMap", {0, 0, 0}, 0, 0, 16, 16, Opaque);
  ASSERT_NE(layer, nullptr);
  Qz_Object* mode = layer->mode;
  EXPECT_EQ(mode->objectClass->classId, kQzDisplaceMapClassId);
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetFlags), uint32_t(kQzModeCombinesSource));
  struct Case {
    uint32_t setter, getter;
    int32_t set, stored;
  };
  const Case cases[] = {{0, kQzDisplaceGetAngle, 0, 135},          {0, kQzDisplaceGetStrength, 0, 20},
                        {0, kQzDisplaceGetBrightMap, 0, 128},      {0, kQzDisplaceGetPerChannel, 0, 0},
                        {kQzDisplaceSetAngle, kQzDisplaceGetAngle, -45, -45},
                        {kQzDisplaceSetStrength, kQzDisplaceGetStrength, -5, 0},
                        {kQzDisplaceSetStrength, kQzDisplaceGetStrength, 300, 255},
                        {kQzDisplaceSetStrength, kQzDisplaceGetStrength, 255, 255},
                        {kQzDisplaceSetBrightMap, kQzDisplaceGetBrightMap, -1, 0},
                        {kQzDisplaceSetPerChannel, kQzDisplaceGetPerChannel, 1, 1}};
  qztest::RerenderCounter rerenders;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.getter << " = " << c.set);
    if (c.setter) {
      const int32_t was = int32_t(Qz_DoMethod(mode, c.getter));
      rerenders.Reset();
      EXPECT_EQ(Qz_DoMethod(mode, c.setter, uint32_t(c.set)), 0u);
      EXPECT_EQ(rerenders.Count(doc.image), was == c.stored ? 0u : 1u);
    }
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.stored);
  }
}

class DisplaceSameHoweverCut : public ::testing::TestWithParam<std::tuple<bool, int32_t>> {};

TEST_P(DisplaceSameHoweverCut, OnAnOffsetUpperLayer) {
  const auto [withPicture, perChannel] = GetParam();
  Document picture(150, 30, rubtest::Picture);
  rubtest::Stack stack(210, 30);
  Qz_Image* layer = stack.Add("DisplaceMap", 4, 2, 200, 27, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  stack.doc.AttachSecondary(layer, withPicture ? picture.image : nullptr, 7, -3);
  Set(layer->mode, 200, 60, 170, perChannel);
  qztest::ExpectSameHoweverCut(stack.doc);
  qztest::StrictRender(stack.doc, layer, 0, 209, 0, 29);
}

INSTANTIATE_TEST_SUITE_P(DisplaceModes, DisplaceSameHoweverCut,
                         ::testing::Values(std::tuple{true, 0}, std::tuple{true, 1}, std::tuple{false, 0}));

TEST(DisplaceMap, SettingsChangeWhilePassesRender) {
  Document picture(150, 30, rubtest::Picture);
  rubtest::Stack stack(210, 30);
  Qz_Image* layer = stack.Add("DisplaceMap", 4, 2, 200, 27, qztest::GappedAlpha);
  ASSERT_NE(layer, nullptr);
  stack.doc.AttachSecondary(layer, picture.image, 7, -3);
  const int32_t before = Qz__SetCompositorWorkers(8);
  qztest::RerenderCounter quiet;
  std::atomic<bool> stop{false};
  std::thread setter([&] {
    for (uint32_t i = 0; !stop.load(); ++i) {
      Qz_DoMethod(layer->mode, kQzDisplaceSetAngle, i % 360);
      Qz_DoMethod(layer->mode, kQzDisplaceSetStrength, i % 256);
      Qz_DoMethod(layer->mode, kQzDisplaceSetBrightMap, (i * 7) % 256);
      Qz_DoMethod(layer->mode, kQzDisplaceSetPerChannel, i & 1);
    }
  });
  for (int pass = 0; pass < 12; ++pass) stack.doc.Composite();
  stop.store(true);
  setter.join();
  Qz_DoMethod(layer->mode, kQzDisplaceSetStrength, 33u);
  stack.doc.Composite();
  const std::vector<uint8_t> racing = stack.doc.Planes();
  Qz__SetCompositorWorkers(1);
  stack.doc.ClearResult();
  stack.doc.Composite();
  EXPECT_EQ(stack.doc.Planes(), racing);
  Qz__SetCompositorWorkers(before);
}

}  // namespace
