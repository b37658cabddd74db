#include "qzio/codec_xbm.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "qzio/c_source_text.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

constexpr int64_t kLargestSide = 10000;

struct XbmHeader {
  uint32_t width = 0, height = 0;
  size_t dataAt = 0;  // just after the array's first "0x"
  uint32_t unitBits = 8;  // 16 for the older bitmaps of "short" words
};

bool Qz__ReadHeader(std::span<const uint8_t> bytes, XbmHeader& header) {
  CSourceText text(bytes);
  int64_t width = 0, height = 0;
  while (width == 0 || height == 0) {
    const auto line = text.nextLine();
    if (!line) return false;
    const auto define = parseDefine(*line);
    if (!define) continue;
    if (define->field == "width") width = define->value;
    else if (define->field == "height") height = define->value;
  }
  const size_t definesEnd = text.position();
  if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide || !text.skipPast("0x")) return false;
  header.width = uint32_t(width), header.height = uint32_t(height);
  const std::string_view declaration = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())
                                           .substr(definesEnd, text.position() - definesEnd);
  if (declaration.find("short") != std::string_view::npos) header.unitBits = 16;
  header.dataAt = text.position();
  return true;
}

}  // namespace

uint32_t xbmIdentify(std::span<const uint8_t> head, uint64_t fileSize, ImageInfo& info) {
  XbmHeader header;
  if (!Qz__ReadHeader(head, header)) return kNotThisFormat;
  // Every byte of the picture takes at least three characters of text.
  if (!fileCanHold(uint64_t{(header.width + 7) / 8} * header.height, 1, fileSize))
    return reportTooShort("XBM", header.width, header.height);
  ImageInfo found;
  found.width = header.width;
  found.height = header.height;
  found.depth = 8;
  found.kind = PixelKind::Grey;
  info = found;
  return kOk;
}

uint32_t xbmDecode(std::span<const uint8_t> file, PixelRows& rows) {
  XbmHeader header;
  if (!Qz__ReadHeader(file, header)) return kNotThisFormat;
  const uint32_t width = header.width, height = header.height, unitBits = header.unitBits;
  const uint32_t unitsPerRow = (width + unitBits - 1) / unitBits;
  const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
  size_t at = header.dataAt;
  bool ended = false;
  std::vector<uint8_t> grey(width);
  for (uint32_t y = 0; y < height; ++y) {
    std::fill(grey.begin(), grey.end(), 255);  // what a short file lacks stays white
    for (uint32_t b = 0; b < unitsPerRow && !ended; ++b) {
      // Up to 2 hex digits a byte (4 a word); fewer when a non-digit follows.
      uint32_t value = 0, digits = 0;
      for (int d; digits < unitBits / 4 && at + digits < text.size() && (d = hexDigit(text[at + digits])) >= 0;
           ++digits)
        value = value * 16 + uint32_t(d);
      if (digits == 0) {
        ended = true;
        break;
      }
      for (uint32_t bit = 0; bit < unitBits && b * unitBits + bit < width; ++bit)
        if (value & (1u << bit)) grey[b * unitBits + bit] = 0;
      // The byte after the last has no "0x" to move to: the data end there.
      const size_t next = text.find("0x", at);
      if (next == std::string_view::npos) {
        ended = b + 1 < unitsPerRow || y + 1 < height;
        at = text.size();
      } else {
        at = next + 2;
      }
    }
    if (!rows.store(y, kLayoutGrey, grey.data())) return kNoMemory;
    if (!rows.progress(y + 1, height)) return kCancelled;
    if (ended && y + 1 < height) {
      std::fill(grey.begin(), grey.end(), 255);
      for (uint32_t rest = y + 1; rest < height; ++rest)
        if (!rows.store(rest, kLayoutGrey, grey.data())) return kNoMemory;
      break;
    }
  }
  if (ended) reportPartial("XBM: the file ends before the last of its " + std::to_string(height) + " rows; the rest are white");
  return kOk;
}

uint32_t xbmEncode(uint32_t width, uint32_t height, uint32_t depth, std::string_view fileName, PixelRows& rows,
                   std::vector<uint8_t>& out) {
  if (depth != 24) return kNotHandled;
  if (width == 0 || height == 0) return kBadArguments;
  const std::string name(identifierOf(fileName));
  std::string text = "#define " + name + "_width " + std::to_string(width) + "\n#define " + name + "_height " +
                     std::to_string(height) + "\nstatic char " + name + "_bits[] = {\n";
  std::vector<uint8_t> rgb(size_t{width} * 3);
  char byte[8];
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows.fetch(y, kLayoutRGB, rgb.data())) return kBadArguments;
    for (uint32_t x0 = 0; x0 < width; x0 += 8) {
      uint32_t value = 0;
      for (uint32_t bit = 0; bit < 8 && x0 + bit < width; ++bit) {
        const uint8_t* p = &rgb[size_t{x0 + bit} * 3];
        if ((p[0] + p[1] + p[2]) / 3 < 128) value |= 1u << bit;
      }
      std::snprintf(byte, sizeof byte, "0x%02x, ", value);
      text += byte;
    }
    text += '\n';
    if (!rows.progress(y + 1, height)) return kCancelled;
  }
  text += "};\n";
  out.insert(out.end(), text.begin(), text.end());
  return kOk;
}

}  // namespace qz::codec
