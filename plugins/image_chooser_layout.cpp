#include "plugins/image_chooser_layout.h"

namespace qz::plugins {

int32_t chooserColumns(int32_t count, int32_t availableWidth, int32_t iconWidth) {
  int32_t n = count < 1 ? 1 : count;
  // 64-bit: a huge count times the icon width must not wrap.
  while (n > 1 && int64_t(n) * iconWidth > availableWidth) n = (n + 1) / 2;
  return n;
}

int32_t chooserRoom(int32_t screenWidth, int32_t panelWindowWidth) { return screenWidth - 60 - panelWindowWidth; }

}  // namespace qz::plugins
