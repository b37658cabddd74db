// Planes: one zeroed block holding a row-pointer table and then the rows,
// each row on a 64-byte boundary and padded to a multiple of 64 bytes.
// Large blocks are mapped straight from the kernel (zero pages, touched only
// when written) in ordinary pages: a huge page's first touch clears 2 MiB at
// once, and in a virtual machine often waits for the host to back it, which
// made a fresh picture's first touch several times slower than small pages.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/qz_image.h"

namespace {

constexpr size_t kRowAlignment = 64;
// No plane comes near this; anything larger is a corrupt or hostile size and
// is refused before the allocator sees it.
constexpr size_t kMaxPlaneBytes = size_t(1) << 36;
// From here on a block is mapped, and given back whole when freed.
constexpr size_t kMappedBytes = size_t(4) << 20;

// Sits in the 64 bytes before the row table: how to give the block back.
struct PlaneHeader {
  void* mapping;  // null for a heap block, which starts at the header
  size_t mappedBytes;
};
static_assert(sizeof(PlaneHeader) <= kRowAlignment);

size_t Qz__RoundUp(size_t value, size_t step) { return (value + step - 1) / step * step; }

// A zeroed block of `bytes` after a header, or null.
PlaneHeader* Qz__ZeroedBlock(size_t bytes) {
  const size_t total = bytes + kRowAlignment;
  if (total < kMappedBytes) {
    auto* header = static_cast<PlaneHeader*>(std::calloc(1, total));
    if (header) header->mapping = nullptr;
    return header;
  }
  void* mapping = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  auto* header = static_cast<PlaneHeader*>(mapping);
  header->mapping = mapping;
  header->mappedBytes = total;
  return header;
}

PlaneHeader* Qz__HeaderOf(Qz_Plane plane) {
  return reinterpret_cast<PlaneHeader*>(reinterpret_cast<uint8_t*>(plane) - kRowAlignment);
}

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
  PlaneHeader* header = Qz__ZeroedBlock(total);
  if (!header) return nullptr;
  auto* block = reinterpret_cast<uint8_t*>(header) + kRowAlignment;
  auto table = reinterpret_cast<uint8_t**>(block);
  const uintptr_t firstRow = Qz__RoundUp(reinterpret_cast<uintptr_t>(block) + tableBytes,
                                         kRowAlignment);
  auto* row = reinterpret_cast<uint8_t*>(firstRow);
  for (int32_t y = 0; y < rows; ++y, row += rowBytes) table[y] = row;
  return table;
}

QZ_EXPORT void Qz_FreeImageData(Qz_Plane plane) {
  if (!plane) return;
  PlaneHeader* header = Qz__HeaderOf(plane);
  if (header->mapping)
    munmap(header->mapping, header->mappedBytes);
  else
    std::free(header);
}

// Stored object texts are plain heap blocks, not planes.
QZ_EXPORT void Qz_FreeStoredObjectBuffer(Qz_Plane plane) { std::free(plane); }

QZ_EXTERN_C_END
