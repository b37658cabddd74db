// Helpers shared by the image modules: object liveness, the top document of
// a layer, clipping of rectangle operations.
#pragma once

#include <algorithm>
#include <cstdint>

#include "image/qz_image.h"

#include "image/qz_compositor.h"

namespace qz {

// Composites the whole document: through the hook when one is installed,
// else through the compositor.
inline void fullProcessImage(Qz_Image* document) {
  if (!document) return;
  if (auto* process = Qz_GetImageHooks()->fullProcessImage)
    process(document);
  else
    Qz_FullProcessImage(document);
}

// True while the object header says the image is alive.
inline bool imageIsLive(const Qz_Image* image) {
  return image && image->object.self == reinterpret_cast<QzWord>(&image->object);
}

inline Qz_Object* imageObject(Qz_Image* image) { return image ? &image->object : nullptr; }

// The document a layer belongs to, following parents up.
inline Qz_Image* topDocument(Qz_Image* image) {
  for (int guard = 0; image && image->parent && guard < 64; ++guard) image = image->parent;
  return image;
}

// One axis of a copy from [srcStart, srcStart + length) of a source of size
// srcSize to dstStart of a destination of size dstSize, clipped against both.
// Returns false when nothing is left.
inline bool clipSpan(int64_t& srcStart, int64_t& dstStart, int64_t& length, int64_t srcSize,
                     int64_t dstSize) {
  if (srcStart < 0) { dstStart -= srcStart; length += srcStart; srcStart = 0; }
  if (dstStart < 0) { srcStart -= dstStart; length += dstStart; dstStart = 0; }
  length = std::min({length, srcSize - srcStart, dstSize - dstStart});
  return length > 0;
}

// A clipped copy between two planes: source x, y; destination x, y; size.
struct ClippedRect {
  int32_t sx, sy, dx, dy, w, h;
};

inline bool clipRect(int64_t sx, int64_t sy, int64_t dx, int64_t dy, int64_t w, int64_t h,
                     int64_t srcWidth, int64_t srcHeight, int64_t dstWidth, int64_t dstHeight,
                     ClippedRect& out) {
  if (!clipSpan(sx, dx, w, srcWidth, dstWidth) || !clipSpan(sy, dy, h, srcHeight, dstHeight))
    return false;
  out = {int32_t(sx), int32_t(sy), int32_t(dx), int32_t(dy), int32_t(w), int32_t(h)};
  return true;
}

// Frees the planes, line buffer, span tables and tone table; clears the pointers.
void freeImageStorage(Qz_Image* image);

// The main planes of a 24-bit image made before the image is allocated (a
// load makes them while its file decodes). An allocation of the same size
// takes them; whatever is left is freed with the object.
struct EarlyMainPlanes {
  Qz_Plane r = nullptr, g = nullptr, b = nullptr;
  int32_t width = 0, height = 0;
  EarlyMainPlanes() = default;
  EarlyMainPlanes(int32_t width, int32_t height);  // none without memory
  ~EarlyMainPlanes();
  EarlyMainPlanes(const EarlyMainPlanes&) = delete;
  EarlyMainPlanes& operator=(const EarlyMainPlanes&) = delete;
};

// Qz_AllocImage, taking early's planes when they are of the image's size.
Qz_Image* allocImage(Qz_Image* image, int32_t width, int32_t height, int32_t depth, uint32_t flags,
                     EarlyMainPlanes* early);

// What the image shows changed, though what it holds did not: a document
// composited again, or a layer list reordered (the layers themselves are
// named one by one where what lies below a layer is compared).
inline void noteShownChange(Qz_Image* image) {
  image->shownChanges.fetch_add(1, std::memory_order_acq_rel);
}

// The change notice of a rectangle of a document that was composited again
// because one of its layers changed: only the document's shown changes
// count it (its background and layers are what they were).
void markRecomposited(Qz_Image* document, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Removes the watches a layer keeps on its first or second source; the
// source stays in its slot.
void unwatchSource(Qz_Image* layer, bool second);

}  // namespace qz

namespace qz {

// The dispatch nesting count of the image's object header: every image lock
// holds one, so the object is never disposed while a lock is out.
inline void raiseNesting(Qz_Image* image) {
  std::atomic_ref<int32_t>(image->object.nesting).fetch_add(1);
}
inline void lowerNesting(Qz_Image* image) {
  std::atomic_ref<int32_t> nesting(image->object.nesting);
  int32_t value = nesting.load();
  while (value > 0 && !nesting.compare_exchange_weak(value, value - 1)) {
  }
}

}  // namespace qz
