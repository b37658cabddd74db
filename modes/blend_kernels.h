// Vector forms of the colour-blend modes' per-channel formulas: each gives
// exactly the bytes of its mode's integer formula f(c, k) for every channel
// value c below and paint channel k. The table is chosen once from the
// processor's features; a mode without an entry keeps its scalar loop.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::modes {

// dst[i] = f(src[i], k) for count bytes; k is 0..255.
using ChannelKernel = void (*)(const uint8_t* src, uint8_t* dst, int32_t count, int32_t k);

struct BlendKernels {
  ChannelKernel addColour, subtractColour, darken, lighten, differenceRGB, multiply, screen,
      burn, dodge, overlay, softLight, hardLight;
  const char* name;
};

// The SSE2 kernels, or null without SSE2.
QZ_EXPORT const BlendKernels* sse2BlendKernels();

// The kernel a mode renders with, or null when its scalar formula is to be
// used (no vector table, or the test seam below asked for scalar).
QZ_EXPORT ChannelKernel channelKernel(ChannelKernel BlendKernels::*which);

}  // namespace qz::modes

QZ_EXTERN_C_BEGIN
// Test seam: 0 makes every mode use its scalar formula, 1 the chosen kernels.
QZ_EXPORT void Qz__UseBlendKernels(int32_t on);
QZ_EXTERN_C_END
