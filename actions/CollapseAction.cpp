// CollapseAction: bakes the composite of the layers into the document's
// background (its undo planes), row span by row span where the layers
// changed, keeping the bytes it overwrote so that its undo puts them back.
// A restore point for every layer; qualifier 1 also empties the layers'
// change spans, commits their modes and clears them, qualifier 2 composites
// and redraws the whole document. Answers 0x139b000a/0x139b0014 (a value).
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "actions/action_internal.h"
#include "image/image_internal.h"

namespace {

using namespace qz::actions;

constexpr uint32_t kCollapseName = 123;  // catalogue: "Fix Layer"
// How long the collapse waits for an interruptible pass on the document to end.
constexpr auto kInterruptWait = std::chrono::seconds(2);
constexpr auto kInterruptPoll = std::chrono::milliseconds(10);

struct Span {
  int32_t least, greatest;  // greatest < least: nothing
};

struct CollapseData {
  Qz_Object header;
  Qz_Image* layer = nullptr;
  uint32_t value = 0;
  std::vector<Span> spans;      // one per row of the target
  std::vector<uint8_t> saved;   // per row: the background spans, then the mask span
  bool nothingSaved = false;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kCollapseActionSetValue, .getter = kCollapseActionGetValue,
     .field = qz::kit::field(&CollapseData::value), .setterName = "Qz_SetCollapseActionValue",
     .getterName = "Qz_GetCollapseActionValue", .answersZero = true},
};

CollapseData* asCollapse(Qz_Object* object) { return reinterpret_cast<CollapseData*>(object); }
uint32_t Qz__Qualifier(Qz_Object* self) { return uint32_t(Qz_DoMethod(Qz_GetTopMostObject(self), kActionGetQualifier)); }

// An image layer collapses into itself (its mask), any other into its parent.
Qz_Image* Qz__Target(const CollapseData* c) {
  if (!c->layer) return nullptr;
  if (c->layer->type == kQzImageLayer || !c->layer->parent) return c->layer;
  return c->layer->parent;
}

// The union over the target's layers of each row's changed span, shifted by
// the layer's place; with reset the layers' own spans are emptied.
std::vector<Span> Qz__ChangedSpans(Qz_Image* target, bool reset) {
  const int32_t width = target->width;
  std::vector<Span> spans(size_t(target->height), Span{width - 1, kQzSpanUnchanged});
  if (target->compositingSuspended.load()) {
    std::fill(spans.begin(), spans.end(), Span{0, width - 1});
    return spans;
  }
  for (Qz_Image* layer = first_layer(target); layer; layer = next_layer(layer)) {
    if (!layer->spanLeast || !layer->spanGreatest) continue;
    const int32_t ox = layer->placement.layerX, oy = layer->placement.layerY;
    for (int32_t row = 0; row < layer->height; ++row) {
      const int32_t y = oy + row;
      if (layer->spanGreatest[row] == kQzSpanUnchanged) continue;
      if (y >= 0 && y < target->height) {
        Span& s = spans[size_t(y)];
        s.least = std::min(s.least, std::max(layer->spanLeast[row] + ox, 0));
        s.greatest = std::max(s.greatest, std::min(layer->spanGreatest[row] + ox, width - 1));
      }
      if (reset) layer->spanLeast[row] = layer->width - 1, layer->spanGreatest[row] = kQzSpanUnchanged;
    }
  }
  return spans;
}

// What is baked into the target: its planes over its background planes.
struct PlanePair {
  Qz_Plane from, background;
};
std::vector<PlanePair> Qz__Planes(Qz_Image* target) {
  if (target->depth == 24) return {{target->r, target->undoR}, {target->g, target->undoG}, {target->b, target->undoB}};
  return {{target->grey, target->undoGrey}};
}

// The mask of an image layer is saved beside its background.
Qz_Plane Qz__MaskPlane(Qz_Image* target) {
  return target->type == kQzImageLayer && target->inner ? target->inner->grey : nullptr;
}

