// The pass itself, for the data-below fetch (which must not be interrupted).
#pragma once

#include <cstdint>

#include "image/qz_image.h"

namespace qz {

void compositePass(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t** r,
                   uint8_t** g, uint8_t** b, uint8_t** grey, Qz_Image* stopLayer,
                   bool interruptible);

}  // namespace qz
