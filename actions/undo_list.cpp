// The undo list of a document: adding actions (with the undo-memory cap),
// the undo and redo moves of the undo panel, and the replay that rebuilds a
// layer from its parent's undo planes and the layer's actions since the
// newest restore point.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "actions/action_internal.h"
#include "image/image_internal.h"
#include "image/image_shell.h"
#include "image/strip_pool.h"
#include "image/unsaved_changes.h"
#include "objects/catalogue.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT void Qz_DoLayerDoesntNeedsFixing(Qz_Image* layer) __attribute__((weak));
QZ_EXTERN_C_END

namespace qz::actions {

// Actions are added from the window thread and the image thread alike, and
// the image lock is taken only shared while adding.
std::recursive_mutex& undoListMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

}  // namespace qz::actions

namespace {

using namespace qz::actions;

std::recursive_mutex& listMutex() { return undoListMutex(); }

Qz_Image* Qz__ListOwner(Qz_Image* image) {
  return image->document ? image->document : image;
}

Qz_Object* Qz__ListOf(Qz_Image* image, bool redo) {
  if (!image) return nullptr;
  Qz_Image* owner = Qz__ListOwner(image);
  std::lock_guard<std::recursive_mutex> guard(listMutex());
  Qz_Object*& list = redo ? owner->redoList : owner->undoList;
  // The image disposes both lists with itself; a LinkedList disposes its members.
  if (!list) list = Qz_CreateObject("LinkedList");
  return list;
}

bool Qz__KeepsHandles(uint32_t classId) {
  return classId == kColourActionClassId || classId == kModeActionClassId ||
         classId == kMediaSettingsActionClassId;
}

uint64_t Qz__HeldBytes(Qz_Object* action) {
  const uint64_t total = Qz_DoMethod(action, kActionTotalSize);
  const uint64_t base = Qz_DoMethod(action, kActionBaseSize);
  return total > base ? total - base : 0;
}

// Keeps the newest actions' undo data within levels x the image's size;
// every action from the one that passes the limit on drops its data.
void Qz__CapUndoMemory(Qz_Image* image, Qz_Object* list, Qz_Object* added) {
  const bool holdsData = Qz__HeldBytes(added) > 0;
  if (!holdsData && !(Qz_DoMethod(added, kActionGetFlags) & kActionRestorePoint)) return;
  Qz_ImageBase* base = Qz_GetImageBase();
  const uint64_t levels = base ? base->undoLevels.load() : 0;
  const uint64_t limit = levels * uint32_t(image->depth) * uint32_t(image->height) *
                         uint32_t(image->width) / 8;
  image->undoMemoryLimit = uint32_t(std::min<uint64_t>(limit, UINT32_MAX));
  if (limit == 0) return;
  uint64_t sum = 0;
  bool passed = false;
  for (Qz_Object* entry = listFirst(list); entry; entry = listOlder(list, entry)) {
    sum += Qz__HeldBytes(entry);
    if (sum > limit) passed = true;
    if (passed) Qz_DoMethod(entry, kActionDropUndoData);
  }
}

// A fix lays down what was painted with the settings in force; the layer
// then takes the colour and mode chosen since, so that the next stroke is
// painted with them (a re-render does the same on its own path).
void Qz__TakeChosenSettings(Qz_Image* layer) {
  if (Qz_DoLayerDoesntNeedsFixing) Qz_DoLayerDoesntNeedsFixing(layer);
}

void Qz__FixPendingChanges(Qz_Image* layer, Qz_Image* document) {
  const bool needs = layer->needsFixing.load() != 0 ||
                     (layer->activeLayer && layer->activeLayer->needsFixing.load() != 0);
  if (!needs || !document) return;
  Qz_Object* documentObject = qz::imageObject(document);
  if (document->compositingSuspended.load()) {
    Qz_DoMethod(documentObject, kQzImageFix, 0u);
    Qz__TakeChosenSettings(layer);
    return;
  }
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base && base->autoRedo.load()) {
    Qz_RedoLayerChanges(document->activeLayer);
    return;
  }
  Qz_Image* active = document->activeLayer;
  if (!active) return;
  if (active->type == kQzImageLayer || (!next_layer(active) && !prev_layer(active))) {
    Qz_DoMethod(documentObject, kQzImageFix, 0u);
    Qz__TakeChosenSettings(layer);
  } else
    Qz_RedoLayerChanges(active);
}

// Undo and redo moves running on this thread: what they add is no new step.
thread_local int tMoving = 0;

bool Qz__IsRestorePoint(Qz_Object* entry) {
  if (classIdOf(entry) == kImageActionClassId && Qz_DoMethod(entry, kActionGetQualifier) != 2)
    return true;
  // Nothing below a step that ends the undo panel's list is ever undone.
  return (Qz_DoMethod(entry, kActionGetFlags) & (kActionRestorePoint | kActionPanelStop)) != 0;
}

// Where the replay of `layer` starts: the entry after the newest restore
// point (whose replay start gives the layer's pixels), the fill of this layer
// itself, or the oldest entry.
struct ReplayFrom {
  Qz_Object* start;
  Qz_Object* restorePoint;
};

