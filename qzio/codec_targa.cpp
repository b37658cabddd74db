// Targa codec core. Header (little-endian): ID length at 0, colour-map type
// at 1, image type at 2 (2 true colour, 10 the same run-length encoded),
// colour-map first entry, length and entry bits at 3, 5 and 7, width at 12,
// height at 14, bits a pixel at 16, descriptor at 17 (bit 5 top row first,
// bit 4 right to left); then the ID field, the colour map and the pixels,
// blue, green, red (and alpha). Run-length packets: a header byte with bit 7
// set repeats the one pixel that follows (low 7 bits + 1) times, clear
// introduces that many literal pixels.
#include "qzio/codec_targa.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr size_t kHeaderBytes = 18;
constexpr uint8_t kTrueColour = 2, kRunLengthTrueColour = 10;
constexpr uint8_t kTopFirst = 0x20, kRightToLeft = 0x10;
constexpr char kSignature[] = "TRUEVISION-XFILE";
constexpr size_t kSignatureAt = 8, kSignatureBytes = 16;
constexpr uint32_t kMaxPacket = 128;
// A run packet of 1 + 1 bytes gives 128 pixels of 1 byte.
constexpr uint64_t kMostBytesPerByte = 64;

struct TargaHeader {
  uint8_t idLength = 0, colourMapType = 0, imageType = 0, bitsPerPixel = 0, descriptor = 0;
  uint16_t colourMapLength = 0;
  uint8_t colourMapEntryBits = 0;
  uint32_t width = 0, height = 0;
};

bool Qz__ReadHeader(std::span<const uint8_t> head, TargaHeader& header) {
  ByteReader r(head);
  header.idLength = r.u8();
  header.colourMapType = r.u8();
  header.imageType = r.u8();
  r.skip(2);  // first colour-map entry
  header.colourMapLength = r.u16le();
  header.colourMapEntryBits = r.u8();
  r.skip(4);  // origin
  header.width = r.u16le();
  header.height = r.u16le();
  header.bitsPerPixel = r.u8();
  header.descriptor = r.u8();
  return !r.failed() && header.width > 0 && header.height > 0;
}

bool Qz__HasFooter(std::span<const uint8_t> footer) {
  return footer.size() == kTargaFooterBytes && std::memcmp(footer.data() + kSignatureAt, kSignature, kSignatureBytes) == 0;
}

// Appends one row as packets of at most 128 pixels: runs of equal pixels,
// and literal stretches between them.
void Qz__PackRow(const uint8_t* bgr, uint32_t width, ByteWriter& w) {
  auto same = [&](uint32_t a, uint32_t b) { return std::memcmp(bgr + a * 3, bgr + b * 3, 3) == 0; };
  uint32_t x = 0;
  while (x < width) {
    uint32_t n = 1;
    while (x + n < width && n < kMaxPacket && same(x, x + n)) ++n;
    if (n > 1) {
      w.putU8(static_cast<uint8_t>(0x80 | (n - 1)));
      w.bytes(bgr + x * 3, 3);
    } else {
      // Literals until two equal neighbours start a run.
      while (x + n < width && n < kMaxPacket && !(x + n + 1 < width && same(x + n, x + n + 1))) ++n;
      w.putU8(static_cast<uint8_t>(n - 1));
      w.bytes(bgr + x * 3, size_t{n} * 3);
    }
    x += n;
  }
}

}  // namespace

size_t QZIO_RLEDecode(uint8_t* dest, size_t itemSize, size_t count, ByteReader& source, TargaRunState& state) {
  const size_t wanted = itemSize * count;
  const uint32_t pixelBytes = state.pixelBytes;
  if (pixelBytes == 0 || pixelBytes > 4) return 0;
  size_t done = 0;
  while (wanted - done >= pixelBytes) {
    if (state.left == 0) {
      const uint8_t packet = source.u8();
      if (source.failed()) break;
      state.run = packet & 0x80;
      state.left = (packet & 0x7F) + 1u;
      if (state.run) {
        const std::span<const uint8_t> pixel = source.bytes(pixelBytes);
        if (source.failed()) break;
        std::memcpy(state.pixel, pixel.data(), pixelBytes);
      }
    }
    if (state.run) {
      std::memcpy(dest + done, state.pixel, pixelBytes);
    } else {
      const std::span<const uint8_t> pixel = source.bytes(pixelBytes);
      if (source.failed()) break;
      std::memcpy(dest + done, pixel.data(), pixelBytes);
    }
    done += pixelBytes;
    --state.left;
  }
  return done;
}

