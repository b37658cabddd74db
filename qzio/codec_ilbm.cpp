// ILBM codec core. The chunks are gathered first (BMHD, CMAP, CAMG, BODY in
// any order), checked together, then the body is decoded row by row: each
// row holds every plane's row, then the mask row when masking is 1.
#include "qzio/codec_ilbm.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/byte_order.h"
#include "qzio/codec_iff.h"
#include "qzio/load_problem.h"
#include "qzio/packbits.h"

namespace qz::codec {
namespace {

constexpr uint32_t kHeaderBytes = 20;      // BMHD
constexpr uint32_t kMaxPlanes = 32;
constexpr uint8_t kMaskPlane = 1;          // masking: a mask row follows each row's planes
constexpr uint8_t kPlain = 0, kByteRun1 = 1;
constexpr uint32_t kCamgHam = 0x800, kCamgExtraHalfBright = 0x80;
constexpr uint32_t kCamgHires = 0x8000, kCamgLace = 0x4;
constexpr uint32_t kLowResWidth = 384, kLowResHeight = 288;  // bigger saves are marked hires interlaced
constexpr uint8_t kSavedAspect = 44;
// ByteRun1 turns two bytes into at most 128.
constexpr uint64_t kMostBytesPerByte = 64;

struct IlbmHeader {
  uint32_t width = 0, height = 0, planes = 0;
  uint8_t masking = 0, compression = 0;
};

uint32_t Qz__RowBytes(uint32_t width) { return ((width + 15) / 16) * 2; }

bool Qz__ReadHeader(std::span<const uint8_t> data, IlbmHeader& header) {
  if (data.size() < kHeaderBytes) return false;
  ByteReader r(data);
  header.width = r.u16be();
  header.height = r.u16be();
  r.skip(4);  // position
  header.planes = r.u8();
  header.masking = r.u8();
  header.compression = r.u8();
  return header.width > 0 && header.height > 0 && header.planes > 0 && header.planes <= kMaxPlanes;
}

void Qz__SetColourmap(const IlbmHeader& header, const IffChunk* cmap, PixelRows& rows) {
  if (header.planes > 8) return;
  const uint32_t entries = 1u << header.planes;
  uint32_t colourmap[256] = {};
  if (cmap) {
    // A short map fills what it holds; the rest stays black.
    const size_t given = cmap->data.size() / 3 < entries ? cmap->data.size() / 3 : entries;
    for (size_t i = 0; i < given; ++i) {
      const uint8_t* rgb = cmap->data.data() + i * 3;
      colourmap[i] = rgb[0] | rgb[1] << 8 | rgb[2] << 16;
    }
  } else {
    // No map: a grey ramp over the indices.
    for (uint32_t i = 0; i < entries; ++i) {
      const uint32_t grey = entries > 1 ? i * 255 / (entries - 1) : 0;
      colourmap[i] = grey | grey << 8 | grey << 16;
    }
  }
  rows.setColourmap(colourmap, entries);
}

// A body cut short keeps the rows it has.
uint32_t Qz__CutShort(uint32_t rowsRead, uint32_t height) {
  reportPartial("ILBM: the picture ends after " + std::to_string(rowsRead) + " of its " + std::to_string(height) + " rows");
  return kOk;
}

uint32_t Qz__DecodeBody(const IlbmHeader& header, std::span<const uint8_t> body, PixelRows& rows) {
  const uint32_t rowBytes = Qz__RowBytes(header.width);
  const uint32_t storedPlanes = header.planes + (header.masking == kMaskPlane ? 1 : 0);
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowBytes]);
  if (!row) return kNoMemory;
  size_t position = 0;
  for (uint32_t y = 0; y < header.height; ++y) {
    for (uint32_t plane = 0; plane < storedPlanes; ++plane) {
      if (header.compression == kPlain) {
        if (body.size() - position < rowBytes) return Qz__CutShort(y, header.height);
        std::memcpy(row.get(), body.data() + position, rowBytes);
        position += rowBytes;
      } else {
        // A run past the row is cut at the row's end.
        if (packbits::unpackRow(body, position, {row.get(), rowBytes}) == packbits::RowResult::ShortInput)
          return Qz__CutShort(y, header.height);
      }
      // The mask row is read past: the buffer has no place for it.
      if (plane < header.planes && !rows.store(y, kLayoutPlane(plane), row.get())) return kNoMemory;
    }
    if (!rows.progress(y + 1, header.height)) return kCancelled;
  }
  return kOk;
}

}  // namespace

