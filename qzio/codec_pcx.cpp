// PCX codec core. A 128-byte little-endian header, then for each picture
// row one encoded line of bytes-per-line bytes for each plane. A byte with
// both top bits set gives a count (its low 6 bits) for the byte after it;
// any other byte stands for itself. 8-bit one-plane files end with 12 and
// 768 palette bytes.
#include "qzio/codec_pcx.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/byte_order.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr size_t kHeaderBytes = 128;
constexpr uint8_t kManufacturer = 10, kRunLength = 1;
constexpr size_t kPaletteBytes = 768, kPaletteMarker = 12;
// One run pair gives at most 63 bytes.
constexpr uint64_t kMostBytesPerByte = 32;

struct PcxHeader {
  uint32_t bitsPerPixel = 0, planes = 0, bytesPerLine = 0;
  uint32_t width = 0, height = 0;
};

// 1 when the header describes a picture this reader takes; else 8 or 10.
uint32_t Qz__ReadHeader(std::span<const uint8_t> head, PcxHeader& header) {
  ByteReader r(head);
  const uint8_t manufacturer = r.u8();
  r.skip(1);  // version
  const uint8_t encoding = r.u8();
  header.bitsPerPixel = r.u8();
  const uint16_t xMin = r.u16le(), yMin = r.u16le(), xMax = r.u16le(), yMax = r.u16le();
  r.seek(65);
  header.planes = r.u8();
  header.bytesPerLine = r.u16le();
  if (r.failed() || manufacturer != kManufacturer || encoding != kRunLength) return kNotThisFormat;
  if (xMax < xMin || yMax < yMin) return kNotThisFormat;
  header.width = uint32_t{xMax} - xMin + 1;
  header.height = uint32_t{yMax} - yMin + 1;
  if (header.bitsPerPixel == 1) {
    if (header.planes != 1) return kCannotOpen;
    if (uint64_t{header.bytesPerLine} * 8 < header.width) return kNotThisFormat;
    return kOk;
  }
  if (header.bitsPerPixel != 8 || (header.planes != 1 && header.planes != 3)) return kNotThisFormat;
  // A line shorter than the width would leave pixels with nothing to read.
  return header.bytesPerLine >= header.width ? kOk : kNotThisFormat;
}

// Run-length lines from the data after the header. A run that reaches past
// a line's end carries on into the next line, as some writers expect.
class LineDecoder {
 public:
  explicit LineDecoder(std::span<const uint8_t> data) : data_(data) {}
  // Fills the whole line; false when the data end first.
  bool line(uint8_t* out, size_t length) {
    size_t filled = 0;
    while (filled < length) {
      if (pending_ == 0) {
        if (position_ >= data_.size()) return false;
        const uint8_t byte = data_[position_++];
        if ((byte & 0xC0) == 0xC0) {
          if (position_ >= data_.size()) return false;
          pending_ = byte & 0x3F;
          value_ = data_[position_++];
          continue;  // a count of 0 writes nothing
        }
        pending_ = 1;
        value_ = byte;
      }
      const size_t take = std::min<size_t>(pending_, length - filled);
      std::memset(out + filled, value_, take);
      filled += take;
      pending_ -= static_cast<uint32_t>(take);
    }
    return true;
  }

 private:
  std::span<const uint8_t> data_;
  size_t position_ = 0;
  uint32_t pending_ = 0;
  uint8_t value_ = 0;
};

void Qz__SetPalette(std::span<const uint8_t> file, const PcxHeader& header, PixelRows& rows) {
  uint32_t colourmap[256];
  if (header.bitsPerPixel == 1) {
    colourmap[0] = 0x000000;
    colourmap[1] = 0xFFFFFF;
    rows.setColourmap(colourmap, 2);
    return;
  }
  const bool marked = file.size() >= kHeaderBytes + kPaletteBytes + 1 &&
                      file[file.size() - kPaletteBytes - 1] == kPaletteMarker;
  const uint8_t* palette = file.data() + file.size() - kPaletteBytes;
  for (uint32_t i = 0; i < 256; ++i) {
    colourmap[i] = marked ? palette[i * 3] | palette[i * 3 + 1] << 8 | palette[i * 3 + 2] << 16
                          : i | i << 8 | i << 16;  // no palette: a grey ramp
  }
  rows.setColourmap(colourmap, 256);
}

}  // namespace

uint32_t pcxIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  if (fileSize < kHeaderBytes) return kNotThisFormat;
  PcxHeader header;
  const uint32_t result = Qz__ReadHeader(head, header);
  if (result != kOk) return result;
  if (!fileCanHold(uint64_t{header.bytesPerLine} * header.planes * header.height, kMostBytesPerByte,
                   fileSize - kHeaderBytes))
    return reportTooShort("PCX", header.width, header.height);
  ImageInfo found;
  found.width = header.width;
  found.height = header.height;
  if (header.bitsPerPixel == 1) {
    found.depth = 1;
    found.kind = PixelKind::Bitplane;
    found.bitplaneBytesPerRow = ((header.width + 15) / 16) * 2;
  } else if (header.planes == 1) {
    found.depth = 8;
    found.kind = PixelKind::ColourMapped;
  } else {
    found.depth = 24;
    found.kind = PixelKind::TrueColour;
  }
  info = found;
  return kOk;
}

uint32_t pcxDecode(std::span<const uint8_t> file, PixelRows& rows) {
  if (file.size() < kHeaderBytes) return kNotThisFormat;
  PcxHeader header;
  if (Qz__ReadHeader(file, header) != kOk) return kNotThisFormat;
  const size_t lineBytes = header.bytesPerLine;
  const size_t width = header.width;
  // A 1-bit line may be shorter than the buffer's even-length row: the room
  // past it stays zero.
  const size_t room = std::max(lineBytes * header.planes, size_t{(header.width + 15) / 16 * 2});
  std::unique_ptr<uint8_t[]> lines(new (std::nothrow) uint8_t[room]());
  std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[width * 3]);
  if (!lines || !pixels) return kNoMemory;
  Qz__SetPalette(file, header, rows);
  LineDecoder decoder(file.subspan(kHeaderBytes));
  for (uint32_t y = 0; y < header.height; ++y) {
    for (uint32_t plane = 0; plane < header.planes; ++plane) {
      if (!decoder.line(lines.get() + plane * lineBytes, lineBytes)) {
        reportDamage("PCX: the picture ends in row " + std::to_string(y + 1) + " of its " +
                     std::to_string(header.height));
        return kReadError;
      }
    }
    bool stored = false;
    if (header.bitsPerPixel == 1) {
      stored = rows.store(y, kLayoutBits, lines.get());
    } else if (header.planes == 1) {
      stored = rows.store(y, kLayoutIndex, lines.get());
    } else {
      for (size_t x = 0; x < width; ++x) {
        for (size_t c = 0; c < 3; ++c) pixels[x * 3 + c] = lines[c * lineBytes + x];
      }
      stored = rows.store(y, kLayoutRGB, pixels.get());
    }
    if (!stored) return kNoMemory;
    if (!rows.progress(y + 1, header.height)) return kCancelled;
  }
  return kOk;
}

}  // namespace qz::codec
