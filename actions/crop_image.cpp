#include "actions/crop_image.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "image/image_internal.h"

namespace qz::actions {
namespace {

// The old planes while a resize is under way: a paint layer keeps them as its
// undo planes, a document or image layer in its stash.
struct OldPlanes {
  Qz_Plane planes[4];  // r, g, b, grey
};

OldPlanes Qz__OldPlanes(const Qz_Image* image) {
  if (image->type == kQzPaintLayer) return {{image->undoR, image->undoG, image->undoB, image->undoGrey}};
  return {{image->resizeStash[0], image->resizeStash[1], image->resizeStash[2], image->resizeStash[3]}};
}

// The document's background, which the composite is rebuilt from, stays in
// its undo planes until the resize ends; without one its old composite serves.
OldPlanes Qz__Source(const Qz_Image* image) {
  if (image->type == kQzDocument && image->undoR && image->undoG && image->undoB)
    return {{image->undoR, image->undoG, image->undoB, image->undoGrey}};
  return Qz__OldPlanes(image);
}

bool Qz__Resize(Qz_Image* image, int32_t x, int32_t y, int32_t width, int32_t height) {
  const int32_t oldWidth = image->width, oldHeight = image->height;
  if (!Qz_BeginNewImageSize(image, width, height)) return false;
  const OldPlanes source = Qz__Source(image);
  const Qz_Plane target[4] = {image->r, image->g, image->b, image->grey};
  const int32_t x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int32_t x1 = int32_t(std::min<int64_t>(int64_t(x) + width, oldWidth) - 1);
  const int32_t y1 = int32_t(std::min<int64_t>(int64_t(y) + height, oldHeight) - 1);
  for (int i = 0; i < 4; ++i)
    if (target[i] && source.planes[i] && x0 <= x1 && y0 <= y1)
      Qz__CopyPlaneRect(target[i], width, height, source.planes[i], oldWidth, oldHeight, x0, y0, x1, y1, x0 - x,
                        y0 - y);
  return Qz_EndNewImageSize(image, width, height) != 0;
}

void Qz__FillOutside(Qz_Plane plane, int32_t width, int32_t height, int32_t left, int32_t top, int32_t right,
                     int32_t bottom, uint8_t value) {
  if (!plane) return;
  for (int32_t row = 0; row < height; ++row) {
    uint8_t* p = plane[row];
    if (row < top || row > bottom) {
      std::memset(p, value, size_t(width));
      continue;
    }
    if (left > 0) std::memset(p, value, size_t(std::min(left, width)));
    if (right + 1 < width) std::memset(p + std::max(right + 1, 0), value, size_t(width - std::max(right + 1, 0)));
  }
}

// The margins beyond the old picture, in the planes and the background.
void Qz__FillMargins(Qz_Image* image, int32_t x, int32_t y, int32_t oldWidth, int32_t oldHeight, uint32_t fill) {
  const int32_t left = -x, top = -y;
  const int32_t right = int32_t(std::clamp<int64_t>(int64_t(left) + oldWidth - 1, -1, image->width));
  const int32_t bottom = int32_t(std::clamp<int64_t>(int64_t(top) + oldHeight - 1, -1, image->height));
  const uint8_t bytes[3] = {uint8_t(fill), uint8_t(fill >> 8), uint8_t(fill >> 16)};
  const Qz_Plane planes[6] = {image->r, image->g, image->b, image->undoR, image->undoG, image->undoB};
  for (int i = 0; i < 6; ++i)
    Qz__FillOutside(planes[i], image->width, image->height, left, top, right, bottom, bytes[i % 3]);
}

int16_t Qz__Offset(int32_t value) {
  return int16_t(std::clamp<int32_t>(value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

}  // namespace

bool cropOrEnlarge(Qz_Image* image, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t fill) {
  if (!image || width < 1 || height < 1) return false;
  const int32_t oldWidth = image->width, oldHeight = image->height;
  if (!Qz__Resize(image, x, y, width, height)) return false;
  if (fill != 0 && image->depth == 24) Qz__FillMargins(image, x, y, oldWidth, oldHeight, fill);
  for (Qz_Image* layer = first_layer(image); layer; layer = next_layer(layer)) {
    if (layer->type == kQzPaintLayer) {
      // Over the same area of the document as the document itself, then at its origin.
      const int32_t ox = layer->placement.layerX, oy = layer->placement.layerY;
      if (!Qz__Resize(layer, x - ox, y - oy, width, height)) return false;
      layer->placement.layerX = layer->placement.layerY = 0;
    } else {
      layer->placement.layerX = Qz__Offset(layer->placement.layerX - x);
      layer->placement.layerY = Qz__Offset(layer->placement.layerY - y);
    }
  }
  return true;
}

}  // namespace qz::actions
