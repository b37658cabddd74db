// The arithmetic of the image control panel's alpha and secondary choosers.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::plugins {

// Columns of a chooser offering count entries: halved (rounding up) while
// count x iconWidth is wider than the room, never below one column (a room
// narrower than one icon, or none at all, gives one).
QZ_EXPORT int32_t chooserColumns(int32_t count, int32_t availableWidth, int32_t iconWidth);

// The room a chooser has: the screen's width less 60 and the panel window's width.
QZ_EXPORT int32_t chooserRoom(int32_t screenWidth, int32_t panelWindowWidth);

}  // namespace qz::plugins
