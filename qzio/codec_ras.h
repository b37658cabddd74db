// Sun raster codec core: 1, 8, 24 and 32 bits a pixel, raw or run-length
// encoded, with or without a colour map; writes 24-bit standard rasters.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// 1 with `info` from the 32-byte header for a file of fileSize bytes: 1-bit
// and map-less 8-bit files are grey, 8-bit with a map colour-mapped, 24 and
// 32 true colour. 8 when it is not a raster this reader takes or its colour
// map runs past the file; 3 when the file is far too short for its rows.
QZ_EXPORT uint32_t rasIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Decodes a whole file into rows sized as identify said. 1; 7 for a colour
// map on a depth above 8; 3 for rows the file lacks; 2 no memory; 8 not a
// raster; 9 stopped.
QZ_EXPORT uint32_t rasDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends a 24-bit raw raster of rows fetched as BGR to `out`.
// 1; 7 for a depth other than 24; 6 bad size; 9 stopped.
QZ_EXPORT uint32_t rasEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                             std::vector<uint8_t>& out);

}  // namespace qz::codec