void Qz__SaveAndBake(CollapseData* c, Qz_Image* target) {
  const std::vector<PlanePair> planes = Qz__Planes(target);
  Qz_Plane mask = Qz__MaskPlane(target);
  size_t total = 0;
  for (const Span& s : c->spans)
    if (s.greatest >= s.least) total += size_t(s.greatest - s.least + 1);
  const size_t perPixel = planes.size() + (mask ? 1 : 0);
  c->nothingSaved = total == 0;
  try {
    c->saved.resize(total * perPixel);
  } catch (const std::bad_alloc&) {
    c->saved.clear();  // baked all the same: the collapse cannot be undone
  }
  uint8_t* out = c->saved.empty() ? nullptr : c->saved.data();
  for (size_t y = 0; y < c->spans.size(); ++y) {
    const Span s = c->spans[y];
    if (s.greatest < s.least) continue;
    const size_t n = size_t(s.greatest - s.least + 1);
    for (const PlanePair& p : planes) {
      if (out) std::memcpy(out, p.background[y] + s.least, n), out += n;
      std::memcpy(p.background[y] + s.least, p.from[y] + s.least, n);
    }
    if (mask && out) std::memcpy(out, mask[y] + s.least, n), out += n;
  }
}

// An image layer's mask takes in the grey of its active layer, where that
// layer lies over it: g + a (255 - g) / 255, truncated.
void Qz__MergeMask(Qz_Image* target) {
  Qz_Plane mask = Qz__MaskPlane(target);
  Qz_Image* source = target->activeLayer;
  if (!mask || !source || !source->grey) return;
  const int32_t ox = source->placement.layerX, oy = source->placement.layerY;
  const int32_t rows = std::min(target->inner->height, target->height);
  const int32_t columns = std::min(target->inner->width, target->width);
  for (int32_t y = std::max(oy, 0); y < std::min(rows, oy + source->height); ++y)
    for (int32_t x = std::max(ox, 0); x < std::min(columns, ox + source->width); ++x) {
      const int32_t g = mask[y][x], a = source->grey[y - oy][x - ox];
      mask[y][x] = uint8_t(g + a * (255 - g) / 255);
    }
}

void Qz__Collapse(Qz_Object* self, CollapseData* c) {
  Qz_Image* target = Qz__Target(c);
  c->saved.clear();
  c->spans.clear();
  c->nothingSaved = false;
  if (!target || target->height <= 0) return;
  const bool fixing = Qz__Qualifier(self) == 1;
  c->spans = Qz__ChangedSpans(target, fixing);
  Qz__SaveAndBake(c, target);
  Qz__MergeMask(target);
  // The background took in the layers and their change spans were reset.
  Qz_NoteImageChange(target);
  if (target->inner) Qz_NoteImageChange(target->inner);
  if (!fixing) return;
  for (Qz_Image* layer = first_layer(target); layer; layer = next_layer(layer)) {
    commitLayerMode(layer);
    Qz_DoMethod(&layer->object, kQzImageClear);
  }
  target->compositingSuspended.store(0);
}

