// BMP codec core: Windows bitmaps with the 40-byte (or longer) info header and
// OS/2 bitmaps with the 12-byte core header, at 1, 4, 8 (also RLE8), 24 and
// 32 bits, bottom-up or top-down; writes uncompressed 24-bit bitmaps.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "qzio/codec_rows.h"

namespace qz::codec {

// What identify learns from the headers, kept for the following load.
struct BmpLayout {
  bool coreHeader = false;   // OS/2: 3-byte colour entries, 16-bit sides
  bool topDown = false;      // negative height: first row in the file is the top
  uint32_t pixelOffset = 0;  // file offset of the first pixel row
  uint32_t headerEnd = 0;    // 14 + header size: where the colour table starts
  uint32_t bitsPerPixel = 0;
  uint32_t compression = 0;
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue of 32-bit bitfields
};

// Parses the file and info headers from the probe (the first bytes of the
// file, zero-padded) for a file of fileSize bytes. 1 with `layout` and
// `info` filled (colourmap not yet read); 8 when it is not a bitmap this
// reader takes or is cut before its pixels.
QZ_EXPORT uint32_t bmpIdentify(std::span<const uint8_t> probe, uint64_t fileSize, BmpLayout& layout,
                               ImageInfo& info);

// Reads the colour table and the rows from the stream (any position).
// Colour-mapped rows go as layout 11, 1-bit rows as bitplane rows, 24-bit
// rows as layout 12, 32-bit as layout 3. A short file leaves the missing rows
// as they were; run-length pixels past the width are dropped. 1; 7 for
// compression this depth does not take; 3 when the stream cannot seek;
// 2 no memory; 9 stopped.
QZ_EXPORT uint32_t bmpDecode(FILE* file, const BmpLayout& layout, const ImageInfo& info, PixelRows& rows);

// Writes an uncompressed 24-bit bitmap from rows fetched as layout 12.
// 1; 7 for a depth other than 24; 6 bad size; 4 write failed; 2 no memory; 9 stopped.
QZ_EXPORT uint32_t bmpEncode(FILE* file, uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows);

}  // namespace qz::codec
