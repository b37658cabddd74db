// IFF DEEP codec core: chunky 24-bit pictures (FORM DEEP) of three 8-bit
// elements, red, green and blue in any order, uncompressed.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// 1 with `info` (24-bit true colour) from the first bytes of a file of
// fileSize bytes; 8 when it is not an uncompressed DEEP picture; 3 when the
// file is far too short for it.
QZ_EXPORT uint32_t deepIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Decodes a whole file into RGB rows sized as identify said. 1; 6 for
// elements other than one 8-bit red, green and blue; 3 without a usable
// element list or body, or with a body cut short; 9 stopped.
QZ_EXPORT uint32_t deepDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends a DEEP picture of rows fetched as RGB to `out`. 1; 7 for a depth
// other than 24; 6 bad size; 9 stopped.
QZ_EXPORT uint32_t deepEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                              std::vector<uint8_t>& out);

}  // namespace qz::codec
