// The blur family's shared pieces: an exact integer division by a divisor
// fixed for a render, the sliding-window mean that the box blur, its
// subclasses and the bloom blur render with (column sums carried from row
// to row of a strip), and the walk over a rendered block that the box
// blur's subclasses post-process with.
#pragma once

#include <cstdint>

#include "image/qz_compositor.h"
#include "objects/qz_object.h"
#include "platform/qz_export.h"

namespace qz::modes {

// floor(n / d) for one divisor d >= 1 and n < 2^48, by a multiplication:
// (n + 0.5) / d lies at least 0.5 / d from an integer, far more than the
// rounding of a double, so the truncation is exact.
class ExactDivisor {
 public:
  explicit ExactDivisor(uint32_t divisor) : inverse_(1.0 / double(divisor ? divisor : 1)) {}
  // Through signed conversions, which the processor does in one step each.
  uint32_t operator()(uint64_t n) const { return uint32_t(int64_t((double(int64_t(n)) + 0.5) * inverse_)); }

 private:
  double inverse_;
};

// How samples enter a window's sums: as they are, or through the bloom's
// transfer, which makes highlights weigh far more than the rest.
enum class WindowTransfer : uint8_t { Plain, Bloom };

// The bloom's transfer: v up to 200, then 21 v - 4000 (255 gives 1355).
constexpr uint32_t bloomTransfer(uint32_t v) { return v <= 200 ? v : 21 * v - 4000; }

// A window of (2 rx + 1) by (2 ry + 1) samples, its sum divided by
// `divisor` (truncated, 255 at most).
struct WindowSpec {
  int32_t rx = 0, ry = 0;
  uint32_t divisor = 1;
  WindowTransfer transfer = WindowTransfer::Plain;
};

// Renders the block's window means of the data below the layer (columns
// beyond the image repeat its edge columns, rows its edge rows): a 24-bit
// document per colour, an 8-bit one on its grey rows. A run that follows
// the row its thread rendered last over the same columns in the same pass
// moves the column sums by one row and fetches only the rows entering and
// leaving them, so the cost per pixel does not grow with the radii. 1 when
// rendered or nothing is to be rendered, 0 when the data below cannot be had.
QZ_EXPORT QzWord renderWindowMean(Qz_Object* mode, const Qz_ModeRenderMessage* message,
                                  const WindowSpec& spec);

// Calls fn(source, output, count, channel) for each rendered row of the
// block: channel 0..2 on a 24-bit document, 3 (grey) on an 8-bit one;
// source is the block's own row at its first column.
template <class RowFn>
void forEachBlockRow(const Qz_ModeRenderMessage* message, RowFn fn) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->x0 > block->x1) return;
  const int32_t depth = block->image->depth;
  if (depth != 8 && depth != 24) return;
  const int32_t count = block->x1 - block->x0 + 1;
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t row = y - block->y0;
    if (depth == 8) {
      fn(block->grey[y] + block->x0, message->grey[row], count, 3);
      continue;
    }
    const uint8_t* const src[3] = {block->r[y], block->g[y], block->b[y]};
    uint8_t* const dst[3] = {message->r[row], message->g[row], message->b[row]};
    for (int c = 0; c < 3; ++c) fn(src[c] + block->x0, dst[c], count, c);
  }
}

}  // namespace qz::modes

namespace qz::modes {

// The Gaussian blur's kernel for a radius (0..29): weights
// w[j] = (min(j, 2r - j) + 1)^2 for j = 0..2r, their sum S, and the
// normaliser N = the sum of floor(w[j] S / w[r]).
struct GaussianWeights {
  int32_t radius = 0;
  uint32_t w[59] = {};
  uint32_t sum = 0, normaliser = 0;
};
QZ_EXPORT GaussianWeights gaussianWeights(int32_t radius);

}  // namespace qz::modes
