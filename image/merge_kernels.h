// Per-line pixel kernels shared by the rectangle operations, the compositor
// and the brush engine. Each kernel has a scalar reference that follows the
// documented formula literally (wraps included) and, where it is hot, an SSE2
// form that gives the same bytes; one table is picked at load time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/qz_export.h"

namespace qz {

struct MergeKernels {
  // dst = min(255, dst + src)
  void (*addBytes)(uint8_t* dst, const uint8_t* src, size_t count);
  // dst = max(0, dst - src)
  void (*subBytes)(uint8_t* dst, const uint8_t* src, size_t count);
  // dst = dst * src / 255, truncated
  void (*multiplyBytes)(uint8_t* dst, const uint8_t* src, size_t count);
  // dst += ((src - dst) * (strength * 257 mod 65536) + 257) >> 16
  void (*mergeBytes)(uint8_t* dst, const uint8_t* src, size_t count, uint32_t strength);
  // dst += (((alpha * (trans * 257 mod 65536)) >> 8) * (src - dst) + 257) >> 16
  void (*mergeViaAlpha)(uint8_t* dst, const uint8_t* src, const uint8_t* alpha,
                        uint32_t trans, size_t count);
  // t = min(255, t + (((m * strength) mod 65536) >> 8))
  void (*addMediaLine)(uint8_t* transparency, const uint8_t* media, uint32_t strength,
                       size_t count);
  const char* name;
};

// The literal reference kernels.
QZ_EXPORT const MergeKernels& scalarMergeKernels();
// The SSE2 kernels, or null when the processor lacks SSE2.
QZ_EXPORT const MergeKernels* sse2MergeKernels();
// The table every caller uses: chosen once from the processor's features.
QZ_EXPORT const MergeKernels& mergeKernels();

}  // namespace qz
