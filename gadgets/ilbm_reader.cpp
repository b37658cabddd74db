#include "gadgets/ilbm_reader.h"

#include <cstdio>
#include <cstring>

#include "platform/paths.h"
#include "qzio/packbits.h"

namespace qz::ilbm {

namespace {

uint32_t be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
uint16_t be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

bool fail(std::string* error, const char* why) {
  if (error != nullptr) *error = why;
  return false;
}

}  // namespace

uint32_t chunkyStride(uint32_t width) { return (width + 3u) & ~3u; }

bool decode(const uint8_t* data, std::size_t size, Picture* out, std::string* error) {
  *out = Picture{};
  if (data == nullptr || size < 12) return fail(error, "too short to be an IFF file");
  if (std::memcmp(data, "FORM", 4) != 0) return fail(error, "not an IFF FORM");
  if (std::memcmp(data + 8, "ILBM", 4) != 0) return fail(error, "not an ILBM picture");

  // Chunks beyond the form's own length are not part of it; a form length
  // that overstates the file is common enough to accept up to the file end.
  std::size_t end = size;
  const uint64_t formEnd = uint64_t(be32(data + 4)) + 8;
  if (formEnd >= 12 && formEnd < size) end = std::size_t(formEnd);

  bool haveHeader = false;
  bool haveBody = false;
  uint8_t masking = 0;
  const uint8_t* cmap = nullptr;
  uint32_t cmapSize = 0;
  Picture pic;

  std::size_t pos = 12;
  while (end - pos >= 8) {
    const uint8_t* id = data + pos;
    const uint32_t chunkSize = be32(data + pos + 4);
    pos += 8;
    if (chunkSize > end - pos) return fail(error, "chunk runs past the end of the file");
    const uint8_t* body = data + pos;

    if (std::memcmp(id, "BMHD", 4) == 0) {
      if (chunkSize < 20) return fail(error, "picture header too short");
      pic.width = be16(body);
      pic.height = be16(body + 2);
      pic.planes = body[8];
      masking = body[9];
      pic.compression = body[10];
      if (pic.planes > 8) return fail(error, "more than 8 planes");
      if (pic.planes == 0 || pic.width == 0 || pic.height == 0) return fail(error, "empty picture");
      pic.rowBytes = ((uint32_t(pic.width) + 15) >> 3) & ~1u;
      haveHeader = true;
    } else if (std::memcmp(id, "CMAP", 4) == 0) {
      cmap = body;
      cmapSize = chunkSize;
    } else if (std::memcmp(id, "BODY", 4) == 0) {
      if (!haveHeader) return fail(error, "picture body before its header");
      if (pic.compression == 0 || pic.compression == 1) {
        // A mask plane (masking 1) follows each row's planes; it is read past.
        const uint32_t storedPlanes = pic.planes + (masking == 1 ? 1u : 0u);
        const uint64_t stored = uint64_t(pic.rowBytes) * storedPlanes * pic.height;
        // ByteRun1 turns two bytes into at most 128.
        const uint64_t limit = pic.compression == 0 ? uint64_t(chunkSize) : uint64_t(chunkSize) * 64;
        if (stored > limit) return fail(error, "picture body too short");
        pic.planar.assign(std::size_t(pic.rowBytes) * pic.planes * pic.height, 0);
        std::vector<uint8_t> maskRow(pic.rowBytes);
        const std::span<const uint8_t> packed(body, chunkSize);
        std::size_t src = 0;
        uint8_t* dst = pic.planar.data();
        for (uint32_t row = 0; row < pic.height; ++row) {
          for (uint32_t plane = 0; plane < storedPlanes; ++plane) {
            uint8_t* target = plane < pic.planes ? dst : maskRow.data();
            if (pic.compression == 0) {
              std::memcpy(target, body + src, pic.rowBytes);
              src += pic.rowBytes;
            } else if (packbits::unpackRow(packed, src, {target, pic.rowBytes}) != packbits::RowResult::Complete) {
              // A run leaving its row or the body means a damaged picture.
              return fail(error, "damaged packed picture body");
            }
            if (plane < pic.planes) dst += pic.rowBytes;
          }
        }
        haveBody = true;
      }
      // other compressions: the body is skipped
    }
    pos += chunkSize;
    if ((chunkSize & 1) != 0 && pos < end) ++pos;
  }

  if (!haveBody) return fail(error, "no picture body that can be read");
  if (cmap != nullptr) {
    pic.hasPalette = true;
    pic.palette.assign(768, 0);
    const uint32_t wanted = 3u << pic.planes;
    std::memcpy(pic.palette.data(), cmap, cmapSize < wanted ? cmapSize : wanted);
  }
  *out = std::move(pic);
  return true;
}

bool readFile(const char* path, Picture* out, std::string* error) {
  *out = Picture{};
  if (path == nullptr) return fail(error, "no file name");
  FILE* f = Qz_FOpen(path, "rb");
  if (f == nullptr) return fail(error, "cannot open the file");
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  const bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (readError) return fail(error, "cannot read the file");
  return decode(bytes.data(), bytes.size(), out, error);
}

std::vector<uint8_t> toChunky(const Picture& picture) {
  const uint32_t stride = chunkyStride(picture.width);
  std::vector<uint8_t> pixels(std::size_t(stride) * picture.height, 0);
  if (picture.planar.size() < std::size_t(picture.rowBytes) * picture.planes * picture.height) return pixels;
  for (uint32_t y = 0; y < picture.height; ++y) {
    const uint8_t* row = picture.planar.data() + std::size_t(y) * picture.rowBytes * picture.planes;
    uint8_t* dst = pixels.data() + std::size_t(y) * stride;
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint8_t bit = uint8_t(0x80 >> (x & 7));
      uint8_t value = 0;
      for (uint32_t p = 0; p < picture.planes; ++p) {
        if (row[p * picture.rowBytes + (x >> 3)] & bit) value |= uint8_t(1u << p);
      }
      dst[x] = value;
    }
  }
  return pixels;
}

}  // namespace qz::ilbm
