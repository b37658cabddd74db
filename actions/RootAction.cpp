// RootAction: the base of every undoable edit and the action of every brush
// stroke, line, curve and outline. It owns its points (PointAction objects in
// a list), replays them to the document's media, and carries what the undo
// list asks of every action: layer and image, flags, sizes and an optional
// full undo copy of the image. Unanswered ids go to the inner object.
#include <cmath>
#include <cstring>
#include <vector>

#include "actions/action_internal.h"
#include "gadgets/qz_group.h"
#include "image/image_internal.h"
#include "image/polygon_fill.h"
#include "image/qz_compositor.h"
#include "objects/catalogue.h"
#include "objects/qz_linked_list.h"

namespace {

using namespace qz::actions;

// The inner group's frame shows the entry in the undo list display.
constexpr uint32_t kEntryPlain = 1, kEntrySelected = 2;
constexpr uint32_t kPointSize = 40;            // bytes a point counts for in the undo memory
constexpr double kDegreesPerRadian = 57.29577951308232;

// A point of a stroke: a light record without a superclass instance.
struct PointData {
  Qz_Object header;
  int32_t x, y;
  uint32_t pressure;
};

struct RootActionData {
  Qz_Object header;  // super: the inner object
  Qz_Object* outer = &header;
  Qz_Object* tool = nullptr;
  uint32_t userValue = 0;
  const char* name = "RootAction";
  Qz_Image* image = nullptr;
  Qz_Image* layer = nullptr;
  Qz_Image* undoCopy = nullptr;
  ReplayStart* replayStart = nullptr;  // what the replay starts from when this is its restore point
  LayerCheckpoint* checkpoint = nullptr;  // the layer after this step, where a replay may start
  int32_t bounds[4] = {};  // left, top, width, height
  int32_t* boundsPointer = bounds;
  Qz_Object* points = nullptr;  // LinkedList of PointAction, made on the first point
  uint32_t flags = 0;
  uint32_t qualifier = 0;
  uint32_t strokeFlags = 0;
  uint32_t undoable = 0;
  uint32_t symmetry = 0;
  int32_t gradientKind = 0;
  uint16_t gradientLevel = 0;
  uint16_t subPixelScale = 0;
  int32_t handlesShown = 0;
  int32_t active = 0;
};

RootActionData* asAction(Qz_Object* object) { return reinterpret_cast<RootActionData*>(object); }
PointData* asPoint(Qz_Object* object) { return reinterpret_cast<PointData*>(object); }

// ---- points -------------------------------------------------------------------------

const qz::kit::Attribute kPointAttributes[] = {
    {.setter = kActionSetX, .getter = kActionGetX, .field = qz::kit::field(&PointData::x),
     .setterName = "Qz_SetActionX", .getterName = "Qz_GetActionX", .answersZero = true},
    {.setter = kActionSetY, .getter = kActionGetY, .field = qz::kit::field(&PointData::y),
     .setterName = "Qz_SetActionY", .getterName = "Qz_GetActionY", .answersZero = true},
    {.setter = kPointSetPressure, .getter = kPointGetPressure,
     .field = qz::kit::field(&PointData::pressure), .setterName = "Qz_SetActionPressure",
     .getterName = "Qz_GetActionPressure", .answersZero = true},
};

QzWord Qz__PointDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  PointData* p = asPoint(object);
  switch (id) {
    case kActionMove:
      p->x += int32_t(args[0]);
      p->y += int32_t(args[1]);
      return 1;
    case kRootStoreObject:
      return Qz__InternalStoreObject(Qz_GetTopMostObject(object),
                                     reinterpret_cast<Qz_StoreObjectData*>(args[0]));
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kPointAction = {
    .name = "PointAction", .classId = kPointActionClassId,
    .instance = qz::kit::instanceOf<PointData>(), .handler = Qz__PointDispatch,
    .attributes = kPointAttributes};

struct Point {
  int32_t x, y;
  uint32_t pressure;
};

// The points in order (at most `limit` of them when limit > 0).
template <typename Fn>
void Qz__ForEachPoint(RootActionData* a, Fn&& fn) {
  if (!a->points) return;
  for (Qz_Object* m = listFirst(a->points); m; m = listOlder(a->points, m)) {
    if (classIdOf(m) != kPointActionClassId) continue;
    PointData* p = asPoint(m);
    if (!fn(Point{p->x, p->y, p->pressure})) return;
  }
}

uint32_t Qz__PointCount(RootActionData* a) {
  return a->points ? uint32_t(Qz_DoMethod(a->points, kLinkedListCount)) : 0;
}

bool Qz__MakePointList(RootActionData* a) {
  if (!a->points) a->points = Qz_CreateObject("LinkedList");
  return a->points != nullptr;
}

QzWord Qz__AddPointFromTags(RootActionData* a, const TagItem* tags) {
  if (!Qz__MakePointList(a)) return 0;
  return qz::toWord(Qz_AddObjectA(a->points, "PointAction", tags));
}

// ---- media messages -------------------------------------------------------------------

struct TabletRecord {
  uint32_t words[5];
};

class StrokeSender {
 public:
  StrokeSender(RootActionData* a, uint32_t strokeFlags)
      : a_(a), document_(owningDocument(a->layer)), strokeFlags_(strokeFlags) {}

  void line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const TabletRecord* tablet) {
    if (a_->symmetry == 0) {
      send(x0, y0, x1, y1, tablet);
      return;
    }
    const int32_t cx = document_ ? document_->width / 2 : 0;
    const int32_t cy = document_ ? document_->height / 2 : 0;
    const Polar p0 = polar(cx, cy, x0, y0), p1 = polar(cx, cy, x1, y1);
    // Counted, not accumulated: adding 360/N until 360 can give one copy too many.
    for (uint32_t k = 0; k < a_->symmetry; ++k) {
      const double offset = double(k) * 360.0 / double(a_->symmetry);
      send(cx + int32_t(p0.r * std::cos((p0.a + offset) / kDegreesPerRadian)),
           cy + int32_t(p0.r * std::sin((p0.a + offset) / kDegreesPerRadian)),
           cx + int32_t(p1.r * std::cos((p1.a + offset) / kDegreesPerRadian)),
           cy + int32_t(p1.r * std::sin((p1.a + offset) / kDegreesPerRadian)), tablet);
    }
  }

  void curve(const Point (&p)[3]) {
    Qz_DoMethod(media(), kMediaStroke, kMediaStrokeCurve, document_, a_->layer, a_->qualifier,
                strokeFlags_, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, 0u);
  }

  void end(const TabletRecord* tablet) {
    Qz_DoMethod(media(), kMediaStroke, 0u, document_, a_->layer, 0u, 0u, 0u, 0u, 0u, 0u, tablet);
  }

 private:
  struct Polar {
    double r, a;
  };
  static Polar polar(int32_t cx, int32_t cy, int32_t x, int32_t y) {
    const double dx = double(cx) - x, dy = double(cy) - y;
    return {std::trunc(std::sqrt(dx * dx + dy * dy)), std::atan2(dy, dx) * kDegreesPerRadian + 180.0};
  }
  Qz_Object* media() const { return document_ ? document_->media : nullptr; }
  void send(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const TabletRecord* tablet) {
    Qz_DoMethod(media(), kMediaStroke, kMediaStrokeLine, document_, a_->layer, a_->qualifier,
                strokeFlags_, x0, y0, x1, y1, tablet);
  }

  RootActionData* a_;
  Qz_Image* document_;
  uint32_t strokeFlags_;
};

// Replays the lines from the point at `start` (0 = the first) on.
void Qz__ReplayLines(RootActionData* a, uint32_t start, bool mark) {
  uint32_t strokeFlags = a->strokeFlags;
  if (!(a->flags & kActionFreehand)) strokeFlags |= kStrokeContinue;
  if (!mark) strokeFlags |= kStrokeQuiet;
  StrokeSender sender(a, strokeFlags);
  bool havePrevious = false, haveFirst = false;
  Point first{}, previous{};
  TabletRecord firstTablet{}, previousTablet{};
  uint32_t index = 0;
  Qz__ForEachPoint(a, [&](const Point& p) {
    if (index++ < start) return true;
    TabletRecord tablet{{p.pressure, 0, 0, 0, 0}};
    if (havePrevious)
      sender.line(previous.x, previous.y, p.x, p.y, p.pressure ? &tablet : nullptr);
    if (!haveFirst) {
      first = p;
      firstTablet = tablet;
      haveFirst = true;
    }
    previous = p;
    previousTablet = tablet;
    havePrevious = true;
    return true;
  });
  if ((a->flags & kActionOutline) && havePrevious)
    sender.line(previous.x, previous.y, first.x, first.y, first.pressure ? &firstTablet : nullptr);
  sender.end(havePrevious && previous.pressure ? &previousTablet : nullptr);
}

void Qz__ReplayCurve(RootActionData* a, bool mark) {
  const uint32_t strokeFlags = a->strokeFlags | (mark ? 0u : uint32_t(kStrokeQuiet));
  StrokeSender sender(a, strokeFlags);
  Point p[3]{};
  uint32_t n = 0;
  Qz__ForEachPoint(a, [&](const Point& point) {
    p[n++] = point;
    return n < 3;
  });
  // A curve needs its three points; with fewer only the stroke is ended.
  if (n == 3) sender.curve(p);
  sender.end(nullptr);
}

// A filled outline: its points filled into the layer's transparency, the
// other button removing; a marked apply also composites and redraws.
void Qz__FillOutline(RootActionData* a, bool mark) {
  std::vector<int32_t> xy;
  xy.reserve(size_t(Qz__PointCount(a)) * 2);
  Qz__ForEachPoint(a, [&](const Point& p) {
    xy.push_back(p.x);
    xy.push_back(p.y);
    return true;
  });
  qz::FillBounds b{};
  if (!qz::fillOutline(a->layer, xy.data(), int32_t(xy.size() / 2), a->gradientKind, int16_t(a->gradientLevel),
                       a->qualifier == 2, &b))
    return;
  Qz_ModifiedImageData(a->layer, b.x0, b.y0, b.x1, b.y1);
  if (!mark) return;
  Qz_ProcessLayer(a->layer, b.x0, b.y0, b.x1, b.y1);
  Qz_RedrawLayer(a->layer, b.x0, b.y0, b.x1, b.y1);
}

QzWord Qz__Apply(RootActionData* a, bool mark) {
  if (!a->layer) return 1;
  switch (a->flags) {
    case kActionFreehand:
    case kActionLines:
    case kActionOutline: Qz__ReplayLines(a, 0, mark); break;
    case kActionCurve: Qz__ReplayCurve(a, mark); break;
    case kActionPolygon: Qz__FillOutline(a, mark); break;
    default: break;  // the subclasses' kinds are not drawn here
  }
  return 1;
}

// ---- bounds, names, sizes -----------------------------------------------------------------

void Qz__RecomputeBounds(RootActionData* a) {
  if (Qz__PointCount(a) == 0) {
    // Nothing to bound: an empty box at the origin rather than a negative width.
    a->bounds[0] = a->bounds[1] = a->bounds[2] = a->bounds[3] = 0;
    return;
  }
  int32_t left = a->image ? a->image->width : 0, top = a->image ? a->image->height : 0;
  int32_t right = 0, bottom = 0;
  Qz__ForEachPoint(a, [&](const Point& p) {
    left = std::min(left, p.x);
    top = std::min(top, p.y);
    right = std::max(right, p.x);
    bottom = std::max(bottom, p.y);
    return true;
  });
  a->bounds[0] = left;
  a->bounds[1] = top;
  a->bounds[2] = right - left + 1;
  a->bounds[3] = bottom - top + 1;
}

QzWord Qz__SetBoundFields(RootActionData* a, const QzWord* pairs) {
  for (int i = 0; i < 64 && pairs[0]; ++i, pairs += 2) {
    switch (uint32_t(pairs[0])) {
      case kActionSetX: a->bounds[0] = int32_t(pairs[1]); break;
      case kActionSetY: a->bounds[1] = int32_t(pairs[1]); break;
      case kActionSetWidth: a->bounds[2] = int32_t(pairs[1]); break;
      case kActionSetHeight: a->bounds[3] = int32_t(pairs[1]); break;
      default: break;
    }
  }
  return 0;
}

QzWord Qz__SetBound(RootActionData* a, uint32_t id, QzWord value) {
  return Qz_DoMethod(a->outer, kActionSetBoundFields, id, value, 0u);
}

// The undo copy counts by its own size: its layers are what the undo-memory
// limit, one image's size per level, does not count either.
uint64_t Qz__ImageBytes(Qz_Image* image) {
  if (!image) return 0;
  return uint64_t(uint32_t(image->depth)) * uint32_t(image->height) * uint32_t(image->width) / 8;
}

// The replay start is part of the base: it cannot be dropped while the
// action is listed, or a replay would lose the paint it holds.
uint64_t Qz__BaseSize(RootActionData* a) {
  return uint64_t(Qz__PointCount(a)) * kPointSize + 4 + replayStartBytes(a->replayStart);
}

uint64_t Qz__TotalSize(RootActionData* a) { return Qz__BaseSize(a) + Qz__ImageBytes(a->undoCopy); }

// A stroke kind names the action after itself.
void Qz__FlagsChanged(Qz_Object* object) {
  RootActionData* a = asAction(object);
  if (uint32_t number = Qz__ActionNameNumber(a->flags, a->qualifier)) a->name = Qz__ActionText(number);
}

// ---- undo copy ----------------------------------------------------------------------------

QzWord Qz__TakeUndoCopy(RootActionData* a) {
  if (a->undoCopy) {
    Qz_DisposeObject(&a->undoCopy->object);
    a->undoCopy = nullptr;
  }
  if (!a->image) return 0;
  a->undoCopy = Qz__CopyImage(a->image, kQzCopyExact);
  return a->undoCopy ? 1 : 0;
}

QzWord Qz__DisposeUndoCopy(RootActionData* a) {
  if (a->undoCopy) Qz_DisposeObject(&a->undoCopy->object);
  a->undoCopy = nullptr;
  return 1;
}

bool Qz__SizeDiffers(const Qz_Image* a, const Qz_Image* b) {
  return a->width != b->width || a->height != b->height || a->depth != b->depth;
}

bool Qz__Resize(Qz_Image* image, int32_t width, int32_t height) {
  if (!Qz_BeginNewImageSize(image, width, height)) return false;
  return Qz_EndNewImageSize(image, width, height) != 0;
}

void Qz__CopyLayerPlanes(Qz_Image* to, Qz_Image* from) {
  if (to->depth == 8 && from->depth == 8 && to->grey && from->grey)
    Qz__CopyPlaneRect(to->grey, to->width, to->height, from->grey, from->width, from->height, 0, 0,
                      from->width - 1, from->height - 1, 0, 0);
  else
    Qz_BlitImageToImage(to, 0, 0, from, 0, 0, from->width, from->height, 255, 0);
}

// The copy holds each image's background as its pixels: an image layer
// takes them back as its background too, and its own layers with it.
void Qz__RestoreLayers(Qz_Image* image, Qz_Image* copy) {
  Qz_Image* layer = first_layer(image);
  Qz_Image* from = first_layer(copy);
  for (; layer && from; layer = next_layer(layer), from = next_layer(from)) {
    layer->notifySuspend.fetch_add(1);
    if (Qz__SizeDiffers(layer, from)) Qz__Resize(layer, from->width, from->height);
    if (layer->inner && from->inner) {
      if (Qz__SizeDiffers(layer->inner, from->inner))
        Qz__Resize(layer->inner, from->inner->width, from->inner->height);
      Qz__CopyLayerPlanes(layer->inner, from->inner);
    }
    Qz__CopyLayerPlanes(layer, from);
    if (layer->type == kQzImageLayer && layer->undoR) {
      Qz_CopyImageToUndoData(layer, 0, 0, layer->width - 1, layer->height - 1, 0, 0);
      Qz__RestoreLayers(layer, from);
    }
    layer->placement = from->placement;
    layer->notifySuspend.fetch_sub(1);
  }
}

QzWord Qz__RestoreUndoCopy(RootActionData* a) {
  Qz_Image* image = a->image;
  Qz_Image* copy = a->undoCopy;
  if (!image || !copy) return 0;
  if (Qz__SizeDiffers(image, copy)) {
    Qz_Image* document = image->document;
    if (document) document->compositingCount.fetch_sub(1);
    image->compositingCount.fetch_sub(1);
    const bool resized = Qz__Resize(image, copy->width, copy->height);
    image->compositingCount.fetch_add(1);
    if (document) document->compositingCount.fetch_add(1);
    if (!resized) return 0;
  }
  Qz_BlitImageToImage(image, 0, 0, copy, 0, 0, copy->width, copy->height, 255, 0);
  Qz_CopyImageToUndoData(image, 0, 0, image->width - 1, image->height - 1, 0, 0);
  image->notifySuspend.fetch_add(1);
  Qz__RestoreLayers(image, copy);
  image->notifySuspend.fetch_sub(1);
  qz::fullProcessImage(image);
  Qz_ModifiedAllImageData(image);
  return 1;
}

// ---- activation ----------------------------------------------------------------------------

Qz_Object* Qz__Application() {
  Qz_ImageBase* base = Qz_GetImageBase();
  return base ? base->application : nullptr;
}

QzWord Qz__Activate(RootActionData* a) {
  if (a->active) return 0;
  a->active = 1;
  Qz_DoMethod(a->header.super, kGroupSetFrame, kEntrySelected);
  if (a->layer) a->layer->currentAction = a->outer;
  Qz_DoMethod(a->outer, kActionShowHandles);
  Qz_Object* application = Qz__Application();
  if (application) Qz_DoNotify(application, kActionActivated, a->outer);
  Qz_DoMethod(a->tool, kToolShowOptions, application);
  return qz::toWord(a->outer);
}

QzWord Qz__Deactivate(RootActionData* a) {
  if (!a->active) return 0;
  a->active = 0;
  Qz_DoMethod(a->header.super, kGroupSetFrame, kEntryPlain);
  Qz_DoMethod(a->outer, kActionHideHandles);
  Qz_Object* application = Qz__Application();
  if (application) Qz_DoNotify(application, kActionDeactivated, a->outer);
  Qz_DoMethod(a->tool, kToolHideOptions, application);
  return qz::toWord(a->outer);
}

// Handles are drawn into the document's view; without one only the state changes.
QzWord Qz__ShowHandles(RootActionData* a) {
  Qz_DoMethod(a->outer, kActionHideHandles);
  if (a->layer) a->layer->currentAction = a->outer;
  a->handlesShown = 1;
  return 0;
}

QzWord Qz__HideHandles(RootActionData* a) {
  if (a->layer && a->layer->currentAction == a->outer) a->layer->currentAction = nullptr;
  a->handlesShown = 0;
  return 0;
}

QzWord Qz__MovePoints(RootActionData* a, const QzWord* args) {
  if (a->points)
    for (Qz_Object* m = listFirst(a->points); m; m = listOlder(a->points, m))
      Qz_DoMethodA(m, kActionMove, args);
  Qz__RecomputeBounds(a);
  Qz_DoMethod(a->outer, kActionRecomputeBounds);
  return 1;
}

QzWord Qz__AddPoint(RootActionData* a, const TagItem* tags) {
  const uint32_t before = Qz__PointCount(a);
  const QzWord point = Qz__AddPointFromTags(a, tags);
  // A freehand stroke is drawn while it is made: the new segment at once.
  if (point && (a->flags & kActionFreehand) && before > 0 && a->layer) {
    uint32_t strokeFlags = a->strokeFlags;
    StrokeSender sender(a, strokeFlags);
    Point last{}, previous{};
    uint32_t index = 0;
    Qz__ForEachPoint(a, [&](const Point& p) {
      if (index == before - 1) previous = p;
      if (index == before) last = p;
      ++index;
      return true;
    });
    TabletRecord tablet{{last.pressure, 0, 0, 0, 0}};
    sender.line(previous.x, previous.y, last.x, last.y, last.pressure ? &tablet : nullptr);
  }
  return point;
}

// ---- dispatcher --------------------------------------------------------------------------------

QzWord Qz__RootActionDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  RootActionData* a = asAction(object);
  a->outer = Qz_GetTopMostObject(object);
  switch (id) {
    case kRootSelect: return Qz__Activate(a);
    case kRootDeselect: return Qz__Deactivate(a);
    case kRootObjectAtPoint:
      return Qz_IsCoordOverObject(a->header.super, int32_t(args[0]), int32_t(args[1]))
                 ? Qz_DoMethod(a->outer, kRootSelect)
                 : 0;
    case kRootObjectAtPoint2:
      return Qz_IsCoordOverObject(a->header.super, int32_t(args[0]), int32_t(args[1]))
                 ? Qz_DoMethod(a->outer, kRootDeselect)
                 : 0;
    case kRootStoreChildren:
      if (a->points)
        for (Qz_Object* m = listFirst(a->points); m; m = listOlder(a->points, m))
          Qz_DoMethodA(m, kRootStoreObject, args);
      return 1;
    case kActionDropUndoData:
      if (!a->undoCopy) return 0;
      Qz_DoMethod(a->outer, kActionDisposeUndoCopy);
      a->undoable = 0;
      return 1;
    case kQzImageChanged: return 0;
    case kLinkedListAddTail: {
      auto* member = reinterpret_cast<Qz_Object*>(args[0]);
      if (classIdOf(member) == kPointActionClassId)
        return Qz__MakePointList(a) ? Qz_DoMethod(a->points, kLinkedListAddTail, member) : 0;
      return qz::kit::inherited(object, id, args);
    }
    case kActionApply: return Qz__Apply(a, true);
    case kActionApplyQuiet: return Qz__Apply(a, false);
    case kActionShowHandles: return Qz__ShowHandles(a);
    case kActionHideHandles: return Qz__HideHandles(a);
    case kActionSetX: case kActionSetY: case kActionSetWidth: case kActionSetHeight:
      return Qz__SetBound(a, id, args[0]);
    case kActionGetX: return uint32_t(a->bounds[0]);
    case kActionGetY: return uint32_t(a->bounds[1]);
    case kActionGetWidth: return uint32_t(a->bounds[2]);
    case kActionGetHeight: return uint32_t(a->bounds[3]);
    case kActionSetBoundFields: return Qz__SetBoundFields(a, args);
    case kActionRecomputeBounds: Qz__RecomputeBounds(a); return 0;
    case kActionGetBounds: return qz::toWord(a->boundsPointer);
    case kActionMove: return Qz__MovePoints(a, args);
    case kActionSetAngle:
      if (a->points)
        for (Qz_Object* m = listFirst(a->points); m; m = listOlder(a->points, m))
          Qz_DoMethodA(m, id, args);
      Qz_DoMethod(a->outer, kActionRecomputeBounds);
      return 1;
    case kActionToolbarImage: return 1;
    case kActionStartPoints:
    case kActionAddPoint:
      return id == kActionAddPoint ? Qz__AddPoint(a, reinterpret_cast<const TagItem*>(args))
                                   : Qz__AddPointFromTags(a, reinterpret_cast<const TagItem*>(args));
    case kActionGetPoints: return qz::toWord(a->points);
    case kActionDrawHandles: return 0;
    case kActionUndo:
      if (a->layer && a->layer->parent) a->layer->parent->replayNeeded.fetch_add(1);
      return 1;
    case kActionRedo: Qz_DoMethod(a->outer, kActionApply); return 1;
    case kActionInputEvent: return 2;
    case kActionBaseSize: return QzWord(Qz__BaseSize(a));
    case kActionTotalSize: return QzWord(Qz__TotalSize(a));
    case kActionTakeUndoCopy: return Qz__TakeUndoCopy(a);
    case kActionDisposeUndoCopy: return Qz__DisposeUndoCopy(a);
    case kActionRestoreUndoCopy: return Qz__RestoreUndoCopy(a);
    case kActionSetReplayStart:
      freeReplayStart(a->replayStart);
      a->replayStart = reinterpret_cast<ReplayStart*>(args[0]);
      return 1;
    case kActionGetReplayStart: return qz::toWord(a->replayStart);
    case kActionSetCheckpoint:
      if (a->checkpoint != reinterpret_cast<LayerCheckpoint*>(args[0])) freeLayerCheckpoint(a->checkpoint);
      a->checkpoint = reinterpret_cast<LayerCheckpoint*>(args[0]);
      return 1;
    case kActionGetCheckpoint: return qz::toWord(a->checkpoint);
    default: return qz::kit::inherited(object, id, args);
  }
}

