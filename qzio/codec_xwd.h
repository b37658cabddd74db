// X window dump codec core: X11 (file version 7) and X10 (version 6) dumps
// in either byte order. True-colour dumps (16, 24 or 32 bits a pixel, any
// masks) become 24-bit pictures, dumps with a colour map colour-mapped ones,
// the rest grey. Writes X11 dumps of 32 bits a pixel.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// 1 with `info` from the header at the start of `head` for a file of
// fileSize bytes; 8 when it is not a dump this reader takes; 3 when the
// file is far too short for its lines.
QZ_EXPORT uint32_t xwdIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Decodes a whole file into rows sized as identify said (RGB, index or
// grey). 1; 3 for lines the file lacks; 2 no memory; 8 not a dump; 9 stopped.
QZ_EXPORT uint32_t xwdDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends an X11 dump of rows fetched as RGB to `out`.
// 1; 7 for a depth other than 24; 6 bad size; 9 stopped.
QZ_EXPORT uint32_t xwdEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                             std::vector<uint8_t>& out);

}  // namespace qz::codec
