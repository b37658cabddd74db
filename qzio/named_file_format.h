// Class methods for formats whose saved text names the picture after its
// file (X pixmaps and bitmaps): the whole-file glue, with the file name
// handed to the encoder.
#pragma once

#include <string_view>

#include "qzio/whole_file_format.h"

namespace qz::codec {

// encode(width, height, depth, fileName, PixelRows&, std::vector<uint8_t>& out)
template <auto Identify, auto Decode, auto Encode>
struct NamedFileMethods {
  static uint32_t identify(const qzio::FormatCall&, QZIO_Header* header) { return identifyFromProbe(header, Identify); }
  static uint32_t load(const qzio::FormatCall&, QZIO_Header* header) { return loadWholeFile(header, Identify, Decode); }
  static uint32_t save(const qzio::FormatCall&, QZIO_Header* header) {
    const std::string_view name = header->fileName ? header->fileName : "picture";
    return saveWholeFile(header, [name](uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows,
                                        std::vector<uint8_t>& out) { return Encode(width, height, depth, name, rows, out); });
  }
};

}  // namespace qz::codec
