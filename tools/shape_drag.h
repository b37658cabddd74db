// The drag of the line, rectangle and ellipse tools: press, complement-mode
// preview while the pointer moves (the pointer grabbed, the application told
// a drag is on), the other button cancels, and the release makes one action
// with the shape's points on the active layer.
#pragma once

#include <cstdint>

#include "gadgets/qz_input_event.h"
#include "image/qz_image.h"
#include "tools/shape_geometry.h"

namespace qz::tools {

// Line, rectangle and ellipse are drags; the curve and the polygon are clicked.
enum class Shape { Line, Rectangle, Ellipse, Curve, Polygon };

// Told to the application at the press (1) and the release or cancel (0).
inline constexpr uint32_t kToolDragging = 0x130078;

struct ShapeDrag {
  int32_t pressed = 0;  // 0 none, 1 left, 2 right
  int32_t startX = 0, startY = 0;
  Extent extent{1, 1};
  Window* window = nullptr;
};

// One input event; 2 when dealt with, 1 when it cancelled the drag.
// strokeFlags: the action's flags for this shape (lines, outline or polygon).
QZ_EXPORT QzWord shapeDragInput(ShapeDrag& drag, Shape shape, Qz_Object* tool, uint32_t strokeFlags, Qz_Image* image,
                                const Qz_InputEvent* e);

}  // namespace qz::tools
