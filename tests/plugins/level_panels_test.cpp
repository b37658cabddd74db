// The transparency and channels panels: the current layer's levels shown as
// percentages without anything sent back, a slider move sent to the active
// layer, and the reset button sending 0 % for every level.
#include <gtest/gtest.h>

#include <vector>

#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "host/headless/headless_host.h"
#include "image/qz_image.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "panel_fixture.h"
#include "plugins/level_panel.h"
#include "support/object_tree.h"

QZ_EXTERN_C_BEGIN
QzWord Qz_InitTransparencyPluginClass(Qz_GlobalData*);
void Qz_CleanupTransparencyPluginClass(void);
QzWord Qz_InitChannelsPluginClass(Qz_GlobalData*);
void Qz_CleanupChannelsPluginClass(void);
QZ_EXTERN_C_END

namespace {

using qz::plugins::kLevelSliders;
using qz::plugins::layerLevel;

struct PanelCase {
  qztest::PanelClass panel;
  size_t firstSlider;  // of the transparency panel's seven
};

class LevelPanelTest : public qztest::PanelImageTest, public testing::WithParamInterface<PanelCase> {
 protected:
  void SetUp() override {
    StartUp(GetParam().panel, {qz::app::ClassGroup::Actions}, 40, 30);
    sliders_ = qztest::FindAllOf(panel_, "CompactSlider");
    ASSERT_EQ(sliders_.size(), std::size(kLevelSliders) - GetParam().firstSlider);
  }
  uint32_t method(size_t slider) const { return kLevelSliders[GetParam().firstSlider + slider].method; }
  void SetLevels(int32_t level) {
    for (size_t i = 0; i < sliders_.size(); ++i) {
      const uint32_t m = method(i);
      uint16_t& word = m == 0x10006E ? layer_->opacity
                       : m <= 0x100348 ? layer_->blend[(m - 0x100320) / 0x14]
                                       : layer_->blend[6 + (m - 0x100398) / 0x14];
      word = uint16_t(level);
    }
  }
  Qz_Object* ResetButton() {
    for (Qz_Object* b : qztest::FindAllOf(panel_, "Button"))
      if (Qz_DoMethod(b, kRootGetUserData) == 100) return b;  // the tab bar has buttons too
    return nullptr;
  }
  std::vector<Qz_Object*> sliders_;
};

TEST_P(LevelPanelTest, TheLayersLevelsShowAsPercentagesAndNothingGoesBack) {
  struct Case {
    int32_t level, percent;
  };
  for (const Case& c : {Case{255, 0}, Case{256, 0}, Case{0, 100}, Case{128, 50}, Case{101, 61}}) {
    SCOPED_TRACE(c.level);
    SetLevels(c.level);
    Qz_DoNotify(&Qz_GetImageBase()->applicationImage->object, kQzImageMakeActive, layer_);
    for (size_t i = 0; i < sliders_.size(); ++i) {
      EXPECT_EQ(int32_t(Qz_DoMethod(sliders_[i], kValueGet)), c.percent) << i;
      EXPECT_EQ(layerLevel(layer_, method(i)), c.level) << "sent back by slider " << i;
    }
  }
}

TEST_P(LevelPanelTest, ASliderSendsItsLevelAndResetSendsZeroForEvery) {
  for (size_t i = 0; i < sliders_.size(); ++i) {
    Qz_DoMethod(sliders_[i], kValueSet, 50u);
    EXPECT_EQ(layerLevel(layer_, method(i)), 128) << i;
  }
  SetLevels(7);  // the sliders still show 50 %: reset must send whatever they show
  Qz_Object* reset = ResetButton();
  ASSERT_NE(reset, nullptr);
  Qz_DoNotify(reset, kButtonPressed, 1u);
  for (size_t i = 0; i < sliders_.size(); ++i) {
    EXPECT_EQ(layerLevel(layer_, method(i)), 256) << i;
    EXPECT_EQ(Qz_DoMethod(sliders_[i], kValueGet), 0u) << i;
  }
}

// As a user moves it: a press on the number opens the slider under the
// pointer, dragging up raises the percentage and the layer takes it; a click
// on an arrow steps it by one.
TEST_P(LevelPanelTest, ThePointerMovesASliderAndTheLayerFollows) {
  OpenPanelWindow();
  Qz_Object* number = Find(sliders_[0], "PopUp");
  ASSERT_NE(number, nullptr);
  const Qz_LayoutBox at = qztest::UiHarness::box(number);
  const int x = at.left + at.width / 2, y = at.top + at.height / 2;
  ui.moveTo(window_, x, y);
  qz::headless::press();
  ASSERT_TRUE(ui.settle(window_));  // the slider opens where the press was
  for (int step = 1; step <= 10; ++step) ui.moveTo(window_, x, y - 4 * step);
  qz::headless::release();
  ASSERT_TRUE(ui.settle(window_));
  const auto dragged = int32_t(Qz_DoMethod(sliders_[0], kValueGet));
  ASSERT_GT(dragged, 0);
  ASSERT_LT(dragged, 100) << "room for the arrow's step";
  EXPECT_EQ(layerLevel(layer_, method(0)), 256 - dragged * 256 / 100);

  const std::vector<Qz_Object*> arrows = qztest::FindAllOf(sliders_[0], "Button");
  ASSERT_GE(arrows.size(), 2u);
  const Qz_LayoutBox right = qztest::UiHarness::box(arrows.back());
  ui.click(window_, right.left + right.width / 2, right.top + right.height / 2);
  ASSERT_TRUE(ui.settle(window_));
  EXPECT_EQ(int32_t(Qz_DoMethod(sliders_[0], kValueGet)), dragged + 1);
  EXPECT_EQ(layerLevel(layer_, method(0)), 256 - (dragged + 1) * 256 / 100);
}

// Its label was once drawn over a frame a few pixels wide.
TEST_P(LevelPanelTest, TheResetButtonSpansTheColumn) {
  OpenPanelWindow();
  Qz_Object* reset = ResetButton();
  ASSERT_NE(reset, nullptr);
  EXPECT_GT(qztest::UiHarness::box(reset).width, qztest::UiHarness::box(panel_).width / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Panels, LevelPanelTest,
    testing::Values(
        PanelCase{{Qz_InitTransparencyPluginClass, Qz_CleanupTransparencyPluginClass, "TransparencyPlugin"}, 0},
        PanelCase{{Qz_InitChannelsPluginClass, Qz_CleanupChannelsPluginClass, "ChannelsPlugin"}, 1}),
    [](const testing::TestParamInfo<PanelCase>& info) { return std::string(info.param.panel.name); });

}  // namespace
