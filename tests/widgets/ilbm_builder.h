// Builds ILBM files in memory for the reader's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gadgets/ilbm_reader.h"

namespace qztest {

// A read picture's colour indices row after row, without the reader's row
// padding.
inline std::vector<uint8_t> unpadded(const qz::ilbm::Picture& p) {
  const std::vector<uint8_t> chunky = qz::ilbm::toChunky(p);
  const uint32_t stride = qz::ilbm::chunkyStride(p.width);
  std::vector<uint8_t> out;
  for (uint32_t y = 0; y < p.height; ++y)
    out.insert(out.end(), chunky.begin() + y * stride, chunky.begin() + y * stride + p.width);
  return out;
}

struct IlbmSpec {
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t planes = 0;
  uint8_t masking = 0;
  uint8_t compression = 0;
  std::vector<uint8_t> pixels;   // width x height colour indices, no padding
  std::vector<uint8_t> palette;  // red, green, blue per colour
};

inline void putBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
inline void putBe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

inline void putChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& data) {
  out.insert(out.end(), id, id + 4);
  putBe32(out, uint32_t(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() & 1) out.push_back(0);
}

// ByteRun1 with literal and repeat runs, never crossing the row.
inline void packRow(std::vector<uint8_t>& out, const uint8_t* row, size_t n) {
  size_t i = 0;
  while (i < n) {
    size_t run = 1;
    while (i + run < n && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 2) {
      out.push_back(uint8_t(257 - run));
      out.push_back(row[i]);
      i += run;
      continue;
    }
    size_t lit = 1;
    while (i + lit < n && lit < 128 && !(i + lit + 1 < n && row[i + lit] == row[i + lit + 1])) ++lit;
    out.push_back(uint8_t(lit - 1));
    out.insert(out.end(), row + i, row + i + lit);
    i += lit;
  }
}

inline std::vector<uint8_t> bmhd(const IlbmSpec& s) {
  std::vector<uint8_t> h;
  putBe16(h, s.width);
  putBe16(h, s.height);
  putBe32(h, 0);  // x, y
  h.push_back(s.planes);
  h.push_back(s.masking);
  h.push_back(s.compression);
  h.push_back(0);
  putBe16(h, 0);  // transparent colour
  h.push_back(10);
  h.push_back(11);
  putBe16(h, s.width);
  putBe16(h, s.height);
  return h;
}

inline std::vector<uint8_t> body(const IlbmSpec& s) {
  const size_t rowBytes = ((s.width + 15u) >> 3) & ~1u;
  std::vector<uint8_t> out;
  std::vector<uint8_t> row(rowBytes);
  const int stored = s.planes + (s.masking == 1 ? 1 : 0);
  for (int y = 0; y < s.height; ++y) {
    for (int p = 0; p < stored; ++p) {
      std::fill(row.begin(), row.end(), 0);
      for (int x = 0; x < s.width; ++x) {
        const uint8_t v = s.pixels[size_t(y) * s.width + x];
        const bool on = p < s.planes ? ((v >> p) & 1) != 0 : v != 0;
        if (on) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
      }
      if (s.compression == 1) packRow(out, row.data(), row.size());
      else out.insert(out.end(), row.begin(), row.end());
    }
  }
  return out;
}

// FORM ILBM with BMHD, CMAP (when a palette is given) and BODY; extra
// chunks go between CMAP and BODY.
inline std::vector<uint8_t> buildIlbm(const IlbmSpec& s,
                                      const std::vector<std::pair<std::string, std::vector<uint8_t>>>& extra = {}) {
  std::vector<uint8_t> chunks;
  putChunk(chunks, "BMHD", bmhd(s));
  if (!s.palette.empty()) putChunk(chunks, "CMAP", s.palette);
  for (const auto& [id, data] : extra) putChunk(chunks, id.c_str(), data);
  putChunk(chunks, "BODY", body(s));
  std::vector<uint8_t> out{'F', 'O', 'R', 'M'};
  putBe32(out, uint32_t(chunks.size() + 4));
  out.insert(out.end(), {'I', 'L', 'B', 'M'});
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

// A picture whose pixels vary in every plane, with a distinct palette.
inline IlbmSpec samplePicture(uint16_t w, uint16_t h, uint8_t planes, uint8_t compression) {
  IlbmSpec s;
  s.width = w;
  s.height = h;
  s.planes = planes;
  s.compression = compression;
  const unsigned colours = 1u << planes;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.pixels.push_back(uint8_t(((x / 3) * 7 + y * 5 + (x == y ? 3 : 0)) % colours));
  for (unsigned c = 0; c < colours; ++c) {
    s.palette.push_back(uint8_t(c * 37 + 5));
    s.palette.push_back(uint8_t(255 - c * 11));
    s.palette.push_back(uint8_t(c * 73));
  }
  return s;
}

}  // namespace qztest
