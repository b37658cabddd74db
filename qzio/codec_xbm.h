// X bitmap codec core: C source with "_width" and "_height" defines and an
// array of "0x" bytes, the least significant bit the leftmost pixel, a set
// bit black; read as grey (the older arrays of 16-bit "short" words too),
// written from true colour by a threshold.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// 1 with `info` (8-bit grey) from the head of a file of fileSize bytes; 8
// when it is not XBM or a side is outside 1 to 10000; 3 far too short.
QZ_EXPORT uint32_t xbmIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Decodes a whole file into grey rows (0 black, 255 white). 1 (rows a short
// file lacks are white, reported as partial); 8 not XBM; 9 stopped.
QZ_EXPORT uint32_t xbmDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends an X bitmap of rows fetched as RGB to `out`, named after
// fileName: black where (R + G + B) / 3 is below 128. 1; 7 for a depth
// other than 24; 6 bad size; 9 stopped.
QZ_EXPORT uint32_t xbmEncode(uint32_t width, uint32_t height, uint32_t depth, std::string_view fileName,
                             PixelRows& rows, std::vector<uint8_t>& out);

}  // namespace qz::codec
