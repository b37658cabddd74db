// The geometry of the colour-space fields: which colour each pixel of a
// field shows and where the marker of a colour stands. Kinds: "HS" (also
// any unknown name), "HW" (the same field), "HK", "HSV", "HSV2", "SV".
#pragma once

#include <cstdint>
#include <string_view>

#include "image/hsv.h"
#include "platform/qz_export.h"

namespace qz::colours {

// The colour (0x00BBGGRR) at column x, row y of a W x H field; `view` is the
// HSV of the view's colour (only "SV" uses its hue).
QZ_EXPORT uint32_t fieldColour(std::string_view kind, int32_t x, int32_t y, int32_t width, int32_t height, Hsv view);

struct Point {
  int32_t x, y;
};
// The marker's centre for a colour of HSV `c`, relative to the field's top-left.
QZ_EXPORT Point markerCentre(std::string_view kind, Hsv c, int32_t width, int32_t height);

// "#RRGGBB" or "RRGGBB" with 1..6 hex digits to 0x00BBGGRR; false (and no
// change) for anything else.
QZ_EXPORT bool parseHtmlColour(const char* text, uint32_t* colour);

inline Hsv hsvOf(uint32_t colour) { return rgbToHsv(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }
inline uint32_t colourOf(Hsv hsv) {
  uint8_t rgb[3];
  hsvToRgb(hsv, rgb);
  return uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16;
}

}  // namespace qz::colours
