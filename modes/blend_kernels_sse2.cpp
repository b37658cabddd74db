// The SSE2 blend kernels: sixteen channel bytes a step, widened to 16-bit
// lanes where the formulas' products (at most 255 * 255) fit unsigned, and
// packed back with unsigned saturation, which is the formulas' own clamp.
// Division by 255 truncates, as the formulas' integer division does.
#include <emmintrin.h>

#include <atomic>
#include <cstring>

#include "modes/blend_kernels.h"

namespace qz::modes {
namespace {

std::atomic<bool> gUseKernels{true};

#define QZ_SSE2 __attribute__((target("sse2")))

// floor(x / 255) for every 16-bit x: (x * 0x8081) >> 23.
QZ_SSE2 inline __m128i Qz__Div255(__m128i x) {
  return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(int16_t(0x8081))), 7);
}

QZ_SSE2 inline __m128i Qz__ScreenLanes(__m128i c, __m128i k, __m128i full) {
  return _mm_sub_epi16(full, Qz__Div255(_mm_mullo_epi16(_mm_sub_epi16(full, c), _mm_sub_epi16(full, k))));
}

// The formulas on eight 16-bit lanes; results outside 0..255 are clamped by the pack.
struct AddLanes {
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) { return _mm_add_epi16(c, k); }
};
struct SubtractLanes {
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) { return _mm_sub_epi16(c, k); }
};
struct DarkenLanes {
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) { return _mm_min_epi16(c, k); }
};
struct LightenLanes {
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) { return _mm_max_epi16(c, k); }
};
struct DifferenceLanes {
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) {
    return _mm_sub_epi16(_mm_max_epi16(c, k), _mm_min_epi16(c, k));
  }
};
// ((c * k + 1) * 257) >> 16
struct MultiplyLanes {
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) {
    const __m128i p = _mm_add_epi16(_mm_mullo_epi16(c, k), _mm_set1_epi16(1));
    return _mm_mulhi_epu16(p, _mm_set1_epi16(257));
  }
};
struct ScreenLanes {
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) { return Qz__ScreenLanes(c, k, _mm_set1_epi16(255)); }
};
// c - ((c * (255 - k)) >> 6), below 0 clamped by the pack
struct BurnLanes {
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) {
    const __m128i t = _mm_srli_epi16(_mm_mullo_epi16(c, _mm_sub_epi16(_mm_set1_epi16(255), k)), 6);
    return _mm_sub_epi16(c, t);
  }
};
// c + ((c * k) >> 6), above 255 clamped by the pack
struct DodgeLanes {
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) {
    return _mm_add_epi16(c, _mm_srli_epi16(_mm_mullo_epi16(c, k), 6));
  }
};
// (screen * w + multiply * (255 - w)) / 255; the two products sum to at most 255 * 255.
QZ_SSE2 inline __m128i Qz__Mix(__m128i screen, __m128i multiply, __m128i w) {
  const __m128i full = _mm_set1_epi16(255);
  return Qz__Div255(_mm_add_epi16(_mm_mullo_epi16(screen, w),
                                  _mm_mullo_epi16(multiply, _mm_sub_epi16(full, w))));
}
QZ_SSE2 inline __m128i Qz__MultiplyDiv(__m128i c, __m128i k) { return Qz__Div255(_mm_mullo_epi16(k, c)); }
struct OverlayLanes {  // screen weighted by 255 - c
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) {
    const __m128i full = _mm_set1_epi16(255);
    return Qz__Mix(Qz__MultiplyDiv(c, k), Qz__ScreenLanes(c, k, full), c);
  }
};
struct SoftLightLanes {  // screen weighted by c
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) {
    return Qz__Mix(Qz__ScreenLanes(c, k, _mm_set1_epi16(255)), Qz__MultiplyDiv(c, k), c);
  }
};
struct HardLightLanes {  // screen weighted by k
  QZ_SSE2 static __m128i f(__m128i c, __m128i k) {
    return Qz__Mix(Qz__ScreenLanes(c, k, _mm_set1_epi16(255)), Qz__MultiplyDiv(c, k), k);
  }
};

template <class Lanes>
QZ_SSE2 inline __m128i Qz__SixteenBytes(__m128i bytes, __m128i k) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_packus_epi16(Lanes::f(_mm_unpacklo_epi8(bytes, zero), k),
                          Lanes::f(_mm_unpackhi_epi8(bytes, zero), k));
}

// The tail runs through the same lanes on a copy, so every byte of a row
// comes from one formula.
template <class Lanes>
QZ_SSE2 void Qz__Kernel(const uint8_t* src, uint8_t* dst, int32_t count, int32_t k) {
  const __m128i kk = _mm_set1_epi16(int16_t(k));
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), Qz__SixteenBytes<Lanes>(v, kk));
  }
  if (i < count) {
    alignas(16) uint8_t tail[16] = {};
    std::memcpy(tail, src + i, size_t(count - i));
    const __m128i v = Qz__SixteenBytes<Lanes>(_mm_load_si128(reinterpret_cast<const __m128i*>(tail)), kk);
    _mm_store_si128(reinterpret_cast<__m128i*>(tail), v);
    std::memcpy(dst + i, tail, size_t(count - i));
  }
}

#undef QZ_SSE2

const BlendKernels kSse2 = {
    Qz__Kernel<AddLanes>,      Qz__Kernel<SubtractLanes>, Qz__Kernel<DarkenLanes>,
    Qz__Kernel<LightenLanes>,  Qz__Kernel<DifferenceLanes>, Qz__Kernel<MultiplyLanes>,
    Qz__Kernel<ScreenLanes>,   Qz__Kernel<BurnLanes>,     Qz__Kernel<DodgeLanes>,
    Qz__Kernel<OverlayLanes>,  Qz__Kernel<SoftLightLanes>, Qz__Kernel<HardLightLanes>,
    "sse2"};

bool Qz__HasSse2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
}

}  // namespace

const BlendKernels* sse2BlendKernels() {
  static const bool available = Qz__HasSse2();
  return available ? &kSse2 : nullptr;
}

ChannelKernel channelKernel(ChannelKernel BlendKernels::*which) {
  static const BlendKernels* const chosen = sse2BlendKernels();
  if (!chosen || !gUseKernels.load(std::memory_order_relaxed)) return nullptr;
  return chosen->*which;
}

}  // namespace qz::modes

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz__UseBlendKernels(int32_t on) { qz::modes::gUseKernels.store(on != 0); }

QZ_EXTERN_C_END