// A pass the user can interrupt is given a little time to end, without the
// lock held, rather than waited for without bound.
void Qz__AwaitInterruptible(Qz_Image* parent) {
  const auto until = std::chrono::steady_clock::now() + kInterruptWait;
  while (parent->interruptible.load() && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(kInterruptPoll);
}

QzWord Qz__Apply(Qz_Object* self, CollapseData* c, uint32_t lockMode) {
  Qz_Image* target = Qz__Target(c);
  if (!target) return 1;
  Qz_Image* parent = c->layer->parent ? c->layer->parent : target;
  if (lockMode == kQzLockRead) Qz__AwaitInterruptible(parent);
  if (!Qz_LockImageA(parent, lockMode, nullptr)) return 0;
  parent->notifySuspend.fetch_add(1);
  Qz__Collapse(self, c);
  if (lockMode == kQzLockRead && Qz__Qualifier(self) == 2) {
    qz::fullProcessImage(parent);
    Qz_FullRedrawImage(parent);
  }
  parent->notifySuspend.fetch_sub(1);
  Qz_UnlockImageA(parent, lockMode, nullptr);
  return 1;
}

bool Qz__Restore(CollapseData* c, Qz_Image* target) {
  if (c->saved.empty() || c->spans.size() != size_t(target->height)) return false;
  const std::vector<PlanePair> planes = Qz__Planes(target);
  Qz_Plane mask = Qz__MaskPlane(target);
  const bool imageLayer = target->type == kQzImageLayer;
  const uint8_t* in = c->saved.data();
  for (size_t y = 0; y < c->spans.size(); ++y) {
    const Span s = c->spans[y];
    if (s.greatest < s.least || s.greatest >= target->width) continue;
    const size_t n = size_t(s.greatest - s.least + 1);
    for (const PlanePair& p : planes) {
      std::memcpy(p.background[y] + s.least, in, n);
      if (imageLayer) std::memcpy(p.from[y] + s.least, in, n);
      in += n;
    }
    if (mask) std::memcpy(mask[y] + s.least, in, n), in += n;
  }
  Qz_NoteImageChange(target);
  if (target->inner) Qz_NoteImageChange(target->inner);
  return true;
}

QzWord Qz__Undo(Qz_Object* self, CollapseData* c) {
  Qz_Image* target = Qz__Target(c);
  if (!target) return 1;
  Qz_Image* parent = c->layer->parent ? c->layer->parent : target;
  if (!Qz_LockImageA(parent, kQzLockExclusive, nullptr)) return 0;
  const bool restored = Qz__Restore(c, target);
  if (Qz__Qualifier(self) == 2)
    for (Qz_Image* layer = first_layer(parent); layer; layer = next_layer(layer))
      Qz_DoMethod(&layer->object, kQzImageClear);
  Qz_UnlockImageA(parent, kQzLockExclusive, nullptr);
  if (!restored && !c->nothingSaved) return 0;
  Qz_Image* replayed = c->layer->type == kQzImageLayer ? c->layer->activeLayer : c->layer;
  if (replayed) Qz_RedoAllLayerActions(replayed);
  return 1;
}

QzWord Qz__DropSaved(CollapseData* c) {
  const size_t freed = c->saved.size() + c->spans.size() * sizeof(Span);
  std::vector<uint8_t>().swap(c->saved);
  std::vector<Span>().swap(c->spans);
  return QzWord(freed);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  CollapseData* c = asCollapse(object);
  switch (id) {
    case kActionSetLayer: c->layer = reinterpret_cast<Qz_Image*>(args[0]); break;
    case kActionApply: case kActionApplyQuiet: return Qz__Apply(object, c, kQzLockRead);
    case kActionRedo: return Qz__Apply(object, c, kQzLockExclusive);
    case kActionUndo: return Qz__Undo(object, c);
    case kActionGetUndoable: return !c->saved.empty() || c->nothingSaved ? 1 : 0;
    case kActionBaseSize: return qz::kit::inherited(object, id, args) + 4;
    case kActionTotalSize: return qz::kit::inherited(object, id, args) + c->saved.size() + 4;
    case kActionDropUndoData: return Qz__DropSaved(c);
    case kActionGetName: return qz::toWord(Qz__ActionText(kCollapseName));
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Fix", kActionRestorePoint | 0x1};

const qz::kit::ClassDecl kCollapseAction = actionClass(
    {.name = "CollapseAction", .classId = kImageActionClassId, .instance = qz::kit::instanceOf<CollapseData>(),
     .handler = Qz__Dispatch, .attributes = kAttributes}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCollapseActionClass(Qz_GlobalData*) { return qz::kit::addClass(kCollapseAction); }
QZ_EXPORT void Qz_CleanupCollapseActionClass(void) { qz::kit::removeClass(kCollapseAction); }
QZ_EXTERN_C_END
