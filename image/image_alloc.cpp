// Allocation and release of an image's storage, and the three-step resize
// protocol (Begin takes the exclusive lock, End or Abort gives it back).
#include <cstdlib>
#include <cstring>
#include <new>

#include "image/image_internal.h"
#include "image/image_text.h"
#include "modes/shared_below.h"

namespace qz {
namespace {

// The main planes of one size: grey (depth 8) or R, G, B (depth 24), with the
// spare rows the compositor and the modes use as work rows.
struct PlaneSet {
  Qz_Plane r = nullptr, g = nullptr, b = nullptr, grey = nullptr;
  void free() {
    Qz_FreeImageData(r);
    Qz_FreeImageData(g);
    Qz_FreeImageData(b);
    Qz_FreeImageData(grey);
    r = g = b = grey = nullptr;
  }
};

bool Qz__AllocMainPlanes(PlaneSet& set, int32_t width, int32_t height, int32_t depth) {
  if (depth == 8) {
    set.grey = Qz_AllocImageData(width, height + 2, 8);
    return set.grey != nullptr;
  }
  set.r = Qz_AllocImageData(width, height + 2, 8);
  set.g = Qz_AllocImageData(width, height + 1, 8);
  set.b = Qz_AllocImageData(width, height + 1, 8);
  if (set.r && set.g && set.b) return true;
  set.free();
  return false;
}

// Undo planes: `rows` rows each (grey for depth 8, R, G, B for depth 24).
bool Qz__AllocUndoPlanes(PlaneSet& set, int32_t width, int32_t rows, int32_t depth) {
  if (depth == 8) {
    set.grey = Qz_AllocImageData(width, rows, 8);
    return set.grey != nullptr;
  }
  set.r = Qz_AllocImageData(width, rows, 8);
  set.g = Qz_AllocImageData(width, rows, 8);
  set.b = Qz_AllocImageData(width, rows, 8);
  if (set.r && set.g && set.b) return true;
  set.free();
  return false;
}

PlaneSet Qz__TakeMainPlanes(Qz_Image* image) {
  PlaneSet set{image->r, image->g, image->b, image->grey};
  image->r = image->g = image->b = image->grey = nullptr;
  return set;
}

void Qz__PutMainPlanes(Qz_Image* image, const PlaneSet& set) {
  image->r = set.r;
  image->g = set.g;
  image->b = set.b;
  image->grey = set.grey;
}

PlaneSet Qz__TakeUndoPlanes(Qz_Image* image) {
  PlaneSet set{image->undoR, image->undoG, image->undoB, image->undoGrey};
  image->undoR = image->undoG = image->undoB = image->undoGrey = nullptr;
  return set;
}

void Qz__PutUndoPlanes(Qz_Image* image, const PlaneSet& set) {
  image->undoR = set.r;
  image->undoG = set.g;
  image->undoB = set.b;
  image->undoGrey = set.grey;
}

// Scratch rows point at row `height` (and `height + 1`) of the planes.
void Qz__PointScratchRows(Qz_Image* image, int32_t height) {
  image->scratchR = image->r ? image->r[height] : nullptr;
  image->scratchG = image->g ? image->g[height] : nullptr;
  image->scratchB = image->b ? image->b[height] : nullptr;
  image->scratchGrey = image->grey ? image->grey[height] : nullptr;
  if (image->depth == 24)
    image->secondScratch = image->r ? image->r[height + 1] : nullptr;
  else
    image->secondScratch = image->grey ? image->grey[height + 1] : nullptr;
}

uint8_t* Qz__AllocLineBuffer(int32_t width) {
  return static_cast<uint8_t*>(std::calloc(1, size_t(width) * 3 + 16));
}

// Span tables of `height` rows with the 16 spare bytes; rows from `from` on
// start unchanged. Rows before `from` are copied from the old tables.
bool Qz__ResizeSpans(Qz_Image* image, int32_t width, int32_t height, int32_t from) {
  const size_t bytes = size_t(height) * sizeof(int32_t) + 16;
  auto* least = static_cast<int32_t*>(std::calloc(1, bytes));
  auto* greatest = static_cast<int32_t*>(std::calloc(1, bytes));
  if (!least || !greatest) {
    std::free(least);
    std::free(greatest);
    return false;
  }
  for (int32_t y = 0; y < height; ++y) {
    if (y < from && image->spanLeast && image->spanGreatest) {
      least[y] = std::min(image->spanLeast[y], width - 1);
      greatest[y] = std::min(image->spanGreatest[y], width - 1);
    } else {
      least[y] = width - 1;
      greatest[y] = kQzSpanUnchanged;
    }
  }
  std::free(image->spanLeast);
  std::free(image->spanGreatest);
  image->spanLeast = least;
  image->spanGreatest = greatest;
  return true;
}

bool Qz__SizeIsValid(const Qz_Image* image, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return false;
  // A layer's size and offset are kept in 16-bit fields that files store.
  if (image->type != kQzDocument && (width > kQzMaxLayerSide || height > kQzMaxLayerSide))
    return false;
  return true;
}

bool Qz__HasUndo(const Qz_Image* image) {
  return image->depth == 8 ? image->undoGrey != nullptr : image->undoR != nullptr;
}

void Qz__RecompositeAndShow(Qz_Image* image) {
  Qz_Image* document = topDocument(image);
  fullProcessImage(document);
  Qz_ModifiedAllImageData(document);
}

void Qz__FreeStash(Qz_Image* image) {
  PlaneSet stash{image->resizeStash[0], image->resizeStash[1], image->resizeStash[2],
                 image->resizeStash[3]};
  stash.free();
  for (auto& plane : image->resizeStash) plane = nullptr;
}

// Puts back the planes Begin replaced and frees the ones it made.
void Qz__RestoreOldPlanes(Qz_Image* image) {
  if (image->type == kQzPaintLayer) {
    PlaneSet made = Qz__TakeMainPlanes(image);
    made.free();
    PlaneSet old = Qz__TakeUndoPlanes(image);
    Qz__PutMainPlanes(image, old);
  } else {
    PlaneSet made = Qz__TakeMainPlanes(image);
    made.free();
    Qz__PutMainPlanes(image, PlaneSet{image->resizeStash[0], image->resizeStash[1],
                                      image->resizeStash[2], image->resizeStash[3]});
    for (auto& plane : image->resizeStash) plane = nullptr;
  }
  Qz__PointScratchRows(image, image->height);
}

}  // namespace

EarlyMainPlanes::EarlyMainPlanes(int32_t w, int32_t h) {
  PlaneSet set;
  if (w <= 0 || h <= 0 || !Qz__AllocMainPlanes(set, w, h, 24)) return;
  r = set.r, g = set.g, b = set.b;
  width = w, height = h;
}

EarlyMainPlanes::~EarlyMainPlanes() { PlaneSet{r, g, b, nullptr}.free(); }

void freeImageStorage(Qz_Image* image) {
  Qz__TakeMainPlanes(image).free();
  Qz__TakeUndoPlanes(image).free();
  Qz__FreeStash(image);
  std::free(image->lineBuffer);
  std::free(image->spanLeast);
  std::free(image->spanGreatest);
  std::free(image->toneTable);
  image->lineBuffer = nullptr;
  image->spanLeast = image->spanGreatest = nullptr;
  image->toneTable = nullptr;
  image->scratchR = image->scratchG = image->scratchB = image->scratchGrey = nullptr;
  image->secondScratch = nullptr;
}

}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT Qz_Image* Qz_AllocImage(Qz_Image* image, int32_t width, int32_t height, int32_t depth,
                                  uint32_t flags, const TagItem* /*tags*/) {
  return qz::allocImage(image, width, height, depth, flags, nullptr);
}