ReplayFrom Qz__ReplayStart(Qz_Object* list, Qz_Image* layer) {
  for (Qz_Object* entry = listFirst(list); entry; entry = listOlder(list, entry)) {
    const uint32_t classId = classIdOf(entry);
    if (classId == kMediaSettingsActionClassId) Qz_DoMethod(entry, kActionUndo);
    if (classId == kFillImageActionClassId && layerOf(entry) == layer) return {entry, nullptr};
    if (Qz__IsRestorePoint(entry)) return {listNewer(list, entry), entry};
  }
  return {listLast(list), nullptr};
}

// The document's progress notices while a replay runs long: the status line
// shows a bar in place of "Done." from the first step after the first tenth
// of a second, and "Done." again once the layer is rebuilt.
class ReplayProgress {
 public:
  ReplayProgress(Qz_Image* document, size_t steps) : document_(document), steps_(steps) {}
  ReplayProgress(const ReplayProgress&) = delete;
  ReplayProgress& operator=(const ReplayProgress&) = delete;
  ~ReplayProgress() {
    if (shown_) Qz_DoNotify(qz::imageObject(document_), kQzProgressDone, 0);
  }
  void step(size_t done) {
    if (!document_) return;
    if (!shown_) {
      if (std::chrono::steady_clock::now() - start_ < kQuietTime) return;
      shown_ = true;
      Qz_DoNotify(qz::imageObject(document_), kQzProgressStart, Qz_CatalogString(kRenderingTitle));
    }
    Qz_DoNotify(qz::imageObject(document_), kQzProgressStep, uint32_t(done), uint32_t(steps_));
  }

