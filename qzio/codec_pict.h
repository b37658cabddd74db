// Macintosh PICT codec core: version 1 and 2 pictures are drawn by a small
// QuickDraw interpreter (pen lines, rectangles and polygons; bitmaps and
// pixmaps copied through a transfer mode; everything else skipped) onto a
// white true-colour picture; writes one 16-bit DirectBitsRect.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// 1 with `info` (true colour, the frame's size) from the header after the
// 512-byte application header; 8 when it is not a version 1 or 2 picture
// or its frame is empty or reversed; 3 when the file is far too short.
QZ_EXPORT uint32_t pictIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Draws the whole picture and stores its rows. 1 (a picture that ends
// before its end mark keeps what was drawn); 8 for a pixmap of a kind not
// read or a size field that cannot be; 2 no memory; 9 stopped.
QZ_EXPORT uint32_t pictDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends a version 2 picture of rows fetched as RGB to `out`, 5 bits a
// channel. 1; 7 for a depth other than 24; 6 for a width above 16383 (its
// row bytes would not fit their field) or a side of 0 or above 32767; 9 stopped.
QZ_EXPORT uint32_t pictEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                              std::vector<uint8_t>& out);

}  // namespace qz::codec