QZ_EXTERN_C_END

namespace qz {

Qz_Image* allocImage(Qz_Image* image, int32_t width, int32_t height, int32_t depth, uint32_t flags,
                     EarlyMainPlanes* early) {
  if (!image || (depth != 8 && depth != 24) || !Qz__SizeIsValid(image, width, height))
    return nullptr;
  freeImageStorage(image);  // a second allocation replaces the first
  image->width = width;
  image->height = height;
  image->depth = depth;
  image->resolution = 72.0f;

  PlaneSet main;
  bool ok;
  if (early && early->r && depth == 24 && early->width == width && early->height == height) {
    main = PlaneSet{early->r, early->g, early->b, nullptr};
    early->r = early->g = early->b = nullptr;
    ok = true;
  } else {
    ok = Qz__AllocMainPlanes(main, width, height, depth);
  }
  if (ok) Qz__PutMainPlanes(image, main);
  const bool wantsUndo = depth == 8 ? image->type == kQzDocument
                                    : !(flags & kQzAllocNoUndo) && image->type != kQzPaintLayer;
  if (ok && wantsUndo) {
    PlaneSet undo;
    ok = Qz__AllocUndoPlanes(undo, width, depth == 8 ? height + 1 : height, depth);
    if (ok) Qz__PutUndoPlanes(image, undo);
  }
  if (ok && depth == 24) {
    image->lineBuffer = Qz__AllocLineBuffer(width);
    ok = image->lineBuffer != nullptr;
  }
  if (!ok) {
    Qz_DeallocImage(image);
    return nullptr;
  }
  Qz__PointScratchRows(image, height);

  Qz_ImageBase* base = Qz_GetImageBase();
  const bool threaded = image->type == kQzDocument && !(flags & kQzAllocNoThread);
  bool started = false;
  if (threaded) {
    if (base->currentMedia) Qz_DoMethod(imageObject(image), kQzImageSetMedia, base->currentMedia);
    copyName(image->mediaName, sizeof image->mediaName, base->currentMediaName);
    if (auto* start = Qz_GetImageHooks()->startImageThread) {
      if (!start(image)) {
        Qz_DeallocImage(image);
        return nullptr;
      }
      started = true;
    }
  }
  // Without a thread the change spans are kept instead; failing to get them
  // leaves them absent, which every reader tolerates.
  if (!started) Qz__ResizeSpans(image, width, height, 0);

  if (image->opacity == 0) image->opacity = 256;
  for (auto& word : image->blend) word = 256;
  image->edgeSize = 30;
  image->edgeSoftness = 50;
  image->state = kQzImageAllocated;
  Qz_NoteImageChange(image);
  return image;
}

}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz_DeallocImage(Qz_Image* image) {
  using namespace qz;
  if (!image) return;
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  if (base->activeImage == image) base->activeImage = nullptr;
  ReleaseSemaphore(&base->semaphore);
  Qz__ForgetSharedBelow(image);

  unwatchSource(image, false);
  unwatchSource(image, true);
  image->firstSource = image->secondSource = nullptr;

  for (Qz_Image* layer = first_layer(image); layer;) {
    Qz_Image* next = next_layer(layer);
    Remove(&layer->listNode.node);
    Qz_DisposeObject(imageObject(layer));
    layer = next;
  }
  image->activeLayer = image->paintLayer = nullptr;
  if (image->inner) {
    Qz_DisposeObject(imageObject(image->inner));
    image->inner = nullptr;
  }
  // The option panels of the modes are removed by the modes' own disposal.
  Qz_DisposeObject(image->chosenMode);
  image->chosenMode = nullptr;
  Qz_DisposeObject(image->mode);
  image->mode = nullptr;
  if (image->type == kQzDocument && image->port) {
    DeleteMsgPort(image->port);
    image->port = nullptr;
  }
  freeImageStorage(image);
  image->state = kQzImageReleased;
}