// ---- attributes, creation and disposal ------------------------------------------------------

const qz::kit::Attribute kRootActionAttributes[] = {
    {.setter = kActionSetQualifier, .getter = kActionGetQualifier,
     .field = qz::kit::field(&RootActionData::qualifier), .setterName = "Qz_SetActionQualifier",
     .getterName = "Qz_GetActionQualifier", .answersZero = true},
    {.setter = kActionSetFlags, .getter = kActionGetFlags,
     .field = qz::kit::field(&RootActionData::flags), .setterName = "Qz_SetActionFlags",
     .getterName = "Qz_GetActionFlags", .changed = Qz__FlagsChanged},
    {.setter = kActionSetName, .getter = kActionGetName,
     .field = qz::kit::field(&RootActionData::name), .answersZero = true},
    {.setter = kActionSetLayer, .getter = kActionGetLayer,
     .field = qz::kit::field(&RootActionData::layer)},
    {.setter = kActionSetImage, .getter = kActionGetImage,
     .field = qz::kit::field(&RootActionData::image)},
    {.setter = kActionSetUserValue, .getter = kActionGetUserValue,
     .field = qz::kit::field(&RootActionData::userValue), .answersZero = true},
    {.setter = kActionSetTool, .getter = kActionGetTool,
     .field = qz::kit::field(&RootActionData::tool), .answersZero = true},
    {.setter = kActionSetStrokeFlags, .getter = kActionGetStrokeFlags,
     .field = qz::kit::field(&RootActionData::strokeFlags), .answersZero = true},
    {.setter = kActionSetUndoable, .getter = kActionGetUndoable, .initial = 1,
     .field = qz::kit::field(&RootActionData::undoable), .answersZero = true},
    {.setter = kActionSetSymmetry, .getter = kActionGetSymmetry,
     .field = qz::kit::field(&RootActionData::symmetry), .answersZero = true},
};

