// The interleaved-to-planes row conversions: the literal loops, their SSSE3
// forms (sixteen pixels a step, byte shuffles, scalar tail) and the one-time
// choice between them.
#include "qzio/pixel_rows.h"

#include <tmmintrin.h>

#include <array>

namespace qzio {
namespace {

void Qz__SplitPixelsScalar(const uint8_t* s, uint32_t step, uint8_t* first, uint8_t* second,
                           uint8_t* third, uint32_t width) {
  for (uint32_t i = 0; i < width; ++i, s += step) {
    first[i] = s[0];
    second[i] = s[1];
    third[i] = s[2];
  }
}

void Qz__JoinPixelsScalar(const uint8_t* first, const uint8_t* second, const uint8_t* third,
                          uint8_t* d, uint32_t step, uint32_t width) {
  for (uint32_t i = 0; i < width; ++i, d += step) {
    d[0] = first[i];
    d[1] = second[i];
    d[2] = third[i];
  }
}

using ByteMask = std::array<int8_t, 16>;
constexpr int8_t kZero = int8_t(0x80);  // a pshufb index that yields 0

// Gathers channel `channel` of sixteen 3-byte pixels out of the 16-byte
// register `reg` of the 48 they span.
constexpr ByteMask SplitMask(int channel, int reg) {
  ByteMask m{};
  for (int k = 0; k < 16; ++k) {
    const int at = 3 * k + channel - 16 * reg;
    m[size_t(k)] = at >= 0 && at < 16 ? int8_t(at) : kZero;
  }
  return m;
}

// Places the sixteen bytes of plane `channel` into output register `reg` of
// the 48 bytes of sixteen 3-byte pixels.
constexpr ByteMask JoinMask(int channel, int reg) {
  ByteMask m{};
  for (int p = 0; p < 16; ++p) {
    const int j = 16 * reg + p;
    m[size_t(p)] = j % 3 == channel ? int8_t(j / 3) : kZero;
  }
  return m;
}

template <class Table>
constexpr std::array<ByteMask, 9> NineMasks(Table make) {
  std::array<ByteMask, 9> all{};
  for (int channel = 0; channel < 3; ++channel)
    for (int reg = 0; reg < 3; ++reg) all[size_t(channel * 3 + reg)] = make(channel, reg);
  return all;
}

constexpr std::array<ByteMask, 9> kSplitMasks = NineMasks(SplitMask);
constexpr std::array<ByteMask, 9> kJoinMasks = NineMasks(JoinMask);
// Four 4-byte pixels regrouped as first bytes, second bytes, third, fourth.
constexpr ByteMask kGroupQuads = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};

#define QZ_SSSE3 __attribute__((target("ssse3")))

QZ_SSSE3 inline __m128i Qz__Mask(const ByteMask& m) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data()));
}

QZ_SSSE3 inline __m128i Qz__Gather3(const __m128i v[3], const std::array<ByteMask, 9>& masks, int channel) {
  const __m128i a = _mm_shuffle_epi8(v[0], Qz__Mask(masks[size_t(channel * 3)]));
  const __m128i b = _mm_shuffle_epi8(v[1], Qz__Mask(masks[size_t(channel * 3 + 1)]));
  const __m128i c = _mm_shuffle_epi8(v[2], Qz__Mask(masks[size_t(channel * 3 + 2)]));
  return _mm_or_si128(_mm_or_si128(a, b), c);
}

