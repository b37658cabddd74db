// Turning an image by any angle and slanting it, both through the resize
// protocol, so a failure or a break leaves the image as it was.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

enum : uint32_t {
  kQzRotateSupersample = 1,  // 4 x 4 samples a pixel
  kQzRotateLayers = 4,       // the layers turn with the document
};

QZ_EXTERN_C_BEGIN
// Turns the image by hundredths of a degree into a canvas just large enough.
// 1 when done; 0 when it failed or the user stopped it (the image unchanged,
// except layers turned before a layer failed).
QZ_EXPORT int32_t Qz__RotateImage(Qz_Image* image, int32_t hundredthsOfDegree, uint32_t flags);
// Slants the image by sx pixels across and sy down into a larger canvas;
// 1 when done (also for 0, 0), 0 for no image or a failed resize.
QZ_EXPORT uint32_t Qz__ShearImage(Qz_Image* image, int32_t sx, int32_t sy);
QZ_EXTERN_C_END
