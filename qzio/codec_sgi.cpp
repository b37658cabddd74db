// SGI image codec core. The header is 512 big-endian bytes; the data are
// channel planes of rows, bottom row first. Run-length files give a table of
// row offsets and one of row lengths (plane-major), each row a sequence of
// packets: a count (a byte, or a 16-bit word with 2-byte samples) whose low
// 7 bits are the number of samples, high bit set for literals, clear for one
// sample repeated; a count of 0 ends the row.
#include "qzio/codec_sgi.h"

#include <cstring>
#include <memory>
#include <new>

#include "platform/byte_order.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr uint16_t kMagic = 474;
constexpr size_t kHeaderBytes = 512;
constexpr size_t kNameAt = 24, kNameBytes = 80, kColourMapKindAt = 104;
constexpr uint8_t kVerbatim = 0, kRunLength = 1;
// A packet of two counts' worth gives at most 127 samples.
constexpr uint64_t kMostSamplesPerByte = 64;

struct SgiHeader {
  uint8_t storage = 0, sampleBytes = 1;
  uint32_t width = 0, height = 0;
  uint32_t storedChannels = 1;  // planes in the file
  uint32_t channels = 1;        // planes read: 1 or 3
};

bool Qz__ReadHeader(std::span<const uint8_t> head, SgiHeader& header) {
  ByteReader r(head);
  if (r.u16be() != kMagic) return false;
  header.storage = r.u8();
  header.sampleBytes = r.u8();
  const uint16_t dimension = r.u16be();
  header.width = r.u16be();
  header.height = r.u16be();
  const uint32_t channels = r.u16be();
  r.seek(kColourMapKindAt);
  const uint32_t colourMapKind = r.u32be();
  if (r.failed() || colourMapKind != 0 || header.width == 0) return false;
  if (header.storage != kVerbatim && header.storage != kRunLength) return false;
  if (header.sampleBytes != 1 && header.sampleBytes != 2) return false;
  switch (dimension) {
  case 1:  // one row of one channel, whatever the other fields say
    header.height = 1;
    header.storedChannels = header.channels = 1;
    break;
  case 2:
    header.storedChannels = header.channels = 1;
    break;
  case 3:
    if (channels == 0 || channels == 2) return false;  // grey with alpha is not taken
    header.storedChannels = channels;
    header.channels = channels == 1 ? 1 : 3;
    break;
  default:
    return false;
  }
  return header.height > 0;
}

// Decodes one packed row of one channel into every `stride`-th byte of out.
void Qz__UnpackRow(const SgiHeader& header, std::span<const uint8_t> packed, uint8_t* out, uint32_t stride) {
  ByteReader r(packed);
  const bool wide = header.sampleBytes == 2;
  auto sample = [&]() -> uint8_t {
    const uint8_t high = r.u8();
    if (wide) r.skip(1);
    return high;  // 2-byte samples keep their more significant byte
  };
  uint32_t x = 0;
  while (x < header.width) {
    const uint32_t control = wide ? r.u16be() : r.u8();
    const uint32_t count = control & 0x7F;
    if (r.failed() || count == 0) return;
    // Samples past the row are read past, not stored.
    if (control & 0x80) {
      for (uint32_t i = 0; i < count && !r.failed(); ++i, ++x) {
        const uint8_t value = sample();
        if (x < header.width) out[size_t{x} * stride] = value;
      }
    } else {
      const uint8_t value = sample();
      if (r.failed()) return;
      for (uint32_t i = 0; i < count && x < header.width; ++i, ++x) out[size_t{x} * stride] = value;
    }
  }
}

}  // namespace

uint32_t sgiIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  SgiHeader header;
  if (!Qz__ReadHeader(head, header)) return kNotThisFormat;
  const uint64_t samples = uint64_t{header.width} * header.height * header.storedChannels * header.sampleBytes;
  if (!fileCanHold(samples, header.storage == kRunLength ? kMostSamplesPerByte : 1,
                   fileSize > kHeaderBytes ? fileSize - kHeaderBytes : 0))
    return reportTooShort("SGI", header.width, header.height);
  ImageInfo found;
  found.width = header.width;
  found.height = header.height;
  found.depth = header.channels == 1 ? 8 : 24;
  found.kind = header.channels == 1 ? PixelKind::Grey : PixelKind::TrueColour;
  info = found;
  return kOk;
}

