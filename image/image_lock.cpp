// Image locks: a shared/exclusive hold on one image that also proves the
// image is still open. The open-list check and the hold are one step: the
// locker pins the image while the list says it is open, and disposal waits
// for the pins before it frees anything.
#include <condition_variable>
#include <mutex>

#include "image/image_internal.h"

namespace {

std::mutex gPinMutex;
std::condition_variable gPinReleased;

bool Qz__IsOpen(Qz_ImageBase* base, const Qz_Image* image) {
  for (Node* node = base->openImages.lh_Head; node && node->ln_Succ; node = node->ln_Succ)
    if (reinterpret_cast<Qz_ImageNode*>(node)->image == image) return true;
  return false;
}

void Qz__Unpin(Qz_Image* image) {
  std::lock_guard<std::mutex> guard(gPinMutex);
  image->lockPins.fetch_sub(1);
  gPinReleased.notify_all();
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz_LockImageA(Qz_Image* image, uint32_t mode, const TagItem* /*tags*/) {
  if (!image) return 0;
  if (mode != kQzLockRead && mode != kQzLockComposite && mode != kQzLockExclusive) return 0;
  Qz_ImageBase* base = Qz_GetImageBase();
  bool pinned = false;
  ObtainSemaphore(&base->semaphore);
  if (Qz__IsOpen(base, image) && qz::imageIsLive(image) && image->state != kQzImageDying) {
    image->lockPins.fetch_add(1);
    pinned = true;
  }
  ReleaseSemaphore(&base->semaphore);
  if (!pinned) return 0;

  int32_t held = Qz_ObtainSemaphoreShared(image->lockSemaphore) ? 1 : 0;
  if (held && mode == kQzLockExclusive && !Qz_ObtainSemaphore(image->lockSemaphore)) {
    // Refused (another holder is upgrading too): back off completely.
    Qz_ReleaseSemaphoreShared(image->lockSemaphore);
    held = 0;
  }
  if (held) {
    image->lockCount.fetch_add(1);
    qz::raiseNesting(image);
  }
  Qz__Unpin(image);
  return held;
}

QZ_EXPORT int32_t Qz_UnlockImageA(Qz_Image* image, uint32_t mode, const TagItem* /*tags*/) {
  if (!image || !qz::imageIsLive(image)) return 0;
  // An unlock without a matching lock would release someone else's hold.
  int32_t count = image->lockCount.load();
  do {
    if (count <= 0) return 0;
  } while (!image->lockCount.compare_exchange_weak(count, count - 1));
  qz::lowerNesting(image);
  // The last release may let a waiting disposal free the image: nothing of
  // it is touched after that.
  Qz_Semaphore* semaphore = image->lockSemaphore;
  Qz_ReleaseSemaphoreShared(semaphore);
  if (mode == kQzLockExclusive) Qz_ReleaseSemaphore(semaphore);
  return 1;
}

QZ_EXPORT Qz_Image* Qz_LockActiveImageA(uint32_t mode, const TagItem* tags) {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  Qz_Image* image = base->activeImage;
  ReleaseSemaphore(&base->semaphore);
  return image && Qz_LockImageA(image, mode, tags) ? image : nullptr;
}

QZ_EXPORT void Qz__AddOpenImage(Qz_Image* image) {
  if (!image) return;
  Qz_ImageBase* base = Qz_GetImageBase();
  image->openNode.image = image;
  image->listNode.image = image;
  ObtainSemaphore(&base->semaphore);
  AddTail(&base->openImages, &image->openNode.node);
  ReleaseSemaphore(&base->semaphore);
}

QZ_EXPORT void Qz__RemoveOpenImage(Qz_Image* image) {
  if (!image) return;
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  image->state = kQzImageDying;
  Remove(&image->openNode.node);
  ReleaseSemaphore(&base->semaphore);
  // Lockers that passed the list check before the removal finish taking (or
  // failing to take) their hold first.
  std::unique_lock<std::mutex> guard(gPinMutex);
  gPinReleased.wait(guard, [image] { return image->lockPins.load() == 0; });
}

QZ_EXTERN_C_END
