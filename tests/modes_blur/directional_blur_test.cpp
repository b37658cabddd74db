// The directional blurs: their sample sets (motion, pan, cross and star
// steps with the fallback), what they give on gradients and flat areas, the
// star's second arms an eighth of a turn on, the plus blur's ids, setters
// and ranges, and strict reads however the pass is cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "blur_test_kit.h"
#include "modes/blur_directional.h"

namespace {

using namespace blurtest;
using qz::modes::Tap;
using qztest::NoisePixel;

std::multiset<std::pair<int32_t, int32_t>> Offsets(const std::vector<Tap>& taps) {
  std::multiset<std::pair<int32_t, int32_t>> set;
  for (const Tap& t : taps) set.insert({t.dx, t.dy});
  return set;
}

Qz_Image* Layer(Document& doc, const char* mode, int32_t length, int32_t angle, int32_t percent = 0) {
  Qz_Image* layer = doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, doc.width(), doc.height(), Opaque);
  EXPECT_NE(layer, nullptr);
  Qz_DoMethod(layer->mode, kQzDirectionalSetLength, uint32_t(length));
  Qz_DoMethod(layer->mode, kQzDirectionalSetAngle, uint32_t(angle));
  if (percent) Qz_DoMethod(layer->mode, kQzDirectionalSetPercent, uint32_t(percent));
  return layer;
}

TEST(DirectionalBlur, MotionAndPanSampleSets) {
  using Set = std::multiset<std::pair<int32_t, int32_t>>;
  // Angle 0 points straight down: the pixel twice and the four below.
  EXPECT_EQ(Offsets(qz::modes::motionTaps(4, qz::modes::directionFloor(0))),
            (Set{{0, 0}, {0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}}));
  // Angle 90 is (-1025, 0): one step is (-1025 >> 10) = -2 columns, so
  // length 1 samples two columns each way and the pixel three times.
  EXPECT_EQ(Offsets(qz::modes::panTaps(1, qz::modes::directionFloor(90))),
            (Set{{0, 0}, {0, 0}, {0, 0}, {-2, 0}, {2, 0}}));
  // Angle 180 is (-1, -1025): the trail leans one column left, and each
  // step up floors to one row more (k * -1025 >> 10 is -k - 1).
  EXPECT_EQ(Offsets(qz::modes::motionTaps(2, qz::modes::directionFloor(180))),
            (Set{{0, 0}, {0, 0}, {-1, -2}, {-1, -3}}));

  // On a vertical gradient the motion blur at angle 0, length 4 is
  // (2 v(y) + v(y+1) + ... + v(y+4)) / 6, edge rows repeated.
  auto rows = [](int32_t, int32_t y) { return Rgb{uint8_t(y * 20), uint8_t(250 - y * 20), uint8_t(y * y)}; };
  Document doc(5, 12, rows);
  Layer(doc, "MotionBlur", 4, 0);
  doc.Composite();
  const Planes p = PlanesOf(5, 12, rows);
  for (int32_t y = 0; y < 12; ++y)
    for (int c = 0; c < 3; ++c) {
      int32_t sum = 2 * p.at(c, 0, y);
      for (int32_t k = 1; k <= 4; ++k) sum += p.at(c, 0, y + k);
      EXPECT_EQ(doc.Pixel(2, y)[size_t(c)], sum / 6) << "row " << y << " channel " << c;
    }
  // The pan blur at angle 90, length 1 on a horizontal gradient: (3 v(x) + v(x-2) + v(x+2)) / 5.
  auto columns = [](int32_t x, int32_t) { return Rgb{uint8_t(x * 17), uint8_t(x * x * 3), uint8_t(255 - x * 9)}; };
  Document pan(15, 3, columns);
  Layer(pan, "PanBlur", 1, 90);
  pan.Composite();
  const Planes q = PlanesOf(15, 3, columns);
  for (int32_t x = 0; x < 15; ++x)
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(pan.Pixel(x, 1)[size_t(c)], (3 * q.at(c, x, 1) + q.at(c, x - 2, 1) + q.at(c, x + 2, 1)) / 5) << x;
}

