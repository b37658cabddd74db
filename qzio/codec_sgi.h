// SGI image codec core: one channel (grey) or three and more (RGB, a fourth
// ignored), verbatim or run-length encoded, 1 or 2 bytes a sample (the more
// significant byte kept); writes verbatim 3-channel files of 1 byte a sample.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// 1 with `info` (8-bit grey or 24-bit true colour) from the 512-byte header
// of a file of fileSize bytes; 8 when it is not an SGI image or uses a
// layout this reader does not take; 3 when the file is far too short.
QZ_EXPORT uint32_t sgiIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Decodes a whole file into rows (grey or RGB) sized as identify said; the
// file holds the bottom row first. 1; 3 when the rows or their tables lie
// outside the file; 2 no memory; 8 not SGI; 9 stopped.
QZ_EXPORT uint32_t sgiDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends a verbatim 3-channel file of rows fetched as RGB to `out`.
// 1; 7 for a depth other than 24; 6 bad size; 9 stopped.
QZ_EXPORT uint32_t sgiEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                             std::vector<uint8_t>& out);

}  // namespace qz::codec
