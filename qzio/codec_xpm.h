// X pixmap codec core: XPM3 (a C array of strings, the hotspot form and
// "static const char" included) and the older XPM1 (#define lines) read into
// true colour; writes XPM3 with one or two characters a pixel.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "qzio/codec_rows.h"

namespace qz::codec {

// 1 with `info` (24-bit true colour) from the head of a file of fileSize
// bytes; 8 when it is not XPM; 3 when the file is far too short.
QZ_EXPORT uint32_t xpmIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info);

// Decodes a whole file into R, G, B rows. 1 (missing rows are white and
// reported as partial); 3 a bad colour, an unknown pixel code or no rows;
// 2 no memory; 8 not XPM; 9 stopped.
QZ_EXPORT uint32_t xpmDecode(std::span<const uint8_t> file, PixelRows& rows);

// The R, G, B of an XPM colour value ("#fff", "rgb:", "rgbi:", a
// colour name, "None", three fractions); false when it is malformed.
// Names come from Data/rgb.txt, then the system's rgb.txt; unknown names
// are white.
QZ_EXPORT bool xpmColour(std::string_view spec, uint8_t rgb[3]);

// Appends an XPM3 file of rows fetched as RGB to `out`, its array named
// after fileName. 1; 7 for a depth other than 24; 6 bad size; 2 no memory;
// 9 stopped.
QZ_EXPORT uint32_t xpmEncode(uint32_t width, uint32_t height, uint32_t depth, std::string_view fileName,
                             PixelRows& rows, std::vector<uint8_t>& out);

}  // namespace qz::codec
