// The layer list of a document or image layer: linking a layer in (with the
// media settings and paint colour it starts with, and the parent's watch on
// its changes) and out, choosing the active layer, adding a layer made from
// a file, and deleting a layer through an undoable action.
#include <cstring>

#include "actions/qz_actions.h"
#include "image/image_internal.h"
#include "image/unsaved_changes.h"
#include "image/image_shell.h"
#include "image/layer_messages.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"

namespace qz {
namespace {

constexpr uint32_t kAddLayerFromFile = 0x10008c;
constexpr uint32_t kDeleteLayer = 0x100082;
constexpr uint32_t kListTreeClassId = 0x220000;
constexpr uint32_t kListTreeSetSelection = 0x22001e;
constexpr uint32_t kListTreeGetSelection = 0x220028;

Qz_Image* asImage(QzWord word) { return reinterpret_cast<Qz_Image*>(word); }

bool isListedDocument(Qz_ImageBase* base, Qz_Image* image) {
  ObtainSemaphore(&base->semaphore);
  bool found = false;
  for (Node* n = base->documents.lh_Head; n && n->ln_Succ && !found; n = n->ln_Succ)
    found = reinterpret_cast<Qz_ImageNode*>(n)->image == image;
  ReleaseSemaphore(&base->semaphore);
  return found;
}

// The layer that strokes go to when `layer` is made active.
Qz_Image* paintLayerFor(Qz_Image* layer) {
  return layer && layer->type == kQzImageLayer && layer->activeLayer ? layer->activeLayer : layer;
}

// The active layer and the layer strokes go to; an image layer's own choice
// also changes what its parent paints on while it is the parent's active layer.
void setActive(Qz_Image* image, Qz_Image* layer) {
  image->activeLayer = layer;
  image->paintLayer = paintLayerFor(layer);
  if (Qz_Image* parent = image->type == kQzImageLayer ? image->parent : nullptr)
    if (parent->activeLayer == image) parent->paintLayer = paintLayerFor(image);
}

// A layer that already has actions on its document's undo list is coming
// back (undo of its deletion): it keeps the colour and media settings its
// history gives it.
bool hasHistory(Qz_Image* document, Qz_Image* layer) {
  Qz_Object* list = document ? document->undoList : nullptr;
  if (!list) return false;
  for (auto* a = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListFirst)); a;
       a = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kLinkedListNext, a)))
    if (Qz_DoMethod(a, kActionGetLayer) == toWord(layer)) return true;
  return false;
}

void commit(Qz_Image* layer) {
  Qz_DoLayerDoesntNeedsFixing(layer);
}

// A new layer takes the current paint colour, recorded so that a replay of
// the layer comes back to it; committed before and after, so it shows at once.
void recordStartColour(Qz_Image* layer) {
  if (!Qz_FindClassFromName("ColourAction")) return;
  commit(layer);
  const Qz_ImageBase* base = Qz_GetImageBase();
  const uint32_t colour = uint32_t(base->colour[0] & 0xFF) | uint32_t(base->colour[1] & 0xFF) << 8 |
                          uint32_t(base->colour[2] & 0xFF) << 16;
  Qz_Object* action = Qz_CreateObject("ColourAction");
  if (!action) return;
  Qz_DoMethod(action, kColourActionSetRGB, colour);
  Qz_DoMethod(action, kColourActionSetNewRGB, colour);
  if (!Qz_AddLayerAction(layer, action, 0)) {
    Qz_DisposeObject(action);
    return;
  }
  Qz_DoMethod(action, kActionApply);
  commit(layer);
}

void watchLayer(Qz_Image* image, Qz_Image* layer) {
  if (layer->layerWatch) Qz_RemoveNotify(imageObject(layer), layer->layerWatch);
  const uint32_t relay = layer->type == kQzPaintLayer ? kQzImagePaintLayerChanged : kQzImageOtherLayerChanged;
  // kind, layer, x0, y0, x1, y1 of the notice, passed on as they are.
  layer->layerWatch = Qz_AddNotify(imageObject(layer), kQzImageChanged, kNotifyAnyValue,
                                   imageObject(image), 7, relay, kNotifySameWord, kNotifySameWord,
                                   kNotifySameWord, kNotifySameWord, kNotifySameWord,
                                   kNotifySameWord);
}