TEST(DirectionalBlur, CrossAndStarSteps) {
  struct Case {
    int32_t length, percent, arms;
    qz::modes::ArmSteps expected;
  };
  const Case cases[] = {
      {10, 100, 4, {1, 10, 41}},   {10, 30, 4, {10, 1, 5}},  // step 3 would overshoot: one step of 10
      {8, 25, 4, {8, 1, 5}},       {255, 100, 4, {1, 255, 1021}}, {10, 60, 4, {1, 10, 41}},
      {10, 50, 4, {2, 5, 21}},      {10, 100, 8, {1, 10, 81}},      {10, 30, 8, {10, 1, 9}},
      {1, 1, 4, {1, 1, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " " << c.percent << "% " << c.arms << " arms");
    const qz::modes::ArmSteps a = qz::modes::armSteps(c.length, c.percent, c.arms);
    EXPECT_EQ(a.step, c.expected.step);
    EXPECT_EQ(a.n, c.expected.n);
    EXPECT_EQ(a.count, c.expected.count);
  }
  EXPECT_EQ(qz::modes::crossTaps(10, 30, qz::modes::directionFloor(0)).size(), 5u);
  EXPECT_EQ(qz::modes::starTaps(10, 100, qz::modes::directionFloor(0), qz::modes::directionFloor(45)).size(), 81u);
}

TEST(DirectionalBlur, FlatAreas) {
  struct Case {
    const char* mode;
    int32_t length, angle, percent;
    uint8_t out;  // of flat 100
  };
  const Case cases[] = {
      {"MotionBlur", 4, 45, 0, 100}, {"MotionBlur", 255, 200, 0, 100}, {"PanBlur", 4, 45, 0, 100},
      {"PanBlur", 255, -30, 0, 100},
      // The cross's 15-bit reciprocal of an odd count falls short by one.
      {"CrossBlur", 10, 45, 60, 99}, {"CrossBlur", 10, 0, 30, 99}, {"StarBlur", 10, 0, 60, 100},
      {"StarBlur", 255, 195, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.length << " " << c.angle);
    Document doc(9, 6, [](int32_t, int32_t) { return Rgb{100, 100, 100}; });
    Layer(doc, c.mode, c.length, c.angle, c.percent);
    doc.Composite();
    EXPECT_EQ(doc.Pixel(4, 3), (Rgb{c.out, c.out, c.out}));
    EXPECT_EQ(doc.Pixel(0, 0), (Rgb{c.out, c.out, c.out}));
  }
}

TEST(DirectionalBlur, StarsSecondArmsAreAnEighthOfATurnOn) {
  const qz::modes::Direction first = qz::modes::directionFloor(0);
  const qz::modes::Direction second = qz::modes::secondArm(0, qz::modes::DirectionRounding::Floor);
  EXPECT_EQ(second, (qz::modes::Direction{-725, 724}));
  const std::vector<Tap> star = qz::modes::starTaps(100, 100, first, second);
  const std::vector<Tap> cross = qz::modes::crossTaps(100, 100, first);
  // Beyond the cross's own taps, every sample lies on a diagonal (within
  // the drift of the accumulated offsets; 45 radians would lean 58 degrees).
  std::multiset<std::pair<int32_t, int32_t>> rest = Offsets(star);
  for (const Tap& t : cross) rest.erase(rest.find({t.dx, t.dy}));
  int32_t farthest = 0;
  for (const auto& [dx, dy] : rest) {
    EXPECT_LE(std::abs(std::abs(dx) - std::abs(dy)), 3) << dx << "," << dy;
    farthest = std::max(farthest, std::abs(dx));
  }
  EXPECT_GE(farthest, 70);
}

TEST(DirectionalBlur, SettersAndThePlusBlursIds) {
  Document doc(40, 30, NoisePixel);
  Qz_Image* cross = doc.AddPaintLayer("CrossBlur", {0, 0, 0}, 0, 0, 40, 30, Opaque);
  ASSERT_NE(cross, nullptr);
  Qz_Object* mode = cross->mode;
  EXPECT_EQ(Qz_DoMethod(mode, kQzDirectionalGetLength), 10u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzDirectionalGetAngle), 45u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzDirectionalGetPercent), 60u);
  struct Case {
    uint32_t setter, getter;
    int32_t value, answer, stored;
  };
  const Case cases[] = {
      {kQzDirectionalSetLength, kQzDirectionalGetLength, 0, 0, 1},
      {kQzDirectionalSetLength, kQzDirectionalGetLength, 999, 0, 255},
      {kQzDirectionalSetAngle, kQzDirectionalGetAngle, -90, 0, -90},
      {kQzDirectionalSetPercent, kQzDirectionalGetPercent, 0, 1, 1},
      {kQzDirectionalSetPercent, kQzDirectionalGetPercent, 250, 100, 100},
      {kQzDirectionalSetPercent, kQzDirectionalGetPercent, 45, 45, 45},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.setter, uint32_t(c.value))), c.answer) << c.value;
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.stored) << c.value;
  }
  struct Default {
    const char* mode;
    int32_t length, angle;
  };
  for (const Default& d : {Default{"MotionBlur", 4, 45}, Default{"PanBlur", 4, 45}, Default{"StarBlur", 10, 0}}) {
    Qz_Object* m = Qz_CreateObject((std::string(d.mode) + "Mode").c_str());
    ASSERT_NE(m, nullptr) << d.mode;
    EXPECT_EQ(Qz_DoMethod(m, kQzDirectionalGetLength), uint32_t(d.length)) << d.mode;
    EXPECT_EQ(Qz_DoMethod(m, kQzDirectionalGetAngle), uint32_t(d.angle)) << d.mode;
    Qz_DisposeObject(m);
  }

  // The plus blur: length 2066, percentage 2086, passed on to its cross at angle 0.
  Qz_Image* plus = doc.AddPaintLayer("PlusBlur", {0, 0, 0}, 0, 0, 40, 30, Opaque);
  ASSERT_NE(plus, nullptr);
  EXPECT_EQ(Qz_DoMethod(plus->mode, 2076), 15u);
  EXPECT_EQ(Qz_DoMethod(plus->mode, 2096), 60u);
  EXPECT_EQ(Qz_DoMethod(plus->mode, 2116), 0u);  // the cross's angle
  EXPECT_EQ(Qz_DoMethod(plus->mode, 2066, 7u), 0u);
  EXPECT_EQ(Qz_DoMethod(plus->mode, 2086, 35u), 35u);
  EXPECT_EQ(Qz_DoMethod(plus->mode, 2136), 35u);  // the cross's percentage
  Qz_DoMethod(&doc.image->object, kQzImageRemoveLayer, cross);
  doc.Composite();
  const std::vector<uint8_t> plusPlanes = doc.Planes();

  Document same(40, 30, NoisePixel);
  Layer(same, "CrossBlur", 7, 0, 35);
  same.Composite();
  EXPECT_EQ(plusPlanes, same.Planes());
}

