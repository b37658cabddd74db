// VirtualGroup: a framed viewport. Its contents group scrolls inside it, a
// horizontal scroller runs below and a vertical one beside it, and
// notifications keep the scrollers and the contents in step.
#include <algorithm>

#include "gadgets/group_layout.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace {

struct VirtualGroupObject {
  Qz_Object header;
  Qz_Object* contents = nullptr;
  Qz_Object* horizontal = nullptr;
  Qz_Object* vertical = nullptr;
  Qz_Object* around = nullptr;  // takes the frame and background colour
  Qz_Object* inner = nullptr;   // the column of the viewport and the space below it
  Qz_Object* top = nullptr;     // that column and the vertical gadget column
  Qz_Object* row = nullptr;     // horizontal scroller and its extra gadget
  Qz_Object* column = nullptr;  // vertical scroller and its extra gadget
  Qz_Object* rowGadget = nullptr;
  Qz_Object* columnGadget = nullptr;
  Qz_Object* selected = nullptr;
  bool horizontalHidden = false;
  bool verticalHidden = false;
  bool settingBoth = false;  // both bars are being set: the contents move once, after
  int32_t stepRow = 0;  // -1: the vertical step follows the first member's height
};

constexpr uint32_t kClassIdBits = 0xFFFF0000u;

VirtualGroupObject* asVirtual(Qz_Object* o) { return reinterpret_cast<VirtualGroupObject*>(o); }
int32_t word(Qz_Object* o, uint32_t id) { return int32_t(Qz_DoMethod(o, id)); }

// The contents follow a scroller: the position it settled on, not the one asked for.
QzWord scrollAxis(VirtualGroupObject* v, bool horizontalAxis, QzWord value) {
  Qz_Object* self = &v->header;
  if (v->settingBoth) return 0;
  Qz_Object* bar = horizontalAxis ? v->horizontal : v->vertical;
  const uint32_t id = horizontalAxis ? kGroupSetScrollX : kGroupSetScrollY;
  Qz_DoNotify(self, id, value);
  Qz_DoMethod(bar, kScrollerSetPosition, value);
  return Qz_DoMethod(v->contents, id, Qz_DoMethod(bar, kScrollerGetPosition));
}

QzWord scrollBoth(VirtualGroupObject* v, QzWord x, QzWord y) {
  Qz_Object* self = &v->header;
  Qz_DoMethod(v->contents, kGroupDisableLayout);
  Qz_DoNotify(self, kGroupSetScrollX, x);
  Qz_DoNotify(self, kGroupSetScrollY, y);
  // Each bar's own notice would scroll the contents on its axis while their
  // layout is held: the position would be taken but nothing placed or drawn,
  // and the scroll below would then find nothing left to do.
  v->settingBoth = true;
  Qz_DoMethod(v->horizontal, kScrollerSetPosition, x);
  Qz_DoMethod(v->vertical, kScrollerSetPosition, y);
  v->settingBoth = false;
  Qz_DoMethod(v->contents, kGroupEnableLayout, 1);
  return Qz_DoMethod(v->contents, kGroupSetScroll, Qz_DoMethod(v->horizontal, kScrollerGetPosition),
                     Qz_DoMethod(v->vertical, kScrollerGetPosition));
}

// The scrollers learn the contents' full and shown sizes.
void syncScrollers(VirtualGroupObject* v) {
  Qz_DoMethod(v->horizontal, kScrollerSetTotal, Qz_DoMethod(v->contents, kGroupGetNominalWidth));
  Qz_DoMethod(v->horizontal, kScrollerSetVisible, std::max(word(v->around, kGroupGetBoxWidth), 1));
  Qz_DoMethod(v->vertical, kScrollerSetTotal, Qz_DoMethod(v->contents, kGroupGetNominalHeight));
  Qz_DoMethod(v->vertical, kScrollerSetVisible, std::max(word(v->around, kGroupGetBoxHeight), 1));
}

void showOrHide(Qz_Object* o, bool hide) { Qz_DoMethod(o, hide ? kRootForceHidden : kRootResetHiding); }