// The inner object is the entry the undo list display shows.
Qz_Object* Qz__MakeInnerObject(Qz_Object*) {
  if (Qz_FindClassFromName("Group")) return Qz_CreateObject("Group", kGroupSetFrame, kEntryPlain);
  return Qz_CreateObject("Root");
}

bool Qz__SetUpRootAction(Qz_Object* object) {
  RootActionData* a = asAction(object);
  const Qz_GradientSettings gradient = Qz_GetGradientSettings();
  a->gradientKind = gradient.kind;
  a->gradientLevel = uint16_t(gradient.level);
  return true;
}

void Qz__DisposeRootAction(Qz_Object* object) {
  RootActionData* a = asAction(object);
  Qz__DisposeUndoCopy(a);
  freeReplayStart(a->replayStart);
  a->replayStart = nullptr;
  freeLayerCheckpoint(a->checkpoint);
  a->checkpoint = nullptr;
  Qz_DisposeObject(a->points);
  a->points = nullptr;
}

const qz::kit::ClassDecl kRootAction = {
    .name = "RootAction", .superName = "Group", .classId = kRootActionClassId,
    .instance = qz::kit::instanceOf<RootActionData>(), .handler = Qz__RootActionDispatch,
    .attributes = kRootActionAttributes, .makeSuper = Qz__MakeInnerObject,
    .setUp = Qz__SetUpRootAction, .tearDown = Qz__DisposeRootAction};

}  // namespace

