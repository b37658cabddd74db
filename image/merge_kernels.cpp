// The per-line kernels: literal scalar references, SSE2 forms that give the
// same bytes, the one-time choice between them and the exported line calls.
#include "image/merge_kernels.h"

#include <emmintrin.h>

#include <algorithm>

#include "image/qz_image.h"

namespace qz {
namespace {

// ---- scalar references: the formulas exactly as documented ----------------

void Qz__AddBytesScalar(uint8_t* dst, const uint8_t* src, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const unsigned sum = unsigned(dst[i]) + src[i];
    dst[i] = uint8_t(sum > 255 ? 255 : sum);
  }
}

void Qz__SubBytesScalar(uint8_t* dst, const uint8_t* src, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const int diff = int(dst[i]) - src[i];
    dst[i] = uint8_t(diff < 0 ? 0 : diff);
  }
}

void Qz__MultiplyBytesScalar(uint8_t* dst, const uint8_t* src, size_t count) {
  for (size_t i = 0; i < count; ++i) dst[i] = uint8_t(unsigned(dst[i]) * src[i] / 255);
}

// The >> below is arithmetic on negative values (defined since C++20), which
// is the rounding every fixed-point blend of the editor uses.
void Qz__MergeBytesScalar(uint8_t* dst, const uint8_t* src, size_t count, uint32_t strength) {
  const int32_t s = int32_t((strength * 257u) & 0xFFFFu);
  for (size_t i = 0; i < count; ++i) {
    const int32_t d = int32_t(src[i]) - dst[i];
    dst[i] = uint8_t(dst[i] + ((d * s + 257) >> 16));
  }
}

void Qz__MergeViaAlphaScalar(uint8_t* dst, const uint8_t* src, const uint8_t* alpha,
                             uint32_t trans, size_t count) {
  const uint32_t t = (trans * 257u) & 0xFFFFu;
  for (size_t i = 0; i < count; ++i) {
    const int32_t w = int32_t((alpha[i] * t) >> 8);
    const int32_t d = int32_t(src[i]) - dst[i];
    dst[i] = uint8_t(dst[i] + ((w * d + 257) >> 16));
  }
}

void Qz__AddMediaLineScalar(uint8_t* transparency, const uint8_t* media, uint32_t strength,
                            size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t add = ((media[i] * strength) & 0xFFFFu) >> 8;
    const uint32_t sum = transparency[i] + add;
    transparency[i] = uint8_t(sum > 255 ? 255 : sum);
  }
}

// ---- SSE2 -------------------------------------------------------------------
// Sixteen bytes a step, the tail through the scalar reference. The blends work
// in 16-bit lanes; a 16 x 16 -> 32 bit product is rebuilt from its two halves
// so (d * w + 257) >> 16 comes out exactly as in 32-bit scalar arithmetic.

#define QZ_SSE2 __attribute__((target("sse2")))

QZ_SSE2 void Qz__AddBytesSse2(uint8_t* dst, const uint8_t* src, size_t count) {
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_adds_epu8(a, b));
  }
  Qz__AddBytesScalar(dst + i, src + i, count - i);
}

QZ_SSE2 void Qz__SubBytesSse2(uint8_t* dst, const uint8_t* src, size_t count) {
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_subs_epu8(a, b));
  }
  Qz__SubBytesScalar(dst + i, src + i, count - i);
}

// x / 255 for 0 <= x <= 65025 as (x + 1 + (x >> 8)) >> 8, exact over that range.
QZ_SSE2 inline __m128i Qz__Div255(__m128i x) {
  const __m128i one = _mm_set1_epi16(1);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
}

QZ_SSE2 void Qz__MultiplyBytesSse2(uint8_t* dst, const uint8_t* src, size_t count) {
  const __m128i zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i lo = Qz__Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero),
                                                  _mm_unpacklo_epi8(b, zero)));
    const __m128i hi = Qz__Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero),
                                                  _mm_unpackhi_epi8(b, zero)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(lo, hi));
  }
  Qz__MultiplyBytesScalar(dst + i, src + i, count - i);
}

// (d * w + 257) >> 16 per lane, d signed in -255..255, w unsigned 16-bit.
QZ_SSE2 inline __m128i Qz__ScaledDelta(__m128i d, __m128i w) {
  // mulhi_epi16 reads w as signed; where w >= 32768 the true high half is d larger.
  __m128i high = _mm_add_epi16(_mm_mulhi_epi16(d, w), _mm_and_si128(d, _mm_srai_epi16(w, 15)));
  const __m128i low = _mm_mullo_epi16(d, w);
  // Carry out of low + 257: low (unsigned) above 65278.
  const __m128i bias = _mm_set1_epi16(int16_t(0x8000));
  const __m128i carry = _mm_cmpgt_epi16(_mm_xor_si128(low, bias),
                                        _mm_set1_epi16(int16_t(65278 ^ 0x8000)));
  return _mm_sub_epi16(high, carry);
}

QZ_SSE2 inline __m128i Qz__Blend8(__m128i dst16, __m128i src16, __m128i w) {
  return _mm_add_epi16(dst16, Qz__ScaledDelta(_mm_sub_epi16(src16, dst16), w));
}