// A scroller is needed only while the contents are larger than the viewport.
// True when a bar came or went.
bool updateBars(VirtualGroupObject* v) {
  const bool hideH = word(v->contents, kGroupGetNominalWidth) <= word(v->around, kGroupGetBoxWidth);
  const bool hideV = word(v->contents, kGroupGetNominalHeight) <= word(v->around, kGroupGetBoxHeight);
  const bool changed = hideH != v->horizontalHidden || hideV != v->verticalHidden;
  if (hideH != v->horizontalHidden) showOrHide(v->horizontal, hideH);
  if (hideV != v->verticalHidden) showOrHide(v->vertical, hideV);
  v->horizontalHidden = hideH;
  v->verticalHidden = hideV;
  return changed;
}

QzWord setExtra(Qz_Object* holder, Qz_Object*& current, QzWord gadget) {
  if (gadget != 0) {
    Qz_DoMethod(holder, kGroupAddHead, gadget);
    current = reinterpret_cast<Qz_Object*>(gadget);
  } else if (current != nullptr) {
    Qz_DoMethod(holder, kGroupRemove, current);
    current = nullptr;
  }
  return reinterpret_cast<QzWord>(current);
}

// Scrolls the least that shows the object's top (and its bottom, when it fits).
QzWord bringIntoView(VirtualGroupObject* v, Qz_Object* object) {
  if (object == nullptr) return 0;
  const Qz_LayoutBox& view = Qz_RootInstance(v->around)->box;
  const Qz_LayoutBox& box = Qz_RootInstance(object)->box;
  if (view.height <= 0) return 0;
  const int32_t position = int32_t(Qz_DoMethod(v->vertical, kScrollerGetPosition));
  int32_t wanted = position;
  if (box.top + box.height > view.top + view.height) wanted = position + (box.top + box.height - (view.top + view.height));
  if (box.top - (wanted - position) < view.top) wanted = position - (view.top - box.top);
  if (wanted == position) return 1;
  scrollAxis(v, false, uint32_t(wanted));
  return 1;
}

// A viewport asks for a moderate size, not its contents' whole size:
// that is what it scrolls.
constexpr int16_t kPreferredViewport = 200;

QzWord measure(VirtualGroupObject* v, const QzWord* args) {
  const QzWord r = Qz_DoMethodA(v->header.super, kRootMeasure, args);
  // A filling group stops at 1280 pixels; the viewport fills all its room.
  for (Qz_Object* o : {v->around, v->inner, v->top, &v->header}) qz::gadgets::stretchWithoutLimit(o, true, true);
  Qz_LayoutBox& b = Qz_RootInstance(&v->header)->box;
  b.width = std::max(b.minWidth, std::min(b.width, kPreferredViewport));
  b.height = std::max(b.minHeight, std::min(b.height, kPreferredViewport));
  return r;
}

QzWord place(VirtualGroupObject* v, const QzWord* args) {
  Qz_Object* self = &v->header;
  Qz_DoMethod(self, kRootMeasure);
  if (v->stepRow == -1) {
    if (auto* first = reinterpret_cast<Qz_Object*>(Qz_DoMethod(v->contents, kGroupFirst))) {
      const int32_t h = Qz_RootInstance(first)->box.height;
      if (h > 0) Qz_DoMethod(v->vertical, kScrollerSetStep, h);
    }
  }
  QzWord r = Qz_DoMethodA(self->super, kRootPlace, args);
  syncScrollers(v);
  // Every layout, not only the first: a zoom or a resize may make a bar
  // needed or not; the viewport then takes or gives the bar's room.
  if (updateBars(v)) {
    Qz_DoMethod(self, kRootMeasure);
    r = Qz_DoMethodA(self->super, kRootPlace, args);
    syncScrollers(v);
  }
  return r;
}

// A press over the contents makes the member under the pointer the selected one.
QzWord handleInput(VirtualGroupObject* v, const QzWord* args) {
  const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  if (e != nullptr && e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN &&
      Qz_IsCoordOverObject(v->contents, e->mouseX, e->mouseY) != 0) {
    Qz_Object* hit = nullptr;
    for (auto* m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(v->contents, kGroupFirst)); m != nullptr;
         m = reinterpret_cast<Qz_Object*>(Qz_DoMethod(v->contents, kGroupNext, m))) {
      if (Qz_IsCoordOverObject(m, e->mouseX, e->mouseY) != 0) {
        hit = m;
        break;
      }
    }
    if (hit != nullptr && hit != v->selected) {
      if (v->selected != nullptr) Qz_DoMethod(v->selected, kRootDeselect);
      Qz_DoMethod(hit, kRootObjectAtPoint, e->mouseX, e->mouseY);
      v->selected = hit;
    }
  }
  return Qz_DoMethodA(v->header.super, kRootHandleIDCMP, args);
}

