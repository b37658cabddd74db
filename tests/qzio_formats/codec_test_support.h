// Helpers for the codec tests: an in-memory RGB picture that codecs store
// rows into and fetch rows from, PPM reading and writing, and the external
// Debian tools (ImageMagick, netpbm, libtiff-tools) used as independent
// readers and writers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "qzio/codec_rows.h"

namespace qztest {

struct RgbImage {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;  // width * height * 3, top row first

  RgbImage() = default;
  RgbImage(uint32_t w, uint32_t h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3) {}
  const uint8_t* at(uint32_t x, uint32_t y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  uint8_t* at(uint32_t x, uint32_t y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// A smooth colour gradient with a few sharp features, awkward sizes welcome.
RgbImage makeGradient(uint32_t width, uint32_t height);
// The largest difference of any channel of any pixel; 256 when sizes differ.
int maxDifference(const RgbImage& a, const RgbImage& b);

// Stores decoded rows of any codec layout (using the colourmap a decoder
// gives) and serves rows for encoders. Can ask to stop after some rows.
class PictureRows : public qz::codec::PixelRows {
 public:
  PictureRows() = default;
  explicit PictureRows(RgbImage image) : image(std::move(image)) {}
  void resize(uint32_t width, uint32_t height, uint32_t bitplaneBytesPerRow = 0);
  bool store(uint32_t y, uint32_t layout, const uint8_t* row) override;
  bool fetch(uint32_t y, uint32_t layout, uint8_t* row) override;
  bool progress(uint32_t done, uint32_t total) override;
  void setColourmap(const uint32_t* entries, uint32_t count) override;
  // The picture the stored bitplane rows make: colourmap entries for up to
  // 8 planes, else red from planes 0-7, green 8-15, blue 16-23.
  RgbImage planesImage(uint32_t depth) const;

  RgbImage image;
  std::vector<uint8_t> planeRows;  // plane p, row y at (p * height + y) * bitplaneBytesPerRow
  uint32_t colourmap[256] = {};
  uint32_t bitplaneBytesPerRow = 0;
  uint32_t rowsStored = 0;
  uint32_t stopAfter = 0xFFFFFFFF;  // progress answers false once done reaches it
  uint32_t lastLayout = 0;
};

// True and the picture when path holds a binary PPM (P6) or PGM (P5), maxval 255.
bool readPnm(const std::string& path, RgbImage& image);
void writePpm(const std::string& path, const RgbImage& image);

// Full path of a Debian tool, or empty when it is not installed.
std::string toolPath(const std::string& name);
// Runs a shell command line; true on exit status 0. Output it does not
// redirect itself is discarded.
bool run(const std::string& command);
// The picture ImageMagick reads from path (alpha dropped), or false.
bool decodeWithImageMagick(const std::string& path, RgbImage& image, const std::string& dir);

// Decodes a file with a codec that reads through stdio: its header call, then
// its decoder from the start of the file. The header is given back when asked.
template <typename ReadInfo, typename Decode>
uint32_t decodeStdioFile(const std::string& path, PictureRows& rows, qz::codec::ImageInfo* infoOut,
                         ReadInfo readInfo, Decode decode) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return qz::codec::kCannotOpen;
  qz::codec::ImageInfo info;
  uint32_t result = readInfo(file, info);
  if (result == qz::codec::kOk) {
    rows.resize(info.width, info.height);
    std::rewind(file);
    result = decode(file, rows);
  }
  std::fclose(file);
  if (infoOut) *infoOut = info;
  return result;
}

// Encodes into a new file with a codec that writes through stdio.
template <typename Encode>
uint32_t encodeStdioFile(const std::string& path, Encode encode) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return qz::codec::kCannotOpen;
  const uint32_t result = encode(file);
  std::fclose(file);
  return result;
}

// The bytes of a text fixture (XPM, XBM and other text formats).
inline std::vector<uint8_t> textBytes(const std::string& text) { return {text.begin(), text.end()}; }

// The probe the library gives identify: the first 512 bytes, zero-padded.
std::vector<uint8_t> probeOf(const std::vector<uint8_t>& file);

// Decodes a file held in memory with a codec that works on bytes: identify
// on the probe (identify(head, fileSize, info)), then the decoder on the
// whole file (decode(file, rows)). The header is given back when asked.
template <typename Identify, typename Decode>
uint32_t decodeBytes(const std::vector<uint8_t>& file, PictureRows& rows, qz::codec::ImageInfo* infoOut,
                     Identify identify, Decode decode) {
  qz::codec::ImageInfo info;
  const std::vector<uint8_t> probe = probeOf(file);
  uint32_t result = identify(std::span<const uint8_t>(probe), uint64_t{file.size()}, info);
  if (infoOut) *infoOut = info;
  if (result != qz::codec::kOk) return result;
  rows.resize(info.width, info.height, info.bitplaneBytesPerRow);
  return decode(std::span<const uint8_t>(file), rows);
}

// Encodes a picture with a codec that writes bytes (encode(width, height,
// depth, rows, out)) into `out`.
template <typename Encode>
uint32_t encodeBytes(const RgbImage& image, std::vector<uint8_t>& out, Encode encode) {
  PictureRows rows(image);
  return encode(image.width, image.height, 24, rows, out);
}

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Every prefix length of the first 64 bytes, then about `prefixes` more
// spread over the file, and `flips` single-byte flips (half of them in the
// first 200 bytes), for the damaged-file tables.
std::vector<std::vector<uint8_t>> damagedCopies(const std::vector<uint8_t>& good, size_t prefixes = 300,
                                                int flips = 40);

}  // namespace qztest