QZ_SSE2 void Qz__MergeBytesSse2(uint8_t* dst, const uint8_t* src, size_t count,
                                uint32_t strength) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i w = _mm_set1_epi16(int16_t((strength * 257u) & 0xFFFFu));
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i lo = Qz__Blend8(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), w);
    const __m128i hi = Qz__Blend8(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), w);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(lo, hi));
  }
  Qz__MergeBytesScalar(dst + i, src + i, count - i, strength);
}

// (alpha * t) >> 8 per lane, the product being below 2^24.
QZ_SSE2 inline __m128i Qz__AlphaWeight(__m128i alpha16, __m128i t) {
  const __m128i low = _mm_mullo_epi16(alpha16, t);
  const __m128i high = _mm_mulhi_epu16(alpha16, t);
  return _mm_or_si128(_mm_slli_epi16(high, 8), _mm_srli_epi16(low, 8));
}

QZ_SSE2 void Qz__MergeViaAlphaSse2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha,
                                   uint32_t trans, size_t count) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i t = _mm_set1_epi16(int16_t((trans * 257u) & 0xFFFFu));
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i));
    const __m128i lo = Qz__Blend8(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero),
                                  Qz__AlphaWeight(_mm_unpacklo_epi8(m, zero), t));
    const __m128i hi = Qz__Blend8(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero),
                                  Qz__AlphaWeight(_mm_unpackhi_epi8(m, zero), t));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(lo, hi));
  }
  Qz__MergeViaAlphaScalar(dst + i, src + i, alpha + i, trans, count - i);
}

QZ_SSE2 void Qz__AddMediaLineSse2(uint8_t* transparency, const uint8_t* media,
                                  uint32_t strength, size_t count) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i s = _mm_set1_epi16(int16_t(strength & 0xFFFFu));
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(transparency + i));
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(media + i));
    // Low 16 bits of m * strength, then >> 8: at most 255, so adds_epu8 saturates at 255.
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(m, zero), s), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(m, zero), s), 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(transparency + i),
                     _mm_adds_epu8(t, _mm_packus_epi16(lo, hi)));
  }
  Qz__AddMediaLineScalar(transparency + i, media + i, strength, count - i);
}

#undef QZ_SSE2

const MergeKernels kScalarKernels = {
    Qz__AddBytesScalar,     Qz__SubBytesScalar,      Qz__MultiplyBytesScalar, Qz__MergeBytesScalar,
    Qz__MergeViaAlphaScalar, Qz__AddMediaLineScalar, "scalar"};

const MergeKernels kSse2Kernels = {
    Qz__AddBytesSse2,     Qz__SubBytesSse2,      Qz__MultiplyBytesSse2, Qz__MergeBytesSse2,
    Qz__MergeViaAlphaSse2, Qz__AddMediaLineSse2, "sse2"};

bool Qz__HasSse2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
}

}  // namespace

const MergeKernels& scalarMergeKernels() { return kScalarKernels; }

const MergeKernels* sse2MergeKernels() {
  static const bool available = Qz__HasSse2();
  return available ? &kSse2Kernels : nullptr;
}

const MergeKernels& mergeKernels() {
  static const MergeKernels& chosen = sse2MergeKernels() ? kSse2Kernels : kScalarKernels;
  return chosen;
}

}  // namespace qz

// ---- the exported line calls -------------------------------------------------

QZ_EXTERN_C_BEGIN

QZ_EXPORT void SaturateAddByteArray(uint8_t* dst, const uint8_t* src, uint32_t count) {
  if (dst && src) qz::mergeKernels().addBytes(dst, src, count);
}

QZ_EXPORT void SaturateSubByteArray(uint8_t* dst, const uint8_t* src, uint32_t count) {
  if (dst && src) qz::mergeKernels().subBytes(dst, src, count);
}

QZ_EXPORT void MultiplyByteArray(uint8_t* dst, const uint8_t* src, uint32_t count) {
  if (dst && src) qz::mergeKernels().multiplyBytes(dst, src, count);
}

QZ_EXPORT void SaturateAddByteArrayMMX(uint8_t* dst, const uint8_t* src, uint32_t count) {
  if (dst && src) qz::mergeKernels().addBytes(dst, src, count);
}

QZ_EXPORT void Qz__MergeByteArray(uint8_t* dst, const uint8_t* src, uint32_t count,
                                  uint32_t strength) {
  if (dst && src) qz::mergeKernels().mergeBytes(dst, src, count, strength & 0xFFFFu);
}

QZ_EXPORT void MergeDataViaAlphaAndTrans(uint8_t* dst, const uint8_t* src, const uint8_t* alpha,
                                         uint32_t trans, uint32_t count) {
  if (dst && src && alpha) qz::mergeKernels().mergeViaAlpha(dst, src, alpha, trans & 0xFFFFu, count);
}

QZ_EXPORT void Qz__AddMediaLineToTransparency(uint8_t* transparency, const uint8_t* media,
                                              uint32_t strength, uint32_t count) {
  if (transparency && media) qz::mergeKernels().addMediaLine(transparency, media, strength, count);
}

QZ_EXPORT void Qz__AddMediaLineToTransparencyintrin(uint8_t* transparency, const uint8_t* media,
                                                    uint32_t strength, uint32_t count) {
  if (transparency && media) qz::mergeKernels().addMediaLine(transparency, media, strength, count);
}

QZ_EXTERN_C_END
