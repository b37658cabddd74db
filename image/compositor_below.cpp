// The data below a layer, as a mode asks for it: row tables over a
// rectangle, indexed by absolute row and column. Rows above or below the
// image repeat the nearest edge row; columns are kept inside the image.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "image/compositor_internal.h"
#include "image/compositor_pass.h"
#include "image/image_internal.h"
#include "image/qz_compositor.h"

namespace {

std::atomic<Qz_ImageDataObserver> gObserver{nullptr};
std::atomic<void*> gObserverData{nullptr};

// A table whose entry `first` is its element 0, so it is indexed by
// absolute row. Computed on integers: the start may lie before the block.
uint8_t** Qz__Absolute(uint8_t** table, int32_t first) {
  return reinterpret_cast<uint8_t**>(reinterpret_cast<uintptr_t>(table) -
                                     uintptr_t(intptr_t(first) * intptr_t(sizeof(uint8_t*))));
}

inline int32_t Qz__EdgeRow(int32_t y, int32_t height) { return std::clamp(y, 0, height - 1); }

// Tables for rows y0..y1 pointing at the planes' rows, edge rows repeated.
bool Qz__PointAtPlanes(Qz_ImageLock* lock, Qz_Plane const* planes, int planeCount) {
  const int32_t n = lock->y1 - lock->y0 + 1;
  auto** block = static_cast<uint8_t**>(std::malloc(sizeof(uint8_t*) * size_t(n) * planeCount));
  if (!block) return false;
  lock->owned[0] = block;
  uint8_t*** outs[3] = {&lock->r, &lock->g, &lock->b};
  if (planeCount == 1) outs[0] = &lock->grey;
  for (int p = 0; p < planeCount; ++p) {
    uint8_t** table = block + size_t(p) * n;
    for (int32_t i = 0; i < n; ++i) table[i] = planes[p][Qz__EdgeRow(lock->y0 + i, lock->image->height)];
    *outs[p] = Qz__Absolute(table, lock->y0);
  }
  return true;
}

// A private composite of everything below the lock's layer. Only the
// fetched columns are held (from the group of four the pass starts in); the
// tables are indexed by absolute row and column all the same.
bool Qz__CompositeBelow(Qz_ImageLock* lock) {
  Qz_Image* image = lock->image;
  const int32_t height = image->height;
  const int32_t top = Qz__EdgeRow(lock->y0, height), bottom = Qz__EdgeRow(lock->y1, height);
  const int32_t rows = bottom - top + 1;
  const int32_t xs = lock->x0 & ~3;
  const size_t rowBytes = (size_t(lock->x1 - xs + 1) + 3) & ~size_t(3);
  auto* pixels = static_cast<uint8_t*>(std::malloc(rowBytes * size_t(rows) * 3));
  auto** tables = static_cast<uint8_t**>(std::malloc(sizeof(uint8_t*) * size_t(rows) * 3));
  if (!pixels || !tables) {
    std::free(pixels);
    std::free(tables);
    return false;
  }
  lock->owned[1] = pixels;
  Qz_Plane background[3] = {image->undoR, image->undoG, image->undoB};
  uint8_t** composite[3];
  for (int p = 0; p < 3; ++p) {
    uint8_t** table = tables + size_t(p) * rows;
    for (int32_t i = 0; i < rows; ++i) {
      uint8_t* held = pixels + (size_t(p) * rows + size_t(i)) * rowBytes;
      // Column xs lies at the start of what is held.
      table[i] = reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(held) - uintptr_t(xs));
      // The background first, so a pass that is switched off leaves it.
      std::memcpy(held, background[p][top + i] + xs, size_t(lock->x1 - xs + 1));
    }
    composite[p] = Qz__Absolute(table, top);
  }
  qz::compositePass(image, lock->x0, top, lock->x1, bottom, composite[0], composite[1],
                    composite[2], nullptr, lock->layer, false);
  Qz_Plane planes[3] = {composite[0], composite[1], composite[2]};
  // Re-indexed below: the tables for y0..y1 point into the composite rows.
  const int32_t n = lock->y1 - lock->y0 + 1;
  auto** block = static_cast<uint8_t**>(std::malloc(sizeof(uint8_t*) * size_t(n) * 3));
  if (!block) {
    std::free(tables);
    return false;
  }
  lock->owned[0] = block;
  uint8_t*** outs[3] = {&lock->r, &lock->g, &lock->b};
  for (int p = 0; p < 3; ++p) {
    uint8_t** table = block + size_t(p) * n;
    for (int32_t i = 0; i < n; ++i) table[i] = planes[p][Qz__EdgeRow(lock->y0 + i, height)];
    *outs[p] = Qz__Absolute(table, lock->y0);
  }
  std::free(tables);
  return true;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz__SetImageDataObserver(Qz_ImageDataObserver observer, void* userData) {
  gObserverData = userData;
  gObserver = observer;
}

QZ_EXPORT Qz_ImageLock* Qz_GetImageDataBelowLayer(Qz_ImageLock* lock) {
  if (!lock || !lock->image) return nullptr;
  if (auto* observer = gObserver.load()) observer(lock, gObserverData.load());
  qz::noteFetchReach(lock->layer, lock->x0, lock->y0, lock->x1, lock->y1);
  lock->owned[0] = lock->owned[1] = nullptr;
  lock->r = lock->g = lock->b = lock->grey = nullptr;
  Qz_Image* image = lock->image;
  if (image->width <= 0 || image->height <= 0) return nullptr;
  lock->x0 = std::max(lock->x0, 0);
  lock->x1 = std::min(lock->x1, image->width - 1);
  if (lock->x0 > lock->x1 || lock->y0 > lock->y1) return nullptr;
  const bool eightBit = image->depth == 8;
  Qz_Image* layer = lock->layer;
  bool ok;
  if (!layer) {
    Qz_Plane own[3] = {image->r, image->g, image->b};
    Qz_Plane grey[1] = {image->grey};
    ok = eightBit ? grey[0] && Qz__PointAtPlanes(lock, grey, 1)
                  : own[0] && own[1] && own[2] && Qz__PointAtPlanes(lock, own, 3);
  } else if (!prev_layer(layer)) {
    Qz_Plane undo[3] = {image->undoR, image->undoG, image->undoB};
    Qz_Plane grey[1] = {image->undoGrey};
    ok = eightBit ? grey[0] && Qz__PointAtPlanes(lock, grey, 1)
                  : undo[0] && undo[1] && undo[2] && Qz__PointAtPlanes(lock, undo, 3);
  } else {
    ok = !eightBit && image->depth == 24 && image->undoR && image->undoG && image->undoB &&
         Qz__CompositeBelow(lock);
  }
  if (!ok) {
    Qz_FreeImageLock(lock);
    return nullptr;
  }
  return lock;
}

QZ_EXPORT void Qz_FreeImageLock(Qz_ImageLock* lock) {
  if (!lock) return;
  if (lock->owned[0] || lock->owned[1]) lock->r = lock->g = lock->b = lock->grey = nullptr;
  std::free(lock->owned[0]);
  std::free(lock->owned[1]);
  lock->owned[0] = lock->owned[1] = nullptr;
}

QZ_EXTERN_C_END
