// Row conversions between interleaved pixels and three 8-bit planes: a
// scalar reference, SSSE3 forms that give the same bytes, and the table
// every caller uses, chosen once from the processor's features.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qzio {

struct PixelRowKernels {
  // first[i] = s[i*step], second[i] = s[i*step+1], third[i] = s[i*step+2];
  // step is 3 or 4. Reads no byte past s[width*step-1].
  void (*splitPixels)(const uint8_t* s, uint32_t step, uint8_t* first, uint8_t* second,
                      uint8_t* third, uint32_t width);
  // d[i*step] = first[i], d[i*step+1] = second[i], d[i*step+2] = third[i];
  // step is 3 or 4, and with 4 the fourth byte of each pixel is left as it was.
  void (*joinPixels)(const uint8_t* first, const uint8_t* second, const uint8_t* third,
                     uint8_t* d, uint32_t step, uint32_t width);
  const char* name;
};

// The literal loops.
QZ_EXPORT const PixelRowKernels& scalarPixelRowKernels();
// The SSSE3 shuffles, or null when the processor lacks SSSE3.
QZ_EXPORT const PixelRowKernels* ssse3PixelRowKernels();
// The table the buffers use.
QZ_EXPORT const PixelRowKernels& pixelRowKernels();

}  // namespace qzio
