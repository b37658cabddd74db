// Sun raster codec core. Header: eight big-endian words (magic, width,
// height, depth, image length, type, colour-map type, colour-map length);
// then the colour map (all reds, all greens, all blues); then the rows, each
// padded to an even number of bytes. Type 2 is run-length encoded with the
// escape 0x80: 0x80 0x00 is one 0x80, 0x80 n v is n + 1 bytes v, and runs
// may cross row ends. Type 3 stores true colour as R, G, B instead of B, G, R.
#include "qzio/codec_ras.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/byte_order.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr uint32_t kMagic = 0x59A66A95;
constexpr size_t kHeaderBytes = 32;
constexpr uint32_t kTypeStandard = 1, kTypeRunLength = 2, kTypeRgb = 3, kLastType = 3;
constexpr uint8_t kEscape = 0x80;
// An escaped run of 3 bytes gives up to 256.
constexpr uint64_t kMostBytesPerByte = 85;

struct RasHeader {
  uint32_t width = 0, height = 0, depth = 0, type = 0, mapLength = 0;
};

bool Qz__ReadHeader(std::span<const uint8_t> head, RasHeader& header) {
  ByteReader r(head);
  if (r.u32be() != kMagic) return false;
  header.width = r.u32be();
  header.height = r.u32be();
  header.depth = r.u32be();
  r.skip(4);  // image length: 0 in old files, so not trusted
  header.type = r.u32be();
  r.skip(4);  // colour-map type: the length says whether there is one
  header.mapLength = r.u32be();
  return !r.failed() && header.width > 0 && header.height > 0 && header.width <= kMaxSide &&
         header.height <= kMaxSide && header.type <= kLastType &&
         (header.depth == 1 || header.depth == 8 || header.depth == 24 || header.depth == 32);
}

uint32_t Qz__RowBytes(const RasHeader& header) {
  const uint64_t bytes = (uint64_t{header.width} * header.depth + 7) / 8;
  return static_cast<uint32_t>((bytes + 1) & ~uint64_t{1});
}

// Bytes of the picture data, raw or through the run-length escape; the run
// state lives for the whole picture.
class RasBytes {
 public:
  RasBytes(std::span<const uint8_t> data, bool runLength) : source_(data), runLength_(runLength) {}

  // Fills n bytes; false when the data ends first.
  bool read(uint8_t* out, size_t n) {
    if (!runLength_) {
      const std::span<const uint8_t> raw = source_.bytes(n);
      if (source_.failed()) return false;
      std::memcpy(out, raw.data(), n);
      return true;
    }
    for (size_t i = 0; i < n; ++i) {
      if (repeat_ == 0) {
        const uint8_t byte = source_.u8();
        if (source_.failed()) return false;
        if (byte != kEscape) {
          out[i] = byte;
          continue;
        }
        const uint8_t count = source_.u8();
        if (count == 0) {
          out[i] = kEscape;
          if (source_.failed()) return false;
          continue;
        }
        value_ = source_.u8();
        if (source_.failed()) return false;
        repeat_ = count + 1u;
      }
      out[i] = value_;
      --repeat_;
    }
    return true;
  }

 private:
  ByteReader source_;
  bool runLength_;
  uint32_t repeat_ = 0;
  uint8_t value_ = 0;
};

void Qz__SetColourmap(const RasHeader& header, std::span<const uint8_t> map, PixelRows& rows) {
  const uint32_t entries = 1u << header.depth;
  const size_t third = map.size() / 3;
  uint32_t colourmap[256] = {};
  for (uint32_t i = 0; i < entries && i < third; ++i) colourmap[i] = map[i] | map[third + i] << 8 | map[2 * third + i] << 16;
  rows.setColourmap(colourmap, entries);
}

}  // namespace