QzWord linkLayer(Qz_Image* image, Qz_Image* layer) {
  if (!layer || layer == image || !imageIsLive(layer)) return 0;
  if (layer->parent && layer->parent != image && isLinkedIn(layer->parent, layer))
    Qz_DoMethod(imageObject(layer->parent), kQzImageRemoveLayer, layer);
  if (!Qz_LockImageA(image, kQzLockExclusive, nullptr)) return 0;
  Remove(&layer->listNode.node);
  layer->listNode.image = layer;
  Qz_Image* active = image->activeLayer;
  Qz_Image* activeParent = active ? active->parent : nullptr;
  if (!active || active == layer)
    AddTail(&image->layers, &layer->listNode.node);
  else if (activeParent && activeParent->type == kQzImageLayer && activeParent->parent == image)
    Insert(&image->layers, &layer->listNode.node, &activeParent->listNode.node);
  else if (activeParent == image)
    Insert(&image->layers, &layer->listNode.node, &active->listNode.node);
  else
    AddTail(&image->layers, &layer->listNode.node);
  layer->parent = image;
  layer->visible = 1;
  if (!layer->document) layer->document = topDocument(image);
  setActive(image, layer);
  noteShownChange(image);
  Qz_NoteImageChange(layer);
  Qz_NoteImageEdit(image);
  Qz_UnlockImageA(image, kQzLockExclusive, nullptr);

  Qz_Image* document = owningDocumentOf(layer);
  if (!hasHistory(document, layer)) {
    if (Qz_Object* media = image->media) {
      const QzWord strength = Qz_DoMethod(media, kMediaGetPressure);
      const QzWord size = Qz_DoMethod(media, kMediaGetSize);
      Qz_DoMethod(imageObject(image), kQzImageRecordMediaSetting, kMediaSetPressure, strength);
      Qz_DoMethod(imageObject(image), kQzImageRecordMediaSetting, kMediaSetSize, size);
    }
    recordStartColour(layer);
  }
  watchLayer(image, layer);
  MsgPort* port = document ? document->port : nullptr;
  Qz_DoMethod(imageObject(layer), kRootSetAsyncPort, port);
  if (layer->paintLayer && layer->paintLayer != layer)
    Qz_DoMethod(imageObject(layer->paintLayer), kRootSetAsyncPort, port);
  return toWord(layer);
}

QzWord unlinkLayer(Qz_Image* image, Qz_Image* layer) {
  if (!layer || !isLinkedIn(image, layer)) return 0;
  if (!Qz_LockImageA(image, kQzLockExclusive, nullptr)) return 0;
  Remove(&layer->listNode.node);
  if (image->activeLayer == layer) image->activeLayer = nullptr;
  if (image->paintLayer == layer || (image->paintLayer && image->paintLayer->parent == layer))
    image->paintLayer = nullptr;
  noteShownChange(image);
  Qz_NoteImageChange(layer);
  Qz_NoteImageEdit(image);
  Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
  if (layer->layerWatch) Qz_RemoveNotify(imageObject(layer), layer->layerWatch);
  layer->layerWatch = 0;
  return 1;
}

// The undo list's selection, when the list is one that shows a selection.
void clearUndoSelection(Qz_Image* image) {
  Qz_Image* document = owningDocumentOf(image);
  Qz_Object* list = document ? document->undoList : image->undoList;
  if (!list || !list->objectClass || list->objectClass->classId != kListTreeClassId) return;
  if (auto* selected = reinterpret_cast<Qz_Object*>(Qz_DoMethod(list, kListTreeGetSelection)))
    Qz_DoMethod(selected, kRootDeselect);
  Qz_DoMethod(list, kListTreeSetSelection, 0u);
}

QzWord makeActive(Qz_Image* image, Qz_Image* layer) {
  // Only a layer of this image (or none): anything else could outlive it.
  if (layer && (layer->parent != image || !isLinkedIn(image, layer))) return 0;
  Qz_Image* previous = image->activeLayer;
  if (layer != previous) {
    if (image->currentAction) Qz_DoMethod(image->currentAction, kRootDeselect);
    if (previous && previous->currentAction) Qz_DoMethod(previous->currentAction, kRootDeselect);
    clearUndoSelection(image);
  }
  setActive(image, layer);
  if (image->type != kQzDocument) return toWord(layer);
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Image* app = base->applicationImage;
  if (app && app != image && isListedDocument(base, image)) {
    ObtainSemaphore(&base->semaphore);
    const bool active = base->activeImage == image;
    ReleaseSemaphore(&base->semaphore);
    if (!active) Qz_DoMethod(imageObject(app), kQzAppMakeActiveImage, image);
  }
  Qz_DoNotify(imageObject(image), kQzImageMakeActive, layer);
  Qz_DoNotify(imageObject(image), kQzImageActiveLayerNotice, layer);
  if (app && app != image) {
    Qz_DoNotify(imageObject(app), kQzImageMakeActive, layer);
    Qz_DoNotify(imageObject(app), kQzImageActiveLayerNotice, layer);
  }
  return toWord(layer);
}

