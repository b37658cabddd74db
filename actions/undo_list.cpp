// The undo list of a document: adding actions (with the undo-memory cap),
// the undo and redo moves of the undo panel, and the replay that rebuilds a
// layer from its parent's undo planes and the layer's actions since the
// newest restore point.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <vector>

#include "actions/action_internal.h"
#include "image/image_internal.h"
#include "image/image_shell.h"
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
  if (parent->compositingSuspended.load()) {
    // The rectangle is in layer coordinates; the parent's planes are offset by the layer's place.
    const int32_t ox = parent != layer ? layer->placement.layerX : 0;
    const int32_t oy = parent != layer ? layer->placement.layerY : 0;
    Qz_CopyUndoToImageData(parent, x0 + ox, y0 + oy, x1 + ox, y1 + oy, x0 + ox, y0 + oy);
    parent->compositingSuspended.store(0);
  } else if (!restoreReplayStart(reinterpret_cast<const ReplayStart*>(
                                     Qz_DoMethod(restorePoint, kActionGetReplayStart)),
                                 target)) {
    // The restore point left the layer empty, or there is none: the layer's
    // steps from the oldest are all replayed.
    fillPlanes(target, 0);
  }
  {
    ReplayProgress progress(document, replay.size());
    for (size_t i = 0; i < replay.size(); ++i) {
      progress.step(i);
      Qz_DoMethod(replay[i], kActionApply);
    }
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
