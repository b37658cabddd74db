// Kernels of the convolution family. Each row is cut into a left part
// (reach crosses column 0), a middle part read without clamping, and a right
// part (reach crosses the last column); every column is computed once. The
// middle parts add one weighted source row at a time into 32-bit sums, a
// loop the compiler vectorises.
#include "modes/convolve_kernels.h"

#include <algorithm>
#include <vector>

namespace qz::modes {

namespace {

inline uint8_t Qz__Clamp255(int32_t v) { return uint8_t(std::clamp(v, 0, 255)); }

// The columns of x0..x1 whose reach (left, right) stays inside the image:
// first..last, empty when first > last.
ColumnSpan Qz__Middle(const PlaneBlock& b, int32_t left, int32_t right) {
  return {std::max(b.x0, left), std::min(b.x1, b.width - 1 - right)};
}

std::vector<int32_t>& Qz__Sums(int32_t count) {
  thread_local std::vector<int32_t> sums;
  sums.assign(size_t(std::max(count, 0)), 0);
  return sums;
}

// Calls pixel(x) for the columns outside the middle and middle(span) once for it.
template <class Pixel, class Middle>
void Qz__SplitRow(const PlaneBlock& b, ColumnSpan mid, Pixel pixel, Middle middle) {
  if (mid.empty()) {
    for (int32_t x = b.x0; x <= b.x1; ++x) pixel(x);
    return;
  }
  for (int32_t x = b.x0; x < mid.first; ++x) pixel(x);
  middle(mid);
  for (int32_t x = mid.last + 1; x <= b.x1; ++x) pixel(x);
}

struct Qz__Tap {
  int32_t row, dx, weight;
};

}  // namespace

FetchRect convolveReach(const ConvolveMatrix& m, const PlaneBlock& b) {
  const int32_t right = m.size - 1 - m.centreX, down = m.size - 1 - m.centreY;
  return {std::max(b.x0 - m.centreX, 0), b.y0 - m.centreY, std::min(b.x1 + right, b.width - 1), b.y1 + down};
}

void convolvePlane(const SourceView& view, int channel, const ConvolveMatrix& m, const PlaneBlock& b,
                   uint8_t* const* out) {
  const int32_t n = m.size, cx = m.centreX, cy = m.centreY, divisor = m.divisor;
  // The non-zero weights only, decided once for the block.
  Qz__Tap taps[kMaxMatrixSize * kMaxMatrixSize];
  int32_t tapCount = 0;
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j)
      if (m.at(i, j) != 0) taps[tapCount++] = {i, j - cx, m.at(i, j)};
  auto finish = [divisor](int32_t sum) { return Qz__Clamp255(divisor == 1 ? sum : sum / divisor); };
  const ColumnSpan mid = Qz__Middle(b, cx, n - 1 - cx);
  for (int32_t y = b.y0; y <= b.y1; ++y) {
    SourceRow rows[kMaxMatrixSize];
    for (int32_t i = 0; i < n; ++i) rows[i] = view.row(channel, y - cy + i);
    uint8_t* dst = out[y - b.y0] - b.x0;  // indexed by absolute column
    auto pixel = [&](int32_t x) {
      int32_t sum = 0;
      for (int32_t t = 0; t < tapCount; ++t)
        sum += taps[t].weight * int32_t(rows[taps[t].row][std::clamp(x + taps[t].dx, 0, b.width - 1)]);
      dst[x] = finish(sum);
    };
    auto middle = [&](ColumnSpan span) {
      const int32_t count = span.count();
      int32_t* sums = Qz__Sums(count).data();
      for (int32_t t = 0; t < tapCount; ++t) {
        const uint8_t* s = rows[taps[t].row].from(span.first + taps[t].dx, count);
        const int32_t w = taps[t].weight;
        for (int32_t k = 0; k < count; ++k) sums[k] += w * int32_t(s[k]);
      }
      for (int32_t k = 0; k < count; ++k) dst[span.first + k] = finish(sums[k]);
    };
    Qz__SplitRow(b, mid, pixel, middle);
  }
}

