// Kodak Photo CD codec core. Sectors are 2048 bytes. Planes are stored from
// their start sector a pair of rows at a time: two luma rows, then one row
// of each chroma plane at half width. Residual streams hold, for each row
// they correct, a sync (23 one bits and a zero), a 16-bit header (plane in
// the top 2 bits, row in bits 1 to 13) and one Huffman code a sample.
#include "qzio/codec_pcd.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr size_t kSector = 2048;
constexpr char kSignature[] = "PCD_IPI";
constexpr size_t kSignatureAt = 2048;
// Start sectors of the three stored resolutions. The sectors counted from
// the table, not one past it as an older note had it.
constexpr uint32_t kStartSector[3] = {4, 23, 96};
constexpr uint32_t kBaseWidth[kPcdResolutions] = {192, 384, 768, 1536, 3072};
constexpr uint32_t kBaseHeight[kPcdResolutions] = {128, 256, 512, 1024, 2048};
constexpr size_t kSkipBeforeLumaTable = 8192, kSkipBeforeFullTables = 24576, kSkipAfterFullTables = 2048;
constexpr uint32_t kSyncOnes = 23;

struct Plane {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;
  uint8_t* row(uint32_t y) { return pixels.data() + size_t{y} * width; }
};

struct Failure {
  uint32_t result;
};

[[noreturn]] void Qz__Fail(uint32_t result, const std::string& why) {
  reportDamage("Photo CD: " + why);
  throw Failure{result};
}

void Qz__ReadBase(std::span<const uint8_t> file, uint32_t index, Plane& y, Plane& c1, Plane& c2) {
  const uint32_t w = kBaseWidth[index], h = kBaseHeight[index];
  const size_t at = size_t{kStartSector[index]} * kSector;
  if (file.size() < at || file.size() - at < size_t{w} * h * 3 / 2) Qz__Fail(kReadError, "the file ends inside its picture");
  y = {w, h, std::vector<uint8_t>(size_t{w} * h)};
  c1 = {w / 2, h / 2, std::vector<uint8_t>(size_t{w} * h / 4)};
  c2 = c1;
  const uint8_t* in = file.data() + at;
  for (uint32_t pair = 0; pair < h / 2; ++pair) {
    std::memcpy(y.row(pair * 2), in, w), in += w;
    std::memcpy(y.row(pair * 2 + 1), in, w), in += w;
    std::memcpy(c1.row(pair), in, w / 2), in += w / 2;
    std::memcpy(c2.row(pair), in, w / 2), in += w / 2;
  }
}

// Twice the size each way: new samples and rows the rounded-up average of
// their neighbours, the last one repeated.
void Qz__Double(Plane& plane) {
  const uint32_t w = plane.width, h = plane.height;
  Plane out{w * 2, h * 2, std::vector<uint8_t>(size_t{w} * h * 4)};
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* in = plane.row(y);
    uint8_t* wide = out.row(y * 2);
    for (uint32_t x = 0; x < w; ++x) {
      wide[x * 2] = in[x];
      wide[x * 2 + 1] = x + 1 < w ? uint8_t((in[x] + in[x + 1] + 1) >> 1) : in[x];
    }
  }
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* above = out.row(y * 2);
    const uint8_t* below = y + 1 < h ? out.row(y * 2 + 2) : above;
    uint8_t* between = out.row(y * 2 + 1);
    for (uint32_t x = 0; x < out.width; ++x) between[x] = uint8_t((above[x] + below[x] + 1) >> 1);
  }
  plane = std::move(out);
}

// A Huffman table as a lookup on the next 16 bits: the value and the code
// length, 0 where no code matches.
struct Huffman {
  std::vector<int8_t> value = std::vector<int8_t>(65536);
  std::vector<uint8_t> length = std::vector<uint8_t>(65536);
};