namespace qz::actions {

Qz_Object* makeRootActionPart(Qz_Object* self) {
  const auto* traits = static_cast<const ActionTraits*>(qz::kit::declOf(self)->family);
  return Qz_CreateObject("RootAction", kActionToolbarImage, traits->toolbarImage, kActionSetFlags,
                         traits->flags);
}

}  // namespace qz::actions

QZ_EXTERN_C_BEGIN


QZ_EXPORT uint32_t Qz__ActionNameNumber(uint32_t flags, uint32_t qualifier) {
  const uint32_t second = qualifier == 1 ? 0 : 1;
  switch (flags) {
    case kActionFreehand: return 137 + second;
    case kActionLines: return 127 + second;
    case kActionCurve: return 139 + second;
    case kActionOutline: return 141 + second;
    case kActionPolygon: return 143 + second;
    default: return 0;
  }
}

QZ_EXPORT const char* Qz__ActionText(uint32_t number) {
  const char* text = Qz_CatalogString(number);
  return text ? text : "";
}

QZ_EXPORT QzWord Qz_InitRootActionClass(Qz_GlobalData*) { return qz::kit::addClass(kRootAction); }
QZ_EXPORT void Qz_CleanupRootActionClass(void) { qz::kit::removeClass(kRootAction); }
QZ_EXPORT QzWord Qz_InitPointActionClass(Qz_GlobalData*) { return qz::kit::addClass(kPointAction); }
QZ_EXPORT void Qz_CleanupPointActionClass(void) { qz::kit::removeClass(kPointAction); }

QZ_EXTERN_C_END
