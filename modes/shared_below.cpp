// The kept images below a layer: a small cache keyed by everything that can
// change what lies below the layer, shared between the strips of a pass.
#include "modes/shared_below.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "image/qz_image.h"

namespace qz::modes {

// One fetch of rows 0..H-1, columns 0..W-1 below a layer; never changed once made.
struct BelowImage {
  Qz_ImageLock lock{};
  // Never reused in a process, unlike the address.
  uint64_t serial = 0;
  BelowImage() = default;
  BelowImage(const BelowImage&) = delete;
  BelowImage& operator=(const BelowImage&) = delete;
  ~BelowImage() { Qz_FreeImageLock(&lock); }
};

namespace {

// An image as the key names it: the address, the serial that tells it from
// a later image at that address, and one of its change counts.
struct Stamp {
  const Qz_Image* image = nullptr;
  uint32_t serial = 0;
  uint64_t changes = 0;
  bool operator==(const Stamp&) const = default;
};

Stamp Qz__Shown(const Qz_Image* image) {
  if (!image) return {};
  return {image, image->serial, image->shownChanges.load(std::memory_order_acquire)};
}

// Everything the compositor reads of one layer below.
struct LayerState {
  Stamp layer, firstSource, secondSource, inner, active;
  const Qz_Object* mode = nullptr;
  const void* planes[4] = {};
  const void* spans[2] = {};
  std::array<int16_t, 18> placement{};
  int32_t type = 0, width = 0, height = 0, depth = 0, visible = 0;
  int32_t edgeShape = 0, edgeSize = 0, edgeSoftness = 0, edgeInvert = 0;
  uint16_t opacity = 0;
  uint16_t blend[9] = {};
  uint8_t colour[3] = {};
  bool paintModeName = false;
  bool operator==(const LayerState&) const = default;
};

void Qz__ReadLayer(const Qz_Image* l, LayerState& s) {
  s.layer = Qz__Shown(l);
  s.firstSource = Qz__Shown(l->firstSource);
  s.secondSource = Qz__Shown(l->secondSource);
  s.inner = Qz__Shown(l->inner);
  s.active = Qz__Shown(l->activeLayer);
  s.mode = l->mode;
  s.planes[0] = l->r, s.planes[1] = l->g, s.planes[2] = l->b, s.planes[3] = l->grey;
  s.spans[0] = l->spanLeast, s.spans[1] = l->spanGreatest;
  static_assert(sizeof s.placement == sizeof l->placement);
  std::memcpy(s.placement.data(), &l->placement, sizeof s.placement);
  s.type = l->type, s.width = l->width, s.height = l->height, s.depth = l->depth;
  s.visible = l->visible;
  s.edgeShape = l->edgeShape, s.edgeSize = l->edgeSize;
  s.edgeSoftness = l->edgeSoftness, s.edgeInvert = l->edgeInvert;
  s.opacity = l->opacity;
  std::memcpy(s.blend, l->blend, sizeof s.blend);
  std::memcpy(s.colour, l->committedColour, sizeof s.colour);
  s.paintModeName = std::memcmp(l->modeName, "Paint", 6) == 0;
}

struct BelowKey {
  // The document: its own changes (not its re-composites), and what a pass reads of it.
  const Qz_Image* document = nullptr;
  uint32_t documentSerial = 0;
  uint64_t documentChanges = 0;
  const void* background[4] = {};
  int32_t width = 0, height = 0, depth = 0;
  bool compositing = false;
  const Qz_Image* parent = nullptr;
  Stamp inner;
  // The layer, without its own changes: painting it changes nothing below it.
  const Qz_Image* layer = nullptr;
  uint32_t layerSerial = 0;
  std::vector<LayerState> below;  // bottom first
  bool operator==(const BelowKey&) const = default;

