// Scan-line flood fill into a mask. A run of open pixels is filled whole as
// soon as one of its pixels is reached, and leaves the stretches of the rows
// above and below it to be looked at; those wait on a vector. Every open
// pixel of a looked-at stretch is reached in the end, whatever the order, so
// the mask is the one a recursive fill in the rules' order gives.
#include "actions/flood_fill.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace qz::actions {
namespace {

// ---- the row kernels, one pixel at a time --------------------------------------------

uint8_t Qz__Distance(const FloodSpan& s, size_t i) {
  return uint8_t(std::max({std::abs(s.r[i] - s.seedR), std::abs(s.g[i] - s.seedG), std::abs(s.b[i] - s.seedB)}));
}

bool Qz__Open(const FloodSpan& s, size_t i) { return s.mask[i] == 0 && Qz__Distance(s, i) <= s.limit; }

size_t Qz__FillPrefixScalar(const FloodSpan& s, size_t count, const uint8_t values[256], int32_t /*solid*/) {
  size_t i = 0;
  for (; i < count && Qz__Open(s, i); ++i) s.mask[i] = values[Qz__Distance(s, i)];
  return i;
}

size_t Qz__FillSuffixScalar(const FloodSpan& s, size_t count, const uint8_t values[256], int32_t /*solid*/) {
  size_t n = 0;
  for (; n < count && Qz__Open(s, count - 1 - n); ++n) s.mask[count - 1 - n] = values[Qz__Distance(s, count - 1 - n)];
  return n;
}

size_t Qz__ClosedPrefixScalar(const FloodSpan& s, size_t count) {
  size_t i = 0;
  while (i < count && !Qz__Open(s, i)) ++i;
  return i;
}

void Qz__WriteMaskScalar(const FloodSpan& s, size_t count, const uint8_t values[256], int32_t /*solid*/) {
  for (size_t i = 0; i < count; ++i) s.mask[i] = values[Qz__Distance(s, i)];
}

// ---- SSE2 ------------------------------------------------------------------------------
// Sixteen pixels a step: the distance as the largest of three saturated
// differences each way, open where distance - limit saturates to 0 and the
// mask byte is 0; the ends through the scalar kernels.

#define QZ_SSE2 __attribute__((target("sse2")))

struct Lanes {
  __m128i r, g, b, limit;
};

QZ_SSE2 Lanes Qz__Lanes(const FloodSpan& s) {
  return {_mm_set1_epi8(char(s.seedR)), _mm_set1_epi8(char(s.seedG)), _mm_set1_epi8(char(s.seedB)),
          _mm_set1_epi8(char(s.limit))};
}

QZ_SSE2 __m128i Qz__AbsDiff(__m128i a, __m128i b) { return _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a)); }

QZ_SSE2 __m128i Qz__Distance16(const FloodSpan& s, const Lanes& l, size_t i) {
  const auto load = [i](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)); };
  return _mm_max_epu8(_mm_max_epu8(Qz__AbsDiff(load(s.r), l.r), Qz__AbsDiff(load(s.g), l.g)),
                      Qz__AbsDiff(load(s.b), l.b));
}

// Bit k set when pixel i + k is open.
QZ_SSE2 uint32_t Qz__OpenBits16(const FloodSpan& s, const Lanes& l, size_t i) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i near = _mm_cmpeq_epi8(_mm_subs_epu8(Qz__Distance16(s, l, i), l.limit), zero);
  const __m128i empty = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s.mask + i)), zero);
  return uint32_t(_mm_movemask_epi8(_mm_and_si128(near, empty)));
}

// Writes the lanes [from, to) of sixteen pixels at i whose distances are `distance`.
QZ_SSE2 void Qz__Write16(const FloodSpan& s, size_t i, __m128i distance, int from, int to, const uint8_t values[256],
                         int32_t solid) {
  if (from == 0 && to == 16 && solid >= 0) {
    const __m128i inSolid =
        _mm_cmpeq_epi8(_mm_subs_epu8(distance, _mm_set1_epi8(char(solid))), _mm_setzero_si128());
    if (_mm_movemask_epi8(inSolid) == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(s.mask + i), _mm_set1_epi8(char(0xFF)));
      return;
    }
  }
  alignas(16) uint8_t d[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(d), distance);
  for (int k = from; k < to; ++k) s.mask[i + size_t(k)] = values[d[k]];
}

