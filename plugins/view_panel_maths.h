// What the view and colour panels compute from what they are told: the
// inspector's readout of a pixel, its magnification, the magnifier's zoom
// field and the transparency gradient's level.
#pragma once

#include <cstdint>
#include <string>

#include "platform/qz_export.h"

namespace qz::plugins {

struct Hsv {
  int32_t hue = 0;         // 0 to 359
  int32_t saturation = 0;  // 0 to 255
  int32_t value = 0;       // 0 to 255
};

// Integer hue, saturation and value of an 8-bit red, green and blue.
QZ_EXPORT Hsv hsvOf(int32_t red, int32_t green, int32_t blue);

// "#RRGGBB" in upper-case hexadecimal.
QZ_EXPORT std::string hexText(int32_t red, int32_t green, int32_t blue);

// A coordinate brought into 0 to size - 1 (0 for an empty side).
QZ_EXPORT int32_t clampToSide(int32_t at, int32_t size);

// The inspector's view pixels per image pixel: 6 while the main view shows
// the image at less than three times its width, else 1.
QZ_EXPORT int32_t inspectorFactor(int32_t mainViewWidth, int32_t imageWidth);

// The magnifier's zoom for an entered percentage: 1 to 10000.
QZ_EXPORT int32_t magnifierZoom(int32_t entered);

// The transparency gradient's level (255 opaque) for a slider percentage.
QZ_EXPORT int32_t gradientLevel(int32_t percent);

}  // namespace qz::plugins