QZ_EXPORT int32_t Qz_BeginNewImageSize(Qz_Image* image, int32_t width, int32_t height) {
  using namespace qz;
  if (!image || !Qz__SizeIsValid(image, width, height)) return 0;
  if (!Qz_LockImageA(image, kQzLockExclusive, nullptr)) return 0;
  PlaneSet made;
  if (!Qz__AllocMainPlanes(made, width, height, image->depth)) {
    Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
    return 0;
  }
  PlaneSet old = Qz__TakeMainPlanes(image);
  if (image->type == kQzPaintLayer) {
    // The old pixels stay readable as the undo planes until End or Abort.
    Qz__TakeUndoPlanes(image).free();
    Qz__PutUndoPlanes(image, old);
  } else {
    // Kept aside (not freed) so that Abort and a failed End can go back.
    Qz__FreeStash(image);
    image->resizeStash[0] = old.r;
    image->resizeStash[1] = old.g;
    image->resizeStash[2] = old.b;
    image->resizeStash[3] = old.grey;
  }
  Qz__PutMainPlanes(image, made);
  Qz__PointScratchRows(image, height);
  Qz_NoteImageChange(image);
  return 1;
}

QZ_EXPORT int32_t Qz_AbortNewImageSize(Qz_Image* image) {
  using namespace qz;
  if (!image) return 0;
  Qz__RestoreOldPlanes(image);
  if (image->type != kQzPaintLayer && Qz__HasUndo(image))
    Qz_CopyUndoToImageData(image, 0, 0, image->width - 1, image->height - 1, 0, 0);
  Qz_NoteImageChange(image);
  Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
  Qz__RecompositeAndShow(image);
  return 1;
}

