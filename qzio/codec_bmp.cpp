// BMP codec core. Headers are read field by field from the probe; rows are
// read with plain stdio; RLE8 data is read whole (within a cap derived from
// the picture size) and decoded from memory with every run bounds-checked.
#include "qzio/codec_bmp.h"

#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

// File header (14 bytes): "BM", file size u32le, reserved u32le, pixel
// offset u32le at 10, then the header size u32le at 14. After it, the core
// header: width s16le, height s16le, planes u16le, bits u16le; or the info
// header: width s32le, height s32le (negative: top-down), planes u16le,
// bits u16le, compression u32le, image size, resolutions, colour counts.
constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kPixelOffsetAt = 10;
// Red, green and blue masks: inside the longer headers, or just after the
// 40-byte one when compression says bitfields; the same offset either way.
constexpr size_t kMasksAt = 54;

constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionBitfields = 3;
constexpr uint32_t kSavedHeaderBytes = 54;
// A file cut short opens with the rows it has; one holding less than this
// share of its picture's data is too damaged to show.
constexpr uint64_t kLeastShareKept = 64;
// RLE8 spends at least two bytes on a run of up to 255 pixels.
constexpr uint64_t kRlePixelsPerTwoBytes = 255;

void Qz__ReportRowsMissing(uint32_t rowsRead, uint32_t height) {
  reportPartial("BMP: the file ends after " + std::to_string(rowsRead) + " of its " + std::to_string(height) +
                " rows");
}

bool Qz__KnownHeaderSize(uint32_t size) {
  return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == 52 || size == 56 || size == 64 ||
         size == 108 || size == 124;
}

uint32_t Qz__FileRowBytes(uint32_t width, uint32_t bitsPerPixel) {
  const uint64_t bits = static_cast<uint64_t>(width) * bitsPerPixel;
  return static_cast<uint32_t>(((bits + 31) / 32) * 4);
}

// One colour channel of a 32-bit bitfield pixel, widened to 8 bits.
uint8_t Qz__Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const uint32_t value = (pixel & mask) >> shift;
  if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
  return static_cast<uint8_t>(value * 255 / ((1u << bits) - 1));
}

uint32_t Qz__ImageRow(const BmpLayout& layout, uint32_t height, uint32_t fileRow) {
  return layout.topDown ? fileRow : height - 1 - fileRow;
}

uint32_t Qz__ReadColourTable(FILE* file, const BmpLayout& layout, PixelRows& rows) {
  const uint32_t entryBytes = layout.coreHeader ? 3 : 4;
  const uint32_t wanted = 1u << (layout.bitsPerPixel > 8 ? 8 : layout.bitsPerPixel);
  const uint32_t available = layout.pixelOffset > layout.headerEnd ? (layout.pixelOffset - layout.headerEnd) / entryBytes : 0;
  const uint32_t count = available < wanted ? available : wanted;
  uint8_t table[256 * 4];
  uint32_t entries[256] = {};
  if (count > 0) {
    if (std::fseek(file, static_cast<long>(layout.headerEnd), SEEK_SET) != 0) return kReadError;
    const size_t got = std::fread(table, entryBytes, count, file);
    qz::ByteReader r(table, got * entryBytes);
    for (size_t i = 0; i < got; ++i) {
      const uint32_t blue = r.u8(), green = r.u8(), red = r.u8();
      if (entryBytes == 4) r.skip(1);
      entries[i] = red | green << 8 | blue << 16;
    }
  }
  rows.setColourmap(entries, wanted);
  return kOk;
}

