// The deep copy of an image with its layers (and an image layer's mask image).
#include <cstdlib>
#include <cstring>

#include "image/image_internal.h"
#include "image/image_text.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT void Qz_DoLayerDoesntNeedsFixing(Qz_Image* layer) __attribute__((weak));
QZ_EXTERN_C_END

namespace {

void Qz__CopyPlaneRows(Qz_Plane dst, Qz_Plane src, int32_t width, int32_t height) {
  if (!dst || !src) return;
  for (int32_t y = 0; y < height; ++y) std::memcpy(dst[y], src[y], size_t(width));
}

void Qz__CopySpans(Qz_Image* copy, const Qz_Image* source) {
  if (!copy->spanLeast || !copy->spanGreatest || !source->spanLeast || !source->spanGreatest)
    return;
  const size_t bytes = size_t(copy->height) * sizeof(int32_t);
  std::memcpy(copy->spanLeast, source->spanLeast, bytes);
  std::memcpy(copy->spanGreatest, source->spanGreatest, bytes);
}

// The exact copy takes the background (the undo planes) where there is one,
// all three channels from the same set.
void Qz__CopyExactPixels(Qz_Image* copy, Qz_Image* source) {
  const int32_t w = source->width, h = source->height;
  if (source->depth == 8) {
    Qz__CopyPlaneRows(copy->grey, source->grey, w, h);
    return;
  }
  const bool fromUndo = source->undoR && source->undoG && source->undoB;
  Qz__CopyPlaneRows(copy->r, fromUndo ? source->undoR : source->r, w, h);
  Qz__CopyPlaneRows(copy->g, fromUndo ? source->undoG : source->g, w, h);
  Qz__CopyPlaneRows(copy->b, fromUndo ? source->undoB : source->b, w, h);
}

bool Qz__HasUndo(const Qz_Image* image) {
  return image->depth == 8 ? image->undoGrey != nullptr : image->undoR != nullptr;
}

uint32_t Qz__Packed(const uint8_t (&colour)[3]) {
  return uint32_t(colour[0]) | uint32_t(colour[1]) << 8 | uint32_t(colour[2]) << 16;
}

// Linking gives a layer the current paint colour; a copied layer goes back
// to its source's, as a recorded change so that its replays keep it.
void Qz__KeepColour(Qz_Image* layerCopy, const Qz_Image* layer) {
  const uint32_t chosen = Qz__Packed(layer->chosenColour);
  if (Qz__Packed(layerCopy->chosenColour) != chosen)
    Qz_DoMethod(qz::imageObject(layerCopy), kQzImageSetColour, chosen);
  if (std::memcmp(layer->committedColour, layer->chosenColour, 3) == 0)
    Qz_DoLayerDoesntNeedsFixing(layerCopy);
}

void Qz__CopyLayers(Qz_Image* copy, Qz_Image* source, uint32_t flags) {
  for (Qz_Image* layer = first_layer(source); layer; layer = next_layer(layer)) {
    Qz_Image* layerCopy = Qz__CopyImage(layer, flags);
    if (!layerCopy) continue;
    layerCopy->document = copy->document ? copy->document : copy;
    Qz_DoMethod(qz::imageObject(copy), kQzImageAddLayer, layerCopy);
    Qz_DoMethod(qz::imageObject(copy), kQzImageMakeActive, layerCopy);
    Qz__KeepColour(layerCopy, layer);
    if (!(flags & kQzCopyExact)) {
      Qz_DoMethod(qz::imageObject(layerCopy), kQzImageSetLayerMode, layer->modeName);
      Qz_DoMethod(qz::imageObject(layerCopy), kQzImageSetLayerMode, layer->chosenModeName);
    }
  }
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT Qz_Image* Qz__CopyImage(Qz_Image* source, uint32_t flags) {
  using namespace qz;
  if (!source) return nullptr;
  const bool exact = flags & kQzCopyExact;
  auto* copy = reinterpret_cast<Qz_Image*>(
      Qz_CreateObject("Image", kQzImageSetType, source->type, TAG_DONE));
  if (!copy) return nullptr;
  if (!Qz_LockImageA(source, kQzLockRead, nullptr)) {
    Qz_DisposeObject(imageObject(copy));
    return nullptr;
  }
  if (!Qz_AllocImage(copy, source->width, source->height, source->depth,
                     exact ? kQzAllocNoUndo | kQzAllocNoThread : 0, nullptr)) {
    Qz_UnlockImageA(source, kQzLockRead, nullptr);
    Qz_DisposeObject(imageObject(copy));
    return nullptr;
  }

  if (exact) {
    Qz__CopyExactPixels(copy, source);
  } else {
    Qz_BlitImageToImage(copy, 0, 0, source, 0, 0, source->width, source->height, 255, 0);
    // The blit took the background along where both have one; only a copy
    // whose source has none starts its background from the pixels.
    if (!Qz__HasUndo(source))
      Qz_CopyImageToUndoData(copy, 0, 0, copy->width - 1, copy->height - 1, 0, 0);
  }
  std::memcpy(copy->committedColour, source->committedColour, sizeof copy->committedColour);
  std::memcpy(copy->chosenColour, source->chosenColour, sizeof copy->chosenColour);
  copy->opacity = source->opacity;
  copy->visible = source->visible;
  if (source->type != kQzDocument) copy->placement = source->placement;

  Qz__CopyLayers(copy, source, flags);

  if (source->type == kQzPaintLayer) {
    Qz__CopySpans(copy, source);
    if (!exact) {
      copyName(copy->modeName, sizeof copy->modeName, source->modeName);
      Qz_DoMethod(imageObject(copy), kQzImageSetFirstSource, source->firstSource);
      Qz_DoMethod(imageObject(copy), kQzImageSetSecondSource, source->secondSource);
    }
  } else if (source->type == kQzImageLayer && source->inner) {
    if (Qz_Image* inner = Qz__CopyImage(source->inner, flags)) {
      inner->parent = copy;
      copy->inner = inner;
    }
  } else if (source->type == kQzDocument && !source->parent && !exact) {
    Qz_DoMethod(imageObject(copy), kQzImageMakeDocument, copy);
    fullProcessImage(copy);
    Qz_DoMethod(imageObject(copy), kQzImageOpenView);
  }
  Qz_UnlockImageA(source, kQzLockRead, nullptr);
  return copy;
}

QZ_EXTERN_C_END
