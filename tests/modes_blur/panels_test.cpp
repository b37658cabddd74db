// The blurs' options panels: each mode's title and gadgets with their
// ranges and first values, the modes made on another keeping or replacing
// its panel, and gadgets and settings following each other.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blur_test_kit.h"
#include "gadgets/qz_sliders.h"
#include "modes/blur_directional.h"
#include "modes/mode_panel.h"
#include "plugins/qz_root_plugin.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitRootPluginClass(Qz_GlobalData*);
void Qz_CleanupRootPluginClass(void);
QZ_EXTERN_C_END

namespace {

struct Gadget {
  uint32_t setter;
  int32_t minimum, maximum, value;  // minimum == maximum: an angle dial
};

struct Case {
  const char* mode;
  const char* title;
  std::vector<Gadget> gadgets;
  std::vector<uint32_t> absent;  // setters with no gadget here
};

class BlurPanels : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Qz_InitRootPluginClass(nullptr), 1u); }
  void TearDown() override { Qz_CleanupRootPluginClass(); }
};

TEST_F(BlurPanels, TitlesGadgetsRangesAndFirstValues) {
  const Case cases[] = {
      {"Blur", "Blur", {{kQzModeSetXRadius, 0, 255, 3}, {kQzModeSetYRadius, 0, 255, 3}}, {}},
      {"FireBlur", "Blur", {{kQzModeSetXRadius, 0, 255, 3}, {kQzModeSetYRadius, 0, 255, 3}}, {}},
      {"Glow", "Blur", {{kQzModeSetXRadius, 0, 255, 3}}, {}},
      {"HSVBlur", "Blur", {{kQzModeSetYRadius, 0, 255, 3}}, {}},
      {"UnsharpMask", "UnsharpMask",
       {{kQzModeSetAmount, 0, 100, 25}, {kQzModeSetRadius, 1, 100, 1}, {kQzModeSetThreshold, 0, 100, 0}},
       {kQzModeSetXRadius, kQzModeSetYRadius}},
      {"GaussianBlur", "Blur", {{kQzModeSetRadius, 0, 29, 3}}, {}},
      {"BloomBlur", "Blur", {{2458, 0, 255, 3}, {2478, 0, 255, 3}}, {2498}},
      {"MotionBlur", "MotionBlur", {{2086, 1, 255, 4}, {2106, 0, 0, 45}}, {2126}},
      {"PanBlur", "PanBlur", {{2086, 1, 255, 4}, {2106, 0, 0, 45}}, {2126}},
      {"CrossBlur", "CrossBlur", {{2086, 1, 255, 10}, {2106, 0, 0, 45}, {2126, 1, 100, 60}}, {}},
      {"PlusBlur", "CrossBlur", {{2066, 1, 255, 15}, {2086, 1, 100, 60}}, {2106, 2126}},
      {"StarBlur", "StarBlur", {{2086, 1, 255, 10}, {2106, 0, 0, 0}, {2126, 1, 100, 60}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Qz_Object* mode = Qz_CreateObject((std::string(c.mode) + "Mode").c_str());
    ASSERT_NE(mode, nullptr);
    auto* panel = reinterpret_cast<Qz_Object*>(Qz_DoMethod(mode, kQzModeGetPanel));
    ASSERT_NE(panel, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(panel, kQzPluginGetTitle)), c.title);
    size_t sliders = 0, dials = 0;
    for (const Gadget& g : c.gadgets) {
      SCOPED_TRACE(g.setter);
      Qz_Object* gadget = qz::modes::panelGadget(mode, g.setter);
      ASSERT_NE(gadget, nullptr);
      if (g.minimum == g.maximum) {
        ++dials;
        EXPECT_EQ(int32_t(Qz_DoMethod(gadget, kAngleGet)), g.value);
        continue;
      }
      ++sliders;
      EXPECT_EQ(int32_t(Qz_DoMethod(gadget, kValueGetMinimum)), g.minimum);
      EXPECT_EQ(int32_t(Qz_DoMethod(gadget, kValueGetMaximum)), g.maximum);
      EXPECT_EQ(int32_t(Qz_DoMethod(gadget, kValueGet)), g.value);
    }
    for (uint32_t setter : c.absent) EXPECT_EQ(qz::modes::panelGadget(mode, setter), nullptr) << setter;
    // Only the panel's own gadgets: a replaced panel leaves none behind.
    EXPECT_GE(qztest::FindAllOf(panel, "CompactSlider").size(), sliders);
    EXPECT_EQ(qztest::FindAllOf(panel, "Angle").size(), dials);
    Qz_DisposeObject(mode);
  }
}

TEST_F(BlurPanels, GadgetsAndSettingsFollowEachOther) {
  struct Follow {
    const char* mode;
    uint32_t setter, getter;
    int32_t byGadget, bySetter, shown;  // shown: what the mode keeps of bySetter
    bool dial;
  };
  const Follow cases[] = {
      {"Blur", kQzModeSetXRadius, kQzModeGetXRadius, 17, 300, 255, false},
      {"Glow", kQzModeSetYRadius, kQzModeGetYRadius, 5, 9, 9, false},
      {"UnsharpMask", kQzModeSetRadius, kQzModeGetRadius, 6, 0, 1, false},
      {"UnsharpMask", kQzModeSetAmount, kQzModeGetAmount, 80, 40, 40, false},
      {"GaussianBlur", kQzModeSetRadius, kQzModeGetRadius, 12, 99, 29, false},
      {"BloomBlur", 2458, 2468, 7, 11, 11, false},
      {"MotionBlur", 2086, 2096, 30, 999, 255, false},
      {"StarBlur", 2106, 2116, 135, -40, -40, true},
      {"PlusBlur", 2066, 2076, 40, 600, 255, false},
      {"PlusBlur", 2086, 2096, 20, 0, 1, false},
  };
  for (const Follow& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.setter);
    Qz_Object* mode = Qz_CreateObject((std::string(c.mode) + "Mode").c_str());
    ASSERT_NE(mode, nullptr);
    Qz_Object* gadget = qz::modes::panelGadget(mode, c.setter);
    ASSERT_NE(gadget, nullptr);
    const uint32_t set = c.dial ? kAngleSet : kValueSet, get = c.dial ? kAngleGet : kValueGet;
    Qz_DoMethod(gadget, set, uint32_t(c.byGadget));
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.byGadget);
    Qz_DoMethod(mode, c.setter, uint32_t(c.bySetter));
    EXPECT_EQ(int32_t(Qz_DoMethod(mode, c.getter)), c.shown);
    EXPECT_EQ(int32_t(Qz_DoMethod(gadget, get)), c.shown);
    Qz_DisposeObject(mode);
  }
  // The unsharp mask's radius gadget moves both radii of its blur.
  Qz_Object* sharp = Qz_CreateObject("UnsharpMaskMode");
  ASSERT_NE(sharp, nullptr);
  Qz_DoMethod(qz::modes::panelGadget(sharp, kQzModeSetRadius), kValueSet, 8u);
  EXPECT_EQ(Qz_DoMethod(sharp, kQzModeGetXRadius), 8u);
  EXPECT_EQ(Qz_DoMethod(sharp, kQzModeGetYRadius), 8u);
  Qz_DisposeObject(sharp);
}

}  // namespace
