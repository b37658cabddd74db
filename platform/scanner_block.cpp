// Reading a scanner's picture block; see scanner_block.h.
#include "platform/scanner_block.h"

namespace qz {
namespace {

uint32_t u32le(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

bool parseScannerBlock(const uint8_t* bytes, std::size_t length, ScannerPicture* picture) {
  if (!bytes || !picture || length < kScannerHeaderBytes) return false;
  const uint32_t width = u32le(bytes), height = u32le(bytes + 4);
  if (width == 0 || height == 0 || width > kScannerMaxSide || height > kScannerMaxSide) return false;
  const uint64_t rowBytes = (uint64_t(width) * 3 + 3) & ~uint64_t{3};
  if (rowBytes * height > length - kScannerHeaderBytes) return false;
  picture->width = width;
  picture->height = height;
  picture->rowBytes = std::size_t(rowBytes);
  picture->rows = bytes + kScannerHeaderBytes;
  return true;
}

}  // namespace qz
