#include "tools/curve_drag.h"

#include <vector>

#include "actions/qz_actions.h"
#include "media/stroke_curve.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "tools/rubber_band.h"
#include "tools/shape_action.h"

namespace qz::tools {
namespace {

// The band of the phase: the straight line first, then the curve the action will draw.
void Qz__Preview(const CurveDrag& c, Qz_Image* image, Qz_Image* layer) {
  if (c.phase == 1) return drawLayerBands(image, layer, {c.startX, c.startY, c.endX, c.endY});
  std::vector<int32_t> points;
  for (const auto& p : qz::media::curvePoints({c.startX, c.startY}, {c.middleX, c.middleY}, {c.endX, c.endY}))
    points.insert(points.end(), {p.x, p.y});
  points.insert(points.end(), {c.endX, c.endY});
  drawLayerBands(image, layer, points);
}

void Qz__Follow(CurveDrag& c, int32_t x, int32_t y) {
  if (c.phase == 1) c.endX = x, c.endY = y;
  else c.middleX = x, c.middleY = y;
}

}  // namespace

void endCurveDrag(CurveDrag& c) {
  if (c.window) Qz_UngrabMousePointer(c.window);
  c = CurveDrag{};
}

QzWord curveDragInput(CurveDrag& c, Qz_Object* tool, Qz_Image* image, const Qz_InputEvent* e) {
  Qz_Image* layer = image && e ? image->activeLayer : nullptr;
  if (!layer) return 2;
  const int32_t lx = Qz_ToolWindowToLayerX(layer, e->mouseX), ly = Qz_ToolWindowToLayerY(layer, e->mouseY);
  Qz_Object* view = Qz_CurrentViewOf(image);
  if (e->cls == IDCMP_INACTIVEWINDOW && c.phase == 2) {
    Qz__Preview(c, image, layer);
    endCurveDrag(c);
  } else if (e->cls == IDCMP_MOUSEMOVE && c.phase && view == c.view) {
    Qz__Preview(c, image, layer);
    Qz__Follow(c, lx, ly);
    Qz__Preview(c, image, layer);
  } else if (e->cls == IDCMP_MOUSEBUTTONS && c.phase && view != c.view) {
    endCurveDrag(c);  // its band went with the other view's next redraw
  } else if (e->cls == IDCMP_MOUSEBUTTONS && c.phase == 0) {
    if ((e->code != SELECTDOWN && e->code != MENUDOWN) || !Qz_IsCoordOverObject(view, e->mouseX, e->mouseY))
      return 2;
    c.pressed = e->code == SELECTDOWN ? 1 : 2;
    c.phase = 1;
    c.startX = c.middleX = c.endX = lx;
    c.startY = c.middleY = c.endY = ly;
    c.view = view;
    c.window = e->window;
    if (c.window) Qz_GrabMousePointer(c.window);
    Qz__Preview(c, image, layer);
  } else if (e->cls == IDCMP_MOUSEBUTTONS && c.phase == 1) {
    if (e->code != SELECTUP && e->code != MENUUP) return 2;
    Qz__Preview(c, image, layer);
    c.endX = lx, c.endY = ly;
    c.phase = 2;
    Qz__Preview(c, image, layer);
  } else if (e->cls == IDCMP_MOUSEBUTTONS && c.phase == 2) {
    Qz__Preview(c, image, layer);
    c.middleX = lx, c.middleY = ly;
    const std::vector<int32_t> points = {c.startX, c.startY, c.middleX, c.middleY, c.endX, c.endY};
    const uint32_t button = uint32_t(c.pressed);
    endCurveDrag(c);
    drawShape(tool, button, kActionCurve, layer, points);
  }
  return 2;
}

}  // namespace qz::tools