 private:
  static constexpr auto kQuietTime = std::chrono::milliseconds(100);
  static constexpr uint32_t kRenderingTitle = 213;  // catalogue: "Rendering"
  Qz_Image* document_;
  size_t steps_;
  bool shown_ = false;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Takes every action off the redo list; the caller disposes them.
std::vector<Qz_Object*> Qz__TakeRedoList(Qz_Object* redo) {
  std::vector<Qz_Object*> taken;
  while (Qz_Object* action = listFirst(redo)) {
    Qz_DoMethod(redo, kLinkedListRemove, action);
    taken.push_back(action);
  }
  return taken;
}

// Hands the action the layers as they are now; what it does not take is freed.
void Qz__GiveReplayStart(Qz_Object* action, Qz_Image* document) {
  ReplayStart* start = takeReplayStart(document);
  if (!Qz_DoMethod(action, kActionSetReplayStart, start)) freeReplayStart(start);
}

// The layers as they are now, when the restore point has nothing newer:
// where a replay over it will start.
void Qz__KeepReplayStart(Qz_Object* list, Qz_Object* restorePoint, Qz_Image* image) {
  if (restorePoint && restorePoint == listFirst(list) &&
      !Qz_DoMethod(restorePoint, kActionGetReplayStart))
    Qz__GiveReplayStart(restorePoint, Qz__ListOwner(image));
}

// Puts the action at the head of the list, under the image lock the caller
// holds. A new step gets the active layer when it has none; a redone one
// keeps what it had.
bool Qz__AddLocked(Qz_Image* image, Qz_Object* list, Qz_Object* action, bool newStep) {
  if (Qz_Image* active = image->activeLayer) {
    if (newStep && !layerOf(action)) Qz_DoMethod(action, kActionSetLayer, active);
    if (!Qz__KeepsHandles(classIdOf(action)) && active->currentAction) {
      Qz_Object* current = active->currentAction;
      Qz_DoMethod(current, kRootDeselect);
      Qz_DoMethod(current, kActionHideHandles);
    }
  }
  Qz_DoMethod(action, kActionSetImage, image);
  Qz_DoMethod(action, kActionRecomputeBounds);
  std::vector<Qz_Object*> undone;
  bool added = false;
  {
    std::lock_guard<std::recursive_mutex> guard(listMutex());
    // What was undone cannot be redone on top of a new step.
    Qz_Object* redo = newStep && tMoving == 0 ? Qz_GetRedoList(image) : nullptr;
    if (redo) undone = Qz__TakeRedoList(redo);
    Qz_Object* below = listFirst(list);
    if (below && Qz__IsRestorePoint(below)) Qz__KeepReplayStart(list, below, image);
    added = Qz_DoMethod(list, kLinkedListAddHead, action) != 0;
    if (added) Qz__CapUndoMemory(image, list, action);
  }
  if (added && newStep && tMoving == 0) Qz_NoteImageEdit(image);
  for (Qz_Object* gone : undone) {
    Qz_DoMethod(gone, kRootDeselect);
    Qz_DisposeObject(gone);
  }
  return added;
}

Qz_Object* Qz__First(Qz_Object* list) {
  std::lock_guard<std::recursive_mutex> guard(listMutex());
  return listFirst(list);
}

bool Qz__CanBeUndone(Qz_Object* action) {
  return Qz_DoMethod(action, kActionGetUndoable) &&
         !(Qz_DoMethod(action, kActionGetFlags) & kActionPanelStop);
}

// Takes the newest action off the undo list, deactivated, and sends it the
// undo notice: done, it heads the redo list; refused, it goes back where it
// was. The layers whose replay the notice asked for are noted.
bool Qz__UndoOne(Qz_Image* document, Qz_Object* undo, Qz_Object* redo, Qz_Object* action,
                 std::vector<Qz_Image*>& rebuild) {
  if (!Qz__CanBeUndone(action)) return false;
  {
    // Off the list before the notice: what the notice replays must not include it.
    std::lock_guard<std::recursive_mutex> guard(listMutex());
    Qz_DoMethod(undo, kLinkedListRemove, action);
  }
  Qz_DoMethod(action, kRootDeselect);
  Qz_Image* layer = layerOf(action);
  Qz_Image* parent = layer && layer->parent ? layer->parent : document;
  parent->replayNeeded.store(0);
  const bool done = Qz_DoMethod(action, kActionUndo) != 0;
  {
    std::lock_guard<std::recursive_mutex> guard(listMutex());
    Qz_DoMethod(done ? redo : undo, kLinkedListAddHead, action);
    // A redo applies it again and takes a new one.
    if (done) Qz_DoMethod(action, kActionSetCheckpoint, 0u);
  }
  Qz_Image* replayed = layer ? layer : document->activeLayer;
  if (parent->replayNeeded.exchange(0) != 0 && done && replayed &&
      std::find(rebuild.begin(), rebuild.end(), replayed) == rebuild.end())
    rebuild.push_back(replayed);
  return done;
}

bool Qz__OnList(Qz_Object* list, Qz_Object* action) {
  std::lock_guard<std::recursive_mutex> guard(listMutex());
  for (Qz_Object* entry = listFirst(list); entry; entry = listOlder(list, entry))
    if (entry == action) return true;
  return false;
}

// Undoes one step: the newest action and the older ones chained to it (each
// belongs to the one before it), until one of them cannot be undone. Notes
// when `target` was among them; false when an action refused.
bool Qz__UndoStep(Qz_Image* document, Qz_Object* undo, Qz_Object* redo, Qz_Object* target,
                  std::vector<Qz_Image*>& rebuild, uint32_t& moved, bool& reached) {
  while (Qz_Object* action = Qz__First(undo)) {
    const bool chained = Qz_DoMethod(action, kActionGetFlags) & kActionWithStepBefore;
    if (!Qz__UndoOne(document, undo, redo, action, rebuild)) return false;
    ++moved;
    reached = reached || action == target;
    if (!chained) return true;
  }
  return false;
}

// Redoes one step: the redo list's first action and the newer ones chained
// to it. A redo that fails leaves its action where it is.
bool Qz__RedoStep(Qz_Image* document, Qz_Object* undo, Qz_Object* redo, Qz_Object* target,
                  uint32_t& moved, bool& reached) {
  for (Qz_Object* action = Qz__First(redo); action;) {
    if (!Qz_DoMethod(action, kActionRedo)) return false;
    {
      std::lock_guard<std::recursive_mutex> guard(listMutex());
      Qz_DoMethod(redo, kLinkedListRemove, action);
    }
    // Under the lock already held the addition cannot be refused; a list
    // that fails to take the action still frees it.
    if (!Qz__AddLocked(document, undo, action, false)) Qz_DisposeObject(action);
    ++moved;
    reached = reached || action == target;
    action = Qz__First(redo);
    if (action && !(Qz_DoMethod(action, kActionGetFlags) & kActionWithStepBefore)) return true;
  }
  return moved > 0;
}

// Undoes (or redoes) whole steps: one, or with a target every step down to
// the one holding it. The target must still be on this document's list: a
// history entry may name a step of an image closed or changed since. Both
// directions hold the exclusive lock, taken at once and never upgraded.
uint32_t Qz__MoveSteps(Qz_Image* image, Qz_Object* target, bool forward) {
  if (!image) return 0;
  Qz_Image* document = Qz__ListOwner(image);
  Qz_Object* undo = Qz_GetUndoList(document);
  Qz_Object* redo = Qz_GetRedoList(document);
  if (!undo || !redo || !Qz_LockImageA(document, kQzLockExclusive, nullptr)) return 0;
  uint32_t moved = 0;
  if (!target || Qz__OnList(forward ? redo : undo, target)) {
    ++tMoving;
    std::vector<Qz_Image*> rebuild;
    bool reached = false;
    for (;;) {
      const bool whole = forward ? Qz__RedoStep(document, undo, redo, target, moved, reached)
                                 : Qz__UndoStep(document, undo, redo, target, rebuild, moved, reached);
      if (!whole || !target || reached) break;
    }
    for (Qz_Image* layer : rebuild) Qz_RedoAllLayerActions(layer);
    --tMoving;
    // Whatever the steps put back, below which layer, counts as changed.
    Qz_NoteImageChange(document);
    if (moved > 0) Qz_NoteImageEdit(document);
  }
  Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
  // Thumbnails of the document follow the step, as they follow a stroke.
  if (moved > 0)
    if (Qz_Image* app = Qz_GetImageBase()->applicationImage)
      Qz_DoNotify(&app->object, kQzAppPixelsSettled, document);
  return moved > 0 ? 1 : 0;
}

// A step that nothing undoes, holding the document's layers as they are now,
// under the list lock the caller holds.
void Qz__AddRestorePoint(Qz_Image* document, Qz_Object* list) {
  Qz_Object* point = Qz_CreateObject("RootAction", kActionSetFlags, kActionPanelStop, kActionSetUndoable, 0u);
  if (!point) return;
  Qz_DoMethod(point, kActionSetImage, document);
  Qz__GiveReplayStart(point, document);
  if (!Qz_DoMethod(list, kLinkedListAddHead, point)) Qz_DisposeObject(point);
}

}  // namespace