QZ_EXPORT int32_t Qz_EndNewImageSize(Qz_Image* image, int32_t width, int32_t height) {
  using namespace qz;
  if (!image) return 0;
  const int32_t oldHeight = image->height;
  const bool paintLayer = image->type == kQzPaintLayer;
  // Everything the new size needs is made first, so a failure can go back
  // to the old planes with nothing lost.
  PlaneSet undo;
  bool ok = true;
  const bool hadUndo = !paintLayer && Qz__HasUndo(image);
  if (hadUndo) ok = Qz__AllocUndoPlanes(undo, width, height + 2, image->depth);
  uint8_t* lineBuffer = nullptr;
  if (ok && image->depth == 24) {
    lineBuffer = Qz__AllocLineBuffer(width);
    ok = lineBuffer != nullptr;
  }
  if (ok && image->type != kQzDocument) ok = Qz__ResizeSpans(image, width, height, oldHeight);
  if (!ok) {
    undo.free();
    std::free(lineBuffer);
    Qz__RestoreOldPlanes(image);
    Qz_NoteImageChange(image);
    Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
    return 0;
  }

  image->width = width;
  image->height = height;
  std::free(image->lineBuffer);
  image->lineBuffer = lineBuffer;
  if (image->type != kQzDocument) {
    image->placement.layerWidth = int16_t(width);
    image->placement.layerHeight = int16_t(height);
  }
  if (paintLayer) {
    Qz__TakeUndoPlanes(image).free();
  } else {
    Qz__FreeStash(image);
    Qz__TakeUndoPlanes(image).free();
    if (hadUndo) Qz__PutUndoPlanes(image, undo);
  }
  Qz__PointScratchRows(image, height);
  if (!paintLayer && hadUndo) Qz_CopyImageToUndoData(image, 0, 0, width - 1, height - 1, 0, 0);
  Qz_NoteImageChange(image);
  Qz_UnlockImageA(image, kQzLockExclusive, nullptr);

  if (image->type != kQzDocument) Qz_ModifiedAllImageData(image);
  if (!paintLayer) {
    fullProcessImage(topDocument(image));
    Qz_ModifiedImageFormat(image);
  }
  return 1;
}

QZ_EXTERN_C_END
