#include "tools/point_action_edit.h"

#include <algorithm>
#include <cstdlib>

#include "actions/action_internal.h"

namespace qz::tools {

using namespace qz::actions;

Qz_Object* selectedAction(Qz_Image* image) {
  Qz_Image* document = owningDocument(image);
  Qz_Image* layer = document ? document->activeLayer : nullptr;
  return layer ? layer->currentAction : nullptr;
}

Qz_Object* selectedActionOf(Qz_Image* image, uint32_t classId) {
  Qz_Object* action = selectedAction(image);
  return classIdOf(action) == classId ? action : nullptr;
}

std::vector<HandlePoint> actionPoints(Qz_Object* action) {
  std::vector<HandlePoint> out;
  auto* list = action ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(action, kActionGetPoints)) : nullptr;
  for (Qz_Object* p = list ? listFirst(list) : nullptr; p; p = listOlder(list, p))
    out.push_back({int32_t(Qz_DoMethod(p, kActionGetX)), int32_t(Qz_DoMethod(p, kActionGetY))});
  return out;
}

void setActionPoints(Qz_Object* action, std::span<const HandlePoint> points) {
  auto* list = action ? reinterpret_cast<Qz_Object*>(Qz_DoMethod(action, kActionGetPoints)) : nullptr;
  size_t i = 0;
  for (Qz_Object* p = list ? listFirst(list) : nullptr; p && i < points.size(); p = listOlder(list, p), ++i) {
    Qz_DoMethod(p, kActionSetX, uint32_t(points[i].x));
    Qz_DoMethod(p, kActionSetY, uint32_t(points[i].y));
  }
}

PointBox boxOfCorners(std::span<const HandlePoint> points) {
  if (points.size() < 3) return {};
  const HandlePoint a = points[0], c = points[2];
  return {std::min(a.x, c.x), std::min(a.y, c.y), std::abs(c.x - a.x), std::abs(c.y - a.y)};
}

std::vector<HandlePoint> cornersOf(int32_t x, int32_t y, int32_t width, int32_t height) {
  return {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
}

Qz_Object* makeCornerAction(const char* className, Qz_Object* tool, const PointBox& box) {
  Qz_Object* action = Qz_CreateObject(className, kActionSetTool, tool, 0u);
  if (!action) return nullptr;
  for (const HandlePoint& p : cornersOf(box.x, box.y, box.width, box.height))
    Qz_DoMethod(action, kActionStartPoints, kActionSetX, uint32_t(p.x), kActionSetY, uint32_t(p.y), 0u);
  return action;
}

void beginActionChange(Qz_Object* action) { Qz_DoMethod(action, kActionHideHandles); }

void endActionChange(Qz_Object* action, bool replay) {
  Qz_DoMethod(action, kActionRecomputeBounds);
  if (replay) Qz_RedoAllLayerActions(layerOf(action));
  Qz_DoMethod(action, kActionShowHandles);
}

int32_t handleSize(Qz_Image* image, Qz_Image* layer, bool imageCoordinates) {
  constexpr int32_t kSpan = 2 * kHandleHalfSize + 1;
  if (imageCoordinates || !layer) return WindowToImageX(image, kSpan) + 1 - WindowToImageX(image, 0);
  return WindowToLayerX(layer, kSpan) + 1 - WindowToLayerX(layer, 0);
}

}  // namespace qz::tools
