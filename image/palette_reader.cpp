#include "image/palette_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/byte_order.h"
#include "platform/paths.h"

namespace qz {
namespace {

constexpr size_t kFormHeaderBytes = 12;  // "FORM", length, form type
constexpr size_t kPlanesOffset = 8;      // in the BMHD data

bool isChunk(std::span<const uint8_t> id, const char* name) {
  return id.size() == 4 && std::memcmp(id.data(), name, 4) == 0;
}

}  // namespace

uint32_t readPalette(std::span<const uint8_t> file, uint32_t table[kPaletteEntries]) {
  if (file.size() < kFormHeaderBytes || std::memcmp(file.data(), "FORM", 4) != 0) return 0;
  ByteReader in(file);
  in.skip(kFormHeaderBytes);
  uint32_t count = kPaletteEntries;
  while (in.remaining() >= 8) {
    const std::span<const uint8_t> id = in.bytes(4);
    const uint32_t length = in.u32be();
    // A chunk that claims more than the file holds ends the walk.
    const std::span<const uint8_t> data = in.bytes(length);
    if (in.failed()) return 0;
    if (isChunk(id, "CMAP")) {
      count = std::min({count, kPaletteEntries, uint32_t(data.size() / 3)});
      for (uint32_t i = 0; i < count; ++i)
        table[i] = uint32_t(data[3 * i]) | uint32_t(data[3 * i + 1]) << 8 | uint32_t(data[3 * i + 2]) << 16;
      return count;
    }
    if (isChunk(id, "BMHD") && data.size() > kPlanesOffset)
      count = 1u << std::min<uint32_t>(data[kPlanesOffset], 8);
    if (length % 2 != 0 && in.remaining() > 0) in.skip(1);  // chunks are padded to even lengths
  }
  return 0;
}

}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT uint32_t Qz_ReadPalette(const char* path, uint32_t* table) {
  if (!path || !table) return 0;
  FILE* f = Qz_FOpen(path, "rb");
  if (!f) return 0;
  std::vector<uint8_t> bytes;
  uint8_t block[16384];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
  std::fclose(f);
  return qz::readPalette(bytes, table);
}

QZ_EXTERN_C_END
