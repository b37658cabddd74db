// ILBM codec core: interleaved-bitplane IFF pictures of 1 to 32 planes,
// plain or ByteRun1-packed, with or without a mask plane; writes plain
// 24-plane pictures.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// Picture header from the first bytes of a file of fileSize bytes (its
// chunks up to BMHD). 1 with `info` filled (a bitplane picture of `planes`
// bits); 8 when it is not an ILBM picture this reader takes; 3 when the file
// is far too short for it.
QZ_EXPORT uint32_t ilbmIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Decodes a whole file into rows sized as identify said: plane rows as
// kLayoutPlane(n), the colourmap first for up to 8 planes (a grey ramp when
// the file has none). A body cut short leaves the rows it lacks as they were.
// 1; 11 for hold-and-modify or extra-half-bright pictures (their colours are
// not an index into the colourmap) and for unknown compression; 3 without a
// body; 8 not ILBM; 9 stopped.
QZ_EXPORT uint32_t ilbmDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends a plain 24-plane picture of rows fetched as RGB to `out`.
// 1; 7 for a depth other than 24; 6 bad size; 9 stopped.
QZ_EXPORT uint32_t ilbmEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                              std::vector<uint8_t>& out);

}  // namespace qz::codec