QZ_SSE2 size_t Qz__FillPrefixSse2(const FloodSpan& s, size_t count, const uint8_t values[256], int32_t solid) {
  const Lanes l = Qz__Lanes(s);
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i distance = Qz__Distance16(s, l, i);
    const uint32_t closed = ~Qz__OpenBits16(s, l, i) & 0xFFFFu;
    const int open = closed ? __builtin_ctz(closed) : 16;
    Qz__Write16(s, i, distance, 0, open, values, solid);
    if (open < 16) return i + size_t(open);
  }
  FloodSpan rest = {s.r + i, s.g + i, s.b + i, s.mask + i, s.seedR, s.seedG, s.seedB, s.limit};
  return i + Qz__FillPrefixScalar(rest, count - i, values, solid);
}

QZ_SSE2 size_t Qz__FillSuffixSse2(const FloodSpan& s, size_t count, const uint8_t values[256], int32_t solid) {
  const Lanes l = Qz__Lanes(s);
  size_t end = count;  // pixels [end, count) are written
  for (; end >= 16; end -= 16) {
    const __m128i distance = Qz__Distance16(s, l, end - 16);
    const uint32_t closed = ~Qz__OpenBits16(s, l, end - 16) & 0xFFFFu;
    const int open = closed ? __builtin_clz(closed) - 16 : 16;
    Qz__Write16(s, end - 16, distance, 16 - open, 16, values, solid);
    if (open < 16) return count - end + size_t(open);
  }
  return count - end + Qz__FillSuffixScalar(s, end, values, solid);
}

QZ_SSE2 size_t Qz__ClosedPrefixSse2(const FloodSpan& s, size_t count) {
  const Lanes l = Qz__Lanes(s);
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const uint32_t open = Qz__OpenBits16(s, l, i);
    if (open) return i + size_t(__builtin_ctz(open));
  }
  FloodSpan rest = {s.r + i, s.g + i, s.b + i, s.mask + i, s.seedR, s.seedG, s.seedB, s.limit};
  return i + Qz__ClosedPrefixScalar(rest, count - i);
}

QZ_SSE2 void Qz__WriteMaskSse2(const FloodSpan& s, size_t count, const uint8_t values[256], int32_t solid) {
  const Lanes l = Qz__Lanes(s);
  size_t i = 0;
  for (; i + 16 <= count; i += 16) Qz__Write16(s, i, Qz__Distance16(s, l, i), 0, 16, values, solid);
  FloodSpan rest = {s.r + i, s.g + i, s.b + i, s.mask + i, s.seedR, s.seedG, s.seedB, s.limit};
  Qz__WriteMaskScalar(rest, count - i, values, solid);
}

const FloodRowKernels kScalarKernels = {Qz__FillPrefixScalar, Qz__FillSuffixScalar, Qz__ClosedPrefixScalar,
                                        Qz__WriteMaskScalar, "scalar"};
const FloodRowKernels kSse2Kernels = {Qz__FillPrefixSse2, Qz__FillSuffixSse2, Qz__ClosedPrefixSse2,
                                      Qz__WriteMaskSse2, "sse2"};

bool Qz__HasSse2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
}

// ---- the fill --------------------------------------------------------------------------

// A stretch of a row still to be looked at: columns from..to, inclusive.
struct Stretch {
  int32_t y, from, to;
};

class Filler {
 public:
  Filler(const Qz_Image* document, const FloodClip& clip, const FloodSettings& s, Qz_Plane mask, int32_t maskX,
         int32_t maskY)
      : doc_(document), clip_(clip), tolerance_(s.tolerance), mask_(mask), maskX_(maskX), maskY_(maskY),
        kernels_(floodRowKernels()) {
    const int64_t hardLimit = (100 - int64_t(s.softness)) * s.tolerance / 100;
    const int32_t limit = int32_t(std::clamp<int64_t>(hardLimit, INT32_MIN, INT32_MAX));
    const int32_t ramp = int32_t(std::clamp<int64_t>(int64_t(s.tolerance) - limit, INT32_MIN, INT32_MAX));
    ramp_ = ramp;
    for (int32_t d = 0; d < 256; ++d) values_[d] = ramp != 0 ? floodMaskValue(d, limit, ramp) : 0;
    while (solid_ < 255 && values_[solid_ + 1] == 255) ++solid_;
  }

