// Mirroring reads the old planes the resize keeps and writes the new ones,
// so no pixel is resampled and the planes change under the image's
// exclusive lock.
#include <algorithm>
#include <cstring>

#include "image/qz_mirror.h"
#include "image/resize_planes.h"

namespace {

struct Directions {
  bool across, down;
};

void Qz__MirrorPlane(Qz_Plane src, Qz_Plane dst, int32_t width, int32_t height, Directions d) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = src[d.down ? height - 1 - y : y];
    if (d.across) std::reverse_copy(in, in + width, dst[y]);
    else std::memcpy(dst[y], in, size_t(width));
  }
}

bool Qz__MirrorOne(Qz_Image* image, Directions d) {
  const int32_t w = image->width, h = image->height;
  if (!Qz_BeginNewImageSize(image, w, h)) return false;
  qz::forEachPlane(qz::sourcePlanes(image), qz::mainPlanes(image), [&](Qz_Plane in, Qz_Plane out) {
    Qz__MirrorPlane(in, out, w, h, d);
    return true;
  });
  if (!Qz_EndNewImageSize(image, w, h)) return false;
  qz::markPixelsMoved(image);
  return true;
}

int16_t Qz__Offset(int64_t at) { return int16_t(std::clamp<int64_t>(at, INT16_MIN, INT16_MAX)); }

// The layer's rectangle mirrors about its owner's centre, so its pixels
// stay over the same pixels of its owner.
void Qz__MirrorPlace(Qz_Image* layer, int32_t ownerWidth, int32_t ownerHeight, Directions d) {
  Qz_Placement& p = layer->placement;
  if (d.across) p.layerX = Qz__Offset(int64_t(ownerWidth) - p.layerX - layer->width);
  if (d.down) p.layerY = Qz__Offset(int64_t(ownerHeight) - p.layerY - layer->height);
}

// The image with its mask and, when asked, its layers; an image layer's own
// layers always go with it.
bool Qz__MirrorTree(Qz_Image* image, Directions d, bool withLayers) {
  if (image->inner && !Qz__MirrorOne(image->inner, d)) return false;
  if (!Qz__MirrorOne(image, d)) return false;
  if (!withLayers && image->type != kQzImageLayer) return true;
  for (Qz_Image* layer = first_layer(image); layer; layer = next_layer(layer)) {
    layer->notifySuspend.fetch_add(1);
    const bool ok = Qz__MirrorTree(layer, d, true);
    layer->notifySuspend.fetch_sub(1);
    if (!ok) return false;
    Qz__MirrorPlace(layer, image->width, image->height, d);
  }
  return true;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz__MirrorImage(Qz_Image* image, uint32_t flags) {
  if (!image || image->width <= 0 || image->height <= 0) return 0;
  const Directions d{(flags & kQzFlipHorizontally) != 0, (flags & kQzFlipVertically) != 0};
  if (!d.across && !d.down) return 1;
  return Qz__MirrorTree(image, d, (flags & kQzFlipLayers) != 0) ? 1 : 0;
}

QZ_EXTERN_C_END
