// The colour map of an IFF picture or palette file, as a table of colours
// (red in the low byte, then green, then blue).
#pragma once

#include <cstdint>
#include <span>

#include "platform/qz_export.h"

namespace qz {

inline constexpr uint32_t kPaletteEntries = 256;

// Reads the "CMAP" chunk of IFF bytes into table: as many colours as the
// "BMHD" planes give (256 without one), never more than the map holds or
// the table takes. The number written; 0 (table untouched) without a map.
QZ_EXPORT uint32_t readPalette(std::span<const uint8_t> file, uint32_t table[kPaletteEntries]);

}  // namespace qz

QZ_EXTERN_C_BEGIN
// The colours of the palette file at path into table (256 entries); 0 when
// the file cannot be read or holds no colour map.
QZ_EXPORT uint32_t Qz_ReadPalette(const char* path, uint32_t* table);
QZ_EXTERN_C_END
