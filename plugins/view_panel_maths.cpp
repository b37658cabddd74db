// The view and colour panels' arithmetic, in integers as the readouts show it.
#include "plugins/view_panel_maths.h"

#include <algorithm>
#include <cstdio>

namespace qz::plugins {

namespace {
constexpr int32_t kMagnified = 6;
constexpr int32_t kMostZoom = 10000;
}  // namespace

Hsv hsvOf(int32_t red, int32_t green, int32_t blue) {
  const int32_t most = std::max({red, green, blue});
  const int32_t least = std::min({red, green, blue});
  const int32_t delta = most - least;
  Hsv out;
  out.value = most;
  out.saturation = most == 0 ? 0 : delta * 255 / most;
  if (out.saturation == 0) return out;
  int32_t hue = 0;
  if (red == most)
    hue = (green - blue) * 60 / delta;
  else if (green == most)
    hue = (blue - red) * 60 / delta + 120;
  else
    hue = (red - green) * 60 / delta + 240;
  out.hue = hue < 0 ? hue + 360 : hue;
  return out;
}

std::string hexText(int32_t red, int32_t green, int32_t blue) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(red & 0xFF), unsigned(green & 0xFF),
                unsigned(blue & 0xFF));
  return text;
}

int32_t clampToSide(int32_t at, int32_t size) { return size <= 0 ? 0 : std::clamp(at, 0, size - 1); }

int32_t inspectorFactor(int32_t mainViewWidth, int32_t imageWidth) {
  return mainViewWidth / 3 < imageWidth ? kMagnified : 1;
}

int32_t magnifierZoom(int32_t entered) { return std::clamp(entered, 1, kMostZoom); }

int32_t gradientLevel(int32_t percent) { return 255 - std::clamp(percent, 0, 100) * 255 / 100; }

}  // namespace qz::plugins