namespace qz::actions {

struct ReplayStart {
  struct Layer {
    Qz_Image* image;
    int32_t width, height, depth;
    std::vector<uint8_t> bytes;  // grey, or R, G and B, row by row
  };
  std::vector<Layer> layers;
};

namespace {

std::vector<Qz_Plane> Qz__MainPlanes(Qz_Image* image) {
  if (image->depth == 8) return {image->grey};
  return {image->r, image->g, image->b};
}

bool Qz__HasMainPlanes(Qz_Image* image) {
  for (Qz_Plane plane : Qz__MainPlanes(image))
    if (!plane) return false;
  return image->width > 0 && image->height > 0;
}

void Qz__TakeLayers(Qz_Image* image, std::vector<ReplayStart::Layer>& layers) {
  for (Qz_Image* layer = first_layer(image); layer; layer = next_layer(layer)) {
    if (Qz__HasMainPlanes(layer)) {
      ReplayStart::Layer& kept =
          layers.emplace_back(ReplayStart::Layer{layer, layer->width, layer->height, layer->depth, {}});
      for (Qz_Plane plane : Qz__MainPlanes(layer))
        for (int32_t y = 0; y < layer->height; ++y)
          kept.bytes.insert(kept.bytes.end(), plane[y], plane[y] + layer->width);
    }
    Qz__TakeLayers(layer, layers);
  }
}

}  // namespace

ReplayStart* takeReplayStart(Qz_Image* document) {
  auto* start = new ReplayStart;
  Qz__TakeLayers(document, start->layers);
  return start;
}

void freeReplayStart(ReplayStart* start) { delete start; }

uint64_t replayStartBytes(const ReplayStart* start) {
  uint64_t bytes = 0;
  if (start)
    for (const ReplayStart::Layer& layer : start->layers) bytes += layer.bytes.size();
  return bytes;
}

// Puts back the layer's pixels as the start holds them; false when it holds
// none for the layer at its present size.
bool restoreReplayStart(const ReplayStart* start, Qz_Image* layer) {
  if (!start) return false;
  for (const ReplayStart::Layer& kept : start->layers) {
    if (kept.image != layer) continue;
    if (kept.width != layer->width || kept.height != layer->height || kept.depth != layer->depth ||
        !Qz__HasMainPlanes(layer))
      return false;
    const uint8_t* from = kept.bytes.data();
    for (Qz_Plane plane : Qz__MainPlanes(layer))
      for (int32_t y = 0; y < layer->height; ++y, from += layer->width)
        std::memcpy(plane[y], from, size_t(layer->width));
    return true;
  }
  return false;
}

struct LayerCheckpoint {
  Qz_Image* layer;
  int32_t width, height, layerX, layerY;
  Qz_Image* document;
  int32_t documentWidth, documentHeight;
  uint64_t background;
  // Every earlier step of the layer since its restore point was a stroke, a
  // fill made on this same background and place, or a setting: a replay
  // gives the layer these bytes.
  bool wholePrefix;
  std::vector<uint8_t> bytes;  // the grey plane, row by row; empty once dropped
};

void freeLayerCheckpoint(LayerCheckpoint* checkpoint) { delete checkpoint; }

namespace {

// How many fills of a document keep a checkpoint, newest first: each holds
// a copy of its layer.
constexpr int kKeptCheckpoints = 3;

// Runs job(strip) for every strip on the compositor's workers, or here when
// they are busy or this is one of them.
void Qz__InStrips(int32_t count, const std::function<void(int32_t)>& job) {
  if (qz::StripPool::onWorker() || !qz::StripPool::shared().run(count, job, [] { return false; }))
    for (int32_t i = 0; i < count; ++i) job(i);
}

constexpr int32_t kStrips = 32;

// Rows [first, last) of strip `strip` of `height` rows.
std::pair<int32_t, int32_t> Qz__StripRows(int32_t strip, int32_t height) {
  return {int32_t(int64_t(height) * strip / kStrips), int32_t(int64_t(height) * (strip + 1) / kStrips)};
}

// A hash of the document's background (undo R, G and B): each strip of rows
// hashed four words a step in four lanes, the strips' hashes then in order;
// 0 for a document without one.
uint64_t Qz__BackgroundHash(const Qz_Image* document) {
  if (!document || document->depth != 24 || !document->undoR || !document->undoG || !document->undoB) return 0;
  constexpr uint64_t kPrime = 0x9E3779B97F4A7C15ull;
  const size_t width = size_t(std::max(document->width, 0));
  uint64_t strips[kStrips] = {};
  Qz__InStrips(kStrips, [&](int32_t strip) {
    uint64_t lanes[4] = {1, 2, 3, 4};
    const auto [first, last] = Qz__StripRows(strip, document->height);
    for (Qz_Plane plane : {document->undoR, document->undoG, document->undoB})
      for (int32_t y = first; y < last; ++y) {
        const uint8_t* row = plane[y];
        size_t x = 0;
        for (; x + 32 <= width; x += 32)
          for (int k = 0; k < 4; ++k) {
            uint64_t word;
            std::memcpy(&word, row + x + 8 * k, 8);
            lanes[k] = (lanes[k] ^ word) * kPrime;
            lanes[k] ^= lanes[k] >> 29;
          }
        for (; x < width; ++x) lanes[0] = (lanes[0] ^ row[x]) * kPrime;
      }
    uint64_t h = 0;
    for (uint64_t lane : lanes) h = (h ^ lane) * kPrime;
    strips[strip] = h;
  });
  uint64_t h = uint64_t(document->width) << 32 ^ uint32_t(document->height);
  for (uint64_t strip : strips) h = (h ^ strip) * kPrime;
  return h | 1;
}

// Copies a layer's grey plane to or from bytes laid row after row.
void Qz__CopyGrey(Qz_Image* layer, uint8_t* bytes, bool toBytes) {
  const size_t width = size_t(layer->width);
  Qz__InStrips(kStrips, [&](int32_t strip) {
    const auto [first, last] = Qz__StripRows(strip, layer->height);
    for (int32_t y = first; y < last; ++y) {
      uint8_t* kept = bytes + size_t(y) * width;
      if (toBytes)
        std::memcpy(kept, layer->grey[y], width);
      else
        std::memcpy(layer->grey[y], kept, width);
    }
  });
}

// The fill was made on this layer at its present size and place, over this background.
bool Qz__SameGround(const LayerCheckpoint* c, const Qz_Image* layer, const Qz_Image* document, uint64_t background) {
  return c && c->layer == layer && c->width == layer->width && c->height == layer->height &&
         c->layerX == layer->placement.layerX && c->layerY == layer->placement.layerY && c->document == document &&
         c->documentWidth == document->width && c->documentHeight == document->height && c->background == background;
}

bool Qz__Usable(const LayerCheckpoint* c, const Qz_Image* layer, const Qz_Image* document, uint64_t background) {
  return Qz__SameGround(c, layer, document, background) && c->wholePrefix &&
         c->bytes.size() == size_t(layer->width) * size_t(layer->height);
}

// Steps a checkpoint can stand after: strokes and fills (skipped) and
// settings that carry no pixels (still applied, in order).
bool Qz__CheckpointCanFollow(Qz_Object* entry) {
  const uint32_t classId = classIdOf(entry);
  return classId == kRootActionClassId || classId == kFloodFillActionClassId ||
         classId == kMediaSettingsActionClassId || classId == kColourActionClassId || classId == kModeActionClassId;
}

bool Qz__AppliedBeforeCheckpoint(Qz_Object* entry) {
  const uint32_t classId = classIdOf(entry);
  return classId == kMediaSettingsActionClassId || classId == kColourActionClassId || classId == kModeActionClassId;
}

LayerCheckpoint* Qz__CheckpointOf(Qz_Object* action) {
  return reinterpret_cast<LayerCheckpoint*>(Qz_DoMethod(action, kActionGetCheckpoint));
}

// The bytes of the checkpoint dropped last, kept for the next one so that
// its copy does not first touch fresh memory. Under the list lock.
std::vector<uint8_t>& Qz__SpareBytes() {
  static std::vector<uint8_t> spare;
  return spare;
}

void Qz__DropBytes(LayerCheckpoint* c) {
  std::vector<uint8_t>& spare = Qz__SpareBytes();
  if (c->bytes.size() >= spare.size()) spare.swap(c->bytes);
  std::vector<uint8_t>().swap(c->bytes);
}

// Only the newest `keep` fills of the list (but `except`) keep their bytes;
// the rest keep what they were made on, which the fills after them are
// checked against.
void Qz__DropOlderCheckpoints(Qz_Object* list, int keep = kKeptCheckpoints, Qz_Object* except = nullptr) {
  int kept = 0;
  for (Qz_Object* entry = listFirst(list); entry; entry = listOlder(list, entry)) {
    LayerCheckpoint* c = classIdOf(entry) == kFloodFillActionClassId ? Qz__CheckpointOf(entry) : nullptr;
    if (c && entry != except && !c->bytes.empty() && ++kept > keep) Qz__DropBytes(c);
  }
}

// Whether the fill just made (on `list` or about to go back at its head)
// stands after nothing but strokes, settings and fills of this same ground,
// back to the layer's restore point.
bool Qz__WholePrefix(Qz_Object* list, Qz_Object* action, const LayerCheckpoint& made) {
  Qz_Object* entry = listFirst(list);
  for (Qz_Object* e = entry; e; e = listOlder(list, e))
    if (e == action) {
      entry = listOlder(list, e);
      break;
    }
  for (; entry; entry = listOlder(list, entry)) {
    const uint32_t classId = classIdOf(entry);
    if (classId == kFillImageActionClassId && layerOf(entry) == made.layer) return false;
    if (Qz__IsRestorePoint(entry)) return true;
    if (classId == kImageActionClassId || (layerOf(entry) != made.layer && classId != kMediaSettingsActionClassId))
      continue;
    if (!Qz__CheckpointCanFollow(entry)) return false;
    if (classId == kFloodFillActionClassId) {
      const LayerCheckpoint* c = Qz__CheckpointOf(entry);
      return c && c->wholePrefix && Qz__SameGround(c, made.layer, made.document, made.background);
    }
  }
  return true;
}

// The replay running on this thread: the background it found, its steps
// from the first that a checkpoint cannot follow, and the newest fills of
// its steps, which alone keep their bytes as they are applied.
struct ReplayCheckpoints {
  Qz_Image* layer;
  uint64_t background;
  Qz_Object* firstBlocking;
  std::vector<Qz_Object*> keepers;
  std::vector<Qz_Object*> steps;
};
thread_local ReplayCheckpoints* tReplay = nullptr;

}  // namespace

void keepLayerCheckpoint(Qz_Object* action, Qz_Image* layer, Qz_Image* document) {
  if (!action || !layer || !document || layer->depth != 8 || !layer->grey || layer->activeLayer || layer->width <= 0 ||
      layer->height <= 0)
    return;
  ReplayCheckpoints* replay = tReplay && tReplay->layer == layer ? tReplay : nullptr;
  const uint64_t background = replay ? replay->background : Qz__BackgroundHash(document);
  if (!background) return;
  std::lock_guard<std::recursive_mutex> guard(listMutex());
  Qz_Object* list = Qz_GetUndoList(document);
  if (!list) return;
  LayerCheckpoint made{layer,    layer->width,    layer->height,     layer->placement.layerX, layer->placement.layerY,
                       document, document->width, document->height, background,             false,
                       {}};
  bool keepBytes = true;
  if (replay) {
    // Everything before this step was replayed on the present ground.
    const auto& steps = replay->steps;
    const auto at = std::find(steps.begin(), steps.end(), action);
    const auto blocking = std::find(steps.begin(), steps.end(), replay->firstBlocking);
    made.wholePrefix = at != steps.end() && at < blocking;
    keepBytes = std::find(replay->keepers.begin(), replay->keepers.end(), action) != replay->keepers.end();
  } else {
    made.wholePrefix = Qz__WholePrefix(list, action, made);
  }
  // Room for this one first: its bytes may be those the oldest gives up.
  if (!replay) Qz__DropOlderCheckpoints(list, kKeptCheckpoints - 1, action);
  LayerCheckpoint* c = Qz__CheckpointOf(action);
  const bool isNew = !c;
  if (isNew) c = new LayerCheckpoint;
  made.bytes = std::move(c->bytes);
  *c = std::move(made);
  const size_t size = size_t(layer->width) * size_t(layer->height);
  if (keepBytes && c->wholePrefix) {
    if (c->bytes.size() != size && Qz__SpareBytes().size() == size) c->bytes.swap(Qz__SpareBytes());
    c->bytes.resize(size);
    Qz__CopyGrey(layer, c->bytes.data(), true);
  } else if (!c->bytes.empty()) {
    Qz__DropBytes(c);
  }
  if (isNew) Qz_DoMethod(action, kActionSetCheckpoint, c);
}

void setChangedSpans(Qz_Image* layer, bool full) {
  if (!layer || !layer->spanLeast || !layer->spanGreatest) return;
  for (int32_t y = 0; y < layer->height; ++y) {
    layer->spanLeast[y] = full ? 0 : layer->width - 1;
    layer->spanGreatest[y] = full ? layer->width - 1 : kQzSpanUnchanged;
  }
}

void fillPlanes(Qz_Image* image, uint32_t colour) {
  if (!image) return;
  const size_t rowBytes = size_t(image->width);
  auto fill = [&](Qz_Plane plane, uint8_t value) {
    if (!plane) return;
    for (int32_t y = 0; y < image->height; ++y) std::memset(plane[y], value, rowBytes);
  };
  if (image->depth == 8) {
    fill(image->grey, uint8_t(colour));
  } else {
    fill(image->r, uint8_t(colour));
    fill(image->g, uint8_t(colour >> 8));
    fill(image->b, uint8_t(colour >> 16));
  }
}

void fillImage(Qz_Image* image, uint32_t colour) {
  if (!image) return;
  fillPlanes(image, colour);
  if (image->type == kQzPaintLayer) {
    Qz_RedoLayerChanges(image);
    return;
  }
  Qz_CopyImageToUndoData(image, 0, 0, image->width - 1, image->height - 1, 0, 0);
  qz::fullProcessImage(qz::topDocument(image));
  Qz_ModifiedAllImageData(image);
}

void commitLayerMode(Qz_Image* layer) {
  if (layer) Qz_DoLayerDoesntNeedsFixing(layer);
}

}  // namespace qz::actions

