// Lookup-table entries and the curve editor's geometry, shared by the curve
// editor and the histogram panel.
#include <algorithm>

#include "gadgets/qz_lut_edit.h"
#include "platform/graphics.h"

QZ_EXTERN_C_BEGIN

int32_t Qz__SetLUTEntry(QzLutTable* lut, int32_t index, uint32_t value) {
  if (lut == nullptr) return -1;
  const bool inside = index >= 0 && uint32_t(index) < lut->length;
  switch (lut->width) {
    case 1:
      if (!lut->table8) return -1;
      if (!inside) return 0;
      lut->table8[index] = uint8_t(value);
      return 1;
    case 2:
      if (!lut->table16) return -1;
      if (!inside) return 0;
      lut->table16[index] = uint16_t(value);
      return 1;
    case 4:
      if (!lut->table32) return -1;
      if (!inside) return 0;
      lut->table32[index] = value;
      return 1;
    default: return 0;
  }
}

int64_t Qz__GetLUTEntry(const QzLutTable* lut, int32_t index) {
  if (lut == nullptr || index < 0 || uint32_t(index) >= lut->length) return -1;
  switch (lut->width) {
    case 1: return lut->table8 ? int64_t(lut->table8[index]) : -1;
    case 2: return lut->table16 ? int64_t(lut->table16[index]) : -1;
    case 4: return lut->table32 ? int64_t(lut->table32[index]) : -1;
    default: return -1;
  }
}

void Qz__ClearHistogramArea(RastPort* rp, int32_t left, int32_t top, int32_t width, int32_t height) {
  if (rp == nullptr || width <= 0 || height <= 0) return;
  EraseRect(rp, left, top, left + width - 1, top + height - 1);
}

QZ_EXTERN_C_END

namespace qz::lut {

// A zero range or an empty area is a single point: no division by zero.
Point screenPoint(const QzLutTable& lut, Area a, Point h) {
  const int64_t x = lut.maxX != 0 ? int64_t(h.x) * a.width / lut.maxX : 0;
  const int64_t y = lut.maxY != 0 ? int64_t(h.y) * a.height / lut.maxY : 0;
  return {int32_t(a.left + x), int32_t(a.top + a.height - y)};
}

Point dragControl(const QzLutTable& lut, Area a, int32_t px, int32_t py) {
  const int64_t x = a.width > 0 ? int64_t(px - a.left) * lut.maxX / a.width : lut.minX;
  const int64_t y = a.height > 0 ? int64_t(py - a.top) * lut.maxY / a.height : lut.minY;
  const int32_t cx = int32_t(std::clamp<int64_t>(x, lut.minX, std::max(lut.minX, lut.maxX)));
  const int32_t cy = int32_t(std::clamp<int64_t>(y, lut.minY, std::max(lut.minY, lut.maxY)));
  return {cx, lut.maxY - cy};
}

}  // namespace qz::lut
