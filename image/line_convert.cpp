// Conversions between planar rows and the interleaved B, G, R rows that the
// screen redraw writes, plain and zoomed by 10-bit fixed-point steps.
#include <cstdint>

#include "image/qz_image.h"

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz_MakeRGBLine(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint8_t* out,
                              int32_t count) {
  if (!r || !g || !b || !out) return;
  for (int32_t i = 0; i < count; ++i, out += 3) {
    out[0] = b[i];
    out[1] = g[i];
    out[2] = r[i];
  }
}

QZ_EXPORT void Qz_MakeScaledRGBLine(const uint8_t* r, const uint8_t* g, const uint8_t* b,
                                    uint8_t* out, int32_t from, int32_t to, int32_t step) {
  if (!r || !g || !b || !out) return;
  for (int64_t i = from; i <= to; ++i, out += 3) {
    const int64_t source = (i * step) >> 10;
    out[0] = b[source];
    out[1] = g[source];
    out[2] = r[source];
  }
}

QZ_EXPORT void Qz_MakeScaledGreyLine(uint8_t* out, const uint8_t* grey, int32_t from, int32_t to,
                                     int32_t step) {
  if (!grey || !out) return;
  for (int64_t i = from; i <= to; ++i, out += 3) out[0] = out[1] = out[2] = grey[(i * step) >> 10];
}

QZ_EXPORT void Qz_SplitRGB(uint8_t* r, uint8_t* g, uint8_t* b, const uint8_t* in, int32_t count) {
  if (!r || !g || !b || !in) return;
  for (int32_t i = 0; i < count; ++i, in += 3) {
    b[i] = in[0];
    g[i] = in[1];
    r[i] = in[2];
  }
}

QZ_EXTERN_C_END
