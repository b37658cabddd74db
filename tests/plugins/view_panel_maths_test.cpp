// The inspector's readout and magnification, the magnifier's zoom field and
// the gradient's level.
#include <gtest/gtest.h>

#include "plugins/view_panel_maths.h"

namespace {

using namespace qz::plugins;

TEST(ViewPanelMaths, HueSaturationValueAndHexOfAPixel) {
  struct Case {
    int32_t r, g, b, h, s, v;
    const char* hex;
  };
  const Case cases[] = {
      {200, 100, 50, 20, 191, 200, "#C86432"}, {255, 0, 128, 330, 255, 255, "#FF0080"},
      {255, 0, 1, 0, 255, 255, "#FF0001"},  // (0 - 1) * 60 / 255 truncates to 0
      {255, 0, 0, 0, 255, 255, "#FF0000"},     {0, 255, 0, 120, 255, 255, "#00FF00"},
      {0, 0, 255, 240, 255, 255, "#0000FF"},   {128, 128, 128, 0, 0, 128, "#808080"},
      {0, 0, 0, 0, 0, 0, "#000000"},           {255, 255, 255, 0, 0, 255, "#FFFFFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hex);
    const Hsv hsv = hsvOf(c.r, c.g, c.b);
    EXPECT_EQ(hsv.hue, c.h);
    EXPECT_EQ(hsv.saturation, c.s);
    EXPECT_EQ(hsv.value, c.v);
    EXPECT_EQ(hexText(c.r, c.g, c.b), c.hex);
  }
}

TEST(ViewPanelMaths, CoordinatesClampAtEachEdge) {
  struct Case {
    int32_t at, size, clamped;
  };
  for (const Case& c : {Case{-1, 10, 0}, Case{-500, 10, 0}, Case{0, 10, 0}, Case{9, 10, 9}, Case{10, 10, 9},
                        Case{4000, 10, 9}, Case{3, 0, 0}})
    EXPECT_EQ(clampToSide(c.at, c.size), c.clamped) << c.at << " in " << c.size;
}

TEST(ViewPanelMaths, InspectorMagnifiesUntilTheMainViewIsThreeTimesWide) {
  struct Case {
    int32_t viewWidth, imageWidth, factor;
  };
  for (const Case& c : {Case{300, 100, 1}, Case{299, 100, 6}, Case{100, 100, 6}, Case{800, 100, 1}, Case{2, 1, 6}})
    EXPECT_EQ(inspectorFactor(c.viewWidth, c.imageWidth), c.factor) << c.viewWidth << " for " << c.imageWidth;
}

TEST(ViewPanelMaths, MagnifierZoomAndGradientLevel) {
  struct Zoom {
    int32_t entered, zoom;
  };
  for (const Zoom& c : {Zoom{20000, 10000}, Zoom{10000, 10000}, Zoom{1, 1}, Zoom{0, 1}, Zoom{-7, 1}, Zoom{250, 250}})
    EXPECT_EQ(magnifierZoom(c.entered), c.zoom) << c.entered;
  struct Level {
    int32_t percent, level;
  };
  for (const Level& c : {Level{0, 255}, Level{100, 0}, Level{50, 128}, Level{1, 253}, Level{99, 3}})
    EXPECT_EQ(gradientLevel(c.percent), c.level) << c.percent;
}

}  // namespace