// Turns one file row into the layout the rows interface stores.
bool Qz__StoreRow(const BmpLayout& layout, const ImageInfo& info, uint32_t y, const uint8_t* fileRow,
                  uint8_t* scratch, PixelRows& rows) {
  const uint32_t width = info.width;
  switch (layout.bitsPerPixel) {
  case 1:
    return rows.store(y, kLayoutBits, fileRow);
  case 4:
    for (uint32_t x = 0; x < width; ++x) scratch[x] = (x & 1) ? (fileRow[x / 2] & 0x0F) : (fileRow[x / 2] >> 4);
    return rows.store(y, kLayoutIndex, scratch);
  case 8:
    return rows.store(y, kLayoutIndex, fileRow);
  case 24:
    return rows.store(y, kLayoutBGR, fileRow);
  default:  // 32
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* p = fileRow + x * 4;
      const uint32_t pixel = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
      if (layout.compression == kCompressionBitfields) {
        scratch[x * 3] = Qz__Channel(pixel, layout.masks[0]);
        scratch[x * 3 + 1] = Qz__Channel(pixel, layout.masks[1]);
        scratch[x * 3 + 2] = Qz__Channel(pixel, layout.masks[2]);
      } else {
        scratch[x * 3] = p[2];
        scratch[x * 3 + 1] = p[1];
        scratch[x * 3 + 2] = p[0];
      }
    }
    return rows.store(y, kLayoutRGB, scratch);
  }
}

uint32_t Qz__DecodeUncompressed(FILE* file, const BmpLayout& layout, const ImageInfo& info, PixelRows& rows) {
  const uint32_t rowBytes = Qz__FileRowBytes(info.width, layout.bitsPerPixel);
  std::unique_ptr<uint8_t[]> fileRow(new (std::nothrow) uint8_t[rowBytes]);
  std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[static_cast<size_t>(info.width) * 3]);
  if (!fileRow || !scratch) return kNoMemory;
  if (std::fseek(file, static_cast<long>(layout.pixelOffset), SEEK_SET) != 0) {
    Qz__ReportRowsMissing(0, info.height);
    return kOk;
  }
  for (uint32_t fileRowIndex = 0; fileRowIndex < info.height; ++fileRowIndex) {
    if (std::fread(fileRow.get(), 1, rowBytes, file) != rowBytes) {  // short file: keep what we have
      Qz__ReportRowsMissing(fileRowIndex, info.height);
      break;
    }
    const uint32_t y = Qz__ImageRow(layout, info.height, fileRowIndex);
    if (!Qz__StoreRow(layout, info, y, fileRow.get(), scratch.get(), rows)) return kNoMemory;
    if (!rows.progress(fileRowIndex + 1, info.height)) return kCancelled;
  }
  return kOk;
}

