// X window dump codec core. The X11 header is 25 32-bit words (header size,
// file version, pixmap format, pixmap depth, width, height, x offset, byte
// order, bitmap unit, bit order, bitmap pad, bits per pixel, bytes per line,
// visual class, red, green and blue masks, bits per RGB, colour-map entries,
// colours, window geometry), then the window name up to the header size,
// then 12-byte colours (pixel, red, green, blue, flags, pad) and the image.
// The X10 header is 7 words (header size, version, display type, planes,
// pixmap format, width, height) and 6 16-bit words (window geometry and the
// colour count); its colours are 8 bytes and its data most significant
// first. The header's byte order is found from its version word; colours
// follow the header's order, pixels the dump's own byte and bit order.
#include "qzio/codec_xwd.h"

#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/byte_order.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr uint32_t kX11Version = 7, kX10Version = 6;
constexpr uint32_t kX11HeaderBytes = 100, kX10HeaderBytes = 40;
constexpr uint32_t kX11ColourBytes = 12, kX10ColourBytes = 8;
constexpr uint32_t kZPixmap = 2, kX10ZFormat = 1;
constexpr uint32_t kPseudoColour = 3, kTrueColourClass = 4, kDirectColour = 5;
constexpr uint32_t kMsbFirst = 1;
constexpr uint32_t kSavedHeaderBytes = kX11HeaderBytes + 1;  // and an empty window name

struct XwdLayout {
  bool bigEndian = false;  // order of the header words and colours
  bool x10 = false;
  uint32_t headerSize = 0, width = 0, height = 0;
  uint32_t bitsPerPixel = 0, bytesPerLine = 0;
  bool bytesMsbFirst = false, bitsMsbFirst = false;
  uint32_t masks[3] = {};
  uint32_t colourCount = 0, colourBytes = 0;
  PixelKind kind = PixelKind::Grey;
};

uint32_t Qz__Word(ByteReader& r, bool bigEndian) { return bigEndian ? r.u32be() : r.u32le(); }
uint32_t Qz__Half(ByteReader& r, bool bigEndian) { return bigEndian ? r.u16be() : r.u16le(); }

bool Qz__ReadX11(ByteReader& r, XwdLayout& layout) {
  uint32_t word[25];
  for (uint32_t& w : word) w = Qz__Word(r, layout.bigEndian);
  if (r.failed()) return false;
  const uint32_t format = word[2], depth = word[3], unit = word[8], visual = word[13], bitsPerRgb = word[17];
  layout.headerSize = word[0];
  layout.width = word[4];
  layout.height = word[5];
  layout.bytesMsbFirst = word[7] == kMsbFirst;
  layout.bitsMsbFirst = word[9] == kMsbFirst;
  layout.bitsPerPixel = word[11];
  layout.bytesPerLine = word[12];
  for (int c = 0; c < 3; ++c) layout.masks[c] = word[14 + c];
  layout.colourCount = word[19];
  layout.colourBytes = kX11ColourBytes;
  if (layout.headerSize < kX11HeaderBytes || depth >= 25 || bitsPerRgb >= 25) return false;
  if (format != kZPixmap && depth != 1) return false;
  if (unit != 8 && unit != 16 && unit != 32) return false;
  if (visual == kTrueColourClass || visual == kDirectColour) {
    layout.kind = PixelKind::TrueColour;
    return layout.bitsPerPixel == 16 || layout.bitsPerPixel == 24 || layout.bitsPerPixel == 32;
  }
  if (visual > kDirectColour) return false;
  // Grey and colour classes alike: with colours their map gives the picture.
  layout.kind = layout.colourCount > 0 ? PixelKind::ColourMapped : PixelKind::Grey;
  return layout.bitsPerPixel == 1 || layout.bitsPerPixel == 2 || layout.bitsPerPixel == 4 || layout.bitsPerPixel == 8;
}

