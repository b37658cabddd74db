// The small arrow buttons beside a number (Angle, CompactSlider).
#pragma once

#include <cstdint>

#include "objects/qz_object.h"

namespace qz::widgets {

// A button whose face is a 10-pixel-wide VectorImage of the shape; NULL
// when either could not be made.
QZ_EXPORT Qz_Object* arrowButton(uint32_t shape);

}  // namespace qz::widgets
