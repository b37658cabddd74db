// The picture a scanner hands over: width, height and two more 32-bit words
// (little-endian), then rows of blue, green, red bytes, each row padded to a
// multiple of 4 bytes, the bottom row of the picture first. The hand-over
// checks a block before it passes it on, and the document made from it reads
// it through the same check.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/qz_export.h"

namespace qz {

inline constexpr std::size_t kScannerHeaderBytes = 16;
inline constexpr uint32_t kScannerMaxSide = 65535;

struct ScannerPicture {
  uint32_t width = 0, height = 0;
  std::size_t rowBytes = 0;        // one padded row
  const uint8_t* rows = nullptr;   // the bottom row of the picture
  // Blue, green, red of row y (0 = top) of the picture.
  const uint8_t* row(uint32_t y) const { return rows + (height - 1 - y) * rowBytes; }
};

// Fills picture from the block when it holds every row its header promises
// and both sides are 1..kScannerMaxSide; false otherwise.
QZ_EXPORT bool parseScannerBlock(const uint8_t* bytes, std::size_t length, ScannerPicture* picture);

}  // namespace qz