  // A scan goes on while the distance is below the tolerance; a tolerance of
  // 0 or less fills nothing, not even the seed, whose distance is 0.
  bool usable() const {
    return ramp_ != 0 && tolerance_ > 0 && doc_->depth == 24 && doc_->undoR && doc_->undoG && doc_->undoB;
  }

  bool inside(int32_t x, int32_t y) const {
    return x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom;
  }

  FloodClip run(int32_t x, int32_t y) {
    seedR_ = doc_->undoR[y][x], seedG_ = doc_->undoG[y][x], seedB_ = doc_->undoB[y][x];
    limit_ = uint8_t(std::min(tolerance_ - 1, 255));
    written_ = {x, y, x + 1, y + 1};
    // The seed is written whatever its mask byte holds, as the first run's start.
    fillRun(x, y);
    while (!pending_.empty()) {
      const Stretch s = pending_.back();
      pending_.pop_back();
      look(s);
    }
    return written_;
  }

 private:
  FloodSpan span(int32_t y, int32_t x) const {
    return {doc_->undoR[y] + x, doc_->undoG[y] + x, doc_->undoB[y] + x, mask_[y - maskY_] + (x - maskX_),
            seedR_, seedG_, seedB_, limit_};
  }

  // Fills the run through (x, y) and leaves the rows above and below it to
  // look at, from one column left of the run (the column that stopped its
  // scan, unless the run starts at the clip's edge) to its last column.
  // Returns the run's last column.
  int32_t fillRun(int32_t x, int32_t y) {
    kernels_.writeMask(span(y, x), 1, values_, solid_);
    const int32_t a = x - int32_t(kernels_.fillSuffix(span(y, clip_.left), size_t(x - clip_.left), values_, solid_));
    const int32_t b =
        x + int32_t(kernels_.fillPrefix(span(y, x + 1), size_t(clip_.right - x - 1), values_, solid_));
    written_.left = std::min(written_.left, a), written_.right = std::max(written_.right, b + 1);
    written_.top = std::min(written_.top, y), written_.bottom = std::max(written_.bottom, y + 1);
    const int32_t from = a > clip_.left ? a - 1 : a;
    if (y + 1 < clip_.bottom) pending_.push_back({y + 1, from, b});
    if (y > clip_.top) pending_.push_back({y - 1, from, b});
    return b;
  }

  // Fills every run that has an open pixel in the stretch.
  void look(const Stretch& s) {
    for (int32_t c = s.from; c <= s.to;) {
      c += int32_t(kernels_.closedPrefix(span(s.y, c), size_t(s.to - c + 1)));
      if (c > s.to) break;
      c = fillRun(c, s.y) + 1;
    }
  }

  const Qz_Image* doc_;
  FloodClip clip_;
  int32_t tolerance_, ramp_ = 0;
  uint8_t values_[256] = {};
  int32_t solid_ = -1;  // values_ is 255 up to this distance
  uint8_t seedR_ = 0, seedG_ = 0, seedB_ = 0, limit_ = 0;
  Qz_Plane mask_;
  int32_t maskX_, maskY_;
  const FloodRowKernels& kernels_;
  FloodClip written_ = {};
  std::vector<Stretch> pending_;
};

}  // namespace

const FloodRowKernels& scalarFloodRowKernels() { return kScalarKernels; }

const FloodRowKernels* sse2FloodRowKernels() {
  static const bool available = Qz__HasSse2();
  return available ? &kSse2Kernels : nullptr;
}

const FloodRowKernels& floodRowKernels() {
  static const FloodRowKernels& chosen = sse2FloodRowKernels() ? kSse2Kernels : kScalarKernels;
  return chosen;
}

uint8_t floodMaskValue(int32_t distance, int32_t hardLimit, int32_t ramp) {
  if (distance <= hardLimit || distance == 1) return 255;
  return uint8_t((int64_t(hardLimit - int64_t(distance)) * 255) / ramp - 1);
}

FloodClip floodFillMask(const Qz_Image* document, const FloodClip& clip, const FloodSettings& settings,
                        int32_t seedX, int32_t seedY, Qz_Plane mask, int32_t maskX, int32_t maskY) {
  if (!document || !mask) return {};
  Filler filler(document, clip, settings, mask, maskX, maskY);
  // The seed's colour is read only once it is known to lie inside.
  if (!filler.usable() || !filler.inside(seedX, seedY)) return {};
  return filler.run(seedX, seedY);
}

}  // namespace qz::actions
