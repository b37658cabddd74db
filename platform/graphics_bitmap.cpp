// Bitmaps allocated in one block with their planes, their device-independent
// headers, the plane-to-byte conversion, and the calls kept only as no-ops.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/graphics.h"

namespace {

// Room kept behind the plane data, as the block always had.
constexpr std::size_t kSpareBytes = 72;

}  // namespace

QZ_EXTERN_C_BEGIN

struct BitMap* AllocBitMap(uint32_t width, uint32_t height, uint32_t depth, uint32_t flags, const struct BitMap*) {
  const uint64_t rowBytes = ((uint64_t{width} + 31) / 32) * 4;
  if (rowBytes > 0xFFFF || height > 0xFFFF || depth == 0 || depth > 32) return nullptr;
  const uint64_t dataBytes = rowBytes * height * depth;
  // Zero-filled whole, not only the first plane: nothing reads stale memory.
  auto* block = static_cast<uint8_t*>(std::calloc(1, sizeof(BitMap) + dataBytes + kSpareBytes));
  if (block == nullptr) return nullptr;
  auto* bm = reinterpret_cast<BitMap*>(block);
  bm->BytesPerRow = static_cast<uint16_t>(rowBytes);
  bm->Rows = static_cast<uint16_t>(height);
  bm->Flags = static_cast<uint8_t>(flags);
  bm->Depth = static_cast<uint8_t>(depth);
  uint8_t* data = block + sizeof(BitMap);
  if (depth >= 16) {
    bm->Planes[0] = data;  // one chunky plane of depth / 8 bytes per pixel
  } else {
    for (uint32_t k = 0; k < depth && k < 8; ++k) bm->Planes[k] = data + k * rowBytes * height;
  }
  return bm;
}

void FreeBitMap(struct BitMap* bitmap) { std::free(bitmap); }

uint32_t GetBitMapAttr(const struct BitMap* bitmap, uint32_t attribute) {
  if (bitmap == nullptr) return 0;
  switch (attribute) {
    case BMA_HEIGHT: return bitmap->Rows;
    case BMA_DEPTH: return bitmap->Depth;
    case BMA_WIDTH: return uint32_t{bitmap->BytesPerRow} * 8;
    case BMA_FLAGS: return bitmap->Flags;
    default: return 0;
  }
}

struct QzBitmapInfo* alloc_bitmapinfo(const struct BitMap* bitmap) {
  if (bitmap == nullptr) return nullptr;
  auto* info = static_cast<QzBitmapInfo*>(std::calloc(1, sizeof(QzBitmapInfo)));
  if (info == nullptr) return nullptr;
  info->biSize = 40;
  info->biWidth = int32_t{bitmap->BytesPerRow} * 8;
  info->biHeight = -int32_t{bitmap->Rows};
  info->biPlanes = 1;
  info->biBitCount = bitmap->Depth;
  info->biCompression = 0;
  return info;
}

void free_bitmapinfo(struct QzBitmapInfo* info) { std::free(info); }

void planar_to_chunky(uint8_t* const* planes, uint8_t* dest, uint32_t rows, uint32_t depth,
                      uint32_t srcBytesPerRow, uint32_t destBytesPerRow) {
  if (planes == nullptr || dest == nullptr || depth < 1 || depth > 8) return;
  for (uint32_t k = 0; k < depth; ++k)
    if (planes[k] == nullptr) return;
  const uint64_t pixels = std::min<uint64_t>(uint64_t{srcBytesPerRow} * 8, destBytesPerRow);
  for (uint32_t y = 0; y < rows; ++y) {
    uint8_t* out = dest + uint64_t{y} * destBytesPerRow;
    const uint64_t rowStart = uint64_t{y} * srcBytesPerRow;
    for (uint64_t x = 0; x < pixels; ++x) {
      const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
      uint8_t v = 0;
      for (uint32_t k = 0; k < depth; ++k)
        if (planes[k][rowStart + (x >> 3)] & mask) v |= static_cast<uint8_t>(1u << k);
      out[x] = v;
    }
  }
}

int32_t getreg(int32_t) { return 1; }
void putreg(int32_t, int32_t) {}
void Qz_StackCheck(void) {}
int32_t Qz__InitExecute(void) { return 0; }
void Qz__CleanupExecute(void) {}
void Qz__RemapBitMap(struct BitMap*) {}
int32_t ImageToWindowXa(void*, int32_t) { return 0; }
int32_t ImageToWindowYa(void*, int32_t) { return 0; }
int32_t WindowToImageXa(void*, int32_t) { return 0; }
int32_t WindowToImageYa(void*, int32_t) { return 0; }
void WindowToBack(struct Window*) {}
int32_t UnlockPubScreen(const char*, struct Screen*) { return 0; }

QZ_EXTERN_C_END
