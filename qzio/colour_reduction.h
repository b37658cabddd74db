// Colour reduction for colour-mapped writers: an octree builds a colourmap of
// at most n colours for a true-colour picture, then maps pixels to it by
// nearest colour or with a one-row error diffusion of a given strength.
// Everything lives in the object, so reductions on several threads never meet.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/qz_export.h"
#include "qzio/codec_rows.h"

namespace qz::codec {

class QZ_EXPORT ColourReduction {
 public:
  // Builds the colourmap for the picture's rows (fetched as R, G, B) with at
  // most n colours (n limited to 1..256). 1; 2 no memory; 6 when a row
  // cannot be had. An earlier colourmap is dropped first.
  uint32_t build(PixelRows& rows, uint32_t width, uint32_t height, uint32_t n);
  // The same from one R, G, B picture in memory, width * height pixels.
  uint32_t build(const uint8_t* rgb, uint32_t width, uint32_t height, uint32_t n);

  uint32_t colourCount() const { return count_; }
  // Entry i = red | green << 8 | blue << 16.
  const std::array<uint32_t, 256>& colourmap() const { return colourmap_; }

  // The index of the colour nearest to (r, g, b).
  uint8_t nearest(uint8_t r, uint8_t g, uint8_t b) const;
  // Maps one row of R, G, B to indices with error diffusion at strength 0 to
  // 100 (0 is plain nearest colour). Rows alternate direction and the error
  // carries from row to row until restartDither.
  void mapRow(const uint8_t* rgb, uint32_t width, uint32_t strength, uint8_t* indices);
  void restartDither();

 private:
  struct Node {
    int32_t parent = -1;
    std::array<int32_t, 8> children{-1, -1, -1, -1, -1, -1, -1, -1};
    uint64_t passCount = 0;
    uint32_t endCount = 0;
    uint64_t sum[3] = {0, 0, 0};
    uint32_t index = 0;
    uint8_t centre[3] = {128, 128, 128};
    uint8_t halfEdge = 128;
  };

  bool classify(const uint8_t* rgb, uint32_t width);
  void reduce(int32_t node);
  void assign(int32_t node);
  void search(int32_t node, const int32_t rgb[3], uint32_t& best, uint8_t& bestIndex) const;
  static uint8_t childNumber(const Node& node, uint8_t r, uint8_t g, uint8_t b) {
    return uint8_t((r > node.centre[0] ? 4 : 0) | (g > node.centre[1] ? 2 : 0) | (b > node.centre[2] ? 1 : 0));
  }
  void start(uint32_t width, uint32_t height, uint32_t n);
  uint32_t finish();

  std::vector<Node> nodes_;  // node 0 is the root
  uint32_t depth_ = 0;
  uint32_t limit_ = 0;
  uint32_t leaves_ = 0;
  uint64_t threshold_ = 0, nextThreshold_ = 0;
  uint32_t count_ = 0;
  std::array<uint32_t, 256> colourmap_{};
  int32_t error_[3] = {0, 0, 0};
  bool leftToRight_ = true;
};

}  // namespace qz::codec