uint32_t targaIdentify(std::span<const uint8_t> head, std::span<const uint8_t> footer, uint64_t fileSize,
                       ImageInfo& info) {
  // Older files without the footer have no signature at all.
  TargaHeader header;
  if (!Qz__HasFooter(footer) || !Qz__ReadHeader(head, header)) return kNotThisFormat;
  // Kinds the load refuses are held to the same bound, so a damaged header
  // makes no huge buffer only to be refused.
  const bool runLength = (header.imageType & 8) != 0;  // types 9, 10 and 11
  const uint64_t pixelBytes = uint64_t{header.width} * header.height * std::max(1, header.bitsPerPixel / 8);
  const uint64_t dataBytes = fileSize > kHeaderBytes + kTargaFooterBytes ? fileSize - kHeaderBytes - kTargaFooterBytes : 0;
  if (!fileCanHold(pixelBytes, runLength ? kMostBytesPerByte : 1, dataBytes))
    return reportTooShort("Targa", header.width, header.height);
  info = trueColourInfo(header.width, header.height);
  return kOk;
}

uint32_t targaDecode(std::span<const uint8_t> file, PixelRows& rows) {
  TargaHeader header;
  if (file.size() < kHeaderBytes + kTargaFooterBytes || !Qz__HasFooter(file.last(kTargaFooterBytes)) ||
      !Qz__ReadHeader(file, header))
    return kNotThisFormat;
  const bool runLength = header.imageType == kRunLengthTrueColour;
  if (header.imageType != kTrueColour && !runLength) {
    reportDamage("Targa: only true-colour pictures can be loaded, not colour-mapped or grey ones");
    return kNotHandled;
  }
  if (header.bitsPerPixel != 24 && header.bitsPerPixel != 32) {
    reportDamage("Targa: pictures of " + std::to_string(header.bitsPerPixel) + " bits a pixel cannot be loaded");
    return kNotHandled;
  }
  const uint32_t pixelBytes = header.bitsPerPixel / 8;
  const uint32_t width = header.width, height = header.height;
  // The pixels follow the ID field and any colour map.
  const size_t mapBytes = header.colourMapType == 1 ? size_t{header.colourMapLength} * ((header.colourMapEntryBits + 7u) / 8) : 0;
  ByteReader source(file.first(file.size() - kTargaFooterBytes));
  source.seek(kHeaderBytes + header.idLength + mapBytes);
  if (source.failed()) return reportTooShort("Targa", width, height);
  const size_t rowBytes = size_t{width} * pixelBytes;
  std::unique_ptr<uint8_t[]> fileRow(new (std::nothrow) uint8_t[rowBytes]);
  std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[size_t{width} * 3]);
  if (!fileRow || !rgb) return kNoMemory;
  TargaRunState state;
  state.pixelBytes = pixelBytes;
  const bool topFirst = header.descriptor & kTopFirst, rightToLeft = header.descriptor & kRightToLeft;
  for (uint32_t i = 0; i < height; ++i) {
    bool whole = true;
    if (runLength) {
      whole = QZIO_RLEDecode(fileRow.get(), rowBytes, 1, source, state) == rowBytes;
    } else {
      const std::span<const uint8_t> raw = source.bytes(rowBytes);
      whole = !source.failed();
      if (whole) std::memcpy(fileRow.get(), raw.data(), rowBytes);
    }
    if (!whole) {
      reportDamage("Targa: the file ends after " + std::to_string(i) + " of its " + std::to_string(height) + " rows");
      return kReadError;
    }
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* p = fileRow.get() + size_t{rightToLeft ? width - 1 - x : x} * pixelBytes;
      uint8_t* q = rgb.get() + size_t{x} * 3;
      q[0] = p[2], q[1] = p[1], q[2] = p[0];
    }
    if (!rows.store(topFirst ? i : height - 1 - i, kLayoutRGB, rgb.get())) return kNoMemory;
    if (!rows.progress(i + 1, height)) return kCancelled;
  }
  return kOk;
}

uint32_t targaEncode(uint32_t width, uint32_t height, uint32_t depth, bool runLength, PixelRows& rows,
                     std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return kBadArguments;
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[size_t{width} * 3]);
  if (!row) return kNoMemory;
  ByteWriter w(out);
  w.putU8(0), w.putU8(0);  // ID length, colour-map type
  w.putU8(runLength ? kRunLengthTrueColour : kTrueColour);
  for (int i = 0; i < 5; ++i) w.putU8(0);  // colour-map start, length and entry size
  w.putU16le(0), w.putU16le(0);            // origin
  w.putU16le(static_cast<uint16_t>(width)), w.putU16le(static_cast<uint16_t>(height));
  w.putU8(24), w.putU8(kTopFirst);
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutBGR, row.get())) return kBadArguments;
    if (runLength) {
      Qz__PackRow(row.get(), width, w);
    } else {
      w.bytes(row.get(), size_t{width} * 3);
    }
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  for (int i = 0; i < 8; ++i) w.putU8(0);  // extension and developer area offsets
  w.bytes(kSignature, kSignatureBytes);
  w.putU8('.'), w.putU8(0);
  return kOk;
}

}  // namespace qz::codec
