// Clipboard bitmap blocks. The strict size check lives here; the pixels go
// through the BMP codec over an in-memory stream.
#include "qzio/codec_dib.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/byte_order.h"
#include "qzio/codec_bmp.h"

namespace qz::codec {
namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kLargestHeaderBytes = 124;

bool Qz__DepthTaken(uint32_t bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32; }

// Whether the block holds everything its headers promise.
bool Qz__BlockComplete(std::span<const uint8_t> block) {
  qz::ByteReader r(block);
  if (r.u8() != 'B' || r.u8() != 'M') return false;
  r.seek(10);
  const uint32_t pixelOffset = r.u32le();
  const uint32_t headerSize = r.u32le();
  const int32_t width = r.s32le();
  const int32_t height = r.s32le();
  const uint32_t planes = r.u16le();
  const uint32_t bits = r.u16le();
  const uint32_t compression = r.u32le();
  r.skip(12);  // image size, resolutions
  const uint32_t coloursUsed = r.u32le();
  if (r.failed() || headerSize < kInfoHeaderBytes || headerSize > kLargestHeaderBytes) return false;
  if (planes != 1 || compression != 0 || !Qz__DepthTaken(bits)) return false;
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  const uint64_t side = height < 0 ? -static_cast<int64_t>(height) : height;
  if (static_cast<uint64_t>(width) > kMaxSide || side > kMaxSide) return false;
  // The table is colours-used entries, or the whole palette when that is 0.
  const uint64_t tableEntries = coloursUsed ? coloursUsed : (bits <= 8 ? (1u << bits) : 0);
  if (bits <= 8 && tableEntries > (1u << bits)) return false;
  const uint64_t rowsAt = kFileHeaderBytes + headerSize + tableEntries * 4;
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  if (pixelOffset < rowsAt) return false;
  return uint64_t{pixelOffset} + rowBytes * side <= block.size();
}

}  // namespace

MemoryStream openMemoryStream(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return nullptr;
  // fmemopen never writes through a read-only mode.
  return MemoryStream(fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb"));
}

uint32_t dibIdentify(std::span<const uint8_t> block, ImageInfo& info) {
  if (!Qz__BlockComplete(block)) return kNotThisFormat;
  BmpLayout layout;
  return bmpIdentify(block, block.size(), layout, info) == kOk ? kOk : kNotThisFormat;
}

uint32_t dibDecode(std::span<const uint8_t> block, PixelRows& rows) {
  ImageInfo info;
  BmpLayout layout;
  if (!Qz__BlockComplete(block) || bmpIdentify(block, block.size(), layout, info) != kOk) return kNotThisFormat;
  MemoryStream file = openMemoryStream(block);
  if (!file) return kNoMemory;
  return bmpDecode(file.get(), layout, info, rows);
}

uint32_t dibEncode(uint32_t width, uint32_t height, PixelRows& rows, std::vector<uint8_t>& out) {
  char* data = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&data, &size);
  if (!stream) return kNoMemory;
  const uint32_t result = bmpEncode(stream, width, height, 24, rows);
  std::fclose(stream);
  std::unique_ptr<char, decltype(&std::free)> owned(data, &std::free);
  if (result == kWriteFailed) return kNoMemory;
  if (result != kOk) return result;
  out.assign(data, data + size);
  return kOk;
}

}  // namespace qz::codec