// RLE8: pairs (n > 0, v) repeat v; (0, 0) ends a row, (0, 1) the picture,
// (0, 2, dx, dy) moves the position, (0, n >= 3) is n literals padded to even.
uint32_t Qz__DecodeRle8(FILE* file, const BmpLayout& layout, const ImageInfo& info, PixelRows& rows) {
  const uint32_t width = info.width, height = info.height;
  // The most any honest encoder needs: a run pair for every pixel (2 bytes
  // each), a few padding pixels and one end-of-row pair a row. More than
  // that is never read, so a hostile file cannot make us buffer gigabytes.
  const uint64_t cap = static_cast<uint64_t>(height) * (2 * static_cast<uint64_t>(width) + 16) + 16;
  if (std::fseek(file, 0, SEEK_END) != 0) return kReadError;
  const long fileEnd = std::ftell(file);
  if (fileEnd < 0 || static_cast<uint64_t>(fileEnd) <= layout.pixelOffset) {  // no rows at all
    Qz__ReportRowsMissing(0, height);
    return kOk;
  }
  uint64_t size = static_cast<uint64_t>(fileEnd) - layout.pixelOffset;
  if (size > cap) size = cap;
  std::vector<uint8_t> data;
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[width]);
  try {
    data.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  if (!row) return kNoMemory;
  if (std::fseek(file, static_cast<long>(layout.pixelOffset), SEEK_SET) != 0) return kReadError;
  data.resize(std::fread(data.data(), 1, data.size(), file));

  qz::ByteReader r(data);
  uint32_t fileRow = 0, x = 0;
  bool rowTouched = false;
  std::memset(row.get(), 0, width);
  auto finishRow = [&]() -> uint32_t {
    if (fileRow < height) {
      if (!rows.store(Qz__ImageRow(layout, height, fileRow), kLayoutIndex, row.get())) return kNoMemory;
      if (!rows.progress(fileRow + 1, height)) return kCancelled;
    }
    ++fileRow;
    x = 0;
    rowTouched = false;
    std::memset(row.get(), 0, width);
    return kOk;
  };
  while (fileRow < height) {
    const uint8_t count = r.u8(), value = r.u8();
    if (r.failed()) break;  // short data: keep what was decoded
    // Writers encode the row padding as pixels too (ImageMagick does), so
    // pixels past the width are dropped rather than taken as corruption.
    if (count > 0) {
      const uint32_t fit = count < width - x ? count : width - x;
      std::memset(row.get() + x, value, fit);
      x += fit;
      rowTouched = true;
      continue;
    }
    if (value == 0 || value == 1) {
      const uint32_t stored = finishRow();
      if (stored != kOk) return stored;
      if (value == 1) return kOk;
      continue;
    }
    if (value == 2) {
      const uint32_t dx = r.u8(), dy = r.u8();
      if (r.failed()) break;
      const uint32_t newX = dx < width - x ? x + dx : width;
      for (uint32_t i = 0; i < dy && fileRow < height; ++i) {
        const uint32_t stored = finishRow();
        if (stored != kOk) return stored;
      }
      x = newX;
      continue;
    }
    const std::span<const uint8_t> literal = r.bytes(value);
    if (r.failed()) break;  // short data: keep what was decoded
    if (value & 1) r.skip(1);  // literals are padded to an even count
    const uint32_t fit = value < width - x ? value : width - x;
    std::memcpy(row.get() + x, literal.data(), fit);
    x += fit;
    rowTouched = true;
  }
  // The data ran out before the rows did.
  if (fileRow < height) Qz__ReportRowsMissing(fileRow, height);
  if (rowTouched && fileRow < height) return finishRow();
  return kOk;
}

}  // namespace

uint32_t bmpIdentify(std::span<const uint8_t> probe, uint64_t fileSize, BmpLayout& layout, ImageInfo& info) {
  qz::ByteReader r(probe);
  if (r.u8() != 'B' || r.u8() != 'M') return kNotThisFormat;
  r.seek(kPixelOffsetAt);
  BmpLayout parsed;
  parsed.pixelOffset = r.u32le();
  const uint32_t headerSize = r.u32le();
  if (r.failed() || !Qz__KnownHeaderSize(headerSize) || probe.size() < kFileHeaderBytes + headerSize)
    return kNotThisFormat;
  parsed.coreHeader = headerSize == kCoreHeaderBytes;
  parsed.headerEnd = static_cast<uint32_t>(kFileHeaderBytes) + headerSize;
  int64_t width = 0, height = 0;
  uint32_t planes = 0;
  if (parsed.coreHeader) {
    width = r.s16le();
    height = r.s16le();
    planes = r.u16le();
    parsed.bitsPerPixel = r.u16le();
  } else {
    width = r.s32le();
    height = r.s32le();
    planes = r.u16le();
    parsed.bitsPerPixel = r.u16le();
    parsed.compression = r.u32le();
  }
  // Writers of top-down bitmaps store the height negated.
  if (height < 0) {
    parsed.topDown = true;
    height = -height;
  }
  if (r.failed() || planes != 1 || width <= 0 || height <= 0) return kNotThisFormat;
  // A bitmap in every other way whose size no picture can have is damaged, not unknown.
  if (width > kMaxSide || height > kMaxSide)
    return reportImpossibleSize("BMP", uint64_t(width), uint64_t(height));
  // The probe is zero-padded: a file cut inside its headers or colour table
  // would otherwise pass on made-up fields.
  if (parsed.pixelOffset < parsed.headerEnd || fileSize < parsed.pixelOffset) return kNotThisFormat;
  if (parsed.compression == kCompressionBitfields) {
    r.seek(kMasksAt);
    for (uint32_t& mask : parsed.masks) mask = r.u32le();
    if (r.failed()) return kNotThisFormat;
  }
  ImageInfo found;
  found.width = static_cast<uint32_t>(width);
  found.height = static_cast<uint32_t>(height);
  switch (parsed.bitsPerPixel) {
  case 1:
    found.depth = 1;
    found.kind = PixelKind::Bitplane;
    found.bitplaneBytesPerRow = Qz__FileRowBytes(found.width, 1);
    break;
  case 4:
  case 8:
    found.depth = 8;
    found.kind = PixelKind::ColourMapped;
    break;
  case 24:
  case 32:  // the fourth byte is unused or alpha; the buffer keeps RGB
    found.depth = 24;
    found.kind = PixelKind::TrueColour;
    break;
  default:
    return kNotThisFormat;
  }
  const uint64_t pixels = uint64_t{found.width} * found.height;
  const uint64_t pictureBytes = parsed.compression == kCompressionRle8
                                    ? pixels * 2 / kRlePixelsPerTwoBytes
                                    : uint64_t{Qz__FileRowBytes(found.width, parsed.bitsPerPixel)} * found.height;
  if (!fileCanHold(pictureBytes, kLeastShareKept, fileSize - parsed.pixelOffset))
    return reportTooShort("BMP", found.width, found.height);
  layout = parsed;
  info = found;
  return kOk;
}