void sharpenPlane(const SourceView& view, int channel, int32_t factor, const PlaneBlock& b, uint8_t* const* out) {
  const ColumnSpan mid = Qz__Middle(b, 1, 1);
  // Fixed point: the blend factor is scaled by 257 and rounded by 257 >> 16,
  // the shift arithmetic (toward minus infinity).
  auto blend = [factor](int32_t c, int32_t s) {
    const int32_t v = std::clamp(s, 0, 255);
    return uint8_t(std::clamp(v + (((c - v) * factor + 257) >> 16), 0, 255));
  };
  for (int32_t y = b.y0; y <= b.y1; ++y) {
    const SourceRow up = view.row(channel, y - 1), here = view.row(channel, y), down = view.row(channel, y + 1);
    uint8_t* dst = out[y - b.y0] - b.x0;
    auto pixel = [&](int32_t x) {
      const int32_t l = std::max(x - 1, 0), r = std::min(x + 1, b.width - 1);
      const int32_t c = here[x];
      const int32_t ring = up[l] + up[x] + up[r] + here[l] + here[r] + down[l] + down[x] + down[r];
      dst[x] = blend(c, 9 * c - ring);
    };
    auto middle = [&](ColumnSpan span) {
      const int32_t count = span.count();
      const uint8_t* u = up.from(span.first - 1, count + 2);
      const uint8_t* h = here.from(span.first - 1, count + 2);
      const uint8_t* d = down.from(span.first - 1, count + 2);
      for (int32_t k = 0; k < count; ++k) {
        const int32_t c = h[k + 1];
        const int32_t ring = u[k] + u[k + 1] + u[k + 2] + h[k] + h[k + 2] + d[k] + d[k + 1] + d[k + 2];
        dst[span.first + k] = blend(c, 9 * c - ring);
      }
    };
    Qz__SplitRow(b, mid, pixel, middle);
  }
}

void edgePlane(const SourceView& view, int channel, int32_t strength, bool invert, const PlaneBlock& b,
               uint8_t* const* out) {
  const uint8_t lastColumn = invert ? 255 : 0;
  const int32_t computedEnd = std::min(b.x1, b.width - 2);
  for (int32_t y = b.y0; y <= b.y1; ++y) {
    const SourceRow here = view.row(channel, y), below = view.row(channel, y + 1);
    uint8_t* dst = out[y - b.y0] - b.x0;
    const int32_t count = computedEnd - b.x0 + 1;
    if (count > 0) {
      const uint8_t* h = here.from(b.x0, count + 1);
      const uint8_t* d = below.from(b.x0, count + 1);
      for (int32_t k = 0; k < count; ++k) {
        const uint8_t v = Qz__Clamp255((d[k + 1] - h[k + 1] - d[k] + h[k]) * strength);
        dst[b.x0 + k] = invert ? uint8_t(255 - v) : v;
      }
    }
    for (int32_t x = std::max(b.x0, computedEnd + 1); x <= b.x1; ++x) dst[x] = lastColumn;
  }
}

FetchRect reliefReach(const ReliefSettings& s, const PlaneBlock& b) {
  const Reach reach = stepReach(s.direction, s.length);
  return {std::max(b.x0 - reach.x, 0), b.y0 - reach.y, std::min(b.x1 + reach.x, b.width - 1), b.y1 + reach.y};
}

void reliefPlane(const SourceView& view, int channel, const ReliefSettings& s, const PlaneBlock& b,
                 uint8_t* const* out) {
  const int32_t length = std::max(s.length, 1);
  // The offsets of each step, from the farthest in, as reliefSum takes them.
  std::vector<std::pair<int32_t, int32_t>> steps;
  int32_t reachX = 0;
  for (int32_t k = length; k >= 1; --k) {
    steps.emplace_back(s.direction.stepX(k), s.direction.stepY(k));
    reachX = std::max(reachX, std::abs(steps.back().first));
  }
  const PlaneSampler sample{view, channel};
  const ColumnSpan mid = Qz__Middle(b, reachX, reachX);
  for (int32_t y = b.y0; y <= b.y1; ++y) {
    const SourceRow here = view.row(channel, y);
    uint8_t* dst = out[y - b.y0] - b.x0;
    auto base = [&](int32_t x) { return s.addToPixel ? s.bias + int32_t(here[x]) : s.bias; };
    auto pixel = [&](int32_t x) {
      dst[x] = reliefShade(base(x), reliefSum(sample, x, y, s.direction, length), s.factor);
    };
    auto middle = [&](ColumnSpan span) {
      const int32_t count = span.count();
      int32_t* sums = Qz__Sums(count).data();
      for (const auto& [ox, oy] : steps) {
        const uint8_t* light = view.row(channel, y - oy).from(span.first - ox, count);
        const uint8_t* shade = view.row(channel, y + oy).from(span.first + ox, count);
        for (int32_t k = 0; k < count; ++k) sums[k] += int32_t(light[k]) - int32_t(shade[k]);
      }
      for (int32_t k = 0; k < count; ++k)
        dst[span.first + k] = reliefShade(base(span.first + k), sums[k], s.factor);
    };
    Qz__SplitRow(b, mid, pixel, middle);
  }
}

}  // namespace qz::modes
