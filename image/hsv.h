// The one HSV conversion of the editor (compositor, colour editor, modes):
// hue in degrees 0..359, saturation and value 0..255. Products x * V / 255
// are rounded to nearest, so saturation 0 gives exactly V and pure
// primaries and secondaries survive a round trip.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz {

struct Hsv {
  int32_t h, s, v;
};

// V = max, S = (V - min) * 255 / V (0 for black), H from the largest channel.
QZ_EXPORT Hsv rgbToHsv(int32_t r, int32_t g, int32_t b);
// Sector (H mod 360) / 60 with the fraction f = (H mod 60) * 256 / 60.
QZ_EXPORT void hsvToRgb(Hsv hsv, uint8_t out[3]);

}  // namespace qz
