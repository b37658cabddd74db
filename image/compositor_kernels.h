// The compositor's hottest kernel: a plain layer of one paint colour over
// its row, weighted by the layer's transparency. A scalar reference that
// follows the formula and an SSE2 form that gives the same bytes; one is
// picked at load time.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz {

struct CompositorKernels {
  // Per channel: dst += ((colour - dst) * (a * 257) + 257) >> 16 (arithmetic shift).
  void (*blendColour)(uint8_t* const dst[3], const uint8_t colour[3], const uint8_t* a,
                      int32_t count);
  // The same with a colour per pixel: out[c][i] in place of colour[c].
  void (*blendRows)(uint8_t* const dst[3], const uint8_t* const out[3], const uint8_t* a,
                    int32_t count);
  const char* name;
};

QZ_EXPORT const CompositorKernels& scalarCompositorKernels();
// None when the processor lacks SSE2.
QZ_EXPORT const CompositorKernels* sse2CompositorKernels();
QZ_EXPORT const CompositorKernels& compositorKernels();

}  // namespace qz
