// PCX codec core: run-length encoded pictures of 1 bit in one plane, 8 bits
// in one plane (palette at the end of the file) and 8 bits in three planes.
// Read only.
#pragma once

#include <cstdint>
#include <span>

#include "qzio/codec_rows.h"

namespace qz::codec {

// 1 with `info` from the 128-byte header of a file of fileSize bytes: 1 bit
// gives a one-plane bitplane picture, 8 bits a colour-mapped one, 3 x 8 bits
// true colour. 8 when it is not PCX or a kind this reader does not take
// (lines shorter than the width among them); 10 for 1-bit pictures of more
// than one plane; 3 when the file is far too short.
QZ_EXPORT uint32_t pcxIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Decodes a whole file into rows sized as identify said. 1; 3 when the
// data end before the last line; 2 no memory; 8 not PCX; 9 stopped.
QZ_EXPORT uint32_t pcxDecode(std::span<const uint8_t> file, PixelRows& rows);

}  // namespace qz::codec