QzWord virtualDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  VirtualGroupObject* v = asVirtual(object);
  switch (id) {
    case kGroupSetScrollX: return scrollAxis(v, true, args[0]);
    case kGroupSetScrollY: return scrollAxis(v, false, args[0]);
    case kGroupSetScroll: return scrollBoth(v, args[0], args[1]);
    case kGroupGetScrollX:
    case 0x20226:
    case kGroupSetNominalWidth:
    case kGroupGetNominalWidth:
    case kGroupSetNominalHeight:
    case kGroupGetNominalHeight:
    case kGroupScrolledNotifyX:
    case kGroupScrolledNotifyY:
    case kGroupEnableLayout: return Qz_DoMethodA(v->contents, id, args);
    case kVirtualGroupShowObject: return bringIntoView(v, reinterpret_cast<Qz_Object*>(args[0]));
    case kGroupGetBoxWidth: return Qz_DoMethod(v->horizontal, kScrollerGetVisible);
    case kGroupGetBoxHeight: return Qz_DoMethod(v->vertical, kScrollerGetVisible);
    case kVirtualGroupUpdateBars: updateBars(v); return 1;
    case kVirtualGroupSetHorizontalGadget: return setExtra(v->row, v->rowGadget, args[0]);
    case kVirtualGroupSetVerticalGadget: return setExtra(v->column, v->columnGadget, args[0]);
    case kVirtualGroupGetHorizontalGadget: return reinterpret_cast<QzWord>(v->rowGadget);
    case kVirtualGroupGetVerticalGadget: return reinterpret_cast<QzWord>(v->columnGadget);
    case kVirtualGroupSetHorizontalStep: return Qz_DoMethod(v->horizontal, kScrollerSetStep, args[0]);
    case kVirtualGroupGetHorizontalStep: return Qz_DoMethod(v->horizontal, kScrollerGetStep);
    case kVirtualGroupGetVerticalStep: return Qz_DoMethod(v->vertical, kScrollerGetStep);
    case kVirtualGroupSetStepRow:
      v->stepRow = int32_t(args[0]);
      if (v->stepRow == -1) return Qz_DoMethod(v->vertical, kScrollerGetStep);
      return Qz_DoMethod(v->vertical, kScrollerSetStep, args[0]);
    case kVirtualGroupHideBars:
    case kVirtualGroupShowBars:
      showOrHide(v->row, id == kVirtualGroupHideBars);
      showOrHide(v->column, id == kVirtualGroupHideBars);
      return 0;
    case kVirtualGroupHideRow: showOrHide(v->row, true); return 0;
    case kVirtualGroupHideColumn: showOrHide(v->column, true); return 0;
    case kVirtualGroupShowRow: showOrHide(v->row, false); return 0;
    case kVirtualGroupShowColumn: showOrHide(v->column, false); return 0;
    case kGroupSetFrame:
    case kRootSetBaseColour: return Qz_DoMethodA(v->around, id, args);
    case kRootStoreChildren: Qz_DoMethodA(v->contents, kRootStoreChildren, args); return 1;
    case kRootPlace: return place(v, args);
    case kRootMeasure: return measure(v, args);
    case kRootHandleIDCMP: return handleInput(v, args);
    default:
      if ((id & kClassIdBits) == 0x470000) return Qz_DoMethodA(v->contents, id, args);
      return qz::kit::inherited(object, id, args);
  }
}

// The viewport's parts stretch by one share (a group's own 200 would ask for
// twice the spare room and lay the contents past the viewport's edges); the
// scroller row and column keep their own thickness.
Qz_Object* group(uint32_t mode, uint32_t weight = 100) {
  return Qz_CreateObject("Group", kGroupSetMode, mode, kRootSetWeight, weight);
}

