// LUTEdit: a tone curve drawn as a quadratic Bezier through a start, a
// control and an end handle; the user drags the control handle. The gadget
// can carry a lookup table whose entries are read and written by index.
#include <algorithm>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_lut_edit.h"
#include "gadgets/qz_widgets.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

using qz::lut::Point;

enum Qz__Handle : int32_t { kNone = 0, kStart = 1, kControl = 2, kEnd = 3 };

struct Qz_LUTEditObject {
  Qz_Object header;
  QzLutTable lut;
  Point handles[3] = {{0, 0}, {127, 200}, {255, 255}};  // start, control, end
  int32_t dragged = kNone;
  Qz_Object* area = nullptr;  // the drawing area
};

Qz_LUTEditObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_LUTEditObject>(o); }

qz::lut::Area Qz__AreaOf(Qz_LUTEditObject* l) {
  const Qz_LayoutBox b = Qz_RootInstance(l->area)->box;
  return {b.left, b.top, b.width, b.height};
}

void Qz__DrawCurve(Qz_LUTEditObject* l) {
  Qz_Object* self = &l->header;
  const qz::lut::Area a = Qz__AreaOf(l);
  if (a.width <= 0 || a.height <= 0) return;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return;
  if (RastPort* rp = info->rastPort) {
    Qz__ClearHistogramArea(rp, a.left, a.top, a.width, a.height);
    Point s[3];
    for (int i = 0; i < 3; ++i) s[i] = qz::lut::screenPoint(l->lut, a, l->handles[i]);
    SetAPen(rp, 1);
    Qz_DrawBezier(rp, s[0].x, s[0].y, s[1].x, s[1].y, s[2].x, s[2].y, 20);
    // Handles are 5 x 5 squares, kept inside the area.
    for (int i = 0; i < 3; ++i) {
      SetAPen(rp, l->dragged == i + 1 ? 2 : 1);
      const int32_t x0 = std::max(a.left, s[i].x - 2), y0 = std::max(a.top, s[i].y - 2);
      const int32_t x1 = std::min(a.left + a.width - 1, s[i].x + 2), y1 = std::min(a.top + a.height - 1, s[i].y + 2);
      if (x0 <= x1 && y0 <= y1) RectFill(rp, x0, y0, x1, y1);
    }
  }
  Qz_UnlockDrawInfo(self);
}

bool Qz__Inside(qz::lut::Area a, int32_t x, int32_t y) {
  return x >= a.left && y >= a.top && x < a.left + a.width && y < a.top + a.height;
}

// Only the control handle can be dragged; the others keep their values.
QzWord Qz__Input(Qz_LUTEditObject* l, const Qz_InputEvent* e) {
  if (!e) return 0;
  const qz::lut::Area a = Qz__AreaOf(l);
  if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) {
    if (!Qz__Inside(a, e->mouseX, e->mouseY)) return 0;
    const Point c = qz::lut::screenPoint(l->lut, a, l->handles[1]);
    if (std::abs(e->mouseX - c.x) > 2 || std::abs(e->mouseY - c.y) > 2) return 0;
    l->dragged = kControl;
    Qz__DrawCurve(l);
    return 2;
  }
  if (e->cls == IDCMP_MOUSEMOVE && l->dragged == kControl) {
    l->handles[1] = qz::lut::dragControl(l->lut, a, e->mouseX, e->mouseY);
    Qz__DrawCurve(l);
    return 2;
  }
  if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTUP && l->dragged != kNone) {
    l->dragged = kNone;
    Qz__DrawCurve(l);
    return 2;
  }
  return 0;
}

QzWord Qz__Table(const QzLutTable& t) {
  switch (t.width) {
    case 1: return reinterpret_cast<QzWord>(t.table8);
    case 2: return reinterpret_cast<QzWord>(t.table16);
    case 4: return reinterpret_cast<QzWord>(t.table32);
    default: return 0;
  }
}

QzWord Qz__LUTEditDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_LUTEditObject* l = Qz__Self(object);
  QzLutTable& t = l->lut;
  switch (id) {
    case kLutEditSetMinX: return uint32_t(t.minX = int32_t(args[0]));
    case kLutEditGetMinX: return uint32_t(t.minX);
    case kLutEditSetMaxX: return uint32_t(t.maxX = int32_t(args[0]));
    case kLutEditGetMaxX: return uint32_t(t.maxX);
    case kLutEditSetMinY: return uint32_t(t.minY = int32_t(args[0]));
    case kLutEditGetMinY: return uint32_t(t.minY);
    case kLutEditSetMaxY: return uint32_t(t.maxY = int32_t(args[0]));
    case kLutEditGetMaxY: return uint32_t(t.maxY);
    case kLutEditGetTable: return Qz__Table(t);
    case kLutEditSetEntry: return QzWord(intptr_t(Qz__SetLUTEntry(&t, int32_t(args[0]), uint32_t(args[1]))));
    case kLutEditGetEntry: return QzWord(intptr_t(Qz__GetLUTEntry(&t, int32_t(args[0]))));
    case kLutEditGetRecord: return reinterpret_cast<QzWord>(&t);
    case kRootDraw: {
      const QzWord r = qz::kit::inherited(object, id, args);
      Qz__DrawCurve(l);
      return r;
    }
    case kRootHandleIDCMP:
      if (const QzWord r = Qz__Input(l, reinterpret_cast<const Qz_InputEvent*>(args[0]))) return r;
      return qz::kit::inherited(object, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* Qz__MakeColumn(Qz_Object*) { return Qz_CreateObject("Group", kGroupSetMode, 1); }

bool Qz__SetUp(Qz_Object* object) {
  Qz_LUTEditObject* l = Qz__Self(object);
  Qz_Object* frame = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 4);
  l->area = Qz_CreateObject("Space", kSpaceSetMinWidth, 64, kSpaceSetMinHeight, 64);
  if (!frame || !l->area) {
    Qz_DisposeObject(frame);
    Qz_DisposeObject(l->area);
    l->area = nullptr;
    return false;
  }
  Qz_DoMethod(frame, kGroupAddTail, l->area);
  Qz_DoMethod(object->super, kGroupAddTail, frame);
  return true;
}

const qz::kit::ClassDecl kLUTEdit = {
    .name = "LUTEdit", .superName = "Group", .classId = kLutEditClassId,
    .instance = qz::kit::instanceOf<Qz_LUTEditObject>(), .handler = Qz__LUTEditDispatch,
    .makeSuper = Qz__MakeColumn, .setUp = Qz__SetUp, .notice = "Tone curve with a control handle"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitLUTEditClass(Qz_GlobalData*) { return qz::kit::addClass(kLUTEdit); }
QZ_EXPORT void Qz_CleanupLUTEditClass(void) { qz::kit::removeClass(kLUTEdit); }
QZ_EXTERN_C_END
