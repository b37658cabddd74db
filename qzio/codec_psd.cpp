// Photoshop document codec core. Big-endian: a 26-byte header, then three
// sections each led by its 32-bit length (colour-mode data, which holds the
// indexed palette as 256 reds, 256 greens and 256 blues; image resources;
// layers and masks), then the compression word and the flattened picture,
// channel after channel. PackBits pictures start with a table of 16-bit
// packed row lengths, one for every row of every channel.
#include "qzio/codec_psd.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/byte_order.h"
#include "qzio/load_problem.h"
#include "qzio/packbits.h"

namespace qz::codec {
namespace {

constexpr size_t kHeaderBytes = 26;
constexpr uint16_t kVersion = 1;
constexpr uint32_t kModeBitmap = 0, kModeGrey = 1, kModeIndexed = 2, kModeRgb = 3, kModeCmyk = 4;
constexpr uint16_t kRaw = 0, kPackBits = 1;
constexpr uint32_t kMostSide = 30000;  // the largest side a version-1 document has
// Two packed bytes give at most 128.
constexpr uint64_t kMostBytesPerByte = 64;

struct PsdHeader {
  uint32_t channels = 0, width = 0, height = 0, bits = 0, mode = 0;
};

bool Qz__ReadHeader(std::span<const uint8_t> head, PsdHeader& header) {
  ByteReader r(head);
  const uint32_t signature = r.u32be();
  const uint16_t version = r.u16be();
  r.skip(6);
  header.channels = r.u16be();
  header.height = r.u32be();
  header.width = r.u32be();
  header.bits = r.u16be();
  header.mode = r.u16be();
  if (r.failed() || signature != 0x38425053u || version != kVersion) return false;  // "8BPS"
  if (header.width == 0 || header.height == 0 || header.width > kMaxSide || header.height > kMaxSide) return false;
  if (header.mode > kModeCmyk) return false;
  const uint32_t needed = header.mode == kModeRgb ? 3 : header.mode == kModeCmyk ? 4 : 1;
  return header.channels >= needed && header.channels <= 56;
}

// The bytes of one channel's row in the file.
uint32_t Qz__RowBytes(const PsdHeader& header) {
  return header.mode == kModeBitmap ? (header.width + 7) / 8 : header.width;
}

uint32_t Qz__Damaged(const std::string& what) {
  reportDamage("Photoshop: " + what);
  return kReadError;
}

// Reads one 32-bit-length section; false when it runs past the file.
bool Qz__Section(ByteReader& r, std::span<const uint8_t>& data) {
  const uint32_t length = r.u32be();
  data = r.bytes(length);
  return !r.failed();
}

void Qz__SetColourmap(const PsdHeader& header, std::span<const uint8_t> modeData, PixelRows& rows) {
  uint32_t colourmap[256] = {};
  if (header.mode == kModeBitmap) {
    // A set bit is black.
    colourmap[0] = 0xFFFFFF;
    rows.setColourmap(colourmap, 2);
  } else if (header.mode == kModeIndexed) {
    // A short palette fills what it holds; the rest stays black.
    const size_t entries = modeData.size() / 3 < 256 ? modeData.size() / 3 : 256;
    for (size_t i = 0; i < entries; ++i)
      colourmap[i] = modeData[i] | modeData[entries + i] << 8 | modeData[2 * entries + i] << 16;
    rows.setColourmap(colourmap, 256);
  }
}

}  // namespace

uint32_t psdIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  PsdHeader header;
  if (!Qz__ReadHeader(head, header)) return kNotThisFormat;
  const uint32_t used = header.mode == kModeRgb ? 3 : header.mode == kModeCmyk ? 4 : 1;
  if (!fileCanHold(uint64_t{Qz__RowBytes(header)} * header.height * used, kMostBytesPerByte, fileSize))
    return reportTooShort("Photoshop", header.width, header.height);
  ImageInfo found;
  found.width = header.width;
  found.height = header.height;
  switch (header.mode) {
  case kModeBitmap:
    found.depth = 1;
    found.kind = PixelKind::Bitplane;
    found.bitplaneBytesPerRow = ((header.width + 15) / 16) * 2;
    break;
  case kModeGrey:
    found.depth = 8;
    found.kind = PixelKind::Grey;
    break;
  case kModeIndexed:
    found.depth = 8;
    found.kind = PixelKind::ColourMapped;
    break;
  case kModeRgb:
    found.depth = 24;
    break;
  default:
    found.depth = 32;
    break;
  }
  info = found;
  return kOk;
}

bool psdIsCmyk(std::span<const uint8_t> head) {
  PsdHeader header;
  return Qz__ReadHeader(head, header) && header.mode == kModeCmyk;
}