uint32_t bmpDecode(FILE* file, const BmpLayout& layout, const ImageInfo& info, PixelRows& rows) {
  if (!file || info.width == 0 || info.height == 0) return kBadArguments;
  const uint32_t bits = layout.bitsPerPixel;
  const uint32_t compression = layout.compression;
  const bool rle8 = bits == 8 && compression == kCompressionRle8;
  const bool bitfields = bits == 32 && compression == kCompressionBitfields;
  if (compression != kCompressionNone && !rle8 && !bitfields) return kNotHandled;
  if (bits <= 8) {
    const uint32_t table = Qz__ReadColourTable(file, layout, rows);
    if (table != kOk) return table;
  }
  return rle8 ? Qz__DecodeRle8(file, layout, info, rows) : Qz__DecodeUncompressed(file, layout, info, rows);
}

uint32_t bmpEncode(FILE* file, uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows) {
  if (depth != 24) return kNotHandled;
  if (!file || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kBadArguments;
  const uint32_t rowBytes = Qz__FileRowBytes(width, 24);
  const uint64_t imageBytes = static_cast<uint64_t>(rowBytes) * height;
  if (imageBytes + kSavedHeaderBytes > 0xFFFFFFFFu) return kBadArguments;  // the size fields are 32-bit
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowBytes]);
  if (!row) return kNoMemory;
  std::vector<uint8_t> header;
  qz::ByteWriter w(header);
  w.putU8('B'), w.putU8('M');
  w.putU32le(static_cast<uint32_t>(imageBytes + kSavedHeaderBytes));  // file size
  w.putU32le(0);                                                      // reserved
  w.putU32le(kSavedHeaderBytes);                                      // pixel offset
  w.putU32le(kInfoHeaderBytes);
  w.putU32le(width), w.putU32le(height);
  w.putU16le(1), w.putU16le(24);                                      // planes, bits per pixel
  w.putU32le(kCompressionNone);
  w.putU32le(static_cast<uint32_t>(imageBytes));
  for (int i = 0; i < 4; ++i) w.putU32le(0);                          // resolutions, colour counts
  if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) return kWriteFailed;
  std::memset(row.get(), 0, rowBytes);  // the padding bytes stay 0
  for (uint32_t i = 0; i < height; ++i) {
    if (!rows.fetch(height - 1 - i, kLayoutBGR, row.get())) return kBadArguments;
    if (std::fwrite(row.get(), 1, rowBytes, file) != rowBytes) return kWriteFailed;
    if (!rows.progress(i + 1, height)) return kCancelled;
  }
  if (std::fflush(file) != 0) return kWriteFailed;
  return kOk;
}

}  // namespace qz::codec