bool Qz__ReadX10(ByteReader& r, XwdLayout& layout) {
  uint32_t word[7];
  for (uint32_t& w : word) w = Qz__Word(r, layout.bigEndian);
  r.skip(5 * 2);  // window geometry
  layout.colourCount = Qz__Half(r, layout.bigEndian);
  if (r.failed() || layout.colourCount > 256) return false;
  const uint32_t planes = word[3], format = word[4];
  layout.x10 = true;
  layout.headerSize = word[0];
  layout.width = word[5];
  layout.height = word[6];
  layout.bytesMsbFirst = layout.bitsMsbFirst = true;
  layout.colourBytes = kX10ColourBytes;
  if (layout.headerSize < kX10HeaderBytes) return false;
  if (format != kX10ZFormat && planes != 1) return false;
  if (format == kX10ZFormat && planes > 1 && layout.colourCount > 0) {
    layout.bitsPerPixel = 8;
    layout.kind = PixelKind::ColourMapped;
    layout.bytesPerLine = (layout.width + 1) & ~1u;  // even bytes
  } else {
    layout.bitsPerPixel = 1;
    layout.kind = PixelKind::Grey;
    layout.bytesPerLine = ((layout.width + 15) / 16) * 2;  // 16-bit units
  }
  return true;
}

bool Qz__ReadHeader(std::span<const uint8_t> head, uint64_t fileSize, XwdLayout& layout) {
  ByteReader version(head);
  version.seek(4);
  const uint32_t little = version.u32le();
  if (version.failed()) return false;
  const uint32_t big = __builtin_bswap32(little);
  XwdLayout found;
  found.bigEndian = !(little == kX11Version || little == kX10Version);
  const uint32_t fileVersion = found.bigEndian ? big : little;
  if (fileVersion != kX11Version && fileVersion != kX10Version) return false;
  ByteReader r(head);
  if (!(fileVersion == kX11Version ? Qz__ReadX11(r, found) : Qz__ReadX10(r, found))) return false;
  if (found.width == 0 || found.height == 0 || found.width > kMaxSide || found.height > kMaxSide) return false;
  // Lines shorter than their pixels, or colours past the file: damaged.
  if (found.bytesPerLine < (uint64_t{found.width} * found.bitsPerPixel + 7) / 8) return false;
  if (found.headerSize > fileSize || uint64_t{found.colourCount} * found.colourBytes > fileSize - found.headerSize)
    return false;
  layout = found;
  return true;
}

uint32_t Qz__Pixel(const XwdLayout& layout, const uint8_t* line, uint32_t x) {
  const uint32_t bits = layout.bitsPerPixel;
  if (bits < 8) {
    const uint32_t at = x * bits;
    const uint32_t shift = layout.bitsMsbFirst ? 8 - bits - at % 8 : at % 8;
    return (line[at / 8] >> shift) & ((1u << bits) - 1);
  }
  const uint32_t bytes = bits / 8;
  const uint8_t* p = line + size_t{x} * bytes;
  uint32_t value = 0;
  for (uint32_t i = 0; i < bytes; ++i) {
    value |= uint32_t{p[layout.bytesMsbFirst ? i : bytes - 1 - i]} << (8 * (bytes - 1 - i));
  }
  return value;
}

// One component of a true-colour pixel, widened or narrowed to 8 bits.
uint8_t Qz__Component(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int width = std::popcount(mask);
  const uint32_t value = (pixel & mask) >> shift;
  return static_cast<uint8_t>(width <= 8 ? value << (8 - width) : value >> (width - 8));
}

void Qz__SetColourmap(const XwdLayout& layout, std::span<const uint8_t> file, PixelRows& rows) {
  uint32_t colourmap[256] = {};
  ByteReader r(file);
  r.seek(layout.headerSize);
  for (uint32_t i = 0; i < layout.colourCount; ++i) {
    const uint32_t pixel = layout.x10 ? Qz__Half(r, layout.bigEndian) : Qz__Word(r, layout.bigEndian);
    const uint32_t red = Qz__Half(r, layout.bigEndian) >> 8;
    const uint32_t green = Qz__Half(r, layout.bigEndian) >> 8;
    const uint32_t blue = Qz__Half(r, layout.bigEndian) >> 8;
    if (!layout.x10) r.skip(2);  // flags, pad
    if (r.failed()) break;
    // Entries sit at their pixel value; values past the map cannot occur
    // in pixels of 8 bits or fewer.
    if (pixel < 256) colourmap[pixel] = red | green << 8 | blue << 16;
  }
  rows.setColourmap(colourmap, 256);
}

}  // namespace