namespace {

// Puts back the newest checkpoint of the replay's fills that still holds and
// returns the index of the first step after it (0: none holds, replay them
// all). Notes the background, and which fills keep checkpoints as the
// replay applies them.
size_t Qz__ResumeFromCheckpoint(const std::vector<Qz_Object*>& replay, Qz_Image* layer, Qz_Image* target,
                                Qz_Image* document, qz::actions::ReplayCheckpoints& checkpoints) {
  using namespace qz::actions;
  if (target != layer || !document || layer->depth != 8 || !layer->grey) return 0;
  size_t following = 0;
  while (following < replay.size() && Qz__CheckpointCanFollow(replay[following])) ++following;
  checkpoints.steps = replay;
  checkpoints.firstBlocking = following < replay.size() ? replay[following] : nullptr;
  int fills = 0;
  for (size_t i = replay.size(); i-- > 0 && fills < kKeptCheckpoints;)
    if (classIdOf(replay[i]) == kFloodFillActionClassId) {
      checkpoints.keepers.push_back(replay[i]);
      ++fills;
    }
  if (fills == 0) return 0;
  checkpoints.background = Qz__BackgroundHash(document);
  std::lock_guard<std::recursive_mutex> guard(listMutex());
  for (size_t i = following; i-- > 0;) {
    const LayerCheckpoint* c = Qz__CheckpointOf(replay[i]);
    if (classIdOf(replay[i]) != kFloodFillActionClassId || !Qz__Usable(c, layer, document, checkpoints.background))
      continue;
    Qz__CopyGrey(layer, const_cast<uint8_t*>(c->bytes.data()), false);
    return i + 1;
  }
  return 0;
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT Qz_Object* Qz_GetUndoList(Qz_Image* image) { return Qz__ListOf(image, false); }
QZ_EXPORT Qz_Object* Qz_GetRedoList(Qz_Image* image) { return Qz__ListOf(image, true); }

QZ_EXPORT uint32_t Qz_AddImageAction(Qz_Image* image, Qz_Object* action, uint32_t /*flags*/) {
  if (!image || !action) return 0;
  if (!Qz_LockImageA(image, kQzLockRead, nullptr)) return 0;
  Qz_Object* list = Qz_GetUndoList(image);
  const bool added = list && Qz__AddLocked(image, list, action, true);
  Qz_UnlockImageA(image, kQzLockRead, nullptr);
  return added ? 1 : 0;
}

QZ_EXPORT uint32_t Qz_AddLayerAction(Qz_Image* layer, Qz_Object* action, uint32_t /*flags*/) {
  if (!layer || !action) return 0;
  Qz_Image* document = owningDocument(layer);
  Qz__FixPendingChanges(layer, document);
  Qz_DoMethod(action, kActionSetLayer, layer);
  Qz_DoMethod(action, kActionSetImage, layer->parent ? layer->parent : layer);
  // The real result: a refused action is still the caller's to dispose.
  return Qz_AddImageAction(document, action, 0);
}

QZ_EXPORT void Qz_RedoLayerActions(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1,
                                   int32_t y1) {
  if (!layer) return;
  Qz_Image* parent = layer->parent ? layer->parent : layer;
  Qz_Image* document = owningDocument(layer);
  Qz_Image* target = layer->activeLayer ? layer->activeLayer : layer;
  parent->displayCount.fetch_sub(1);
  parent->notifySuspend.fetch_add(1);
  // Collected under the list lock, applied after it: applying may take image locks.
  std::vector<Qz_Object*> replay;
  Qz_Object* restorePoint = nullptr;
  if (Qz_Object* list = Qz_GetUndoList(document)) {
    std::lock_guard<std::recursive_mutex> guard(listMutex());
    const ReplayFrom from = Qz__ReplayStart(list, layer);
    restorePoint = from.restorePoint;
    Qz__KeepReplayStart(list, restorePoint, layer);
    for (Qz_Object* entry = from.start; entry; entry = listNewer(list, entry)) {
      const uint32_t classId = classIdOf(entry);
      if (classId == kImageActionClassId) continue;
      // Brush settings carry no pixels: re-applying them for every layer keeps
      // each replayed stroke at the settings of its time and ends at the latest.
      if (layerOf(entry) == layer || classId == kMediaSettingsActionClassId)
        replay.push_back(entry);
    }
  }
  const bool suspended = parent->compositingSuspended.load() != 0;
  qz::actions::ReplayCheckpoints checkpoints{layer, 0, nullptr, {}, {}};
  const size_t resume = suspended ? 0 : Qz__ResumeFromCheckpoint(replay, layer, target, document, checkpoints);
  if (suspended) {
    // The rectangle is in layer coordinates; the parent's planes are offset by the layer's place.
    const int32_t ox = parent != layer ? layer->placement.layerX : 0;
    const int32_t oy = parent != layer ? layer->placement.layerY : 0;
    Qz_CopyUndoToImageData(parent, x0 + ox, y0 + oy, x1 + ox, y1 + oy, x0 + ox, y0 + oy);
    parent->compositingSuspended.store(0);
  } else if (resume == 0 && !restoreReplayStart(reinterpret_cast<const ReplayStart*>(
                                                    Qz_DoMethod(restorePoint, kActionGetReplayStart)),
                                                target)) {
    // The restore point left the layer empty, or there is none: the layer's
    // steps from the oldest are all replayed.
    fillPlanes(target, 0);
  }
  {
    // The settings among the steps a checkpoint stands for still count.
    for (size_t i = 0; i < resume; ++i)
      if (qz::actions::Qz__AppliedBeforeCheckpoint(replay[i])) Qz_DoMethod(replay[i], kActionApply);
    ReplayProgress progress(document, replay.size() - resume);
    qz::actions::ReplayCheckpoints* outer = qz::actions::tReplay;
    qz::actions::tReplay = checkpoints.background ? &checkpoints : nullptr;
    for (size_t i = resume; i < replay.size(); ++i) {
      progress.step(i - resume);
      Qz_DoMethod(replay[i], kActionApply);
    }
    qz::actions::tReplay = outer;
  }
  if (checkpoints.background) {
    std::lock_guard<std::recursive_mutex> guard(listMutex());
    if (Qz_Object* list = Qz_GetUndoList(document)) qz::actions::Qz__DropOlderCheckpoints(list);
  }
  parent->displayCount.fetch_add(1);
  parent->notifySuspend.fetch_sub(1);
  Qz_ModifiedImageData(target, x0, y0, x1, y1);
}

QZ_EXPORT void Qz_RedoAllLayerActions(Qz_Image* layer) {
  if (!layer) return;
  Qz_RedoLayerActions(layer, 0, 0, layer->width - 1, layer->height - 1);
}

QZ_EXPORT void Qz_RedoLayerAction(Qz_Object* action) {
  Qz_Image* layer = layerOf(action);
  auto* bounds = reinterpret_cast<const int32_t*>(Qz_DoMethod(action, kActionGetBounds));
  if (!layer || !bounds) return;
  Qz_RedoLayerActions(layer, bounds[0], bounds[1], bounds[0] + bounds[2], bounds[1] + bounds[3]);
}

QZ_EXPORT void Qz_EndUndoAtNewestActions(Qz_Image* image, uint32_t count) {
  Qz_Object* undo = Qz_GetUndoList(image);
  if (!undo) return;
  std::lock_guard<std::recursive_mutex> guard(listMutex());
  for (Qz_Object* action = listFirst(undo); action && count > 0; action = listOlder(undo, action), --count)
    Qz_DoMethod(action, kActionSetUndoable, 0);
}

QZ_EXPORT uint32_t Qz_UndoImageAction(Qz_Image* image) { return Qz__MoveSteps(image, nullptr, false); }
QZ_EXPORT uint32_t Qz_RedoImageAction(Qz_Image* image) { return Qz__MoveSteps(image, nullptr, true); }
QZ_EXPORT uint32_t Qz_UndoImageActionsTo(Qz_Image* image, Qz_Object* action) {
  return action ? Qz__MoveSteps(image, action, false) : 0;
}
QZ_EXPORT uint32_t Qz_RedoImageActionsTo(Qz_Image* image, Qz_Object* action) {
  return action ? Qz__MoveSteps(image, action, true) : 0;
}

QZ_EXPORT uint32_t Qz_DiscardImageActions(Qz_Image* image, uint32_t redoList) {
  if (!image) return 0;
  Qz_Image* document = Qz__ListOwner(image);
  Qz_Object* list = redoList ? Qz_GetRedoList(document) : Qz_GetUndoList(document);
  if (!list || !Qz_LockImageA(document, kQzLockExclusive, nullptr)) return 0;
  std::vector<Qz_Object*> gone;
  {
    std::lock_guard<std::recursive_mutex> guard(listMutex());
    gone = Qz__TakeRedoList(list);
    // The replay of a layer starts at the newest restore point: one that
    // holds the layers as they are keeps the picture once the history is gone.
    if (!redoList && !gone.empty()) Qz__AddRestorePoint(document, list);
  }
  for (Qz_Object* action : gone) {
    Qz_DoMethod(action, kRootDeselect);
    Qz_DisposeObject(action);
  }
  Qz_UnlockImageA(document, kQzLockExclusive, nullptr);
  return gone.empty() ? 0 : 1;
}

QZ_EXTERN_C_END