uint32_t sgiDecode(std::span<const uint8_t> file, PixelRows& rows) {
  SgiHeader header;
  if (!Qz__ReadHeader(file, header)) return kNotThisFormat;
  const uint32_t width = header.width, height = header.height, channels = header.channels;
  const uint64_t rowCount = uint64_t{height} * header.storedChannels;
  const uint64_t afterHeader = file.size() > kHeaderBytes ? file.size() - kHeaderBytes : 0;
  if (header.storage == kRunLength) {
    // Both tables must be in the file before anything is read from them.
    if (afterHeader / 8 < rowCount) {
      reportDamage("SGI: the row tables run past the end of the file");
      return kReadError;
    }
  } else {
    uint64_t needed = 0;
    if (__builtin_mul_overflow(rowCount, uint64_t{width} * header.sampleBytes, &needed) || afterHeader < needed) {
      reportDamage("SGI: the file ends before its last row");
      return kReadError;
    }
  }
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[size_t{width} * channels]);
  if (!row) return kNoMemory;
  const uint32_t layout = channels == 1 ? kLayoutGrey : kLayoutRGB;
  const size_t rowBytes = size_t{width} * header.sampleBytes;
  for (uint32_t y = 0; y < height; ++y) {
    std::memset(row.get(), 0, size_t{width} * channels);
    for (uint32_t c = 0; c < channels; ++c) {
      const uint64_t index = uint64_t{c} * height + y;
      if (header.storage == kRunLength) {
        ByteReader entry(file);
        entry.seek(kHeaderBytes + index * 4);
        const uint32_t offset = entry.u32be();
        entry.seek(kHeaderBytes + (rowCount + index) * 4);
        const uint32_t length = entry.u32be();
        if (entry.failed() || offset > file.size() || length > file.size() - offset) {
          reportDamage("SGI: a row lies outside the file");
          return kReadError;
        }
        Qz__UnpackRow(header, file.subspan(offset, length), row.get() + c, channels);
      } else {
        const uint8_t* in = file.data() + kHeaderBytes + index * rowBytes;
        for (uint32_t x = 0; x < width; ++x) row[size_t{x} * channels + c] = in[size_t{x} * header.sampleBytes];
      }
    }
    if (!rows.store(height - 1 - y, layout, row.get())) return kNoMemory;
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  return kOk;
}

uint32_t sgiEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows, std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return kBadArguments;
  const size_t plane = size_t{width} * height;
  std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[size_t{width} * 3]);
  if (!rgb) return kNoMemory;
  const size_t start = out.size();
  try {
    out.resize(start + kHeaderBytes + plane * 3, 0);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  std::vector<uint8_t> header;
  ByteWriter w(header);
  w.putU16be(kMagic);
  w.putU8(kVerbatim), w.putU8(1);
  w.putU16be(3);  // dimension
  w.putU16be(static_cast<uint16_t>(width)), w.putU16be(static_cast<uint16_t>(height)), w.putU16be(3);
  w.putU32be(0), w.putU32be(255);  // minimum and maximum sample
  header.resize(kNameAt, 0);
  static constexpr char kName[] = "no name";
  header.insert(header.end(), kName, kName + sizeof kName - 1);
  header.resize(kNameAt + kNameBytes, 0);  // then the colour map kind 0 and the rest zero
  std::memcpy(out.data() + start, header.data(), header.size());
  // Row y of the picture is file row height - 1 - y of each plane.
  uint8_t* planes = out.data() + start + kHeaderBytes;
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutRGB, rgb.get())) return kBadArguments;
    const size_t fileRow = size_t{height - 1 - y} * width;
    for (uint32_t c = 0; c < 3; ++c) {
      uint8_t* target = planes + c * plane + fileRow;
      for (uint32_t x = 0; x < width; ++x) target[x] = rgb[size_t{x} * 3 + c];
    }
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  return kOk;
}

}  // namespace qz::codec
