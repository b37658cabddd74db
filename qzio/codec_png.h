// PNG codec core over libpng: header reading, decoding every colour type into
// 8-bit RGB rows, and encoding RGB or RGBA rows. libpng errors become result
// codes here; its warnings are dropped.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <span>

#include "qzio/codec_rows.h"

namespace qz::codec {

// True when the probe carries the PNG signature.
QZ_EXPORT bool pngProbeMatches(std::span<const uint8_t> probe);

// Reads the header at the stream's position: width, height, depth 24, or 32
// when the image has an alpha channel or a transparency chunk. 1; 3 for a
// damaged file (libpng's text reported as the load problem), also one far
// too short for the picture it claims; 8 for a size out of range; 2.
QZ_EXPORT uint32_t pngReadInfo(FILE* file, ImageInfo& info);

// Decodes into rows of layout 3, or layout 4 (alpha dropped) for images with
// alpha; interlaced passes are merged through PixelRows::fetch.
// 1; 3 when the file is damaged (reported as for the header); 2 without
// memory; 9 when stopped.
QZ_EXPORT uint32_t pngDecode(FILE* file, PixelRows& rows);

struct PngSaveOptions {
  int compressionLevel = 6;  // zlib level 0..9, clamped by the PNG class's option row
  bool interlaced = false;   // Adam7
  bool alpha = false;        // RGBA with the alpha from the mask (layout 16)
};

// Encodes width x height rows fetched as layout 3 (or 16 with alpha).
// 1; 6 for a bad size or a libpng failure; 2 without memory; 4 when the
// stream fails; 9 when stopped.
QZ_EXPORT uint32_t pngEncode(FILE* file, uint32_t width, uint32_t height,
                             const PngSaveOptions& options, PixelRows& rows);

// The PNG class's process-wide "Use Alpha Channel as Transparency" value
// (0 or 1), which its check box writes; saves read it.
QZ_EXPORT std::atomic<int32_t>& pngUseAlphaOption();

}  // namespace qz::codec
