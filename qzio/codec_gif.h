// GIF codec core: reads the first picture that covers the whole screen (later
// whole-screen frames replace it, so an animation loads as its last frame),
// global and local colour tables, interlaced or not; writes one-picture
// GIF89a files through the octree colour reduction.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

struct GifSaveOptions {
  uint32_t colours = 256;  // at most, 2 to 256
  uint32_t dithering = 70;  // error diffusion strength, 0 to 100
  bool interlaced = false;
};

// 1 with `info` (24-bit true colour) from the first 13 bytes of a file of
// fileSize bytes; 8 when it is not GIF; 3 when the file is far too short.
QZ_EXPORT uint32_t gifIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Decodes a whole file into R, G, B rows sized as identify said. 1 (a broken
// later frame keeps the last whole one, reported as partial); 3 damaged data;
// 11 a first picture smaller than the screen; 2 no memory; 8 not GIF;
// 9 stopped.
QZ_EXPORT uint32_t gifDecode(std::span<const uint8_t> file, PixelRows& rows);

// Appends a GIF89a file of rows fetched as RGB to `out`. 1; 7 for a depth
// other than 24; 6 bad size or rows; 2 no memory; 9 stopped.
QZ_EXPORT uint32_t gifEncode(uint32_t width, uint32_t height, uint32_t depth, const GifSaveOptions& options,
                             PixelRows& rows, std::vector<uint8_t>& out);

}  // namespace qz::codec
