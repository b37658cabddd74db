// The menu bar's part in the window procedures (callers hold the compose lock).
#pragma once

#include <cstdint>

#include "host/raster/pixel_buffer.h"

namespace qz::win {

enum class MenuInput { Move, Press, Release };

// Pointer input at a desktop point (y below 0: on the strip above the
// desktop). *consumed says whether the menus took it; the answer is the id of
// an item picked (0 for none), to be posted once the locks are released.
uint16_t menuPointer(int x, int y, MenuInput input, bool* consumed);
// Keys while a drop-down is open are the menus' (Escape closes); true when taken.
bool menuKey(uint16_t vk, bool down);
// The strip is drawn again at the next composition.
void markMenuStripDirty();
// Draws the open drop-downs over the composed desktop.
void composeMenus(raster::PixelBuffer& out, const raster::IntRect& area);

}  // namespace qz::win
