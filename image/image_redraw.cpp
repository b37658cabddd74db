// Redraw entry points: an image's or a layer's rectangle goes to the
// document's view. Drawing into the view is the view's own work, reached
// through the redrawImageView hook.
#include "image/image_internal.h"

namespace {

// Adds the offsets of a layer and of every image layer holding it, and
// returns the document that shows it.
Qz_Image* Qz__ToDocument(Qz_Image* layer, int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1) {
  Qz_Image* image = layer;
  for (int guard = 0; image && image->type != kQzDocument && image->parent && guard < 64; ++guard) {
    x0 += image->placement.layerX;
    x1 += image->placement.layerX;
    y0 += image->placement.layerY;
    y1 += image->placement.layerY;
    image = image->parent;
  }
  return image;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz_RedrawImageView(Qz_Object* view, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!view) return;
  if (auto* redraw = Qz_GetImageHooks()->redrawImageView) redraw(view, x0, y0, x1, y1);
}

QZ_EXPORT void Qz_RedrawImage(Qz_Image* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  Qz_Object* view = image ? Qz_CurrentViewOf(image) : nullptr;
  if (!view || image->state.load() == kQzImageReleased) return;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image->width - 1);
  y1 = std::min(y1, image->height - 1);
  if (x0 > x1 || y0 > y1) return;
  Qz_RedrawImageView(view, x0, y0, x1, y1);
}

QZ_EXPORT void Qz_FullRedrawImage(Qz_Image* image) {
  if (image) Qz_RedrawImage(image, 0, 0, image->width - 1, image->height - 1);
}

QZ_EXPORT void Qz_RedrawLayer(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!layer) return;
  if (Qz_Image* document = Qz__ToDocument(layer, x0, y0, x1, y1))
    Qz_RedrawImage(document, x0, y0, x1, y1);
}

QZ_EXPORT void Qz_FullRedrawLayer(Qz_Image* layer) {
  if (layer) Qz_RedrawLayer(layer, 0, 0, layer->width - 1, layer->height - 1);
}

QZ_EXPORT void Qz_RedrawLayerChanges(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1,
                                     int32_t y1) {
  Qz_RedrawLayer(layer, x0, y0, x1, y1);
}

QZ_EXPORT void Qz_FullRedrawLayerChanges(Qz_Image* layer) { Qz_FullRedrawLayer(layer); }

QZ_EXTERN_C_END
