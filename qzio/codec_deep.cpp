// IFF DEEP codec core. DGBL gives the size and compression, DPEL the order
// and depth of the elements of a pixel, DBOD the rows.
#include "qzio/codec_deep.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/byte_order.h"
#include "qzio/codec_iff.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

// "FORM" length "DEEP" "DGBL" length, then width u16 at 20, height at 22,
// compression u16 at 24.
constexpr size_t kWidthAt = 20, kCompressionAt = 24;
constexpr uint16_t kRed = 1, kGreen = 2, kBlue = 3;
constexpr uint8_t kSavedAspect = 22;

// Where red, green and blue sit in a file pixel of three bytes.
struct ElementOrder {
  uint32_t offset[3] = {};
};

uint32_t Qz__ElementsRefused() {
  reportDamage("IFF DEEP: only pictures of 8-bit red, green and blue elements can be loaded");
  return kBadArguments;
}

uint32_t Qz__NoElements() {
  reportDamage("IFF DEEP: the picture's element list is missing or damaged");
  return kReadError;
}

uint32_t Qz__ReadElements(std::span<const uint8_t> data, ElementOrder& order) {
  ByteReader r(data);
  const uint32_t count = r.u32be();
  if (r.failed()) return Qz__NoElements();
  // Only one 8-bit red, green and blue: anything else (alpha, deeper
  // samples) would be shown wrongly.
  if (count != 3) return Qz__ElementsRefused();
  bool seen[3] = {};
  for (uint32_t i = 0; i < count; ++i) {
    const uint16_t type = r.u16be(), bits = r.u16be();
    if (r.failed()) return Qz__NoElements();
    if (type < kRed || type > kBlue || bits != 8) return Qz__ElementsRefused();
    seen[type - kRed] = true;
    order.offset[type - kRed] = i;
  }
  return seen[0] && seen[1] && seen[2] ? kOk : Qz__NoElements();
}

}  // namespace

uint32_t deepIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  if (!iffFormIs(head, "DEEP") || head.size() < kCompressionAt + 2 || std::memcmp(head.data() + 12, "DGBL", 4) != 0)
    return kNotThisFormat;
  ByteReader r(head);
  r.seek(kWidthAt);
  const uint32_t width = r.u16be(), height = r.u16be(), compression = r.u16be();
  if (r.failed() || compression != 0 || width == 0 || height == 0) return kNotThisFormat;
  if (!fileCanHold(uint64_t{width} * height * 3, 1, fileSize)) return reportTooShort("IFF DEEP", width, height);
  info = trueColourInfo(width, height);
  return kOk;
}

uint32_t deepDecode(std::span<const uint8_t> file, PixelRows& rows) {
  ImageInfo info;
  const uint32_t found = deepIdentify(file, file.size(), info);
  if (found != kOk) return found;
  ElementOrder order;
  bool haveElements = false;
  IffWalker walker(file);
  IffChunk chunk;
  while (walker.next(chunk)) {
    if (chunk.is("DPEL")) {
      const uint32_t result = Qz__ReadElements(chunk.data, order);
      if (result != kOk) return result;
      haveElements = true;
    } else if (chunk.is("DBOD")) {
      if (!haveElements) return Qz__NoElements();
      const size_t rowBytes = size_t{info.width} * 3;
      std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[rowBytes]);
      if (!rgb) return kNoMemory;
      for (uint32_t y = 0; y < info.height; ++y) {
        if (chunk.data.size() / rowBytes <= y) {
          reportDamage("IFF DEEP: the picture ends after " + std::to_string(y) + " of its " +
                       std::to_string(info.height) + " rows");
          return kReadError;
        }
        const uint8_t* in = chunk.data.data() + y * rowBytes;
        for (size_t x = 0; x < info.width; ++x) {
          for (int c = 0; c < 3; ++c) rgb[x * 3 + c] = in[x * 3 + order.offset[c]];
        }
        if (!rows.store(y, kLayoutRGB, rgb.get())) return kNoMemory;
        if (!rows.progress(y + 1, info.height)) return kCancelled;
      }
      return kOk;
    }
    // QLST (the native program's private data) and anything else: skipped.
  }
  reportDamage("IFF DEEP: the file has no picture body");
  return kReadError;
}

uint32_t deepEncode(uint32_t width, uint32_t height, uint32_t depth, PixelRows& rows, std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return kBadArguments;
  const uint64_t bodyBytes = uint64_t{width} * height * 3;
  if (bodyBytes > 0xFFFFFF00u) return kBadArguments;  // the lengths are 32-bit
  const size_t rowBytes = size_t{width} * 3;
  std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[rowBytes]);
  if (!rgb) return kNoMemory;
  const size_t start = out.size();
  ByteWriter w(out);
  w.bytes("FORM", 4);
  w.putU32be(0);  // patched at the end
  w.bytes("DEEP", 4);
  w.bytes("DGBL", 4);
  w.putU32be(8);
  w.putU16be(static_cast<uint16_t>(width)), w.putU16be(static_cast<uint16_t>(height));
  w.putU16be(0);  // compression
  w.putU8(kSavedAspect), w.putU8(kSavedAspect);
  w.bytes("DPEL", 4);
  w.putU32be(4 + 3 * 4);
  w.putU32be(3);
  for (uint16_t type : {kRed, kGreen, kBlue}) w.putU16be(type), w.putU16be(8);
  w.bytes("DLOC", 4);
  w.putU32be(8);
  w.putU16be(static_cast<uint16_t>(width)), w.putU16be(static_cast<uint16_t>(height));
  w.putU16be(0), w.putU16be(0);
  w.bytes("DBOD", 4);
  w.putU32be(static_cast<uint32_t>(bodyBytes));
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutRGB, rgb.get())) return kBadArguments;
    w.bytes(rgb.get(), rowBytes);
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  if (bodyBytes & 1) w.putU8(0);  // chunks end on an even offset; the form length counts the pad
  w.patchU32be(start + 4, static_cast<uint32_t>(out.size() - start - 8));
  return kOk;
}

}  // namespace qz::codec
