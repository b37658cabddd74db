#include "app/icon_geometry.h"

#include <algorithm>

namespace qz::app {

ThumbnailSize thumbnailSize(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight) {
  ThumbnailSize size{boxWidth, boxHeight};
  if (width <= 0 || height <= 0) return size;
  if (width > height)
    size.height = int32_t(std::min<int64_t>(boxHeight, int64_t(boxWidth) * height / width));
  else
    size.width = int32_t(std::min<int64_t>(boxWidth, int64_t(boxHeight) * width / height));
  size.width = std::max(size.width, 1);
  size.height = std::max(size.height, 1);
  return size;
}

int32_t popUpRowLength(int32_t count, int32_t availableHeight, int32_t iconSize) {
  int32_t n = std::max(count, 0);
  // Stops at one: on a screen too small for even one icon the loop would never end.
  while (n > 1 && int64_t(iconSize) * n > availableHeight) n = (n + 1) / 2;
  return n;
}

}  // namespace qz::app