uint32_t ilbmIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  if (!iffFormIs(head, "ILBM")) return kNotThisFormat;
  IffWalker walker(head);
  IffChunk chunk;
  while (walker.next(chunk)) {
    if (!chunk.is("BMHD")) continue;
    IlbmHeader header;
    if (!Qz__ReadHeader(chunk.data, header)) return kNotThisFormat;
    if (!fileCanHold(uint64_t{Qz__RowBytes(header.width)} * header.planes * header.height, kMostBytesPerByte, fileSize))
      return reportTooShort("ILBM", header.width, header.height);
    ImageInfo found;
    found.width = header.width;
    found.height = header.height;
    found.depth = header.planes;
    found.kind = PixelKind::Bitplane;
    found.bitplaneBytesPerRow = Qz__RowBytes(header.width);
    info = found;
    return kOk;
  }
  return kNotThisFormat;
}

uint32_t ilbmDecode(std::span<const uint8_t> file, PixelRows& rows) {
  if (!iffFormIs(file, "ILBM")) return kNotThisFormat;
  IffChunk chunk, cmap, body;
  IlbmHeader header;
  bool haveHeader = false, haveMap = false, haveBody = false;
  uint32_t displayMode = 0;
  IffWalker walker(file);
  while (walker.next(chunk)) {
    if (chunk.is("BMHD")) {
      haveHeader = Qz__ReadHeader(chunk.data, header);
      if (!haveHeader) return kNotThisFormat;
    } else if (chunk.is("CMAP")) {
      cmap = chunk, haveMap = true;
    } else if (chunk.is("CAMG")) {
      ByteReader r(chunk.data);
      displayMode = r.u32be();
    } else if (chunk.is("BODY") && !haveBody) {
      body = chunk, haveBody = true;
    }
  }
  if (!haveHeader) return kNotThisFormat;
  // Their pixels are not colourmap indices: showing them as such would give
  // wrong colours, so they are refused.
  if (displayMode & kCamgHam) {
    reportDamage("ILBM: hold-and-modify pictures cannot be loaded");
    return kUnexpectedKind;
  }
  if (displayMode & kCamgExtraHalfBright) {
    reportDamage("ILBM: extra-half-bright pictures cannot be loaded");
    return kUnexpectedKind;
  }
  if (header.compression != kPlain && header.compression != kByteRun1) {
    reportDamage("ILBM: the picture's compression (" + std::to_string(header.compression) + ") is unknown");
    return kUnexpectedKind;
  }
  if (!haveBody) {
    reportDamage("ILBM: the file has no picture body");
    return kReadError;
  }
  Qz__SetColourmap(header, haveMap ? &cmap : nullptr, rows);
  return Qz__DecodeBody(header, body.data, rows);
}

uint32_t ilbmEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows, std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return kBadArguments;
  const uint32_t rowBytes = Qz__RowBytes(width);
  const uint64_t bodyBytes = uint64_t{rowBytes} * 24 * height;  // always even
  if (bodyBytes > 0xFFFFFF00u) return kBadArguments;            // the lengths are 32-bit
  std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[size_t{width} * 3]);
  std::unique_ptr<uint8_t[]> planes(new (std::nothrow) uint8_t[size_t{rowBytes} * 24]);
  if (!rgb || !planes) return kNoMemory;
  const size_t start = out.size();
  ByteWriter w(out);
  w.bytes("FORM", 4);
  w.putU32be(0);  // patched at the end
  w.bytes("ILBM", 4);
  w.bytes("BMHD", 4);
  w.putU32be(kHeaderBytes);
  w.putU16be(static_cast<uint16_t>(width)), w.putU16be(static_cast<uint16_t>(height));
  w.putU16be(0), w.putU16be(0);  // position
  w.putU8(24), w.putU8(0), w.putU8(kPlain), w.putU8(0);  // planes, masking, compression, pad
  w.putU16be(0);  // transparent colour
  w.putU8(kSavedAspect), w.putU8(kSavedAspect);
  w.putU16be(static_cast<uint16_t>(width)), w.putU16be(static_cast<uint16_t>(height));  // page
  w.bytes("CAMG", 4);
  w.putU32be(4);
  w.putU32be(width > kLowResWidth || height > kLowResHeight ? kCamgHires | kCamgLace : 0);
  w.bytes("BODY", 4);
  w.putU32be(static_cast<uint32_t>(bodyBytes));
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutRGB, rgb.get())) return kBadArguments;
    std::memset(planes.get(), 0, size_t{rowBytes} * 24);
    // Plane n holds bit n % 8 of channel n / 8: red's bits first, lowest first.
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
      for (uint32_t plane = 0; plane < 24; ++plane) {
        if (rgb[size_t{x} * 3 + plane / 8] & (1u << (plane % 8))) planes[size_t{plane} * rowBytes + x / 8] |= mask;
      }
    }
    w.bytes(planes.get(), size_t{rowBytes} * 24);
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  w.patchU32be(start + 4, static_cast<uint32_t>(out.size() - start - 8));
  return kOk;
}

}  // namespace qz::codec
