// The outline a crop or button drag shows: four one-pixel runs in
// complement mode that share no pixel, so drawing it again takes it away.
#pragma once

#include <cstdint>

#include "image/qz_image.h"
#include "platform/qz_export.h"

namespace qz::tools {

// Corners (x0, y0) and (x1, y1) in image pixels, drawn into the image's view.
QZ_EXPORT void drawBoxPreview(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

}  // namespace qz::tools