// Reads `count` tables from the sector at `at`.
std::vector<Huffman> Qz__ReadTables(std::span<const uint8_t> file, size_t at, uint32_t count) {
  if (file.size() < at || file.size() - at < kSector) Qz__Fail(kNotThisFormat, "a Huffman table lies outside the file");
  const std::span<const uint8_t> sector = file.subspan(at, kSector);
  std::vector<Huffman> tables(count);
  size_t position = 0;
  for (Huffman& table : tables) {
    if (position >= sector.size()) Qz__Fail(kNotThisFormat, "the Huffman tables overrun their sector");
    const uint32_t entries = uint32_t{sector[position++]} + 1;
    if (sector.size() - position < size_t{entries} * 4) Qz__Fail(kNotThisFormat, "the Huffman tables overrun their sector");
    for (uint32_t i = 0; i < entries; ++i, position += 4) {
      const uint32_t bits = uint32_t{sector[position]} + 1;
      if (bits > 16) Qz__Fail(kNotThisFormat, "a Huffman code is longer than 16 bits");
      const uint32_t code = uint32_t{sector[position + 1]} << 8 | sector[position + 2];
      const uint32_t first = code & ~((1u << (16 - bits)) - 1) & 0xFFFF;
      // Every 16-bit window starting with the code; the longest code wins.
      for (uint32_t window = first; window < first + (1u << (16 - bits)); ++window) {
        if (table.length[window] >= bits) continue;
        table.length[window] = uint8_t(bits);
        table.value[window] = static_cast<int8_t>(sector[position + 3]);
      }
    }
  }
  return tables;
}

class BitReader {
 public:
  BitReader(std::span<const uint8_t> data, size_t at) : data_(data), bit_(uint64_t{at} * 8) {}
  bool ended(uint32_t bits = 1) const { return bit_ + bits > uint64_t{data_.size()} * 8; }
  uint32_t peek16() const {
    uint32_t v = 0;
    for (uint32_t i = 0; i < 3; ++i) {
      const uint64_t byte = bit_ / 8 + i;
      v = v << 8 | (byte < data_.size() ? data_[byte] : 0);
    }
    return (v >> (8 - bit_ % 8)) & 0xFFFF;
  }
  void skip(uint32_t bits) { bit_ += bits; }
  uint32_t bit() {
    const uint32_t b = data_[bit_ / 8] >> (7 - bit_ % 8) & 1;
    ++bit_;
    return b;
  }
  // The byte after the sector holding the last bit read.
  size_t nextSector(size_t start) const {
    const uint64_t used = (bit_ + 7) / 8 - start;
    return start + size_t((used + kSector - 1) / kSector * kSector);
  }

 private:
  std::span<const uint8_t> data_;
  uint64_t bit_;
};

// Adds the residual rows of a stream starting at `at` to the planes (index
// by plane code: 0 luma, 2 and 3 chroma; null where the stream has none).
// Answers where the next sector starts.
size_t Qz__AddResiduals(std::span<const uint8_t> file, size_t at, const std::array<Plane*, 4>& planes,
                        const std::array<const Huffman*, 4>& tables) {
  BitReader bits(file, at);
  for (;;) {
    // The sync: a run of ones ended by a zero.
    uint32_t ones = 0;
    for (;;) {
      if (bits.ended()) Qz__Fail(kNotThisFormat, "the residual stream ends without its end row");
      if (bits.bit()) {
        ++ones;
      } else if (ones >= kSyncOnes) {
        break;
      } else {
        ones = 0;
      }
    }
    if (bits.ended(16)) Qz__Fail(kNotThisFormat, "the residual stream ends inside a row header");
    const uint32_t header = bits.peek16();
    bits.skip(16);
    const uint32_t code = header >> 14, row = (header >> 1) & 0x1FFF;
    Plane* plane = planes[code];
    if (!plane) Qz__Fail(kNotThisFormat, "a residual row names plane " + std::to_string(code));
    if (row == plane->height) break;
    if (row > plane->height) Qz__Fail(kNotThisFormat, "a residual row lies below the picture");
    uint8_t* samples = plane->row(row);
    const Huffman& table = *tables[code];
    for (uint32_t x = 0; x < plane->width; ++x) {
      const uint32_t window = bits.peek16();
      const uint32_t length = table.length[window];
      if (length == 0 || bits.ended(length)) Qz__Fail(kNotThisFormat, "a residual row is cut short");
      bits.skip(length);
      samples[x] = uint8_t(std::clamp(int{samples[x]} + table.value[window], 0, 255));
    }
  }
  return bits.nextSector(at);
}

uint8_t Qz__Clamp(int64_t v) { return uint8_t(std::clamp<int64_t>(v >> 12, 0, 255)); }

