// Sizes for the image icons: the thumbnail of an image inside the icon box,
// and how many icons fit in one row of the pop-up grid.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

namespace qz::app {

struct ThumbnailSize {
  int32_t width, height;
};

// The thumbnail of a width x height image in a boxWidth x boxHeight box: the
// longer side fills the box, the shorter is scaled (at least 1 pixel).
QZ_EXPORT ThumbnailSize thumbnailSize(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight);

// Icons per row of the pop-up grid for `count` icons of iconSize pixels when
// availableHeight pixels are free: halved until a column fits, never below
// 1. 0 for no icons.
QZ_EXPORT int32_t popUpRowLength(int32_t count, int32_t availableHeight, int32_t iconSize = 64);

}  // namespace qz::app
