// Reader for palette-based IFF ILBM pictures (up to 8 planes, stored plain
// or ByteRun1-packed), the format of the interface's own pictures.
//
// Pure: works on bytes in memory and never trusts a size it reads. Every
// chunk must lie inside the file, the header must be whole, and packed runs
// must stay inside their row and inside the body; anything else is a damaged
// picture and is refused with a reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qz::ilbm {

struct Picture {
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t planes = 0;
  uint8_t compression = 0;
  uint32_t rowBytes = 0;          // per plane: rows padded to 16 pixels
  // Rows top to bottom, each holding its planes in order (no mask plane).
  std::vector<uint8_t> planar;
  bool hasPalette = false;
  // 256 entries of red, green, blue; 3 x 2^planes bytes from the file's
  // colour map, the rest 0.
  std::vector<uint8_t> palette;
};

// Decodes a whole file. False with a reason in error (when not NULL) for
// anything that is not a readable ILBM picture.
QZ_EXPORT bool decode(const uint8_t* data, std::size_t size, Picture* out, std::string* error);

// Reads the file at a (normalised) path whole and decodes it.
QZ_EXPORT bool readFile(const char* path, Picture* out, std::string* error);

// One byte per pixel, each row padded to a multiple of 4 bytes.
QZ_EXPORT uint32_t chunkyStride(uint32_t width);
QZ_EXPORT std::vector<uint8_t> toChunky(const Picture& picture);

}  // namespace qz::ilbm