QZ_SSSE3 void Qz__SplitPixelsSsse3(const uint8_t* s, uint32_t step, uint8_t* first, uint8_t* second,
                                   uint8_t* third, uint32_t width) {
  uint8_t* out[3] = {first, second, third};
  uint32_t i = 0;
  if (step == 3) {
    for (; i + 16 <= width; i += 16) {
      const uint8_t* p = s + size_t(i) * 3;
      const __m128i v[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32))};
      for (int c = 0; c < 3; ++c)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out[c] + i), Qz__Gather3(v, kSplitMasks, c));
    }
  } else if (step == 4) {
    const __m128i group = Qz__Mask(kGroupQuads);
    for (; i + 16 <= width; i += 16) {
      const uint8_t* p = s + size_t(i) * 4;
      __m128i q[4];
      for (int r = 0; r < 4; ++r)
        q[r] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * r)), group);
      // A 4x4 transpose of 32-bit groups: each register ends up one channel.
      const __m128i lo01 = _mm_unpacklo_epi32(q[0], q[1]), hi01 = _mm_unpackhi_epi32(q[0], q[1]);
      const __m128i lo23 = _mm_unpacklo_epi32(q[2], q[3]), hi23 = _mm_unpackhi_epi32(q[2], q[3]);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(first + i), _mm_unpacklo_epi64(lo01, lo23));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(second + i), _mm_unpackhi_epi64(lo01, lo23));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(third + i), _mm_unpacklo_epi64(hi01, hi23));
    }
  }
  Qz__SplitPixelsScalar(s + size_t(i) * step, step, first + i, second + i, third + i, width - i);
}

QZ_SSSE3 void Qz__JoinPixelsSsse3(const uint8_t* first, const uint8_t* second, const uint8_t* third,
                                  uint8_t* d, uint32_t step, uint32_t width) {
  uint32_t i = 0;
  if (step == 3) {
    for (; i + 16 <= width; i += 16) {
      const __m128i planes[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i)),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + i)),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(third + i))};
      uint8_t* p = d + size_t(i) * 3;
      for (int reg = 0; reg < 3; ++reg) {
        __m128i v = _mm_setzero_si128();
        for (int c = 0; c < 3; ++c)
          v = _mm_or_si128(v, _mm_shuffle_epi8(planes[c], Qz__Mask(kJoinMasks[size_t(c * 3 + reg)])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * reg), v);
      }
    }
  } else if (step == 4) {
    const __m128i keep = _mm_set1_epi32(int32_t(0xFF000000u));  // the fourth byte stays
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= width; i += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + i));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(third + i));
      const __m128i ab[2] = {_mm_unpacklo_epi8(a, b), _mm_unpackhi_epi8(a, b)};
      const __m128i c0[2] = {_mm_unpacklo_epi8(c, zero), _mm_unpackhi_epi8(c, zero)};
      uint8_t* p = d + size_t(i) * 4;
      for (int r = 0; r < 4; ++r) {
        const __m128i rgb = (r & 1) ? _mm_unpackhi_epi16(ab[r >> 1], c0[r >> 1])
                                    : _mm_unpacklo_epi16(ab[r >> 1], c0[r >> 1]);
        auto* at = reinterpret_cast<__m128i*>(p + 16 * r);
        _mm_storeu_si128(at, _mm_or_si128(rgb, _mm_and_si128(_mm_loadu_si128(at), keep)));
      }
    }
  }
  Qz__JoinPixelsScalar(first + i, second + i, third + i, d + size_t(i) * step, step, width - i);
}

#undef QZ_SSSE3

const PixelRowKernels kScalar = {Qz__SplitPixelsScalar, Qz__JoinPixelsScalar, "scalar"};
const PixelRowKernels kSsse3 = {Qz__SplitPixelsSsse3, Qz__JoinPixelsSsse3, "ssse3"};

bool Qz__HasSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}

}  // namespace

const PixelRowKernels& scalarPixelRowKernels() { return kScalar; }

const PixelRowKernels* ssse3PixelRowKernels() {
  static const bool available = Qz__HasSsse3();
  return available ? &kSsse3 : nullptr;
}

const PixelRowKernels& pixelRowKernels() {
  static const PixelRowKernels& chosen = ssse3PixelRowKernels() ? kSsse3 : kScalar;
  return chosen;
}

}  // namespace qzio
