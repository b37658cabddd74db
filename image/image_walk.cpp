// Walkers over layer lists and the document list, and the conversions
// between image, layer, view and window coordinates (with grid snapping).
#include "image/image_internal.h"

namespace {

Qz_Image* Qz__ImageOfNode(Node* node) {
  // The list's own tail word stands as the end sentinel (its successor is null).
  if (!node || !node->ln_Succ) return nullptr;
  return reinterpret_cast<Qz_ImageNode*>(node)->image;
}

Qz_Image* Qz__FirstOf(List* list) { return Qz__ImageOfNode(list->lh_Head); }

Qz_Image* Qz__LastOf(List* list) {
  Node* last = list->lh_TailPred;
  // An empty list's tail-predecessor is the list itself.
  if (!last || last == reinterpret_cast<Node*>(list)) return nullptr;
  return reinterpret_cast<Qz_ImageNode*>(last)->image;
}

Qz_Image* Qz__Next(Qz_Image* image) {
  if (!image) return nullptr;
  Node* succ = image->listNode.node.ln_Succ;
  return succ ? Qz__ImageOfNode(succ) : nullptr;
}

Qz_Image* Qz__Prev(Qz_Image* image) {
  if (!image) return nullptr;
  Node* pred = image->listNode.node.ln_Pred;
  // At the head the predecessor is the list header, whose own predecessor
  // word (the list's tail, always null) marks it.
  if (!pred || !pred->ln_Pred) return nullptr;
  return reinterpret_cast<Qz_ImageNode*>(pred)->image;
}

struct ViewGeometry {
  Qz_Image* image = nullptr;
  int32_t width = 0, height = 0, offsetX = 0, offsetY = 0;
};

bool Qz__ViewGeometry(Qz_Object* view, ViewGeometry& geometry) {
  auto* query = Qz_GetImageHooks()->viewGeometry;
  if (!view || !query) return false;
  if (!query(view, &geometry.image, &geometry.width, &geometry.height, &geometry.offsetX,
             &geometry.offsetY))
    return false;
  return geometry.image != nullptr;
}

// c * numerator / denominator + offset in 64 bits, 0 for a zero denominator.
int32_t Qz__Scale(int64_t c, int64_t numerator, int64_t denominator, int64_t offset) {
  if (denominator == 0) return 0;
  return int32_t(c * numerator / denominator + offset);
}

int32_t Qz__ToView(Qz_Object* view, int32_t c, bool vertical) {
  ViewGeometry g;
  if (!Qz__ViewGeometry(view, g)) return 0;
  return vertical ? Qz__Scale(c, g.height, g.image->height, g.offsetY)
                  : Qz__Scale(c, g.width, g.image->width, g.offsetX);
}

int32_t Qz__FromView(Qz_Object* view, int32_t c, bool vertical) {
  ViewGeometry g;
  if (!Qz__ViewGeometry(view, g)) return 0;
  return vertical ? Qz__Scale(int64_t(c) - g.offsetY, g.image->height, g.height, 0)
                  : Qz__Scale(int64_t(c) - g.offsetX, g.image->width, g.width, 0);
}

Qz_Object* Qz__ViewOf(Qz_Image* image) { return image ? Qz_CurrentViewOf(image) : nullptr; }

Qz_Object* Qz__DocumentViewOf(Qz_Image* layer) {
  if (!layer) return nullptr;
  Qz_Image* document = layer->document ? layer->document : qz::topDocument(layer);
  return document ? Qz_CurrentViewOf(document) : nullptr;
}

int32_t Qz__SnapX(int32_t c) {
  Qz_ImageBase* base = Qz_GetImageBase();
  return base->gridOn.load() ? Qz_SnapToGrid(c, base->gridWidth.load(), base->gridX.load()) : c;
}

int32_t Qz__SnapY(int32_t c) {
  Qz_ImageBase* base = Qz_GetImageBase();
  return base->gridOn.load() ? Qz_SnapToGrid(c, base->gridHeight.load(), base->gridY.load()) : c;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT Qz_Image* first_layer(Qz_Image* image) { return image ? Qz__FirstOf(&image->layers) : nullptr; }
QZ_EXPORT Qz_Image* last_layer(Qz_Image* image) { return image ? Qz__LastOf(&image->layers) : nullptr; }
QZ_EXPORT Qz_Image* next_layer(Qz_Image* layer) { return Qz__Next(layer); }
QZ_EXPORT Qz_Image* prev_layer(Qz_Image* layer) { return Qz__Prev(layer); }
QZ_EXPORT Qz_Image* first_image(Qz_ImageBase* base) { return base ? Qz__FirstOf(&base->documents) : nullptr; }
QZ_EXPORT Qz_Image* last_image(Qz_ImageBase* base) { return base ? Qz__LastOf(&base->documents) : nullptr; }
QZ_EXPORT Qz_Image* next_image(Qz_Image* image) { return Qz__Next(image); }
QZ_EXPORT Qz_Image* prev_image(Qz_Image* image) { return Qz__Prev(image); }

QZ_EXPORT int32_t ImageToImageViewX(Qz_Object* view, int32_t c) { return Qz__ToView(view, c, false); }
QZ_EXPORT int32_t ImageToImageViewY(Qz_Object* view, int32_t c) { return Qz__ToView(view, c, true); }
QZ_EXPORT int32_t ImageViewToImageX(Qz_Object* view, int32_t c) { return Qz__FromView(view, c, false); }
QZ_EXPORT int32_t ImageViewToImageY(Qz_Object* view, int32_t c) { return Qz__FromView(view, c, true); }

QZ_EXPORT int32_t ImageToWindowX(Qz_Image* image, int32_t c) { return Qz__ToView(Qz__ViewOf(image), c, false); }
QZ_EXPORT int32_t ImageToWindowY(Qz_Image* image, int32_t c) { return Qz__ToView(Qz__ViewOf(image), c, true); }
QZ_EXPORT int32_t WindowToImageX(Qz_Image* image, int32_t c) { return Qz__FromView(Qz__ViewOf(image), c, false); }
QZ_EXPORT int32_t WindowToImageY(Qz_Image* image, int32_t c) { return Qz__FromView(Qz__ViewOf(image), c, true); }

QZ_EXPORT int32_t LayerToWindowX(Qz_Image* layer, int32_t c) {
  return layer ? Qz__ToView(Qz__DocumentViewOf(layer), c + layer->placement.layerX, false) : 0;
}
QZ_EXPORT int32_t LayerToWindowY(Qz_Image* layer, int32_t c) {
  return layer ? Qz__ToView(Qz__DocumentViewOf(layer), c + layer->placement.layerY, true) : 0;
}
QZ_EXPORT int32_t WindowToLayerX(Qz_Image* layer, int32_t c) {
  return layer ? Qz__FromView(Qz__DocumentViewOf(layer), c, false) - layer->placement.layerX : 0;
}
QZ_EXPORT int32_t WindowToLayerY(Qz_Image* layer, int32_t c) {
  return layer ? Qz__FromView(Qz__DocumentViewOf(layer), c, true) - layer->placement.layerY : 0;
}

QZ_EXPORT int32_t Qz_ToolWindowToImageX(Qz_Image* image, int32_t c) { return Qz__SnapX(WindowToImageX(image, c)); }
QZ_EXPORT int32_t Qz_ToolWindowToImageY(Qz_Image* image, int32_t c) { return Qz__SnapY(WindowToImageY(image, c)); }
QZ_EXPORT int32_t Qz_ToolWindowToLayerX(Qz_Image* layer, int32_t c) { return Qz__SnapX(WindowToLayerX(layer, c)); }
QZ_EXPORT int32_t Qz_ToolWindowToLayerY(Qz_Image* layer, int32_t c) { return Qz__SnapY(WindowToLayerY(layer, c)); }

// Floor division and modulo, so negative coordinates snap to the nearest
// line as positive ones do (truncation would pull them towards 0).
QZ_EXPORT int32_t Qz_SnapToGrid(int32_t c, int32_t grid, int32_t offset) {
  if (grid <= 0) return c;
  const int64_t shifted = int64_t(c) + offset;
  int64_t cell = shifted / grid, rest = shifted % grid;
  if (rest < 0) {
    rest += grid;
    --cell;
  }
  int64_t v = cell * grid - offset;
  if (rest >= grid / 2) v += grid;
  return int32_t(v);
}

QZ_EXTERN_C_END
