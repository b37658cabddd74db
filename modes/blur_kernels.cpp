// The sliding-window mean of the box and bloom blurs, with its column sums
// carried between the rows of a strip.
#include "modes/blur_kernels.h"

#include <algorithm>
#include <array>
#include <vector>

#include "modes/mode_fetch.h"
#include "modes/strip_carry.h"

namespace qz::modes {
namespace {

// The column sums of one run: per channel, columns x0 - rx .. x1 + rx, and
// what they were built with.
struct WindowSums {
  int32_t rx = -1, ry = -1, width = 0;
  WindowTransfer transfer = WindowTransfer::Plain;
  std::array<std::vector<uint32_t>, 3> sums;
};

StripCarry<WindowSums> gCarry;

struct Qz__PlainSample {
  uint32_t operator()(uint8_t v) const { return v; }
};
struct Qz__BloomSample {
  uint32_t operator()(uint8_t v) const { return bloomTransfer(v); }
};

// The rows a block reads, from one fetch or from two (entering and leaving).
struct Qz__Rows {
  const SourceView* views[2] = {nullptr, nullptr};
  // Columns first .. first + count - 1 of row y (reads checked in checking builds).
  const uint8_t* row(int channel, int32_t y, int32_t first, int32_t count) const {
    const SourceView* v = views[1] && views[1]->holds(views[1]->x0, y) ? views[1] : views[0];
    return v->row(channel, y).from(first, count);
  }
};

// One channel of one block: sums at index c - (x0 - rx) for column c.
template <class Sample>
void Qz__WindowChannel(const Qz__Rows& rows, int channel, uint8_t* const* out, const Qz_ImageLock* block,
                       const WindowSpec& spec, int32_t width, bool continuing, std::vector<uint32_t>& sums) {
  const Sample f;
  const int32_t rx = spec.rx, ry = spec.ry;
  const int32_t x0 = block->x0, x1 = block->x1, n = x1 - x0 + 1, base = x0 - rx;
  const int32_t span = n + 2 * rx;
  // Columns inside the image; the ones beyond repeat the edge column's sum.
  const int32_t cl = std::max(base, 0), cr = std::min(x1 + rx, width - 1);
  const int32_t count = cr - cl + 1;
  sums.resize(size_t(span));
  uint32_t* inside = sums.data() + (cl - base);
  const ExactDivisor divide(spec.divisor);
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    if (continuing) {
      const uint8_t* in = rows.row(channel, y + ry, cl, count);
      const uint8_t* outgoing = rows.row(channel, y - ry - 1, cl, count);
      for (int32_t i = 0; i < count; ++i) inside[i] += f(in[i]) - f(outgoing[i]);
    } else {
      std::fill(inside, inside + count, 0u);
      for (int32_t j = -ry; j <= ry; ++j) {
        const uint8_t* in = rows.row(channel, y + j, cl, count);
        for (int32_t i = 0; i < count; ++i) inside[i] += f(in[i]);
      }
      continuing = true;
    }
    std::fill(sums.data(), inside, inside[0]);
    std::fill(inside + count, sums.data() + span, inside[count - 1]);
    // The horizontal window slides by one column per pixel.
    uint32_t sum = 0;
    for (int32_t i = 0; i <= 2 * rx; ++i) sum += sums[size_t(i)];
    uint8_t* d = out[y - block->y0];
    for (int32_t i = 0; i < n; ++i) {
      d[i] = uint8_t(std::min<uint32_t>(divide(sum), 255));
      if (i + 1 < n) sum += sums[size_t(i + 2 * rx + 1)] - sums[size_t(i)];
    }
  }
}

}  // namespace

QzWord renderWindowMean(Qz_Object* mode, const Qz_ModeRenderMessage* message, const WindowSpec& spec) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->y0 > block->y1 || block->x0 > block->x1) return 1;
  const ModeSize size = modeSize(block);
  if (size.depth != 8 && size.depth != 24) return 1;
  const int32_t rx = spec.rx, ry = spec.ry;
  const FetchRect columns{block->x0 - rx, 0, block->x1 + rx, -1};
  auto carry = gCarry.take(mode, block->x0, block->x1, block->y0);
  WindowSums& state = *carry;
  const bool continuing = !carry.fresh() && state.rx == rx && state.ry == ry &&
                          state.width == size.width && state.transfer == spec.transfer;
  // A continued run reads only the rows entering and leaving its sums; a
  // fresh one every row of its window.
  Qz_ImageLock enteringLock{};
  SpareFetch first(message, {columns.x0, block->y0 - ry - (continuing ? 1 : 0), columns.x1,
                             continuing ? block->y1 - ry - 1 : block->y1 + ry});
  SpareFetch entering(&enteringLock, block->image, block->layer,
                      continuing ? FetchRect{columns.x0, block->y0 + ry, columns.x1, block->y1 + ry}
                                 : FetchRect{});
  if (!first.ok() || (continuing && !entering.ok())) return 0;
  Qz__Rows rows;
  rows.views[0] = &first.view();
  if (continuing) rows.views[1] = &entering.view();
  state.rx = rx, state.ry = ry, state.width = size.width, state.transfer = spec.transfer;
  const int channels = size.depth == 24 ? 3 : 1;
  uint8_t** const outputs[4] = {message->r, message->g, message->b, message->grey};
  for (int c = 0; c < channels; ++c) {
    const int channel = size.depth == 24 ? c : 3;
    if (spec.transfer == WindowTransfer::Bloom)
      Qz__WindowChannel<Qz__BloomSample>(rows, channel, outputs[channel], block, spec, size.width,
                                         continuing, state.sums[size_t(c)]);
    else
      Qz__WindowChannel<Qz__PlainSample>(rows, channel, outputs[channel], block, spec, size.width,
                                         continuing, state.sums[size_t(c)]);
  }
  carry.keep(block->y1);
  return 1;
}

}  // namespace qz::modes

namespace qz::modes {

GaussianWeights gaussianWeights(int32_t radius) {
  GaussianWeights k;
  k.radius = std::clamp(radius, 0, 29);
  const int32_t r = k.radius;
  for (int32_t j = 0; j <= 2 * r; ++j) {
    const uint32_t d = uint32_t(std::min(j, 2 * r - j) + 1);
    k.w[j] = d * d;
    k.sum += k.w[j];
  }
  for (int32_t j = 0; j <= 2 * r; ++j) k.normaliser += uint32_t(uint64_t(k.w[j]) * k.sum / k.w[r]);
  return k;
}

}  // namespace qz::modes
