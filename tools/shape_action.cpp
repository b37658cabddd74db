#include "tools/shape_action.h"

#include "actions/qz_actions.h"

namespace qz::tools {

Qz_Object* newShapeAction(Qz_Object* tool, uint32_t button, uint32_t strokeFlags) {
  return Qz_CreateObject("RootAction", kActionSetTool, tool, kActionSetQualifier, button, kActionSetFlags,
                         strokeFlags, 0u);
}

void giveShapePoint(Qz_Object* action, int32_t x, int32_t y) {
  Qz_DoMethod(action, kActionStartPoints, kActionSetX, uint32_t(x), kActionSetY, uint32_t(y), 0u);
}

void commitShapeAction(Qz_Object* action, Qz_Image* layer) {
  if (!action) return;
  Qz_DoMethod(action, kActionRecomputeBounds);
  if (!Qz_AddLayerAction(layer, action, 0)) {
    Qz_DisposeObject(action);
    return;
  }
  Qz_DoMethod(action, kActionApply);
}

bool drawShape(Qz_Object* tool, uint32_t button, uint32_t strokeFlags, Qz_Image* layer,
               const std::vector<int32_t>& points) {
  Qz_Object* action = newShapeAction(tool, button, strokeFlags);
  if (!action) return false;
  for (size_t i = 0; i + 1 < points.size(); i += 2) giveShapePoint(action, points[i], points[i + 1]);
  commitShapeAction(action, layer);
  return true;
}

}  // namespace qz::tools
