// The sliding-window mean of the box and bloom blurs, with its column sums
// carried between the rows of a strip.
#include "modes/blur_kernels.h"

#include <algorithm>
#include <array>
#include <cstdlib>
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

namespace qz::modes {

Reach tapReach(std::span<const Tap> taps) {
  Reach reach;
  for (const Tap& t : taps) reach.x = std::max(reach.x, std::abs(t.dx)), reach.y = std::max(reach.y, std::abs(t.dy));
  return reach;
}

QzWord renderTaps(const Qz_ModeRenderMessage* message, std::span<const Tap> taps, TapMean mean, uint32_t divisor) {
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!block || !block->image || block->y0 > block->y1 || block->x0 > block->x1 || taps.empty()) return 1;
  const ModeSize size = modeSize(block);
  if (size.depth != 8 && size.depth != 24) return 1;
  // Every sample lies inside what is fetched: the reach is the taps' own.
  const Reach reach = tapReach(taps);
  SpareFetch below(message, {block->x0 - reach.x, block->y0 - reach.y, block->x1 + reach.x, block->y1 + reach.y});
  if (!below.ok()) return 0;
  const SourceView& view = below.view();
  const int32_t x0 = block->x0, n = block->x1 - x0 + 1, width = size.width;
  const uint32_t d = std::max<uint32_t>(divisor, 1), reciprocal = 32768 / d;
  const ExactDivisor divide(d);
  std::vector<uint32_t> acc(static_cast<size_t>(n));
  uint8_t** const outputs[4] = {message->r, message->g, message->b, message->grey};
  const int channels = size.depth == 24 ? 3 : 1;
  for (int c = 0; c < channels; ++c) {
    const int channel = size.depth == 24 ? c : 3;
    for (int32_t y = block->y0; y <= block->y1; ++y) {
      std::fill(acc.begin(), acc.end(), 0u);
      // One tap at a time over the whole run; only the ends clamp.
      for (const Tap& t : taps) {
        const SourceRow row = view.row(channel, y + t.dy);
        const int32_t lo = x0 + t.dx;
        const int32_t first = std::clamp(-lo, 0, n), end = std::clamp(width - lo, first, n);
        if (first > 0) {
          const uint32_t left = row[0];
          for (int32_t i = 0; i < first; ++i) acc[size_t(i)] += left;
        }
        if (end > first) {
          const uint8_t* in = row.from(lo + first, end - first) - first;
          for (int32_t i = first; i < end; ++i) acc[size_t(i)] += in[i];
        }
        if (end < n) {
          const uint32_t right = row[width - 1];
          for (int32_t i = end; i < n; ++i) acc[size_t(i)] += right;
        }
      }
      uint8_t* out = outputs[channel][y - block->y0];
      if (mean == TapMean::Reciprocal15)
        for (int32_t i = 0; i < n; ++i) out[i] = uint8_t(std::min<uint64_t>((uint64_t(acc[size_t(i)]) * reciprocal) >> 15, 255));
      else
        for (int32_t i = 0; i < n; ++i) out[i] = uint8_t(std::min<uint32_t>(divide(acc[size_t(i)]), 255));
    }
  }
  return 1;
}

}  // namespace qz::modes

namespace qz::modes {

std::vector<Tap> motionTaps(int32_t length, Direction d) {
  std::vector<Tap> taps{{0, 0}};
  for (int32_t k = length; k >= 0; --k) taps.push_back({d.stepX(k), d.stepY(k)});
  return taps;
}

std::vector<Tap> panTaps(int32_t length, Direction d) {
  std::vector<Tap> taps{{0, 0}};
  for (int32_t k = length; k >= 0; --k) {
    taps.push_back({-d.stepX(k), -d.stepY(k)});
    taps.push_back({d.stepX(k), d.stepY(k)});
  }
  return taps;
}

ArmSteps armSteps(int32_t length, int32_t percent, int32_t arms) {
  ArmSteps a;
  if (length < 1) return a;
  a.step = 100 / std::max(percent, 1);
  if (a.step >= length) a.step = length;
  if (a.step < 2) a.step = 1;
  a.n = (length + a.step - 1) / a.step;
  a.count = 1 + arms * a.n;
  if (a.step * a.count / arms > length) a = {length, 1, 1 + arms};
  return a;
}

namespace {

// Four samples at (dx, dy) from the pixel, both ways and at right angles.
void Qz__AddCross(std::vector<Tap>& taps, int32_t dx, int32_t dy) {
  taps.push_back({-dx, -dy});
  taps.push_back({dx, dy});
  taps.push_back({dy, -dx});
  taps.push_back({-dy, dx});
}

// The offsets of n steps along d: accumulated in 1/256 columns, so they
// drift from k times the first step.
std::vector<Tap> Qz__ArmTaps(const ArmSteps& a, std::span<const Direction> directions) {
  std::vector<Tap> taps{{0, 0}};
  int32_t acc[2][2] = {};
  for (int32_t k = 0; k < a.n; ++k)
    for (size_t i = 0; i < directions.size(); ++i) {
      acc[i][0] += (int32_t(directions[i].dx) * a.step) >> 2;
      acc[i][1] += (int32_t(directions[i].dy) * a.step) >> 2;
      Qz__AddCross(taps, acc[i][0] >> 8, acc[i][1] >> 8);
    }
  return taps;
}

}  // namespace

std::vector<Tap> crossTaps(int32_t length, int32_t percent, Direction d) {
  const Direction one[] = {d};
  return Qz__ArmTaps(armSteps(length, percent, 4), one);
}

std::vector<Tap> starTaps(int32_t length, int32_t percent, Direction d, Direction second) {
  const Direction both[] = {d, second};
  return Qz__ArmTaps(armSteps(length, percent, 8), both);
}

}  // namespace qz::modes
