#include "tools/shape_drag.h"

#include <cstdlib>
#include <vector>

#include "actions/qz_actions.h"
#include "objects/object_services.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"
#include "tools/rubber_band.h"
#include "tools/shape_action.h"

namespace qz::tools {
namespace {

constexpr uint16_t kShiftKeys = 0x3;  // either Shift key

void Qz__TellApplication(uint32_t value) {
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base && base->application) Qz_DoNotify(base->application, kToolDragging, value);
}

// Layer-pixel points along the shape's preview, joined in order.
std::vector<int32_t> Qz__PreviewPoints(const ShapeDrag& d, Shape shape) {
  const int32_t x = d.startX, y = d.startY;
  switch (shape) {
    case Shape::Line: return {x, y, x + d.extent.dx, y + d.extent.dy};
    case Shape::Rectangle: return rectangleCorners(x, y, d.extent);
    case Shape::Ellipse: return ellipseOutline(x, y, d.extent.dx, d.extent.dy);
    case Shape::Curve:
    case Shape::Polygon: break;
  }
  return {};
}

// Draws the preview, or takes it away: complement mode, so twice is nothing.
void Qz__Preview(const ShapeDrag& d, Shape shape, Qz_Image* image, Qz_Image* layer) {
  if (shape != Shape::Rectangle) return drawLayerBands(image, layer, Qz__PreviewPoints(d, shape));
  Qz_Object* view = Qz_CurrentViewOf(image);
  const auto* box = reinterpret_cast<const Qz_LayoutBox*>(Qz_DoMethod(view, kRootGetLayoutBox));
  Qz_DrawInfo* info = view && box ? Qz_LockDrawInfo(view) : nullptr;
  if (!info) return;
  const BandBox band{box->left, box->top, box->left + box->width - 1, box->top + box->height - 1};
  std::vector<int32_t> p = Qz__PreviewPoints(d, shape);
  for (size_t i = 0; i < p.size(); i += 2) p[i] = LayerToWindowX(layer, p[i]), p[i + 1] = LayerToWindowY(layer, p[i + 1]);
  if (p[0] != p[2] && p[1] != p[5]) {
    // Four runs that share no pixel: top, right, bottom, left.
    drawRubberBand(info->rastPort, band, p[0], p[1], p[2] - 1, p[1]);
    drawRubberBand(info->rastPort, band, p[2], p[1], p[2], p[5] - 1);
    drawRubberBand(info->rastPort, band, p[2], p[5], p[0] + 1, p[5]);
    drawRubberBand(info->rastPort, band, p[0], p[5], p[0], p[1] + 1);
  } else {
    drawRubberBand(info->rastPort, band, p[0], p[1], p[4], p[5]);
  }
  Qz_UnlockDrawInfo(view);
}

Extent Qz__Extent(const ShapeDrag& d, Shape shape, const Qz_InputEvent* e, int32_t lx, int32_t ly) {
  Extent x{lx - d.startX, ly - d.startY};
  if (e->qualifier & kShiftKeys) x = shape == Shape::Line ? lineExtent(x) : squareExtent(x);
  return x;
}

void Qz__End(ShapeDrag& d) {
  d.pressed = 0;
  if (d.window) Qz_UngrabMousePointer(d.window);
  d.window = nullptr;
}

void Qz__Finish(ShapeDrag& d, Shape shape, Qz_Object* tool, uint32_t strokeFlags, Qz_Image* layer) {
  const uint32_t button = uint32_t(d.pressed);
  const std::vector<int32_t> points = Qz__PreviewPoints(d, shape);
  Qz__End(d);
  drawShape(tool, button, strokeFlags, layer, points);
}

}  // namespace

QzWord shapeDragInput(ShapeDrag& d, Shape shape, Qz_Object* tool, uint32_t strokeFlags, Qz_Image* image,
                      const Qz_InputEvent* e) {
  Qz_Image* layer = image && e ? image->activeLayer : nullptr;
  if (!layer) return 2;
  const int32_t lx = Qz_ToolWindowToLayerX(layer, e->mouseX), ly = Qz_ToolWindowToLayerY(layer, e->mouseY);
  if (e->cls == IDCMP_MOUSEMOVE && d.pressed) {
    Qz__Preview(d, shape, image, layer);
    d.extent = Qz__Extent(d, shape, e, lx, ly);
    if (shape == Shape::Ellipse) {
      if (d.extent.dx == 0) d.extent.dx = 1;
      if (d.extent.dy == 0) d.extent.dy = 1;
    }
    Qz__Preview(d, shape, image, layer);
    return 2;
  }
  if (e->cls != IDCMP_MOUSEBUTTONS) return 2;
  const bool press = e->code == SELECTDOWN || e->code == MENUDOWN;
  const bool release = e->code == SELECTUP || e->code == MENUUP;
  if (press && d.pressed) {
    if ((e->code == MENUDOWN) != (d.pressed == 2)) {  // the other button: cancel
      Qz__Preview(d, shape, image, layer);
      Qz__TellApplication(0);
      Qz__End(d);
      return 1;
    }
    return 2;
  }
  if (press && Qz_IsCoordOverObject(Qz_CurrentViewOf(image), e->mouseX, e->mouseY)) {
    d.window = e->window;
    if (d.window) Qz_GrabMousePointer(d.window);
    d.pressed = e->code == SELECTDOWN ? 1 : 2;
    d.startX = lx, d.startY = ly;
    d.extent = {1, 1};
    Qz__Preview(d, shape, image, layer);
    Qz__TellApplication(1);
    return 2;
  }
  if (release && d.pressed) {
    Qz__TellApplication(0);
    Qz__Preview(d, shape, image, layer);
    d.extent = Qz__Extent(d, shape, e, lx, ly);
    Qz__Finish(d, shape, tool, strokeFlags, layer);
  }
  return 2;
}

}  // namespace qz::tools
