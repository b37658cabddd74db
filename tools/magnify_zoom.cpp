#include "tools/magnify_zoom.h"

#include <algorithm>
#include <cstdlib>

namespace qz::tools {

MagnifyStep magnifyStep(const MagnifyStart& s, int32_t travelX, int32_t travelY, int32_t visibleWidth,
                        int32_t visibleHeight) {
  const int64_t imageWidth = std::max(s.imageWidth, 1), imageHeight = std::max(s.imageHeight, 1);
  int64_t d = kMagnifyPixelsPerTravel * (std::llabs(travelX) + std::llabs(travelY));
  if (travelX < 0) d = -d;
  const int64_t width = std::clamp<int64_t>(int64_t(s.viewWidth) + d, 1, 8 * imageWidth);
  int64_t zoom = width * 100 / imageWidth;
  zoom = std::max<int64_t>(zoom, std::min(s.zoom, s.fitZoom));
  zoom = std::min<int64_t>(zoom, kMagnifyMaxZoom);
  // The view's size at that zoom, rounded as the view rounds it, so the
  // anchor lands in the middle even where the zoom was clamped.
  const int64_t zoomedWidth = (imageWidth * zoom + 99) / 100, zoomedHeight = imageHeight * zoom / 100;
  const int64_t anchorX = std::clamp<int64_t>(s.anchorX, 0, imageWidth - 1);
  const int64_t anchorY = std::clamp<int64_t>(s.anchorY, 0, imageHeight - 1);
  const int64_t ox = anchorX * zoomedWidth / imageWidth - std::max(visibleWidth, 0) / 2;
  const int64_t oy = anchorY * zoomedHeight / imageHeight - std::max(visibleHeight, 0) / 2;
  return {uint32_t(zoom), int32_t(std::clamp<int64_t>(ox, 0, INT32_MAX)),
          int32_t(std::clamp<int64_t>(oy, 0, INT32_MAX))};
}

}  // namespace qz::tools
