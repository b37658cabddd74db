#include "gadgets/colour_space_maths.h"

#include <cctype>

namespace qz::colours {

uint32_t fieldColour(std::string_view kind, int32_t x, int32_t y, int32_t w, int32_t h, Hsv view) {
  if (w <= 0 || h <= 0) return 0;
  const int32_t hue = y * 360 / h;
  const int32_t fade = (w - x) * 255 / w;  // full colour at the left to white at the right
  const int32_t rise = x * 255 / w;
  if (kind == "HK") return colourOf({hue, 255, rise});
  if (kind == "HSV2") return colourOf({hue, fade, rise});
  if (kind == "SV") return colourOf({view.h, rise, 255 - y * 255 / h});
  if (kind == "HSV") {
    const int32_t half = w / 2;
    // A field narrower than two pixels has no halves: it shows the full colour.
    if (half < 1) return colourOf({hue, 255, 255});
    if (x < half) return colourOf({hue, 255, x * 255 / half});
    return colourOf({hue, (2 * half - x) * 255 / half, 255});
  }
  return colourOf({hue, fade, 255});
}

Point markerCentre(std::string_view kind, Hsv c, int32_t w, int32_t h) {
  const int32_t row = c.h * h / 360;
  if (kind == "HK") return {c.v * w / 255, row};
  if (kind == "SV") return {c.s * w / 255, (255 - c.v) * h / 255};
  if (kind == "HSV") {
    if (c.s == 255 || c.v == 0) return {(c.v * w / 255) / 2, row};
    return {((255 - c.s) * w / 255) / 2 + w / 2, row};
  }
  return {(255 - c.s) * w / 255, row};
}

bool parseHtmlColour(const char* text, uint32_t* colour) {
  if (text == nullptr) return false;
  if (*text == '#') ++text;
  uint32_t rgb = 0;
  int digits = 0;
  for (; *text; ++text, ++digits) {
    const int c = std::tolower(static_cast<unsigned char>(*text));
    if (digits == 6 || !std::isxdigit(c)) return false;
    rgb = rgb << 4 | uint32_t(c <= '9' ? c - '0' : c - 'a' + 10);
  }
  if (digits == 0) return false;
  *colour = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
  return true;
}

}  // namespace qz::colours
