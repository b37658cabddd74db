// The curve tool's two steps: drag from the start to the end (a straight
// band follows), release, then move the pointer to bend the curve through
// its middle and click to draw it.
#pragma once

#include <cstdint>

#include "gadgets/qz_input_event.h"
#include "image/qz_image.h"

namespace qz::tools {

struct CurveDrag {
  int32_t pressed = 0;  // 0 none, 1 left, 2 right
  int32_t phase = 0;    // 0 idle, 1 the end follows the pointer, 2 the middle does
  int32_t startX = 0, startY = 0, middleX = 0, middleY = 0, endX = 0, endY = 0;
  Qz_Object* view = nullptr;  // the view the curve was started in
  Window* window = nullptr;   // the grabbed window
};

// One input event; always 2.
QZ_EXPORT QzWord curveDragInput(CurveDrag& curve, Qz_Object* tool, Qz_Image* image, const Qz_InputEvent* e);
// Lets the pointer go and forgets the curve (the tool is going away).
QZ_EXPORT void endCurveDrag(CurveDrag& curve);

}  // namespace qz::tools
