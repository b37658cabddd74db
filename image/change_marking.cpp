// Change marking: a layer's per-row change spans grow, the image's change
// counts rise, and listeners hear of the change through the image's change
// notice (kind, image, rectangle).
#include "image/image_internal.h"

namespace {

void Qz__Notice(Qz_Image* image, uint32_t kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  Qz_DoNotify(qz::imageObject(image), kQzImageChanged, kind, image, x0, y0, x1, y1, 0, 0);
}

bool Qz__NoticesSuspended(const Qz_Image* image) { return image->notifySuspend.load() >= 1; }

// Clamps the rectangle to the image; false when nothing is left.
bool Qz__ClampToImage(const Qz_Image* image, int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image->width - 1);
  y1 = std::min(y1, image->height - 1);
  return x0 <= x1 && y0 <= y1;
}

}  // namespace

namespace qz {

void markRecomposited(Qz_Image* document, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!document) return;
  noteShownChange(document);
  if (!Qz__NoticesSuspended(document) && Qz__ClampToImage(document, x0, y0, x1, y1))
    Qz__Notice(document, kQzChangeRect, x0, y0, x1, y1);
}

}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz_ModifiedLayer(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!image) return;
  Qz_NoteImageChange(image);
  if (!image->spanLeast || !image->spanGreatest) return;
  if (image->width <= 0 || image->height <= 0) return;
  // A rectangle wholly outside the layer changes nothing (clamping it would
  // mark the edge row or column).
  if (x1 < x0 || y1 < y0 || x1 < 0 || y1 < 0 || x0 >= image->width || y0 >= image->height) return;
  Qz__ClampToImage(image, x0, y0, x1, y1);
  for (int32_t y = y0; y <= y1; ++y) {
    image->spanLeast[y] = std::min(image->spanLeast[y], x0);
    image->spanGreatest[y] = std::max(image->spanGreatest[y], x1);
  }
}

QZ_EXPORT void Qz_ModifiedImageData(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1,
                                    int32_t y1) {
  if (!image) return;
  // Counted also while notices are held: a replay's pixels change all the same.
  Qz_NoteImageChange(image);
  if (Qz__NoticesSuspended(image) || !Qz__ClampToImage(image, x0, y0, x1, y1)) return;
  if (image->type != kQzDocument) Qz_ModifiedLayer(image, x0, y0, x1, y1);
  Qz__Notice(image, kQzChangeRect, x0, y0, x1, y1);
}

QZ_EXPORT void Qz_ModifiedAllImageData(Qz_Image* image) {
  if (!image) return;
  Qz_NoteImageChange(image);
  if (Qz__NoticesSuspended(image) || image->width <= 0 || image->height <= 0) return;
  if (image->type != kQzDocument)
    Qz_ModifiedLayer(image, 0, 0, image->width - 1, image->height - 1);
  Qz__Notice(image, kQzChangeAll, 0, 0, image->width - 1, image->height - 1);
}

QZ_EXPORT void Qz_ModifiedImageFormat(Qz_Image* image) {
  if (!image) return;
  Qz_NoteImageChange(image);
  if (Qz__NoticesSuspended(image)) return;
  Qz__Notice(image, kQzChangeFormat, 0, 0, image->width - 1, image->height - 1);
}

QZ_EXPORT void Qz_NoteImageChange(Qz_Image* image) {
  if (!image) return;
  // Ordered after the change itself: a count read before a fetch that saw
  // the old pixels is then lower than the one read next time.
  image->ownChanges.fetch_add(1, std::memory_order_acq_rel);
  image->shownChanges.fetch_add(1, std::memory_order_acq_rel);
}

QZ_EXPORT int32_t Qz_LayerNeedsFixing(Qz_Image* layer) {
  if (!layer) return 0;
  layer->needsFixing.fetch_add(1);
  const int32_t autoRedo = Qz_GetImageBase()->autoRedo.load();
  if (autoRedo) {
    Qz_RedoLayerChanges(layer);
    return autoRedo;
  }
  if (layer->type == kQzPaintLayer && prev_layer(layer)) {
    Qz_RedoLayerChanges(layer);
    return 1;
  }
  return autoRedo;
}

QZ_EXPORT QzWord Qz_RedoLayerChanges(Qz_Image* layer) {
  if (!layer || !layer->parent) return 0;
  return Qz_DoMethod(qz::imageObject(layer->parent), kQzImageRerender);
}

QZ_EXPORT QzWord Qz_FixLayerChanges(Qz_Image* layer) {
  if (!layer || !layer->parent) return 0;
  return Qz_DoMethod(qz::imageObject(layer->parent), kQzImageFix);
}

QZ_EXTERN_C_END
