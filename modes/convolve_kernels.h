// The convolution family's kernels, one plane of a block at a time: the
// matrix convolution, the fixed 3 by 3 sharpen, the 2 by 2 edge cross and
// the directional relief of emboss and bas-relief. Each reads a fetched
// view (absolute rows and columns) and writes rows relative to the block.
#pragma once

#include <cstdint>

#include "modes/convolve_matrix.h"
#include "modes/direction.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "platform/qz_export.h"

namespace qz::modes {

// The block's columns and rows, inclusive, and the image's width.
struct PlaneBlock {
  int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  int32_t width = 0;
};

// The block of a render at depth 8 or 24 with something in it; false otherwise.
inline bool planeBlockOf(const Qz_ModeRenderMessage* message, PlaneBlock* b, int32_t* depth) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  const ModeSize size = modeSize(block);
  if (!block || (size.depth != 8 && size.depth != 24) || block->x0 > block->x1 || block->y0 > block->y1)
    return false;
  *b = {block->x0, block->y0, block->x1, block->y1, size.width};
  *depth = size.depth;
  return true;
}

// Fetches `rect` of the data below the block and runs plane(view, channel,
// out) for each plane: the grey one (channel 3) at depth 8, red, green and
// blue (0, 1, 2) at depth 24. 1 when done (also with nothing to render), 0
// when the fetch failed and nothing was written.
template <class PlaneFn>
QzWord renderEachPlane(const Qz_ModeRenderMessage* message, int32_t depth, FetchRect rect, PlaneFn plane) {
  SpareFetch below(message, rect);
  if (!below.ok()) return 0;
  if (depth == 8) {
    plane(below.view(), 3, message->grey);
  } else {
    uint8_t* const* out[3] = {message->r, message->g, message->b};
    for (int c = 0; c < 3; ++c) plane(below.view(), c, out[c]);
  }
  return 1;
}

// The rectangle the matrix reads for the block: its reach around it, the
// columns limited to the image (rows beyond it come back as edge rows).
QZ_EXPORT FetchRect convolveReach(const ConvolveMatrix& m, const PlaneBlock& b);

// out[y - y0][x - x0] = clamp(sum of weight[i][j] * P[y - cy + i][clamp(x - cx + j)] / divisor),
// the division truncating toward zero.
QZ_EXPORT void convolvePlane(const SourceView& view, int channel, const ConvolveMatrix& m,
                             const PlaneBlock& b, uint8_t* const* out);

// The sharpen factor of an amount in percent (0..100): ((100 - amount) * 255 / 100) * 257.
constexpr int32_t sharpenFactor(int32_t amountPercent) { return (100 - amountPercent) * 255 / 100 * 257; }

// The radius-1 sharpen: v = clamp(9c - the 8 neighbours), out = v + (((c - v) * K + 257) >> 16).
QZ_EXPORT void sharpenPlane(const SourceView& view, int channel, int32_t factor, const PlaneBlock& b,
                            uint8_t* const* out);

// The edge cross: clamp((P[y+1][x+1] - P[y][x+1] - P[y+1][x] + P[y][x]) * strength),
// inverted on request; the image's last column has no right neighbour and is 0 (255 inverted).
QZ_EXPORT void edgePlane(const SourceView& view, int channel, int32_t strength, bool invert,
                         const PlaneBlock& b, uint8_t* const* out);

// Directional relief: base + ((factor * d) >> 8) limited to 0..255, d the
// reliefSum of `length` steps along the direction. The base is `bias`, or
// with `addToPixel` the pixel's own sample plus `bias`.
struct ReliefSettings {
  Direction direction;
  int32_t length = 1;
  int32_t factor = 256;
  int32_t bias = 127;
  bool addToPixel = false;
};

// The rectangle the relief reads for the block, columns limited to the image.
QZ_EXPORT FetchRect reliefReach(const ReliefSettings& s, const PlaneBlock& b);

QZ_EXPORT void reliefPlane(const SourceView& view, int channel, const ReliefSettings& s,
                           const PlaneBlock& b, uint8_t* const* out);

}  // namespace qz::modes
