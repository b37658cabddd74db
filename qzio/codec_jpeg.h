// JPEG codec core over libjpeg: header reading, decoding into rows, encoding
// from rows, and the EXIF thumbnail finder. Every libjpeg error is turned
// into a result code here; nothing is ever printed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// True when the probe starts like a JPEG stream: start of image, then a marker
// that may open one (any APPn, a comment, tables or a frame header).
QZ_EXPORT bool jpegProbeMatches(std::span<const uint8_t> probe);

// Reads the header at the stream's position: width, height and depth =
// components x 8 (grey 8, colour 24, CMYK 32). 1; 3 when libjpeg refuses
// it or the file is far too short for the picture it claims (the problem
// reported with libjpeg's text); 8 for a size out of range.
QZ_EXPORT uint32_t jpegReadInfo(FILE* file, ImageInfo& info);
QZ_EXPORT uint32_t jpegReadInfoMemory(std::span<const uint8_t> data, ImageInfo& info);

// Decodes the stream into rows: grey as layout 9, colour as layout 3. A file
// that ends early keeps the rows decoded so far (and answers 1, reporting
// the picture as partial). 1; 3 for a libjpeg failure; 11 for a component
// count other than 1 and 3 (CMYK); 9 when stopped.
QZ_EXPORT uint32_t jpegDecode(FILE* file, PixelRows& rows);
QZ_EXPORT uint32_t jpegDecodeMemory(std::span<const uint8_t> data, PixelRows& rows);

struct JpegSaveOptions {
  int quality = 90;         // 1..100, baseline tables forced
  bool progressive = true;  // the simple progression script
};

// Encodes width x height RGB rows fetched as layout 3 (depth must be 24).
// 1; 4 when the stream cannot be written (a full disk); 6 for a bad size,
// depth or libjpeg failure; 9 when stopped.
QZ_EXPORT uint32_t jpegEncode(FILE* file, uint32_t width, uint32_t height, uint32_t depth,
                              const JpegSaveOptions& options, PixelRows& rows);

// Walks the markers before the first scan, finds the EXIF APP1 segment and,
// in the directories after the first, one with Compression 6 and a JPEG
// offset inside the segment; copies that embedded stream into `thumbnail`.
// Leaves the stream's position undefined. False when there is none.
QZ_EXPORT bool jpegFindExifThumbnail(FILE* file, std::vector<uint8_t>& thumbnail);

}  // namespace qz::codec
