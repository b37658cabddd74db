// What the handle editor and the tools that hand it their actions share:
// the selected action of an image, an action's points read and written as
// plain data, and the one bracket every change of an action goes through.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/qz_export.h"

#include "image/qz_image.h"
#include "objects/qz_object.h"
#include "tools/handle_geometry.h"

namespace qz::tools {

// The action last activated on the document's active layer (its handles
// shown), or none.
QZ_EXPORT Qz_Object* selectedAction(Qz_Image* image);
// The selected action when its class id is classId, else none.
QZ_EXPORT Qz_Object* selectedActionOf(Qz_Image* image, uint32_t classId);

QZ_EXPORT std::vector<HandlePoint> actionPoints(Qz_Object* action);
// Writes the first points.size() points of the action (fewer when it has fewer).
QZ_EXPORT void setActionPoints(Qz_Object* action, std::span<const HandlePoint> points);

// x = min, width = |difference| of the first and third points.
struct PointBox {
  int32_t x, y, width, height;
};
QZ_EXPORT PointBox boxOfCorners(std::span<const HandlePoint> points);
// The four corners, clockwise from the top left, of x, y, width, height.
QZ_EXPORT std::vector<HandlePoint> cornersOf(int32_t x, int32_t y, int32_t width, int32_t height);
// A new action of the class with those four corners and the tool as its
// maker; none when it cannot be made.
QZ_EXPORT Qz_Object* makeCornerAction(const char* className, Qz_Object* tool, const PointBox& box);

// Changes an action as the picture expects: its handles hidden (its effect
// taken back), the change, its bounds recomputed, with replay the layer
// rebuilt, then the handles shown again (its effect redone).
template <typename Change>
void changeAction(Qz_Object* action, bool replay, Change&& change);
QZ_EXPORT void beginActionChange(Qz_Object* action);
QZ_EXPORT void endActionChange(Qz_Object* action, bool replay);

template <typename Change>
void changeAction(Qz_Object* action, bool replay, Change&& change) {
  if (!action) return;
  beginActionChange(action);
  change();
  endActionChange(action, replay);
}

// Handle size in the action's units at the view's present zoom: the width
// of 2 * kHandleHalfSize + 1 window pixels, so handles keep their size on screen.
QZ_EXPORT int32_t handleSize(Qz_Image* image, Qz_Image* layer, bool imageCoordinates);

}  // namespace qz::tools
