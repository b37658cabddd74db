// The settings snapshot: RootMode's ten attributes in one read, limited to a
// mode's own ranges both when set through the mode and when read, through a
// chain of mode instances; own attribute rows that ask for a re-render.
#include <gtest/gtest.h>

#include <atomic>

#include "compositor/compositor_kit.h"
#include "modes/mode_settings.h"

namespace {

using qz::modes::RootSettings;
using qz::modes::SettingRange;
using qztest::Document;
using qztest::Rgb;

constexpr uint32_t kSetStrength = 0x8F40001, kGetStrength = 0x8F40002;

constexpr SettingRange kRanges[] = {{kQzModeSetRadius, 1, 16}, {kQzModeSetAngle, 0, 359},
                                    {kQzModeSetAmount, -200, 200}};

struct Qz_RangedModeObject {
  Qz_Object header;
  int16_t strength = 0;
};

QzWord RangedDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  return qz::modes::inheritedInRange(object, id, args, kRanges);
}

const qz::kit::Attribute kRangedAttributes[] = {
    {.setter = kSetStrength, .getter = kGetStrength, .minimum = 0, .maximum = 255, .initial = 32,
     .field = qz::kit::field(&Qz_RangedModeObject::strength),
     .changed = qz::modes::ownSettingChanged}};

const qz::kit::ClassDecl kRangedMode = {
    .name = "RangedMode", .superName = "RootMode", .classId = 0x8F40000,
    .instance = qz::kit::instanceOf<Qz_RangedModeObject>(), .handler = RangedDispatch,
    .attributes = kRangedAttributes};
// A mode built on another mode (as a plus blur on a cross blur).
const qz::kit::ClassDecl kOuterMode = {.name = "OuterRangedMode", .superName = "RangedMode",
                                       .classId = 0x8F40000};

class Settings : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(qz::kit::addClass(kRangedMode), 1u);
    ASSERT_EQ(qz::kit::addClass(kOuterMode), 1u);
  }
  static void TearDownTestSuite() {
    qz::kit::removeClass(kOuterMode);
    qz::kit::removeClass(kRangedMode);
  }
  qztest::RerenderCounter rerenders;
  Document doc{8, 4, [](int32_t, int32_t) { return Rgb{0, 0, 0}; }};
  Qz_Image* layer = doc.AddPaintLayer("Ranged", {0, 0, 0}, 0, 0, 8, 4,
                                      [](int32_t, int32_t) { return uint8_t(0); });
};

TEST_F(Settings, TheSnapshotReadsAllTen) {
  ASSERT_NE(layer, nullptr);
  Qz_Object* mode = layer->mode;
  const uint32_t setters[] = {kQzModeSetAmount,    kQzModeSetRadius,    kQzModeSetAngle,
                              kQzModeSetQuality,   kQzModeSetColourMode, kQzModeSetThreshold,
                              kQzModeSetXRadius,   kQzModeSetYRadius,   kQzModeSetXPosition,
                              kQzModeSetYPosition};
  int32_t value = -3;
  for (uint32_t setter : setters) Qz_DoMethod(mode, setter, uint32_t(value += 7));
  const RootSettings expected{.amount = 4, .radius = 11, .angle = 18, .quality = 25,
                              .colourMode = 32, .threshold = 39, .xRadius = 46, .yRadius = 53,
                              .xPosition = 60, .yPosition = 67};
  EXPECT_EQ(qz::modes::readRootSettings(mode), expected);
  EXPECT_EQ(qz::modes::readRootSettings(mode, kRanges), expected);  // all inside the ranges
  // Without a RootMode in the chain: all 0.
  Qz_Object* root = Qz_CreateObject("Root");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(qz::modes::readRootSettings(root), RootSettings{});
  Qz_DisposeObject(root);
}

TEST_F(Settings, RangesHoldWhenSetAndWhenRead) {
  ASSERT_NE(layer, nullptr);
  Qz_Object* mode = layer->mode;
  struct Case {
    const char* name;
    uint32_t setter, getter;
    int32_t given, stored;
  };
  const Case cases[] = {
      {"radius above", kQzModeSetRadius, kQzModeGetRadius, 40, 16},
      {"radius below", kQzModeSetRadius, kQzModeGetRadius, -5, 1},
      {"radius inside", kQzModeSetRadius, kQzModeGetRadius, 9, 9},
      {"angle above", kQzModeSetAngle, kQzModeGetAngle, 720, 359},
      {"amount below", kQzModeSetAmount, kQzModeGetAmount, -70000, -200},
      {"no range: RootMode's own", kQzModeSetThreshold, kQzModeGetThreshold, 30000, 30000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(int32_t(uint32_t(Qz_DoMethod(mode, c.setter, uint32_t(c.given)))), c.stored);
    EXPECT_EQ(int32_t(uint32_t(Qz_DoMethod(mode, c.getter))), c.stored);
  }
  // A value given to the RootMode instance itself passes the mode by; the
  // snapshot limits it again.
  Qz_DoMethod(mode->super, kQzModeSetRadius, 100);
  Qz_DoMethod(mode->super, kQzModeSetAmount, uint32_t(-300));
  EXPECT_EQ(Qz_DoMethod(mode, kQzModeGetRadius), 100u);
  const RootSettings s = qz::modes::readRootSettings(mode, kRanges);
  EXPECT_EQ(s.radius, 16);
  EXPECT_EQ(s.amount, -200);
  EXPECT_EQ(qz::modes::readRootSettings(mode).radius, 100);
  EXPECT_EQ(qz::modes::clampToRange(kRanges, kQzModeSetAngle, -1), 0);
  EXPECT_EQ(qz::modes::clampToRange(kRanges, kQzModeSetQuality, -1), -1);
}

TEST_F(Settings, AModeOnAModeReachesTheRootModeBelowBoth) {
  Qz_Object* outer = qztest::MakeMode("OuterRanged", layer);
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(Qz_DoMethod(outer, kQzModeSetRadius, 50), 16u);  // the inner mode's range
  EXPECT_EQ(qz::modes::readRootSettings(outer, kRanges).radius, 16);
  EXPECT_EQ(Qz_DoMethod(outer, kGetStrength), 32u);
  Qz_DisposeObject(outer);
}

TEST_F(Settings, AnOwnRowAsksForARerenderOnlyWhenItChanges) {
  ASSERT_NE(layer, nullptr);
  Qz_Object* mode = layer->mode;
  rerenders.Reset();
  auto* self = qz::kit::self<Qz_RangedModeObject>(mode);
  EXPECT_EQ(qz::modes::loadSetting(self->strength), 32);
  EXPECT_EQ(Qz_DoMethod(mode, kSetStrength, 300), 255u);
  EXPECT_EQ(qz::modes::loadSetting(self->strength), 255);
  EXPECT_EQ(rerenders.Count(doc.image), 1u);
  Qz_DoMethod(mode, kSetStrength, 255);
  EXPECT_EQ(rerenders.Count(), 1u);
  Qz_DoMethod(mode, kQzModeSetRadius, 4);  // RootMode's attributes ask for one too
  EXPECT_EQ(rerenders.Count(doc.image), 2u);
  std::atomic<int32_t> word{12};
  EXPECT_EQ(qz::modes::loadSetting(word), 12);
}

}  // namespace
