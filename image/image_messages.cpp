// The Image methods of documents: the re-render in strips, the document
// list and the active image, views, loading and saving commands, making
// paint layers and filling them, and the Root methods of an image drawn as
// an object. Ids not answered here go on to the application commands.
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

#include "actions/qz_actions.h"
#include "image/app_commands.h"
#include "image/compositor_internal.h"
#include "image/image_internal.h"
#include "image/image_shell.h"
#include "image/unsaved_changes.h"
#include "objects/async_methods.h"
#include "objects/catalogue.h"
#include "objects/qz_root.h"

namespace qz {
namespace {

constexpr uint32_t kLayerSetUpActions = 4;
constexpr uint32_t kLeaveDocuments = 0x130014;
constexpr uint32_t kShowView = 0x1002ee;
constexpr uint32_t kHideView = 0x1002f8;
constexpr uint32_t kFill = 0x1001fe;
constexpr uint32_t kClear = 0x1001f4;
constexpr uint32_t kLoadChoice = 0x13003d;
constexpr uint32_t kSave = 0x130046;
constexpr uint32_t kSaveAs = 0x130047;
constexpr uint32_t kSaveCopy = 0x130048;
constexpr uint32_t kAnswerOne = 0x100316;
constexpr uint32_t kDelayedDispose = 0x3e80046;
constexpr uint32_t kDisposeSelf = 0x100a2;
constexpr uint32_t kRerenderTitle = 213;
constexpr uint32_t kCloseQuestionText = 242;

Qz_Image* asImage(QzWord word) { return reinterpret_cast<Qz_Image*>(word); }

Qz_ImageBase* baseOf(Qz_Image* image) { return image->base ? image->base : Qz_GetImageBase(); }

bool inList(List* list, Node* node) {
  for (Node* n = list->lh_Head; n && n->ln_Succ; n = n->ln_Succ)
    if (n == node) return true;
  return false;
}

// A layer (or a relayed rectangle of it) changed: composite that part of
// the document, grown by as far as the layers above read around a pixel,
// and tell the document's watchers.
void compositeLayerRect(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  int32_t spreadX = 0, spreadY = 0;
  changeSpread(layer, &spreadX, &spreadY);
  x0 = int32_t(std::max<int64_t>(int64_t(x0) - spreadX, INT32_MIN / 2));
  y0 = int32_t(std::max<int64_t>(int64_t(y0) - spreadY, INT32_MIN / 2));
  x1 = int32_t(std::min<int64_t>(int64_t(x1) + spreadX, INT32_MAX / 2));
  y1 = int32_t(std::min<int64_t>(int64_t(y1) + spreadY, INT32_MAX / 2));
  Qz_Image* document = layer;
  for (int guard = 0; document && document->type != kQzDocument && document->parent && guard < 64;
       ++guard) {
    x0 += document->placement.layerX;
    x1 += document->placement.layerX;
    y0 += document->placement.layerY;
    y1 += document->placement.layerY;
    document = document->parent;
  }
  if (!document || document->state.load() != kQzImageAllocated) return;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, document->width - 1);
  y1 = std::min(y1, document->height - 1);
  if (x0 > x1 || y0 > y1) return;
  Qz_ProcessImage(document, x0, y0, x1, y1);
  markRecomposited(document, x0, y0, x1, y1);
}

QzWord rerender(Qz_Image* image) {
  // A view drawing this image finishes first (its redraw holds the count).
  while (image->redrawNesting.load() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // Committing may need the exclusive lock, so it comes before the read hold.
  if (image->paintLayer)
    Qz_DoLayerDoesntNeedsFixing(image->paintLayer);
  if (!Qz_LockImageA(image, kQzLockRead, nullptr)) return 0;
  Qz_Image* layer = image->paintLayer;
  if (image->state.load() == kQzImageReleased || !layer) {
    Qz_UnlockImageA(image, kQzLockRead, nullptr);
    return 0;
  }
  const int32_t height = layer->height;
  const int32_t step = rerenderStep(height);
  Qz_DoNotify(imageObject(image), kQzProgressStart, Qz_CatalogString(kRerenderTitle));
  image->interruptible.store(1);
  for (int32_t y = 0; y < height; y += step) {
    if (!Qz_LockImageA(image, kQzLockComposite, nullptr)) continue;
    if (imagePortHasMessage(image)) {
      Qz_UnlockImageA(image, kQzLockComposite, nullptr);
      break;
    }
    const int32_t y1 = std::min(y + step - 1, height - 1);
    Qz_DoNotify(imageObject(layer), kQzImageChanged, kQzChangeRect, layer, 0, y, layer->width - 1,
                y1, 0, 0);
    Qz_DoNotify(imageObject(image), kQzProgressStep, y, height);
    Qz_UnlockImageA(image, kQzLockComposite, nullptr);
  }
  image->interruptible.store(0);
  Qz_DoNotify(imageObject(image), kQzProgressDone, 0);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  return 1;
}

QzWord becomeDocument(Qz_Image* image) {
  Qz_ImageBase* base = baseOf(image);
  ObtainSemaphore(&base->semaphore);
  if (!inList(&base->documents, &image->listNode.node)) {
    image->listNode.image = image;
    AddTail(&base->documents, &image->listNode.node);
  }
  ReleaseSemaphore(&base->semaphore);
  Qz_DoNotify(imageObject(image), kQzImageMakeDocument, image);
  return 1;
}

QzWord leaveDocuments(Qz_Image* image) {
  Qz_ImageBase* base = baseOf(image);
  ObtainSemaphore(&base->semaphore);
  const bool linked = inList(&base->documents, &image->listNode.node);
  if (linked) Remove(&image->listNode.node);
  ReleaseSemaphore(&base->semaphore);
  if (linked) Qz_DoNotify(imageObject(image), kLeaveDocuments, 0);
  return linked ? 1 : 0;
}

QzWord makeActiveImage(Qz_Image* receiver, Qz_Image* image) {
  Qz_ImageBase* base = baseOf(receiver);
  ObtainSemaphore(&base->semaphore);
  // Only a document still in the list can become active.
  if (image && !inList(&base->documents, &image->listNode.node)) image = nullptr;
  Qz_Image* previous = base->activeImage;
  const bool changed = previous != image;
  base->activeImage = image;
  ReleaseSemaphore(&base->semaphore);
  if (!changed) return qz::toWord(image);
  // Notices go out with the semaphore released: watchers lock images.
  Qz_Image* app = base->applicationImage;
  Qz_Image* layer = image ? image->paintLayer : nullptr;
  if (app) Qz_DoNotify(imageObject(app), kQzAppMakeActiveImage, image);
  if (image && image != app) Qz_DoNotify(imageObject(image), kQzAppMakeActiveImage, image);
  if (app) {
    Qz_DoNotify(imageObject(app), kQzImageMakeActive, layer);
    Qz_DoNotify(imageObject(app), kQzImageActiveLayerNotice, layer);
  }
  if (image && image != app) {
    Qz_DoNotify(imageObject(image), kQzImageMakeActive, layer);
    Qz_DoNotify(imageObject(image), kQzImageActiveLayerNotice, layer);
  }
  return qz::toWord(image);
}

QzWord openView(Qz_Image* image) {
  Qz_Object* view = Qz_CreateObject("ImageView", kQzViewSetImage, image);
  if (!view) return 0;
  Qz_DoMethod(view, kQzImageOpenViewWindow);
  return qz::toWord(view);
}

// The user closes a view's window. Closing the last view closes the
// document: one with unsaved changes is always asked about first, any other
// when the preference says so; Cancel keeps it.
QzWord closeView(Qz_Image* image, Qz_Object* view) {
  if (!view) return 0;
  Qz_ImageBase* base = baseOf(image);
  if (isOnlyImageView(image, view) &&
      !askBeforeClosing(image, base->closeQuestion.load() != 0, Qz_CatalogString(kCloseQuestionText)))
    return 0;
  if (!Qz_LockImageA(image, kQzLockExclusive, nullptr)) return 0;
  detachClosingView(view);
  Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
  Qz_AsyncDisposeObject(view);
  return 1;
}

// ---- Root methods of an image shown as an object ---------------------------------

Qz_LayoutBox* layoutBoxOf(Qz_Image* image) {
  return reinterpret_cast<Qz_LayoutBox*>(Qz_DoMethod(imageObject(image), kRootGetLayoutBox));
}

int16_t boxSide(int32_t side) { return int16_t(std::clamp(side, 1, 0x7FFF)); }

// The box is the image's size, at least 1 x 1.
QzWord measure(Qz_Image* image) {
  Qz_LayoutBox* box = layoutBoxOf(image);
  if (!box) return 0;
  box->minWidth = box->minHeight = 1;
  box->width = boxSide(image->width);
  box->height = boxSide(image->height);
  return 1;
}

QzWord place(Qz_Image* image, int32_t left, int32_t top, int32_t width, int32_t height) {
  Qz_LayoutBox* box = layoutBoxOf(image);
  if (!box) return 0;
  box->left = int16_t(left);
  box->top = int16_t(top);
  // A limit of 0 is no limit.
  auto limited = [](int32_t side, int32_t least, int32_t most) {
    return int16_t(std::clamp(side, least, std::max(least, most > 0 ? most : 0x7FFF)));
  };
  box->width = limited(width, box->minWidth, box->maxWidth);
  box->height = limited(height, box->minHeight, box->maxHeight);
  return 1;
}

// Storage for the size and depth the record holds, when it has none yet.
QzWord allocatePlanes(Qz_Image* image) {
  if (image->state.load() == kQzImageAllocated) return 1;
  if (image->state.load() != kQzImageReleased || image->width <= 0 || image->height <= 0 ||
      (image->depth != 8 && image->depth != 24))
    return 0;
  return Qz_AllocImage(image, image->width, image->height, image->depth, 0, nullptr) ? 1 : 0;
}

// A paint layer (kind 1) or image layer (kind 2) of this image.
QzWord makeLayer(Qz_Image* image, int32_t kind, int32_t width, int32_t height, int32_t depth) {
  Qz_ImageBase* base = baseOf(image);
  const int32_t savedRedo = base->autoRedo.exchange(0);
  Qz_Image* layer = asImage(qz::toWord(Qz_CreateObject("Image", kQzImageSetType, kind)));
  bool ok = layer != nullptr;
  if (ok) {
    layer->parent = image;
    ok = Qz_AllocImage(layer, width, height, kind == kQzImageLayer ? 24 : depth, 0, nullptr) !=
         nullptr;
  }
  if (ok && kind == kQzImageLayer) {
    Qz_Image* inner = asImage(qz::toWord(Qz_CreateObject("Image", kQzImageSetType, kQzPaintLayer)));
    ok = inner && (inner->parent = layer, Qz_AllocImage(inner, width, height, 8, 0, nullptr));
    if (ok) {
      layer->inner = inner;
      // The image layer's own paint layer; its owning document is this image.
      ok = Qz_DoMethod(imageObject(layer), kQzImageMakeLayer, kQzPaintLayer, width, height, 8) != 0;
    } else if (inner) {
      Qz_DisposeObject(imageObject(inner));
    }
  }
  base->autoRedo.store(savedRedo);
  if (!ok) {
    if (layer) Qz_DisposeObject(imageObject(layer));
    return 0;
  }
  layer->document = topDocument(image);
  layer->placement.layerWidth = int16_t(width);
  layer->placement.layerHeight = int16_t(height);
  layer->placement.creationWidth = int16_t(width);
  layer->placement.creationHeight = int16_t(height);
  Qz_DoMethod(imageObject(image), kQzImageAddLayer, layer);
  Qz_DoMethod(imageObject(image), kQzImageMakeActive, layer);
  if (kind == kQzPaintLayer) {
    Qz_DoMethod(imageObject(layer), kQzImageSetLayerMode, base->defaultMode);
    Qz_DoLayerDoesntNeedsFixing(layer);
  }
  // Linking, the starting colour and media and the mode are the layer's
  // set-up, not steps to undo.
  Qz_EndUndoAtNewestActions(image, kLayerSetUpActions);
  return qz::toWord(layer);
}

QzWord fill(Qz_Image* layer, uint32_t colour) {
  if (!Qz_LockImageA(topDocument(layer), kQzLockComposite, nullptr)) return 0;
  for (int32_t y = 0; y < layer->height; ++y) {
    if (layer->depth == 8) {
      if (layer->grey) std::memset(layer->grey[y], int(colour & 0xFF), size_t(layer->width));
    } else if (layer->r && layer->g && layer->b) {
      std::memset(layer->r[y], int(colour & 0xFF), size_t(layer->width));
      std::memset(layer->g[y], int((colour >> 8) & 0xFF), size_t(layer->width));
      std::memset(layer->b[y], int((colour >> 16) & 0xFF), size_t(layer->width));
    }
  }
  Qz_UnlockImageA(topDocument(layer), kQzLockComposite, nullptr);
  if (layer->type == kQzPaintLayer && layer->parent) {
    Qz_ModifiedAllImageData(layer);
    return Qz_DoMethod(imageObject(layer->parent), kQzImageRerender);
  }
  if (layer->undoR || layer->undoGrey)
    Qz_CopyImageToUndoData(layer, 0, 0, layer->width - 1, layer->height - 1, 0, 0);
  fullProcessImage(topDocument(layer));
  Qz_ModifiedAllImageData(layer);
  return 1;
}

QzWord save(Qz_Image* image, uint32_t flags, bool withName) {
  const char* name = withName ? image->name : nullptr;
  const char* format = withName && image->name ? image->saveFormat : "Quillantrix";
  if (!withName) format = image->saveFormat[0] ? image->saveFormat : "Quillantrix";
  return QzWord(Qz__SaveImageA(image, name, format, nullptr, flags, nullptr));
}

}  // namespace

QzWord imageShellDispatch(Qz_Image* image, uint32_t id, const QzWord* args, bool& handled) {
  handled = true;
  switch (id) {
    case kQzImageRerender: return rerender(image);
    case kQzImageMakeDocument: return becomeDocument(image);
    case kLeaveDocuments: return leaveDocuments(image);
    case kQzAppMakeActiveImage: return makeActiveImage(image, asImage(args[0]));
    case kQzImageOpenView: return openView(image);
    case kQzImageCloseView: return closeView(image, reinterpret_cast<Qz_Object*>(args[0]));
    case kQzImageOpenViewWindow:
    case kQzImageCloseViewWindow:
      return args[0] ? Qz_DoMethodA(reinterpret_cast<Qz_Object*>(args[0]), id, args + 1) : 0;
    case kShowView:
      makeActiveImage(image, image);
    {
      Qz_Object* view = Qz_CurrentViewOf(image);
      return view ? Qz_DoMethod(view, kQzImageOpenViewWindow) : 0;
    }
    case kHideView: {
      Qz_Object* view = Qz_CurrentViewOf(image);
      return view ? Qz_DoMethod(view, kQzImageCloseViewWindow) : 0;
    }
    case kQzViewZoom:
    case kQzViewFit: {
      Qz_Object* view = Qz_CurrentViewOf(image);
      if (!view) return 0;
      Delay(10);
      return Qz_DoMethodA(view, id, args);
    }
    case kQzImageMakeLayer:
      return makeLayer(image, int32_t(args[0]), int32_t(args[1]), int32_t(args[2]),
                       int32_t(args[3]));
    case kQzImagePaintLayerChanged:
    case kQzImageOtherLayerChanged: {
      if (image->notifySuspend.load() > 0 || uint32_t(args[0]) > 2) return 0;
      Qz_Image* layer = asImage(args[1]);
      if (!layer) return 0;
      compositeLayerRect(layer, int32_t(args[2]), int32_t(args[3]), int32_t(args[4]),
                         int32_t(args[5]));
      return 0;
    }
    case kFill: return fill(image, uint32_t(args[0]));
    case kClear: return fill(image, 0);
    case kQzAppOpenFile: {
      // Senders (drops, the hand-over, the command line) hand over a block
      // from AllocVec; the receiver frees it once the load is done.
      char* path = reinterpret_cast<char*>(args[0]);
      Qz_Image* loaded = Qz__LoadImageA(path, nullptr, nullptr, 0, nullptr);
      FreeVec(path);
      return qz::toWord(loaded);
    }
    case kLoadChoice: {
      Qz_ImageBase* base = baseOf(image);
      const int32_t saved = base->fileRequesterChoice.exchange(1);
      Qz_Image* loaded =
          Qz__LoadImageA(reinterpret_cast<const char*>(args[0]), nullptr, nullptr, 0, nullptr);
      base->fileRequesterChoice.store(saved);
      return qz::toWord(loaded);
    }
    case kSave: return save(image, 0, image->name != nullptr);
    case kSaveAs: return save(image, 0, false);
    case kSaveCopy: return save(image, kQzSaveKeepName, false);
    case kAnswerOne: return 1;
    case kDelayedDispose:
      Delay(10);
      if (args[0]) Qz_AsyncDisposeObject(reinterpret_cast<Qz_Object*>(args[0]));
      return 1;
    case kDisposeSelf:
      // Freed once this dispatch has returned, never inside it.
      Qz_AsyncDisposeObject(imageObject(image));
      return 1;
    case kRootHandleIDCMP: {
      Qz_Object* tool = baseOf(image)->currentTool;
      return tool ? Qz_DoMethod(tool, kQzToolInput, image, args[0]) : 0;
    }
    case kRootDraw: Qz_FullRedrawImage(image); return 0;
    case kRootDrawRect:
      Qz_RedrawImage(image, int32_t(args[0]), int32_t(args[1]), int32_t(args[2]), int32_t(args[3]));
      return 0;
    case kRootMeasure: return measure(image);
    case kRootPlace:
      return place(image, int32_t(args[0]), int32_t(args[1]), int32_t(args[2]), int32_t(args[3]));
    case kRootOpen: return allocatePlanes(image);
    default: {
      const QzWord result = appCommandDispatch(image, id, args, handled);
      return handled ? result : layerMessageDispatch(image, id, args, handled);
    }
  }
}

}  // namespace qz
