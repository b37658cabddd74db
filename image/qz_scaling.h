// Resampling of images to a new size: nearest neighbour, or smooth
// (interpolating when enlarging, averaging when shrinking), per axis.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

enum : uint32_t {
  kQzScaleSmooth = 1,
  kQzScaleLayers = 4,      // also scale every layer and inner image
  kQzScaleNoProgress = 16,
  kQzScaleUndoable = 32,   // through a TransformAction on the undo list
};

QZ_EXTERN_C_BEGIN
// Resamples src into dst (both allocated; sizes and depths taken from them).
// 1 when done, 0 for missing images or unsupported depths.
QZ_EXPORT int32_t Qz__ScaleImageToImage(Qz_Image* dst, Qz_Image* src, uint32_t flags);
// Scales the image in place to width x height (below 2 becomes 1). 1 when
// done; 0 leaves the image at its old size and pixels.
QZ_EXPORT int32_t Qz__ScaleImage(Qz_Image* image, int32_t width, int32_t height, uint32_t flags);
QZ_EXTERN_C_END
