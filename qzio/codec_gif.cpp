// GIF codec core. A file is a 13-byte header (signature, screen size, packed
// byte, background, aspect), an optional global colour table, then blocks:
// extensions ("!"), pictures (",") and the trailer (";"). Picture data are
// LZW codes, least significant bit first, in sub-blocks of up to 255 bytes
// each preceded by its length and ended by an empty one.
#include "qzio/codec_gif.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/byte_order.h"
#include "qzio/colour_reduction.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr size_t kHeaderBytes = 13;
constexpr uint32_t kMaxCodes = 4096;
constexpr uint32_t kMaxCodeWidth = 12;
// Without clear codes a 12-bit code can stand for a string of up to 4096
// pixels: at best about 2731 pixels a byte.
constexpr uint64_t kMostPixelsPerByte = 2731;
constexpr uint8_t kInterlaced = 0x40, kHasTable = 0x80;

// Row order of a picture's data: straight, or the four interlace passes.
std::vector<uint32_t> Qz__RowOrder(uint32_t height, bool interlaced) {
  std::vector<uint32_t> order;
  order.reserve(height);
  if (!interlaced) {
    for (uint32_t y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  static constexpr uint32_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (uint32_t y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  return order;
}

// Reads a colour table of `entries` colours into the colourmap form.
bool Qz__ReadTable(ByteReader& r, uint32_t entries, std::array<uint32_t, 256>& table) {
  table.fill(0);
  for (uint32_t i = 0; i < entries; ++i) {
    const uint32_t red = r.u8(), green = r.u8(), blue = r.u8();
    table[i] = red | green << 8 | blue << 16;
  }
  return !r.failed();
}

// Skips sub-blocks up to and including the empty one; false at the file's end.
bool Qz__SkipSubBlocks(ByteReader& r) {
  for (;;) {
    const uint8_t length = r.u8();
    if (r.failed()) return false;
    if (length == 0) return true;
    r.skip(length);
  }
}

// Codes of one picture's data, read across its sub-blocks.
class CodeReader {
 public:
  explicit CodeReader(ByteReader& r) : r_(r) {}
  // False when the data end (the empty sub-block or the file's end) first.
  bool next(uint32_t width, uint32_t& code) {
    while (bits_ < width) {
      if (left_ == 0) {
        if (ended_) return false;
        left_ = r_.u8();
        if (r_.failed() || left_ == 0) {
          ended_ = true;
          return false;
        }
      }
      const uint8_t byte = r_.u8();
      if (r_.failed()) {
        ended_ = true;
        return false;
      }
      --left_;
      accumulator_ |= uint32_t{byte} << bits_;
      bits_ += 8;
    }
    code = accumulator_ & ((1u << width) - 1);
    accumulator_ >>= width;
    bits_ -= width;
    return true;
  }
  // Moves past the rest of the data; false when the file ends first.
  bool finish() {
    if (ended_) return !r_.failed();
    r_.skip(left_);
    return Qz__SkipSubBlocks(r_);
  }

 private:
  ByteReader& r_;
  uint32_t accumulator_ = 0, bits_ = 0, left_ = 0;
  bool ended_ = false;
};

enum class FrameEnd { Whole, Short, BadCode };

// Decodes LZW data into `pixels` (width * height indices, in data order);
// `done` counts the pixels made. Pixels past the picture are dropped.
FrameEnd Qz__DecodeLzw(CodeReader& codes, uint32_t minimumCodeSize, std::vector<uint8_t>& pixels, size_t& done) {
  std::array<uint16_t, kMaxCodes> prefix{};
  std::array<uint8_t, kMaxCodes> suffix{};
  std::array<uint8_t, kMaxCodes> string{};
  const uint32_t clear = 1u << minimumCodeSize, end = clear + 1;
  uint32_t width = minimumCodeSize + 1, next = clear + 2;
  int32_t previous = -1;
  uint8_t first = 0;
  for (uint32_t i = 0; i < clear; ++i) suffix[i] = uint8_t(i);
  done = 0;
  const size_t total = pixels.size();
  while (done < total) {
    uint32_t code = 0;
    if (!codes.next(width, code)) return FrameEnd::Short;
    if (code == clear) {
      width = minimumCodeSize + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == end) break;
    if (previous < 0) {
      if (code > clear) return FrameEnd::BadCode;
      first = uint8_t(code);
      pixels[done++] = first;
      previous = int32_t(code);
      continue;
    }
    if (code > next || (code == next && next == kMaxCodes)) return FrameEnd::BadCode;
    // The string of the code, last pixel first; the code one past the table
    // is the previous string and its own first pixel.
    size_t length = 0;
    uint32_t at = code;
    if (code == next) {
      string[length++] = first;
      at = uint32_t(previous);
    }
    while (at > clear) {
      string[length++] = suffix[at];
      at = prefix[at];
    }
    string[length++] = uint8_t(at);
    first = uint8_t(at);
    while (length > 0 && done < total) pixels[done++] = string[--length];
    if (next < kMaxCodes) {
      prefix[next] = uint16_t(previous);
      suffix[next] = first;
      ++next;
      if (next == (1u << width) && width < kMaxCodeWidth) ++width;
    }
    previous = int32_t(code);
  }
  return done == total ? FrameEnd::Whole : FrameEnd::Short;
}

// Stores a frame's pixels (in data order) as R, G, B rows.
uint32_t Qz__StoreFrame(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height, bool interlaced,
                        const std::array<uint32_t, 256>& table, PixelRows& rows) {
  const std::vector<uint32_t> order = Qz__RowOrder(height, interlaced);
  std::vector<uint8_t> rgb(size_t{width} * 3);
  for (uint32_t i = 0; i < height; ++i) {
    const uint8_t* in = pixels.data() + size_t{i} * width;
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t colour = table[in[x]];
      rgb[size_t{x} * 3] = uint8_t(colour), rgb[size_t{x} * 3 + 1] = uint8_t(colour >> 8);
      rgb[size_t{x} * 3 + 2] = uint8_t(colour >> 16);
    }
    if (!rows.store(order[i], kLayoutRGB, rgb.data())) return kNoMemory;
    if (!rows.progress(i + 1, height)) return kCancelled;
  }
  return kOk;
}

}  // namespace

uint32_t gifIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  if (head.size() < kHeaderBytes || std::memcmp(head.data(), "GIF", 3) != 0) return kNotThisFormat;
  ByteReader r(head);
  r.seek(6);
  const uint32_t width = r.u16le(), height = r.u16le();
  if (width == 0 || height == 0) return kNotThisFormat;
  if (!fileCanHold(uint64_t{width} * height, kMostPixelsPerByte, fileSize))
    return reportTooShort("GIF", width, height);
  info = trueColourInfo(width, height);
  return kOk;
}