TEST(DirectionalBlur, StrictAndTheSameHoweverCut) {
  struct Case {
    const char* mode;
    int32_t length, angle, percent;
  };
  const Case cases[] = {
      {"MotionBlur", 4, 45, 0},    {"MotionBlur", 255, 315, 0}, {"PanBlur", 4, 45, 0},   {"PanBlur", 60, 180, 0},
      {"CrossBlur", 10, 45, 60},   {"CrossBlur", 100, 45, 100}, {"CrossBlur", 255, 135, 1},
      {"PlusBlur", 0, 0, 0},       {"StarBlur", 10, 0, 60},     {"StarBlur", 255, 195, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.length << " " << c.angle << " " << c.percent);
    Document doc(140, 26, NoisePixel);
    ASSERT_NE(doc.AddPaintLayer("Multiply", {90, 200, 30}, 4, 3, 120, 20,
                                [](int32_t x, int32_t y) { return qztest::Noise(x, y, 5); }),
              nullptr);
    Qz_Image* layer = doc.AddPaintLayer(c.mode, {0, 0, 0}, 0, 0, 140, 26, qztest::GappedAlpha);
    ASSERT_NE(layer, nullptr);
    if (c.length) {
      Qz_DoMethod(layer->mode, kQzDirectionalSetLength, uint32_t(c.length));
      Qz_DoMethod(layer->mode, kQzDirectionalSetAngle, uint32_t(c.angle));
      Qz_DoMethod(layer->mode, kQzDirectionalSetPercent, uint32_t(c.percent));
    }
    qztest::ExpectSameHoweverCut(doc, std::span<const qztest::BlockSize>(qztest::kCutBlocks).first(2));
    qztest::StrictRender(doc, layer, 0, 139, 0, 0);
    qztest::StrictRender(doc, layer, 60, 99, 12, 14);
  }
}

}  // namespace
