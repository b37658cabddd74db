// What every shape tool does with a finished shape: one RootAction holding
// its points, added to the layer's undo list (one undo step) and applied.
#pragma once

#include <cstdint>
#include <vector>

#include "image/qz_image.h"
#include "platform/qz_export.h"

namespace qz::tools {

// A new action for the tool's shape drawn with the button (1 left, 2 right); none on failure.
QZ_EXPORT Qz_Object* newShapeAction(Qz_Object* tool, uint32_t button, uint32_t strokeFlags);
// Gives the action the next point (layer coordinates).
QZ_EXPORT void giveShapePoint(Qz_Object* action, int32_t x, int32_t y);
// Adds the action to the layer and applies it; disposes it when the layer refuses it.
QZ_EXPORT void commitShapeAction(Qz_Object* action, Qz_Image* layer);
// An action with the points (x, y pairs), committed; false when none could be made.
QZ_EXPORT bool drawShape(Qz_Object* tool, uint32_t button, uint32_t strokeFlags, Qz_Image* layer,
                         const std::vector<int32_t>& points);

}  // namespace qz::tools