bool virtualSetUp(Qz_Object* object) {
  VirtualGroupObject* v = asVirtual(object);
  Qz_Object* top = v->top = group(2);
  Qz_Object* inner = v->inner = group(1);
  // Filling: the viewport is all the room it is given, whatever the contents' maximum.
  v->around = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetAlignment, 16, kRootSetWeight, 100,
                              kGroupSetOptions, qz::gui::kGroupOptionFill);
  v->contents = group(9);
  Qz_Object* spaceBelow = Qz_CreateObject("Space", kSpaceSetMinHeight, 1, kRootSetWeight, 0);
  v->column = group(1, 0);
  v->vertical = Qz_CreateObject("Scroller", kGroupSetMode, kScrollerVertical, kScrollerSetTotal, 1000,
                                kScrollerSetVisible, 50, kScrollerSetPosition, 0, kRootSetWeight, 100);
  v->row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetFrame, 6, kRootSetWeight, 0);
  v->horizontal = Qz_CreateObject("Scroller", kGroupSetMode, 4, kScrollerSetTotal, 1000, kScrollerSetVisible, 50,
                                  kScrollerSetPosition, 0, kRootSetWeight, 100);
  Qz_Object* corner = Qz_CreateObject("Space", kSpaceSetMinWidth, 15, kSpaceSetMinHeight, 1, kFixWidth, 15);
  Qz_Object* all[] = {top, inner, v->around, v->contents, spaceBelow, v->column, v->vertical, v->row,
                      v->horizontal, corner};
  if (std::find(std::begin(all), std::end(all), nullptr) != std::end(all)) {
    for (Qz_Object* o : all) Qz_DisposeObject(o);
    return false;
  }
  Qz_DoMethod(v->around, kGroupAddTail, v->contents);
  Qz_DoMethod(inner, kGroupAddTail, v->around);
  Qz_DoMethod(inner, kGroupAddTail, spaceBelow);
  Qz_DoMethod(v->column, kGroupAddTail, v->vertical);
  Qz_DoMethod(top, kGroupAddTail, inner);
  Qz_DoMethod(top, kGroupAddTail, v->column);
  Qz_DoMethod(v->row, kGroupAddTail, v->horizontal);
  Qz_DoMethod(v->row, kGroupAddTail, corner);
  Qz_DoMethod(object->super, kGroupAddTail, top);
  Qz_DoMethod(object->super, kGroupAddTail, v->row);
  // Each link passes the value on: source's method -> target's method.
  // The contents' scroll position links are for a scroll asked of the
  // contents themselves (a panning tool), so the bars move with it.
  struct Link {
    Qz_Object* source;
    uint32_t method;
    Qz_Object* target;
    uint32_t targetMethod;
  };
  const Link links[] = {
      {v->horizontal, kScrollerSetPosition, object, kGroupSetScrollX},
      {v->vertical, kScrollerSetPosition, object, kGroupSetScrollY},
      {v->contents, kGroupSetNominalWidth, v->horizontal, kScrollerSetTotal},
      {v->contents, kGroupSetNominalHeight, v->vertical, kScrollerSetTotal},
      {v->contents, kGroupScrolledNotifyX, v->horizontal, kScrollerSetVisible},
      {v->contents, kGroupScrolledNotifyY, v->vertical, kScrollerSetVisible},
      {v->contents, kGroupSetScrollX, v->horizontal, kScrollerSetPosition},
      {v->contents, kGroupSetScrollY, v->vertical, kScrollerSetPosition},
  };
  for (const Link& l : links)
    Qz_AddNotify(l.source, l.method, kNotifyAnyValue, l.target, 2, l.targetMethod, kNotifyTriggerValue);
  return true;
}

// One share of spare room, so a viewport alone in its window ends where the window does.
const TagItem kVirtualSuperTags[] = {
    {kGroupSetMode, 1}, {kGroupSetFrame, 6}, {kGroupSetFrame, 18}, {kRootSetWeight, 100}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kVirtualGroupClass = {
    .name = "VirtualGroup", .superName = "Group", .classId = kVirtualGroupClassId,
    .instance = qz::kit::instanceOf<VirtualGroupObject>(), .handler = virtualDispatch,
    .superTags = kVirtualSuperTags, .setUp = virtualSetUp, .notice = "Scrolled viewport", .classValue = 2};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitVirtualGroupClass(Qz_GlobalData*) { return qz::kit::addClass(kVirtualGroupClass); }
QZ_EXPORT void Qz_CleanupVirtualGroupClass(void) { qz::kit::removeClass(kVirtualGroupClass); }
QZ_EXTERN_C_END
