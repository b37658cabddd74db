// Scalar and SSE2 forms of the paint-colour blend. Groups of four untouched
// (a = 0) or fully covered (a = 255) pixels are decided by one word test; the
// formula gives the same bytes for them, so the shortcuts change nothing.
#include "image/compositor_kernels.h"

#include <emmintrin.h>

#include <cstring>

namespace qz {
namespace {

void Qz__BlendColourScalar(uint8_t* const dst[3], const uint8_t colour[3], const uint8_t* a,
                           int32_t count) {
  int32_t i = 0;
  auto pixel = [&](int32_t j) {
    const int32_t weight = a[j] * 257;
    for (int c = 0; c < 3; ++c) dst[c][j] = uint8_t(dst[c][j] + (((colour[c] - dst[c][j]) * weight + 257) >> 16));
  };
  for (; i + 4 <= count; i += 4) {
    uint32_t word;
    std::memcpy(&word, a + i, sizeof word);  // transparency columns need not be aligned
    if (word == 0) continue;
    if (word == 0xFFFFFFFFu) {
      for (int c = 0; c < 3; ++c) std::memset(dst[c] + i, colour[c], 4);
      continue;
    }
    for (int32_t j = i; j < i + 4; ++j) pixel(j);
  }
  for (; i < count; ++i) pixel(i);
}

void Qz__BlendRowsScalar(uint8_t* const dst[3], const uint8_t* const out[3], const uint8_t* a,
                         int32_t count) {
  int32_t i = 0;
  auto pixel = [&](int32_t j) {
    const int32_t weight = a[j] * 257;
    for (int c = 0; c < 3; ++c) dst[c][j] = uint8_t(dst[c][j] + (((out[c][j] - dst[c][j]) * weight + 257) >> 16));
  };
  for (; i + 4 <= count; i += 4) {
    uint32_t word;
    std::memcpy(&word, a + i, sizeof word);
    if (word == 0) continue;
    if (word == 0xFFFFFFFFu) {
      for (int c = 0; c < 3; ++c) std::memcpy(dst[c] + i, out[c] + i, 4);
      continue;
    }
    for (int32_t j = i; j < i + 4; ++j) pixel(j);
  }
  for (; i < count; ++i) pixel(i);
}

#define QZ_SSE2 __attribute__((target("sse2")))

// Eight pixels of one channel in 16-bit lanes: d + ((257 * (k - d) * a + 257) >> 16),
// the product (k - d) * a rebuilt in 32 bits from its two 16-bit halves.
QZ_SSE2 inline __m128i Qz__BlendEight(__m128i d, __m128i k, __m128i a) {
  const __m128i diff = _mm_sub_epi16(k, d);
  const __m128i lo = _mm_mullo_epi16(diff, a), hi = _mm_mulhi_epi16(diff, a);
  const __m128i one = _mm_set1_epi32(1);
  __m128i p0 = _mm_add_epi32(_mm_unpacklo_epi16(lo, hi), one);
  __m128i p1 = _mm_add_epi32(_mm_unpackhi_epi16(lo, hi), one);
  p0 = _mm_srai_epi32(_mm_add_epi32(_mm_slli_epi32(p0, 8), p0), 16);  // 257 (p + 1) >> 16
  p1 = _mm_srai_epi32(_mm_add_epi32(_mm_slli_epi32(p1, 8), p1), 16);
  return _mm_add_epi16(d, _mm_packs_epi32(p0, p1));
}

QZ_SSE2 void Qz__BlendColourSse2(uint8_t* const dst[3], const uint8_t colour[3],
                                 const uint8_t* a, int32_t count) {
  const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi8(char(0xFF));
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i alpha = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(alpha, zero)) == 0xFFFF) continue;
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(alpha, full)) == 0xFFFF) {
      for (int c = 0; c < 3; ++c) std::memset(dst[c] + i, colour[c], 16);
      continue;
    }
    const __m128i aLo = _mm_unpacklo_epi8(alpha, zero), aHi = _mm_unpackhi_epi8(alpha, zero);
    for (int c = 0; c < 3; ++c) {
      auto* p = reinterpret_cast<__m128i*>(dst[c] + i);
      const __m128i d = _mm_loadu_si128(p);
      const __m128i k = _mm_set1_epi16(colour[c]);
      const __m128i lo = Qz__BlendEight(_mm_unpacklo_epi8(d, zero), k, aLo);
      const __m128i hi = Qz__BlendEight(_mm_unpackhi_epi8(d, zero), k, aHi);
      _mm_storeu_si128(p, _mm_packus_epi16(lo, hi));
    }
  }
  if (i < count) {
    uint8_t* const rest[3] = {dst[0] + i, dst[1] + i, dst[2] + i};
    Qz__BlendColourScalar(rest, colour, a + i, count - i);
  }
}

QZ_SSE2 void Qz__BlendRowsSse2(uint8_t* const dst[3], const uint8_t* const out[3],
                               const uint8_t* a, int32_t count) {
  const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi8(char(0xFF));
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i alpha = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(alpha, zero)) == 0xFFFF) continue;
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(alpha, full)) == 0xFFFF) {
      for (int c = 0; c < 3; ++c) std::memcpy(dst[c] + i, out[c] + i, 16);
      continue;
    }
    const __m128i aLo = _mm_unpacklo_epi8(alpha, zero), aHi = _mm_unpackhi_epi8(alpha, zero);
    for (int c = 0; c < 3; ++c) {
      auto* p = reinterpret_cast<__m128i*>(dst[c] + i);
      const __m128i d = _mm_loadu_si128(p);
      const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out[c] + i));
      const __m128i lo = Qz__BlendEight(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(o, zero), aLo);
      const __m128i hi = Qz__BlendEight(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(o, zero), aHi);
      _mm_storeu_si128(p, _mm_packus_epi16(lo, hi));
    }
  }
  if (i < count) {
    uint8_t* const rest[3] = {dst[0] + i, dst[1] + i, dst[2] + i};
    const uint8_t* const restOut[3] = {out[0] + i, out[1] + i, out[2] + i};
    Qz__BlendRowsScalar(rest, restOut, a + i, count - i);
  }
}

const CompositorKernels kScalar = {Qz__BlendColourScalar, Qz__BlendRowsScalar, "scalar"};
const CompositorKernels kSse2 = {Qz__BlendColourSse2, Qz__BlendRowsSse2, "sse2"};

}  // namespace

const CompositorKernels& scalarCompositorKernels() { return kScalar; }

const CompositorKernels* sse2CompositorKernels() {
  return __builtin_cpu_supports("sse2") ? &kSse2 : nullptr;
}

const CompositorKernels& compositorKernels() {
  static const CompositorKernels& chosen = sse2CompositorKernels() ? kSse2 : kScalar;
  return chosen;
}

}  // namespace qz
