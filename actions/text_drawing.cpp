// Glyph coverage into an 8-bit plane, clipped to the box bottom and the plane.
#include "actions/text_drawing.h"

#include <algorithm>

namespace qz::text {
namespace {

void Qz__AddCoverage(const PlaneTarget& target, int32_t left, int32_t top, int32_t width, int32_t height,
                     const uint8_t* coverage, int32_t bottomLimit, uint32_t strength, DrawnArea& area) {
  const int32_t y0 = std::max(top, 0), y1 = std::min({top + height, target.height, bottomLimit});
  const int32_t x0 = std::max(left, 0), x1 = std::min(left + width, target.width);
  if (y0 >= y1 || x0 >= x1) return;
  for (int32_t y = y0; y < y1; ++y) {
    uint8_t* row = target.rows[y];
    for (int32_t x = x0; x < x1; ++x) {
      const uint32_t ink = coverage ? coverage[size_t(y - top) * size_t(width) + size_t(x - left)] : 255u;
      row[x] = uint8_t(std::min<uint32_t>(255, row[x] + ink * strength / 255));
    }
  }
  area.x0 = std::min(area.x0, x0), area.y0 = std::min(area.y0, y0);
  area.x1 = std::max(area.x1, x1 - 1), area.y1 = std::max(area.y1, y1 - 1);
}

}  // namespace

DrawnArea drawTextLines(FontEntry& font, const std::u32string& text, const std::vector<TextLine>& lines,
                        const TextBox& box, const PlaneTarget& target, uint32_t strength) {
  DrawnArea area;
  const FontKey& key = font.key();
  const int32_t bottom = box.y + box.height;  // exclusive
  const int32_t thickness = std::max(1, key.size / 16), underlineGap = std::max(1, key.size / 10);
  for (const TextLine& line : lines) {
    const int32_t baseline = box.y + line.top + font.ascent();
    int32_t pen = box.x;
    for (size_t i = line.start; i < line.start + line.length; ++i) {
      const CachedGlyph& g = font.glyph(text[i]);
      // A first glyph hanging left of the box starts at its edge instead.
      const int32_t left = (i == line.start && g.left < 0) ? pen : pen + g.left;
      if (g.width > 0)
        Qz__AddCoverage(target, left, baseline - g.top, g.width, g.height, g.coverage.data(), bottom, strength, area);
      pen += g.advance;
      if (i + 1 < line.start + line.length) pen += font.kerning(text[i], text[i + 1]);
    }
    if ((key.style & kStyleUnderline) && pen > box.x)
      Qz__AddCoverage(target, box.x, baseline + underlineGap, pen - box.x, thickness, nullptr, bottom, strength, area);
  }
  return area;
}

}  // namespace qz::text