void copyRows(Qz_Plane to, Qz_Plane from, int32_t width, int32_t height) {
  if (!to || !from) return;
  for (int32_t y = 0; y < height; ++y) std::memcpy(to[y], from[y], size_t(width));
}

// The file's picture (its layers flattened) becomes an image layer of this
// image, shown whole: its mask is opaque.
QzWord addLayerFromFile(Qz_Image* image, const char* name) {
  if (!name || !*name) return 0;
  auto* loaded = reinterpret_cast<Qz_Image*>(Qz_CreateObject("Image"));
  if (!loaded) return 0;
  if (!Qz___LoadImageA(loaded, name, nullptr, nullptr, kQzLoadPlain, nullptr)) {
    Qz_DisposeObject(imageObject(loaded));
    return 0;
  }
  const int32_t width = loaded->width, height = loaded->height;
  auto* layer = asImage(
      Qz_DoMethod(imageObject(image), kQzImageMakeLayer, kQzImageLayer, width, height, 24));
  if (layer) {
    layer->compositingCount.fetch_sub(1);
    copyRows(layer->r, loaded->r, width, height);
    copyRows(layer->g, loaded->g, width, height);
    copyRows(layer->b, loaded->b, width, height);
    if (layer->inner && layer->inner->grey)
      for (int32_t y = 0; y < height; ++y) std::memset(layer->inner->grey[y], 0xFF, size_t(width));
    Qz_CopyImageToUndoData(layer, 0, 0, width - 1, height - 1, 0, 0);
    layer->compositingCount.fetch_add(1);
  }
  Qz_DisposeObject(imageObject(loaded));
  if (!layer) return 0;
  layer->placement.layerWidth = int16_t(width);
  layer->placement.layerHeight = int16_t(height);
  Qz_DoMethod(imageObject(image), kQzImageMakeActive, layer);
  Qz_ModifiedAllImageData(layer);
  return toWord(layer);
}

QzWord deleteLayer(Qz_Image* image, Qz_Image* layer) {
  if (!layer || !isLinkedIn(image, layer) || !Qz_FindClassFromName("DisposeImageAction"))
    return 0;
  Qz_Object* action = Qz_CreateObject("DisposeImageAction");
  if (!action) return 0;
  if (!Qz_AddLayerAction(layer, action, 0)) {
    Qz_DisposeObject(action);
    return 0;
  }
  Qz_DoMethod(action, kActionApply);
  return 1;
}

}  // namespace

bool isLinkedIn(Qz_Image* image, Qz_Image* layer) {
  if (!image) return false;
  for (Qz_Image* l = first_layer(image); l; l = next_layer(l))
    if (l == layer) return true;
  return false;
}

Qz_Image* owningDocumentOf(Qz_Image* layer) {
  if (!layer) return nullptr;
  if (layer->document) return layer->document;
  return layer->parent ? topDocument(layer) : nullptr;
}

bool layerRectIn(Qz_Image* layer, Qz_Image* image, int32_t& x0, int32_t& y0, int32_t& x1,
                 int32_t& y1) {
  for (int guard = 0; layer && layer != image && guard < 64; ++guard) {
    x0 += layer->placement.layerX;
    x1 += layer->placement.layerX;
    y0 += layer->placement.layerY;
    y1 += layer->placement.layerY;
    layer = layer->parent;
  }
  return layer == image && image;
}

QzWord layerListDispatch(Qz_Image* image, uint32_t id, const QzWord* args, bool& handled) {
  handled = true;
  switch (id) {
    case kQzImageAddLayer: return linkLayer(image, asImage(args[0]));
    case kQzImageRemoveLayer: return unlinkLayer(image, asImage(args[0]));
    case kQzImageMakeActive: return makeActive(image, asImage(args[0]));
    case kAddLayerFromFile:
      return addLayerFromFile(image, reinterpret_cast<const char*>(args[0]));
    case kDeleteLayer: return deleteLayer(image, asImage(args[0]));
    default: handled = false; return 0;
  }
}

}  // namespace qz
