// The level panels (transparency and channels): a column of percentage
// sliders, each sending the active layer one of its level methods, and a
// button that sets them all back to 0. When the current layer changes the
// sliders follow its levels without sending anything back.
#pragma once

#include <cstdint>
#include <span>

#include "image/qz_image.h"
#include "objects/qz_object.h"
#include "plugins/plugin_family.h"

namespace qz::plugins {

struct LevelSlider {
  uint32_t label;   // catalogue text
  uint32_t colour;  // the slider's base colour (0x00BBGGRR), 0: the usual one
  uint32_t method;  // the layer method that takes the percentage
};

// The transparency panel's sliders; the channels panel shows all but the first.
inline constexpr LevelSlider kLevelSliders[] = {
    {365, 0, 0x10006E},        {84, 0x3200F0, 0x100320}, {85, 0x14FF46, 0x100334}, {86, 0xF0823C, 0x100348},
    {363, 0, 0x1003C0},        {362, 0, 0x1003AC},       {361, 0, 0x100398}};
inline constexpr size_t kMostLevelSliders = std::size(kLevelSliders);

// The level (0 to 256, 256 opaque) that a level method sets on a layer; -1
// for a method that sets none.
QZ_EXPORT int32_t layerLevel(const Qz_Image* layer, uint32_t method);

struct LevelPanelObject {
  Qz_Object header{};
  Qz_Object* sliders[kMostLevelSliders] = {};
  const LevelSlider* specs = nullptr;
  size_t count = 0;
  Qz_Object* reset = nullptr;
  QzWord follow = 0;
};

// The panel's RootPlugin part holding the sliders given and the reset button.
Qz_Object* makeLevelPanel(Qz_Object* object, std::span<const LevelSlider> sliders, const PanelTitles& titles);
bool setUpLevelPanel(Qz_Object* object);
void tearDownLevelPanel(Qz_Object* object);
QzWord dispatchLevelPanel(Qz_Object* object, uint32_t id, const QzWord* args);

}  // namespace qz::plugins
