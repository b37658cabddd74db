// Planes: one zeroed block holding a row-pointer table and then the rows,
// each row on a 64-byte boundary and padded to a multiple of 64 bytes.
#include <cstdlib>
#include <cstring>

#include "image/qz_image.h"

namespace {

constexpr size_t kRowAlignment = 64;
// No plane comes near this; anything larger is a corrupt or hostile size and
// is refused before the allocator sees it.
constexpr size_t kMaxPlaneBytes = size_t(1) << 36;

size_t Qz__RoundUp(size_t value, size_t step) { return (value + step - 1) / step * step; }

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT size_t Qz_PlaneRowBytes(int32_t width, int32_t depth) {
  if (width <= 0) return 0;
  const size_t bytes = size_t(width) * (depth == 24 ? 3 : 1);
  return Qz__RoundUp(bytes, kRowAlignment);
}

QZ_EXPORT Qz_Plane Qz_AllocImageData(int32_t width, int32_t rows, int32_t depth) {
  if (width <= 0 || rows < 0 || (depth != 8 && depth != 24)) return nullptr;
  const size_t rowBytes = Qz_PlaneRowBytes(width, depth);
  const size_t tableBytes = size_t(rows) * sizeof(uint8_t*);
  size_t pixelBytes = 0, total = 0;
  // The slack covers the alignment of the first row and one extra row's worth
  // of bytes that SIMD tails may touch past the last row.
  if (__builtin_mul_overflow(rowBytes, size_t(rows), &pixelBytes) ||
      __builtin_add_overflow(pixelBytes, tableBytes + 2 * kRowAlignment, &total) ||
      total > kMaxPlaneBytes)
    return nullptr;
  // calloc leaves large blocks to the kernel's zero pages instead of clearing them.
  auto* block = static_cast<uint8_t*>(std::calloc(1, total));
  if (!block) return nullptr;
  auto table = reinterpret_cast<uint8_t**>(block);
  const uintptr_t firstRow = Qz__RoundUp(reinterpret_cast<uintptr_t>(block) + tableBytes,
                                         kRowAlignment);
  auto* row = reinterpret_cast<uint8_t*>(firstRow);
  for (int32_t y = 0; y < rows; ++y, row += rowBytes) table[y] = row;
  return table;
}

QZ_EXPORT void Qz_FreeImageData(Qz_Plane plane) { std::free(plane); }

QZ_EXPORT void Qz_FreeStoredObjectBuffer(Qz_Plane plane) { Qz_FreeImageData(plane); }

QZ_EXTERN_C_END