  bool sameLayer(const BelowKey& o) const {
    return document == o.document && documentSerial == o.documentSerial && layer == o.layer &&
           layerSerial == o.layerSerial;
  }
  bool names(const Qz_Image* image) const {
    if (document == image || layer == image) return true;
    return std::any_of(below.begin(), below.end(),
                       [&](const LayerState& s) { return s.layer.image == image; });
  }
};

void Qz__ReadKey(Qz_Image* document, Qz_Image* layer, BelowKey& key) {
  key.document = document;
  key.documentSerial = document->serial;
  key.documentChanges = document->ownChanges.load(std::memory_order_acquire);
  key.background[0] = document->undoR, key.background[1] = document->undoG;
  key.background[2] = document->undoB, key.background[3] = document->undoGrey;
  key.width = document->width, key.height = document->height, key.depth = document->depth;
  key.compositing =
      document->compositingCount.load() >= 1 && document->compositingSuspended.load() == 0;
  key.parent = document->parent;
  key.inner = Qz__Shown(document->inner);
  key.layer = layer;
  key.layerSerial = layer->serial;
  size_t count = 0;
  // The pass stops at the layer; one that is not the document's own takes all.
  for (Qz_Image* l = first_layer(document); l && l != layer; l = next_layer(l)) {
    if (count == key.below.size()) key.below.emplace_back();
    Qz__ReadLayer(l, key.below[count++]);
  }
  key.below.resize(count);
}

struct Entry {
  BelowKey key;
  std::shared_ptr<const BelowImage> image;  // null while it is fetched, or when the fetch failed
  bool fetching = true;
  uint64_t lastUse = 0;
};

class BelowCache {
 public:
  std::shared_ptr<const BelowImage> take(Qz_Image* document, Qz_Image* layer, const BelowKey& key);
  void forget(const Qz_Image* image);
  int32_t count();

 private:
  void keepAtMost(size_t images);

  std::mutex mutex_;
  std::condition_variable fetched_;
  std::vector<std::shared_ptr<Entry>> entries_;
  uint64_t clock_ = 0;
};

// Kept for the life of the process: renders may outlast static destructors.
BelowCache& Qz__Cache() {
  static BelowCache* cache = new BelowCache;
  return *cache;
}

std::shared_ptr<const BelowImage> Qz__Fetch(Qz_Image* document, Qz_Image* layer) {
  auto image = std::make_shared<BelowImage>();
  Qz_ImageLock& lock = image->lock;
  lock.image = document;
  lock.layer = layer;
  lock.x0 = 0, lock.y0 = 0;
  lock.x1 = document->width - 1, lock.y1 = document->height - 1;
  // No lock of its own: the pass this render belongs to holds the document.
  if (!Qz_GetImageDataBelowLayer(&lock)) return nullptr;
  static std::atomic<uint64_t> fetches{0};
  image->serial = fetches.fetch_add(1, std::memory_order_relaxed) + 1;
  return image;
}

std::shared_ptr<const BelowImage> BelowCache::take(Qz_Image* document, Qz_Image* layer,
                                                   const BelowKey& key) {
  std::unique_lock<std::mutex> guard(mutex_);
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const std::shared_ptr<Entry>& e) { return e->key == key; });
  if (found != entries_.end()) {
    const std::shared_ptr<Entry> entry = *found;
    // Another strip is fetching it: wait and share.
    fetched_.wait(guard, [&] { return !entry->fetching; });
    entry->lastUse = ++clock_;
    return entry->image;
  }
  // What was kept for this layer under an older key can never match again.
  std::erase_if(entries_, [&](const std::shared_ptr<Entry>& e) {
    return !e->fetching && e->key.sameLayer(key);
  });
  const auto entry = std::make_shared<Entry>();
  entry->key = key;
  entries_.push_back(entry);
  guard.unlock();
  // Outside the mutex: the composite renders the layers below, whose modes
  // may take their own images below from here.
  std::shared_ptr<const BelowImage> image;
  try {
    image = Qz__Fetch(document, layer);
  } catch (const std::bad_alloc&) {
  }
  guard.lock();
  entry->image = image;
  entry->fetching = false;
  entry->lastUse = ++clock_;
  // A failed fetch is not kept: the next render tries again.
  if (!image) std::erase(entries_, entry);
  keepAtMost(kMaxSharedBelow);
  fetched_.notify_all();
  return image;
}

