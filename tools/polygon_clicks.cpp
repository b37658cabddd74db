#include "tools/polygon_clicks.h"

#include "objects/qz_root.h"
#include "platform/windows.h"
#include "tools/rubber_band.h"
#include "tools/shape_action.h"

namespace qz::tools {
namespace {

// Fewer vertices than this enclose nothing: closing on them draws nothing.
constexpr size_t kLeastVertices = 3;

// The edges placed so far and the band from the last vertex to the pointer.
void Qz__Preview(const PolygonClicks& p, Qz_Image* image, Qz_Image* layer) {
  std::vector<int32_t> points = p.vertices;
  points.insert(points.end(), {p.pointerX, p.pointerY});
  drawLayerBands(image, layer, points);
}

bool Qz__IsVertex(const PolygonClicks& p, size_t index, int32_t x, int32_t y) {
  return p.vertices[2 * index] == x && p.vertices[2 * index + 1] == y;
}

QzWord Qz__Press(PolygonClicks& p, Qz_Object* tool, uint32_t strokeFlags, Qz_Image* image, Qz_Image* layer,
                 const Qz_InputEvent* e, int32_t x, int32_t y) {
  Qz_Object* view = Qz_CurrentViewOf(image);
  if (!Qz_IsCoordOverObject(view, e->mouseX, e->mouseY)) return 2;
  if (!p.pressed) {
    p.pressed = e->code == SELECTDOWN ? 1 : 2;
    p.view = view;
    p.window = e->window;
    if (p.window) Qz_GrabMousePointer(p.window);
    p.vertices = {x, y};
    p.pointerX = x, p.pointerY = y;
    Qz__Preview(p, image, layer);
    return 2;
  }
  if (view != p.view || (e->code == SELECTDOWN) != (p.pressed == 1)) return 2;
  const size_t count = p.vertices.size() / 2;
  Qz__Preview(p, image, layer);
  if (Qz__IsVertex(p, count - 1, x, y) || Qz__IsVertex(p, 0, x, y)) {
    std::vector<int32_t> outline = p.vertices;
    outline.insert(outline.end(), {p.vertices[0], p.vertices[1]});
    const uint32_t button = uint32_t(p.pressed);
    endPolygon(p);
    if (count >= kLeastVertices) drawShape(tool, button, strokeFlags, layer, outline);
    return 2;
  }
  p.vertices.insert(p.vertices.end(), {x, y});
  p.pointerX = x, p.pointerY = y;
  Qz__Preview(p, image, layer);
  return 2;
}

}  // namespace

void endPolygon(PolygonClicks& p) {
  if (p.window) Qz_UngrabMousePointer(p.window);
  p = PolygonClicks{};
}

QzWord polygonInput(PolygonClicks& p, Qz_Object* tool, uint32_t strokeFlags, Qz_Image* image,
                    const Qz_InputEvent* e) {
  Qz_Image* layer = image && e ? image->activeLayer : nullptr;
  if (!layer) return 2;
  const int32_t x = Qz_ToolWindowToLayerX(layer, e->mouseX), y = Qz_ToolWindowToLayerY(layer, e->mouseY);
  const bool otherUp = (p.pressed == 1 && e->code == MENUUP) || (p.pressed == 2 && e->code == SELECTUP);
  if (p.pressed && ((e->cls == IDCMP_MOUSEBUTTONS && otherUp) || e->cls == IDCMP_INACTIVEWINDOW)) {
    Qz__Preview(p, image, layer);
    endPolygon(p);
    return 1;
  }
  if (e->cls == IDCMP_MOUSEMOVE && p.pressed && Qz_CurrentViewOf(image) == p.view) {
    Qz__Preview(p, image, layer);
    p.pointerX = x, p.pointerY = y;
    Qz__Preview(p, image, layer);
  }
  if (e->cls == IDCMP_MOUSEBUTTONS && (e->code == SELECTDOWN || e->code == MENUDOWN))
    return Qz__Press(p, tool, strokeFlags, image, layer, e, x, y);
  return 2;
}

}  // namespace qz::tools