uint32_t rasIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  RasHeader header;
  const uint64_t afterHeader = fileSize - std::min<uint64_t>(fileSize, kHeaderBytes);
  if (!Qz__ReadHeader(head, header) || header.mapLength > afterHeader) return kNotThisFormat;
  if (!fileCanHold(uint64_t{Qz__RowBytes(header)} * header.height,
                   header.type == kTypeRunLength ? kMostBytesPerByte : 1, afterHeader - header.mapLength))
    return reportTooShort("Sun raster", header.width, header.height);
  ImageInfo found;
  found.width = header.width;
  found.height = header.height;
  if (header.depth >= 24) {
    found.depth = 24;
    found.kind = PixelKind::TrueColour;
  } else {
    found.depth = 8;
    found.kind = header.depth == 8 && header.mapLength > 0 ? PixelKind::ColourMapped : PixelKind::Grey;
  }
  info = found;
  return kOk;
}

uint32_t rasDecode(std::span<const uint8_t> file, PixelRows& rows) {
  ImageInfo info;
  const uint32_t found = rasIdentify(file, file.size(), info);
  if (found != kOk) return found;
  RasHeader header;
  Qz__ReadHeader(file, header);
  const bool mapped = header.mapLength > 0;
  if (mapped) {
    if (header.depth > 8) {
      reportDamage("Sun raster: a colour map on a picture of " + std::to_string(header.depth) +
                   " bits a pixel cannot be used");
      return kNotHandled;
    }
    Qz__SetColourmap(header, file.subspan(kHeaderBytes, header.mapLength), rows);
  }
  const uint32_t rowBytes = Qz__RowBytes(header);
  const uint32_t width = header.width;
  std::unique_ptr<uint8_t[]> fileRow(new (std::nothrow) uint8_t[rowBytes]);
  std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[size_t{width} * 3]);
  if (!fileRow || !pixels) return kNoMemory;
  RasBytes bytes(file.subspan(kHeaderBytes + header.mapLength), header.type == kTypeRunLength);
  const bool rgbOrder = header.type == kTypeRgb;
  for (uint32_t y = 0; y < header.height; ++y) {
    if (!bytes.read(fileRow.get(), rowBytes)) {
      reportDamage("Sun raster: the file ends after " + std::to_string(y) + " of its " + std::to_string(header.height) +
                   " rows");
      return kReadError;
    }
    const uint8_t* in = fileRow.get();
    uint32_t layout = kLayoutGrey;
    const uint8_t* row = pixels.get();
    switch (header.depth) {
    case 1:  // a set bit is black
      for (uint32_t x = 0; x < width; ++x) pixels[x] = (in[x / 8] & (0x80 >> (x % 8))) ? 0 : 255;
      break;
    case 8:
      layout = mapped ? kLayoutIndex : kLayoutGrey;
      row = in;
      break;
    default: {  // 24, or 32 with a leading pad byte
      const uint32_t step = header.depth / 8, skip = step - 3;
      for (uint32_t x = 0; x < width; ++x) {
        const uint8_t* p = in + size_t{x} * step + skip;
        uint8_t* q = pixels.get() + size_t{x} * 3;
        q[0] = p[rgbOrder ? 0 : 2], q[1] = p[1], q[2] = p[rgbOrder ? 2 : 0];
      }
      layout = kLayoutRGB;
    }
    }
    if (!rows.store(y, layout, row)) return kNoMemory;
    if (!rows.progress(y + 1, header.height)) return kCancelled;
  }
  return kOk;
}

uint32_t rasEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows, std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kBadArguments;
  RasHeader header{width, height, 24, kTypeStandard, 0};
  const uint32_t rowBytes = Qz__RowBytes(header);
  const uint64_t imageBytes = uint64_t{rowBytes} * height;
  if (imageBytes > 0xFFFFFFFFu) return kBadArguments;  // the length is a 32-bit word
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowBytes]);
  if (!row) return kNoMemory;
  ByteWriter w(out);
  for (uint32_t word : {kMagic, width, height, 24u, static_cast<uint32_t>(imageBytes), kTypeStandard, 0u, 0u})
    w.putU32be(word);
  row[rowBytes - 1] = 0;  // the pad byte of odd widths stays 0
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutBGR, row.get())) return kBadArguments;
    w.bytes(row.get(), rowBytes);
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  return kOk;
}

}  // namespace qz::codec