void Qz__ToRgb(uint8_t y, uint8_t c1, uint8_t c2, uint8_t* rgb) {
  const int64_t l = 2048 + 5564 * int64_t{y};
  rgb[0] = Qz__Clamp(l + (-1022138 + 7461 * int64_t{c2}));
  rgb[1] = Qz__Clamp(l + (274934 - 1762 * int64_t{c1}) + (520268 - 3798 * int64_t{c2}));
  rgb[2] = Qz__Clamp(l + (-1417185 + 9085 * int64_t{c1}));
}

bool Qz__HasSignature(std::span<const uint8_t> head) {
  return head.size() >= kSignatureAt + 7 && std::memcmp(head.data() + kSignatureAt, kSignature, 7) == 0;
}

uint32_t Qz__Decode(std::span<const uint8_t> file, const PcdChoice& choice, PixelRows& rows) {
  Plane y, c1, c2;
  const uint32_t index = choice.resolution;
  Qz__ReadBase(file, std::min(index, 2u), y, c1, c2);
  Qz__Double(c1), Qz__Double(c2);
  if (index >= 3) {
    Qz__Double(y), Qz__Double(c1), Qz__Double(c2);
    const size_t baseEnd = size_t{kStartSector[2]} * kSector + size_t{768} * 512 * 3 / 2;
    const size_t lumaTable = baseEnd + kSkipBeforeLumaTable;
    const std::vector<Huffman> luma = Qz__ReadTables(file, lumaTable, 1);
    size_t next = Qz__AddResiduals(file, lumaTable + kSector, {&y, nullptr, nullptr, nullptr},
                                   {&luma[0], nullptr, nullptr, nullptr});
    if (index == 4) {
      Qz__Double(y);
      // Chroma residuals are at half the luma's size: 1536 x 1024.
      const size_t tablesAt = next + kSkipBeforeFullTables;
      const std::vector<Huffman> full = Qz__ReadTables(file, tablesAt, 3);
      next = Qz__AddResiduals(file, tablesAt + kSector + kSkipAfterFullTables, {&y, nullptr, &c1, &c2},
                              {&full[0], nullptr, &full[1], &full[2]});
      Qz__Double(c1), Qz__Double(c2);
    }
  }
  const uint32_t w = y.width, h = y.height;
  const bool turned = choice.turn != 0;
  const uint32_t outWidth = turned ? h : w, outHeight = turned ? w : h;
  std::vector<uint8_t> row(size_t{outWidth} * 3);
  for (uint32_t r = 0; r < outHeight; ++r) {
    for (uint32_t x = 0; x < outWidth; ++x) {
      uint32_t px = x, py = r;
      if (choice.turn == 1) px = r, py = h - 1 - x;
      if (choice.turn == 2) px = w - 1 - r, py = x;
      const size_t at = size_t{py} * w + px;
      Qz__ToRgb(y.pixels[at], c1.pixels[at], c2.pixels[at], &row[size_t{x} * 3]);
    }
    if (!rows.store(r, kLayoutRGB, row.data())) return kNoMemory;
    if (!rows.progress(r + 1, outHeight)) return kCancelled;
  }
  return kOk;
}

}  // namespace

uint32_t pcdIdentify(std::span<const uint8_t> head, uint64_t fileSize, const PcdChoice& choice, ImageInfo& info) {
  if (!Qz__HasSignature(head) || choice.resolution >= kPcdResolutions || choice.turn > 2) return kNotThisFormat;
  const uint32_t stored = std::min(choice.resolution, 2u);
  const uint64_t planesEnd =
      uint64_t{kStartSector[stored]} * kSector + uint64_t{kBaseWidth[stored]} * kBaseHeight[stored] * 3 / 2;
  const uint32_t w = kBaseWidth[choice.resolution], h = kBaseHeight[choice.resolution];
  if (fileSize < planesEnd) return reportTooShort("Photo CD", w, h);
  info = trueColourInfo(choice.turn ? h : w, choice.turn ? w : h);
  return kOk;
}

uint32_t pcdDecode(std::span<const uint8_t> file, const PcdChoice& choice, PixelRows& rows) {
  if (!Qz__HasSignature(file) || choice.resolution >= kPcdResolutions || choice.turn > 2) return kNotThisFormat;
  try {
    return Qz__Decode(file, choice, rows);
  } catch (const Failure& failure) {
    return failure.result;
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}

}  // namespace qz::codec
