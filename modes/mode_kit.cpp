// Shared helpers of the mode classes: the re-render request and the
// copy-through output.
#include "modes/mode_kit.h"

#include <atomic>
#include <cstring>

#include "image/image_internal.h"

namespace {

std::atomic<void (*)(Qz_Image*)> gRerenderPoster{nullptr};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT void Qz__SetModeRerenderPoster(void (*poster)(Qz_Image* document)) {
  gRerenderPoster = poster;
}
QZ_EXTERN_C_END

namespace qz::modes {

void postRerender(Qz_Image* layer) {
  // The layer's mode changed what the layer shows (its settings, its tables).
  Qz_NoteImageChange(layer);
  Qz_Image* document = layer->document ? layer->document : qz::topDocument(layer);
  if (!document) return;
  if (auto* poster = gRerenderPoster.load()) {
    poster(document);
    return;
  }
  // Queued to the document's thread; the async call carries the id and its (no) arguments.
  Qz_DoMethod(&document->object, kRootAsyncCall, kQzImageRerender, 0, 0);
}

void copySourceToOutput(const Qz_ModeRenderMessage* message) {
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (!lock || !lock->image || lock->y0 > lock->y1 || lock->x0 > lock->x1) return;
  const size_t count = size_t(lock->x1 - lock->x0 + 1);
  for (int32_t y = lock->y0; y <= lock->y1; ++y) {
    const int32_t row = y - lock->y0;
    if (lock->image->depth == 8) {
      if (lock->grey && message->grey) std::memcpy(message->grey[row], lock->grey[y] + lock->x0, count);
    } else if (lock->image->depth == 24) {
      std::memcpy(message->r[row], lock->r[y] + lock->x0, count);
      std::memcpy(message->g[row], lock->g[y] + lock->x0, count);
      std::memcpy(message->b[row], lock->b[y] + lock->x0, count);
    }
  }
}

}  // namespace qz::modes
