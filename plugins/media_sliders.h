// What the media panel's sliders show for an image and a layer.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::plugins {

// The size slider's maximum for an image: a third of its longer side, at
// least 250 and never below the size set now, rounded up to a multiple of 50.
QZ_EXPORT int32_t mediaSizeMaximum(int32_t width, int32_t height, int32_t currentSize);

// The transparency in percent of a layer's opacity level (255 or more opaque).
QZ_EXPORT int32_t transparencyPercent(int32_t level);

}  // namespace qz::plugins
