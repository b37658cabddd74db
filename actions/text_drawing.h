// Draws laid-out lines of a text box into an 8-bit plane (a paint layer's
// transparency): each glyph's coverage, scaled by the strength, added with
// saturation; nothing below the box's bottom edge or outside the plane.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "actions/text_font_cache.h"
#include "actions/text_layout.h"

#include "platform/qz_export.h"

namespace qz::text {

struct PlaneTarget {
  uint8_t** rows = nullptr;
  int32_t width = 0, height = 0;
};

struct TextBox {
  int32_t x = 0, y = 0, width = 0, height = 0;
};

// The rectangle drawn into, inclusive; empty when nothing was drawn.
struct DrawnArea {
  int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
  bool empty() const { return x0 > x1; }
};

QZ_EXPORT DrawnArea drawTextLines(FontEntry& font, const std::u32string& text, const std::vector<TextLine>& lines,
                        const TextBox& box, const PlaneTarget& target, uint32_t strength);

}  // namespace qz::text