void BelowCache::keepAtMost(size_t images) {
  while (true) {
    auto oldest = entries_.end();
    size_t kept = 0;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if ((*it)->fetching) continue;
      ++kept;
      if (oldest == entries_.end() || (*it)->lastUse < (*oldest)->lastUse) oldest = it;
    }
    if (kept <= images) return;
    // Renders that took it keep it until they end.
    entries_.erase(oldest);
  }
}

void BelowCache::forget(const Qz_Image* image) {
  std::vector<std::shared_ptr<Entry>> gone;  // freed after the mutex is let go
  {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = entries_.begin(); it != entries_.end();) {
      if (!image || (*it)->key.names(image)) {
        gone.push_back(*it);
        it = entries_.erase(it);
      } else {
        ++it;
      }
    }
  }
}

int32_t BelowCache::count() {
  std::lock_guard<std::mutex> guard(mutex_);
  return int32_t(std::count_if(entries_.begin(), entries_.end(),
                               [](const std::shared_ptr<Entry>& e) { return e->image != nullptr; }));
}

// A view of the document's own planes: the background for the bottom
// layer, the composite without a layer.
SourceView Qz__PlanesView(const Qz_Image* document, bool background) {
  SourceView v;
  if (document->depth == 8) {
    const Qz_Plane grey = background ? document->undoGrey : document->grey;
    v.r = v.g = v.b = v.grey = grey;
  } else if (document->depth == 24) {
    v.r = background ? document->undoR : document->r;
    v.g = background ? document->undoG : document->g;
    v.b = background ? document->undoB : document->b;
  }
  if (!v.r || !v.g || !v.b) return {};
  v.x0 = 0, v.y0 = 0, v.x1 = document->width - 1, v.y1 = document->height - 1;
  v.width = document->width, v.height = document->height;
  return v;
}

}  // namespace

SharedBelow::SharedBelow(const Qz_ModeRenderMessage* message)
    : SharedBelow(message ? message->block : nullptr) {}

SharedBelow::SharedBelow(const Qz_ImageLock* block) {
  Qz_Image* document = block ? block->image : nullptr;
  if (!document || document->width <= 0 || document->height <= 0) return;
  Qz_Image* layer = block->layer;
  if (!layer || !prev_layer(layer)) {
    // The background changes with the document's own changes; the composite with what it shows.
    const uint64_t changes = layer ? document->ownChanges.load(std::memory_order_acquire)
                                   : document->shownChanges.load(std::memory_order_acquire);
    view_ = Qz__PlanesView(document, layer != nullptr);
    if (ok()) stamp_ = {document, document->serial, changes, false};
    return;
  }
  if (document->depth != 24) return;  // grey documents are not composited
  try {
    // Read for every render: kept per thread so that reading allocates nothing.
    thread_local BelowKey key;
    Qz__ReadKey(document, layer, key);
    image_ = Qz__Cache().take(document, layer, key);
  } catch (const std::bad_alloc&) {
    image_.reset();
  }
  if (!image_) return;
  stamp_ = {image_.get(), image_->serial, 0, true};
  const Qz_ImageLock& lock = image_->lock;
  view_.r = lock.r, view_.g = lock.g, view_.b = lock.b;
  view_.x0 = lock.x0, view_.y0 = lock.y0, view_.x1 = lock.x1, view_.y1 = lock.y1;
  view_.width = document->width, view_.height = document->height;
}

}  // namespace qz::modes

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz__ForgetSharedBelow(Qz_Image* image) { qz::modes::Qz__Cache().forget(image); }

QZ_EXPORT int32_t Qz__SharedBelowCount(void) { return qz::modes::Qz__Cache().count(); }

QZ_EXTERN_C_END