uint32_t xwdIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  XwdLayout layout;
  if (!Qz__ReadHeader(head, fileSize, layout)) return kNotThisFormat;
  const uint64_t dataStart = layout.headerSize + uint64_t{layout.colourCount} * layout.colourBytes;
  if (!fileCanHold(uint64_t{layout.bytesPerLine} * layout.height, 1, fileSize - dataStart))
    return reportTooShort("XWD", layout.width, layout.height);
  ImageInfo found;
  found.width = layout.width;
  found.height = layout.height;
  found.kind = layout.kind;
  found.depth = layout.kind == PixelKind::TrueColour ? 24 : 8;
  info = found;
  return kOk;
}

uint32_t xwdDecode(std::span<const uint8_t> file, PixelRows& rows) {
  XwdLayout layout;
  if (!Qz__ReadHeader(file, file.size(), layout)) return kNotThisFormat;
  const uint32_t width = layout.width;
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[size_t{width} * 3]);
  if (!row) return kNoMemory;
  if (layout.kind == PixelKind::ColourMapped) Qz__SetColourmap(layout, file, rows);
  const uint64_t dataStart = layout.headerSize + uint64_t{layout.colourCount} * layout.colourBytes;
  const uint32_t greyTop = layout.bitsPerPixel < 8 ? (1u << layout.bitsPerPixel) - 1 : 255;
  for (uint32_t y = 0; y < layout.height; ++y) {
    // Lines are found by their byte length: padding is never counted in pixels.
    const uint64_t at = dataStart + uint64_t{y} * layout.bytesPerLine;
    if (at > file.size() || file.size() - at < layout.bytesPerLine) {
      reportDamage("XWD: the file ends after " + std::to_string(y) + " of its " + std::to_string(layout.height) +
                   " lines");
      return kReadError;
    }
    const uint8_t* line = file.data() + at;
    uint32_t layout8 = kLayoutRGB;
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t pixel = Qz__Pixel(layout, line, x);
      switch (layout.kind) {
      case PixelKind::TrueColour:
        for (int c = 0; c < 3; ++c) row[size_t{x} * 3 + c] = Qz__Component(pixel, layout.masks[c]);
        break;
      case PixelKind::ColourMapped:
        row[x] = static_cast<uint8_t>(pixel);
        layout8 = kLayoutIndex;
        break;
      default:  // grey levels spread over 0 to 255
        row[x] = static_cast<uint8_t>(pixel * 255 / greyTop);
        layout8 = kLayoutGrey;
      }
    }
    if (!rows.store(y, layout8, row.get())) return kNoMemory;
    if (!rows.progress(y + 1, layout.height)) return kCancelled;
  }
  return kOk;
}

uint32_t xwdEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows, std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kBadArguments;
  if (uint64_t{width} * 4 > 0xFFFFFFFFu) return kBadArguments;
  std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[size_t{width} * 3]);
  std::unique_ptr<uint8_t[]> line(new (std::nothrow) uint8_t[size_t{width} * 4]);
  if (!rgb || !line) return kNoMemory;
  ByteWriter w(out);
  const uint32_t header[25] = {kSavedHeaderBytes, kX11Version, kZPixmap, 24, width, height,
                               0,  // x offset
                               0, 32, 0, 32,  // byte order LSB first, unit, bit order, pad
                               32, width * 4, kTrueColourClass, 0x00FF0000, 0x0000FF00, 0x000000FF,
                               // Significant bits of a component: 8 (netpbm refuses
                               // more than 16), then colour-map entries and colours.
                               8, 0, 0,
                               width, height, 0, 0, 0};
  for (uint32_t word : header) w.putU32be(word);
  w.putU8(0);  // empty window name
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutRGB, rgb.get())) return kBadArguments;
    // R << 16 | G << 8 | B, least significant byte first.
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* q = line.get() + size_t{x} * 4;
      const uint8_t* p = rgb.get() + size_t{x} * 3;
      q[0] = p[2], q[1] = p[1], q[2] = p[0], q[3] = 0;
    }
    w.bytes(line.get(), size_t{width} * 4);
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  return kOk;
}

}  // namespace qz::codec