uint32_t psdDecode(std::span<const uint8_t> file, PixelRows& rows) {
  PsdHeader header;
  if (!Qz__ReadHeader(file, header)) return kNotThisFormat;
  if (header.mode == kModeCmyk) {
    reportDamage("Photoshop: CMYK documents cannot be loaded");
    return kNotThisFormat;
  }
  if (header.bits != (header.mode == kModeBitmap ? 1u : 8u)) {
    reportDamage("Photoshop: documents of " + std::to_string(header.bits) + " bits a channel cannot be loaded");
    return kUnexpectedKind;
  }
  ByteReader r(file);
  r.seek(kHeaderBytes);
  std::span<const uint8_t> modeData, skipped;
  if (!Qz__Section(r, modeData) || !Qz__Section(r, skipped) || !Qz__Section(r, skipped))
    return Qz__Damaged("a section runs past the end of the file");
  const uint16_t compression = r.u16be();
  if (r.failed()) return Qz__Damaged("the file ends before its picture");
  if (compression != kRaw && compression != kPackBits) {
    reportDamage("Photoshop: the picture's compression (" + std::to_string(compression) + ") cannot be loaded");
    return kUnexpectedKind;
  }
  const std::span<const uint8_t> data = file.subspan(r.position());
  const uint32_t width = header.width, height = header.height;
  const uint32_t used = header.mode == kModeRgb ? 3 : 1;
  const size_t rowBytes = Qz__RowBytes(header);
  const uint64_t channelRows = uint64_t{height} * header.channels;

  // Where each used channel's rows start, and for PackBits each row's length.
  std::vector<uint64_t> starts;
  std::span<const uint8_t> counts;
  size_t pictureAt = 0;
  if (compression == kRaw) {
    if (data.size() / rowBytes < uint64_t{height} * used) return Qz__Damaged("the file ends before its last row");
  } else {
    if (data.size() / 2 < channelRows) return Qz__Damaged("the row length table runs past the end of the file");
    counts = data.first(channelRows * 2);
    pictureAt = channelRows * 2;
    starts.resize(size_t{height} * used);
    uint64_t at = pictureAt;
    for (uint64_t i = 0; i < uint64_t{height} * used; ++i) {
      starts[i] = at;
      at += uint32_t{counts[i * 2]} << 8 | counts[i * 2 + 1];
    }
    if (at > data.size()) return Qz__Damaged("the packed rows run past the end of the file");
  }

  Qz__SetColourmap(header, modeData, rows);
  std::unique_ptr<uint8_t[]> planes(new (std::nothrow) uint8_t[rowBytes * used + 2]());
  std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[size_t{width} * 3]);
  if (!planes || !pixels) return kNoMemory;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t c = 0; c < used; ++c) {
      const size_t row = size_t{c} * height + y;
      uint8_t* plane = planes.get() + c * rowBytes;
      if (compression == kRaw) {
        std::memcpy(plane, data.data() + row * rowBytes, rowBytes);
        continue;
      }
      const size_t length = uint32_t{counts[row * 2]} << 8 | counts[row * 2 + 1];
      size_t position = 0;
      // A row packed short ends where its bytes do, the rest of it black;
      // the rows after it load as usual.
      std::memset(plane, 0, rowBytes);
      if (packbits::unpackRow(data.subspan(starts[row], length), position, {plane, rowBytes}) ==
          packbits::RowResult::ShortInput)
        reportPartial("Photoshop: row " + std::to_string(y + 1) + " is packed short");
    }
    bool stored = false;
    switch (header.mode) {
    case kModeBitmap: stored = rows.store(y, kLayoutBits, planes.get()); break;
    case kModeGrey: stored = rows.store(y, kLayoutGrey, planes.get()); break;
    case kModeIndexed: stored = rows.store(y, kLayoutIndex, planes.get()); break;
    default:
      for (size_t x = 0; x < width; ++x) {
        for (size_t c = 0; c < 3; ++c) pixels[x * 3 + c] = planes[c * rowBytes + x];
      }
      stored = rows.store(y, kLayoutRGB, pixels.get());
    }
    if (!stored) return kNoMemory;
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  return kOk;
}

uint32_t psdEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows, std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0 || width > kMostSide || height > kMostSide) return kBadArguments;
  std::vector<uint8_t> header;
  ByteWriter w(header);
  w.putU32be(0x38425053u);  // "8BPS"
  w.putU16be(kVersion);
  for (int i = 0; i < 6; ++i) w.putU8(0);
  w.putU16be(3), w.putU32be(height), w.putU32be(width), w.putU16be(8), w.putU16be(kModeRgb);
  w.putU32be(0), w.putU32be(0), w.putU32be(0);  // colour-mode data, resources, layers
  w.putU16be(kRaw);
  const size_t plane = size_t{width} * height;
  const size_t start = out.size();
  std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[size_t{width} * 3]);
  if (!rgb) return kNoMemory;
  try {
    out.resize(start + header.size() + plane * 3);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  std::memcpy(out.data() + start, header.data(), header.size());
  uint8_t* planes = out.data() + start + header.size();
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutRGB, rgb.get())) return kBadArguments;
    for (uint32_t c = 0; c < 3; ++c) {
      uint8_t* target = planes + c * plane + size_t{y} * width;
      for (uint32_t x = 0; x < width; ++x) target[x] = rgb[size_t{x} * 3 + c];
    }
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  return kOk;
}

}  // namespace qz::codec
