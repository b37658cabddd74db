// The polygon tool's clicks: each press over the view adds a vertex; a
// press on the previous or the first vertex closes the outline and draws it
// as one action. Releasing the other button, or the window going inactive,
// cancels.
#pragma once

#include <cstdint>
#include <vector>

#include "gadgets/qz_input_event.h"
#include "image/qz_image.h"

namespace qz::tools {

struct PolygonClicks {
  int32_t pressed = 0;            // 0 none, 1 left, 2 right
  std::vector<int32_t> vertices;  // x, y pairs, layer pixels
  int32_t pointerX = 0, pointerY = 0;
  Qz_Object* view = nullptr;  // the view the polygon was started in
  Window* window = nullptr;   // the grabbed window
};

// One input event; 2, or 1 when it cancelled the polygon.
QZ_EXPORT QzWord polygonInput(PolygonClicks& polygon, Qz_Object* tool, uint32_t strokeFlags, Qz_Image* image,
                              const Qz_InputEvent* e);
// Lets the pointer go and forgets the vertices (the tool is going away).
QZ_EXPORT void endPolygon(PolygonClicks& polygon);

}  // namespace qz::tools