uint32_t gifDecode(std::span<const uint8_t> file, PixelRows& rows) {
  ImageInfo info;
  if (gifIdentify(file, file.size(), info) != kOk) return kNotThisFormat;
  const uint32_t width = info.width, height = info.height;
  ByteReader r(file);
  r.seek(10);
  const uint8_t screenPacked = r.u8();
  r.skip(2);
  std::array<uint32_t, 256> global{};
  if ((screenPacked & kHasTable) && !Qz__ReadTable(r, 2u << (screenPacked & 7), global)) {
    reportDamage("GIF: the file ends inside its colour table");
    return kBadArguments;
  }
  std::vector<uint8_t> pixels;
  try {
    pixels.resize(size_t{width} * height);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  bool haveFrame = false;
  while (r.remaining() > 0) {
    const uint8_t introducer = r.u8();
    if (introducer == ';') break;
    if (introducer == '!') {
      r.skip(1);  // the label: every extension is skipped, transparency included
      if (!Qz__SkipSubBlocks(r)) break;
      continue;
    }
    if (introducer != ',') continue;  // stray bytes between blocks are passed over
    r.skip(4);                         // left and top
    const uint32_t frameWidth = r.u16le(), frameHeight = r.u16le();
    const uint8_t packed = r.u8();
    std::array<uint32_t, 256> table = global;
    if (r.failed() || ((packed & kHasTable) && !Qz__ReadTable(r, 2u << (packed & 7), table))) break;
    if (frameWidth != width || frameHeight != height) {
      // A later frame that covers part of the screen only would need the
      // frames before it composed; the whole frames so far make the picture.
      if (haveFrame) return kOk;
      reportDamage("GIF: the first picture (" + std::to_string(frameWidth) + " x " + std::to_string(frameHeight) +
                   ") is smaller than the screen; such files cannot be loaded");
      return kNotThisFormat;
    }
    const uint8_t minimumCodeSize = r.u8();
    if (r.failed()) break;
    if (minimumCodeSize < 2 || minimumCodeSize > 8) {
      if (haveFrame) break;
      reportDamage("GIF: the picture's code size (" + std::to_string(minimumCodeSize) + ") is not 2 to 8");
      return kBadArguments;
    }
    CodeReader codes(r);
    size_t done = 0;
    const FrameEnd end = Qz__DecodeLzw(codes, minimumCodeSize, pixels, done);
    if (end != FrameEnd::Whole) {
      // A later frame that breaks leaves the last whole one; a first one is
      // kept as far as it was read, when that is a row or more.
      if (haveFrame) {
        reportPartial("GIF: a later frame of the animation is damaged; the last whole frame is shown");
        return kOk;
      }
      if (done < width) {
        reportDamage(end == FrameEnd::BadCode ? "GIF: the picture's data hold a code that is not in its table"
                                              : "GIF: the picture's data end before its first row");
        return kBadArguments;
      }
      std::memset(pixels.data() + done, 0, pixels.size() - done);
      const uint32_t stored = Qz__StoreFrame(pixels, width, height, packed & kInterlaced, table, rows);
      if (stored != kOk) return stored;
      reportPartial(end == FrameEnd::BadCode ? "GIF: the picture's data hold a code that is not in its table"
                                             : "GIF: the picture's data end early; the rows read are kept");
      return kOk;
    }
    const uint32_t stored = Qz__StoreFrame(pixels, width, height, packed & kInterlaced, table, rows);
    if (stored != kOk) return stored;
    haveFrame = true;
    if (!codes.finish()) break;
  }
  if (!haveFrame) {
    reportDamage("GIF: the file holds no picture");
    return kReadError;
  }
  return kOk;
}

namespace {

// The LZW coder: a compress-style hash of (string code, pixel) keys, codes
// packed least significant bit first into sub-blocks of 254 bytes.
class LzwWriter {
 public:
  LzwWriter(uint32_t minimumCodeSize, std::vector<uint8_t>& out)
      : out_(out), initialWidth_(minimumCodeSize + 1), clear_(1u << minimumCodeSize), end_(clear_ + 1) {
    out_.push_back(uint8_t(minimumCodeSize));
    resetTable();
    width_ = initialWidth_;
    largest_ = (1u << width_) - 1;
    put(clear_);
  }

  void pixel(uint8_t value) {
    if (string_ < 0) {
      string_ = value;
      return;
    }
    const uint32_t key = (uint32_t{value} << 12) + uint32_t(string_);
    uint32_t index = (uint32_t{value} << kShift) ^ uint32_t(string_);
    const uint32_t step = index == 0 ? 1 : kHashSize - index;
    while (keys_[index] >= 0) {
      if (uint32_t(keys_[index]) == key) {
        string_ = codes_[index];
        return;
      }
      index = index >= step ? index - step : index + kHashSize - step;
    }
    put(uint32_t(string_));
    string_ = value;
    if (next_ < kMaxCodes) {
      codes_[index] = int32_t(next_++);
      keys_[index] = int32_t(key);
    } else {
      resetTable();
      clearing_ = true;
      put(clear_);
    }
  }

  void finish() {
    if (string_ >= 0) put(uint32_t(string_));
    put(end_);
    if (bits_ > 0) packet_[packetLength_++] = uint8_t(accumulator_);
    if (packetLength_ == kPacketBytes) flush();
    if (packetLength_ > 0) flush();
    out_.push_back(0);
  }

 private:
  static constexpr uint32_t kHashSize = 5003;
  // 5003 doubled until it reaches 65536: 4 times, so the shift is 8 - 4.
  static constexpr uint32_t kShift = 4;
  static constexpr size_t kPacketBytes = 254;

  void resetTable() {
    keys_.fill(-1);
    next_ = clear_ + 2;
  }

  void put(uint32_t code) {
    accumulator_ |= code << bits_;
    bits_ += width_;
    while (bits_ >= 8) {
      packet_[packetLength_++] = uint8_t(accumulator_);
      if (packetLength_ == kPacketBytes) flush();
      accumulator_ >>= 8;
      bits_ -= 8;
    }
    if (clearing_) {
      width_ = initialWidth_;
      largest_ = (1u << width_) - 1;
      clearing_ = false;
    } else if (next_ > largest_ && width_ < kMaxCodeWidth) {
      ++width_;
      largest_ = width_ == kMaxCodeWidth ? kMaxCodes : (1u << width_) - 1;
    }
  }

  void flush() {
    out_.push_back(uint8_t(packetLength_));
    out_.insert(out_.end(), packet_.begin(), packet_.begin() + ptrdiff_t(packetLength_));
    packetLength_ = 0;
  }

  std::vector<uint8_t>& out_;
  const uint32_t initialWidth_, clear_, end_;
  uint32_t width_ = 0, largest_ = 0, next_ = 0;
  bool clearing_ = false;
  int32_t string_ = -1;
  uint32_t accumulator_ = 0, bits_ = 0;
  std::array<int32_t, kHashSize> keys_{};
  std::array<int32_t, kHashSize> codes_{};
  std::array<uint8_t, kPacketBytes> packet_{};
  size_t packetLength_ = 0;
};

}  // namespace

uint32_t gifEncode(uint32_t width, uint32_t height, uint32_t depth, const GifSaveOptions& options, PixelRows& rows,
                   std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return kBadArguments;
  ColourReduction reduction;
  const uint32_t built = reduction.build(rows, width, height, std::clamp<uint32_t>(options.colours, 2, 256));
  if (built != kOk) return built;
  uint32_t bits = 1;
  while ((1u << bits) < reduction.colourCount()) ++bits;
  ByteWriter w(out);
  for (char c : std::string("GIF89a")) w.putU8(uint8_t(c));
  w.putU16le(uint16_t(width)), w.putU16le(uint16_t(height));
  w.putU8(uint8_t(0x80 | (bits - 1) << 4 | (bits - 1))), w.putU8(0), w.putU8(0);
  for (uint32_t i = 0; i < (1u << bits); ++i) {
    const uint32_t colour = reduction.colourmap()[i];
    w.putU8(uint8_t(colour)), w.putU8(uint8_t(colour >> 8)), w.putU8(uint8_t(colour >> 16));
  }
  w.putU8(','), w.putU16le(0), w.putU16le(0), w.putU16le(uint16_t(width)), w.putU16le(uint16_t(height));
  w.putU8(options.interlaced ? kInterlaced : 0);
  std::unique_ptr<LzwWriter> lzw(new (std::nothrow) LzwWriter(bits == 1 ? 2 : bits, out));
  if (!lzw) return kNoMemory;
  std::vector<uint8_t> rgb(size_t{width} * 3), indices(width);
  const std::vector<uint32_t> order = Qz__RowOrder(height, options.interlaced);
  reduction.restartDither();
  for (uint32_t i = 0; i < height; ++i) {
    if (!rows.fetch(order[i], kLayoutRGB, rgb.data())) return kBadArguments;
    reduction.mapRow(rgb.data(), width, options.dithering, indices.data());
    for (uint8_t index : indices) lzw->pixel(index);
    if (!rows.progress(i + 1, height)) return kCancelled;
  }
  lzw->finish();
  w.putU8(';');
  return kOk;
}

}  // namespace qz::codec
