#include "ilbm_writer.h"

#include <algorithm>

#include "platform/byte_order.h"

namespace qz::pictures {

namespace {

constexpr uint8_t kMaskingNone = 0;
constexpr uint8_t kCompressionByteRun1 = 1;
constexpr uint16_t kTransparentColour = 0;  // colour 0 stands for the background
// Square pixels: the aspect is the ratio of the two, so any equal pair will do.
constexpr uint8_t kAspectX = 1;
constexpr uint8_t kAspectY = 1;
constexpr std::size_t kMaxRun = 128;

void putChunk(ByteWriter& out, const char (&id)[5], const std::vector<uint8_t>& data) {
  out.bytes(id, 4);
  out.putU32be(uint32_t(data.size()));
  out.bytes(data);
  if (data.size() % 2 != 0) out.putU8(0);  // chunks start on even offsets
}

int planesFor(std::size_t colours) {
  for (int planes = 1; planes <= 8; ++planes)
    if (colours == (std::size_t(1) << planes)) return planes;
  return 0;
}

std::vector<uint8_t> header(int width, int height, int planes) {
  std::vector<uint8_t> bytes;
  ByteWriter h(bytes);
  h.putU16be(uint16_t(width));
  h.putU16be(uint16_t(height));
  h.putU16be(0);  // x position
  h.putU16be(0);  // y position
  h.putU8(uint8_t(planes));
  h.putU8(kMaskingNone);
  h.putU8(kCompressionByteRun1);
  h.putU8(0);  // pad
  h.putU16be(kTransparentColour);
  h.putU8(kAspectX);
  h.putU8(kAspectY);
  h.putU16be(uint16_t(width));   // page width
  h.putU16be(uint16_t(height));  // page height
  return bytes;
}

std::vector<uint8_t> body(int width, int height, std::span<const uint8_t> pixels, int planes) {
  // Each plane row holds whole 16-pixel words.
  const std::size_t rowBytes = ((std::size_t(width) + 15) / 16) * 2;
  std::vector<uint8_t> out;
  std::vector<uint8_t> planeRow(rowBytes);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels.data() + std::size_t(y) * width;
    for (int plane = 0; plane < planes; ++plane) {
      std::fill(planeRow.begin(), planeRow.end(), 0);
      for (int x = 0; x < width; ++x)
        if ((row[x] >> plane) & 1) planeRow[std::size_t(x) >> 3] |= uint8_t(0x80 >> (x & 7));
      packByteRun1(planeRow, out);
    }
  }
  return out;
}

}  // namespace

void packByteRun1(std::span<const uint8_t> row, std::vector<uint8_t>& out) {
  auto runAt = [&](std::size_t i) {
    std::size_t run = 1;
    while (i + run < row.size() && run < kMaxRun && row[i + run] == row[i]) ++run;
    return run;
  };
  std::size_t i = 0;
  while (i < row.size()) {
    const std::size_t run = runAt(i);
    if (run >= 2) {
      out.push_back(uint8_t(257 - run));
      out.push_back(row[i]);
      i += run;
      continue;
    }
    // A literal ends where a run of three begins: a repeat run saves bytes
    // from there on, a run of two does not pay for ending the literal.
    std::size_t literal = 1;
    while (i + literal < row.size() && literal < kMaxRun && runAt(i + literal) < 3) ++literal;
    out.push_back(uint8_t(literal - 1));
    out.insert(out.end(), row.begin() + std::ptrdiff_t(i), row.begin() + std::ptrdiff_t(i + literal));
    i += literal;
  }
}

std::vector<uint8_t> encodeIlbm(int width, int height, std::span<const uint8_t> pixels,
                                std::span<const uint8_t> palette) {
  const int planes = palette.size() % 3 == 0 ? planesFor(palette.size() / 3) : 0;
  if (planes == 0 || width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF ||
      pixels.size() != std::size_t(width) * std::size_t(height))
    return {};
  const std::size_t colours = palette.size() / 3;
  if (std::any_of(pixels.begin(), pixels.end(), [&](uint8_t p) { return p >= colours; })) return {};

  ByteWriter chunks;
  putChunk(chunks, "BMHD", header(width, height, planes));
  putChunk(chunks, "CMAP", std::vector<uint8_t>(palette.begin(), palette.end()));
  putChunk(chunks, "BODY", body(width, height, pixels, planes));

  ByteWriter file;
  file.bytes("FORM", 4);
  file.putU32be(uint32_t(chunks.size() + 4));  // the form type and the chunks
  file.bytes("ILBM", 4);
  file.bytes(chunks.data());
  return std::move(file.data());
}

}  // namespace qz::pictures
