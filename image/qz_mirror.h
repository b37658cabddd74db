// Mirroring an image left to right, top to bottom or both, pixel for pixel,
// through the resize protocol at the same size: a failure leaves the image
// as it was.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

// Bits of the transform flags word (shared with rotation and scaling).
enum : uint32_t {
  kQzFlipLayers = 4,            // the layers mirror with the document
  kQzFlipHorizontally = 0x100,  // column x goes to width - 1 - x
  kQzFlipVertically = 0x200,    // row y goes to height - 1 - y
  kQzFlipCurrentLayer = 0x400,  // a transform action mirrors only its layer
};

QZ_EXTERN_C_BEGIN
// Mirrors the image (with an image layer's mask and own layers) as the flags
// say; with kQzFlipLayers every layer mirrors too and its place mirrors
// about the image's centre. 1 when done (also when no direction is asked for); 0 for
// no image or a failed step (layers mirrored before a failure stay mirrored).
QZ_EXPORT int32_t Qz__MirrorImage(Qz_Image* image, uint32_t flags);
QZ_EXTERN_C_END
