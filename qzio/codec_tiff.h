// TIFF codec core over libtiff: reads any TIFF libtiff can turn into RGBA and
// writes contiguous 8-bit RGB with a choice of compression. libtiff's
// messages are kept per handle and never printed.
#pragma once

#include <cstdint>
#include <span>

#include "qzio/codec_rows.h"

namespace qz::codec {

// True when the probe starts with a classic TIFF header ("II" or "MM", 42).
QZ_EXPORT bool tiffProbeMatches(std::span<const uint8_t> probe);

// Opens the file by name and reads the first directory's size (depth 24).
// 1; 8 when libtiff cannot open it or a side is missing.
QZ_EXPORT uint32_t tiffReadInfo(const char* path, ImageInfo& info);

// Decodes the first directory through libtiff's RGBA reader into rows of
// layout 4 (the alpha byte ignored). 1; 10 cannot open; 8 libtiff cannot decode it; 2 no memory; 9 stopped.
QZ_EXPORT uint32_t tiffDecode(const char* path, PixelRows& rows);

// Compression tag values offered for saving.
inline constexpr uint16_t kTiffCompressionNone = 1;
inline constexpr uint16_t kTiffCompressionJpeg = 7;
inline constexpr uint16_t kTiffCompressionPackBits = 32773;
inline constexpr uint16_t kTiffCompressionDeflate = 32946;

struct TiffSaveOptions {
  uint16_t compression = kTiffCompressionNone;
  int jpegQuality = 75;              // with JPEG compression
  bool horizontalPredictor = false;  // with Deflate
};

// Writes width x height rows fetched as layout 3 to the open descriptor `fd`
// (which stays open; the caller commits or discards it). `name` is only for
// libtiff's bookkeeping. 1; 10 libtiff cannot start; 4 write failed;
// 6 bad size or rows; 2 no memory; 9 stopped.
QZ_EXPORT uint32_t tiffEncode(int fd, const char* name, uint32_t width, uint32_t height,
                              const TiffSaveOptions& options, PixelRows& rows);

}  // namespace qz::codec
