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
  return Qz_EndNewImageSize(image, w, h) != 0;
}

// An image layer's mask mirrors with it.
bool Qz__MirrorWithMask(Qz_Image* image, Directions d) {
  if (image->inner && !Qz__MirrorOne(image->inner, d)) return false;
  return Qz__MirrorOne(image, d);
}

int16_t Qz__Offset(int64_t at) { return int16_t(std::clamp<int64_t>(at, INT16_MIN, INT16_MAX)); }

// The layer's rectangle mirrors about the document's centre, so its pixels
// stay over the same document pixels.
void Qz__MirrorPlace(Qz_Image* layer, int32_t docWidth, int32_t docHeight, Directions d) {
  Qz_Placement& p = layer->placement;
  if (d.across) p.layerX = Qz__Offset(int64_t(docWidth) - p.layerX - layer->width);
  if (d.down) p.layerY = Qz__Offset(int64_t(docHeight) - p.layerY - layer->height);
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz__MirrorImage(Qz_Image* image, uint32_t flags) {
  if (!image || image->width <= 0 || image->height <= 0) return 0;
  const Directions d{(flags & kQzFlipHorizontally) != 0, (flags & kQzFlipVertically) != 0};
  if (!d.across && !d.down) return 1;
  if (!Qz__MirrorWithMask(image, d)) return 0;
  if (!(flags & kQzFlipLayers)) return 1;
  for (Qz_Image* layer = first_layer(image); layer; layer = next_layer(layer)) {
    layer->notifySuspend.fetch_add(1);
    const bool ok = Qz__MirrorWithMask(layer, d);
    layer->notifySuspend.fetch_sub(1);
    if (!ok) return 0;
    Qz__MirrorPlace(layer, image->width, image->height, d);
  }
  return 1;
}

QZ_EXTERN_C_END
