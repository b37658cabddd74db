// Knob: a round dial choosing 0 to 359 degrees (0 up, clockwise). A press
// or drag sets the value from the pointer's angle round the centre. The
// first value given is taken silently; each later change fires kValueSet,
// while dragging or (with notify-while-dragging off) once at the release.
#include <algorithm>

#include "gadgets/qz_input_event.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/slider_maths.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace {

constexpr int32_t kKnobSide = 64;

struct Qz_KnobObject {
  Qz_Object header;
  int32_t minimum = 0, maximum = 0, value = 0, valueAtPress = 0;
  bool valueSet = false;
  qz::sliders::KnobGeometry geometry;
  int32_t drawnAngle = -1;  // where the mark was last drawn (-1: none)
  uint8_t pressed = 0;
  uint32_t notifyWhileDragging = 1;
};

Qz_KnobObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_KnobObject>(o); }

void Qz__DrawMark(Qz_KnobObject* k, Qz_DrawInfo* info, int32_t angle, uint32_t style) {
  const qz::sliders::Point c = qz::sliders::markCentre(k->geometry, angle);
  const int32_t m = qz::sliders::kKnobMarkSize;
  Qz_DrawFrame(&k->header, info, c.x - m / 2, c.y - m / 2, m, m, nullptr, 0, style);
}

// The face when `whole`, else only the mark moved from where it was.
QzWord Qz__Draw(Qz_KnobObject* k, bool whole) {
  Qz_Object* self = &k->header;
  const Qz_LayoutBox* b = &Qz_RootInstance(self)->box;
  if (b->width <= 0 || b->height <= 0) return 0;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return 0;
  const qz::sliders::KnobGeometry& g = k->geometry;
  if (whole || k->drawnAngle < 0) {
    Qz_EraseObjectBackground(self, info);
    Qz_DrawFrame(self, info, b->left, b->top, g.side, g.side, nullptr, 0, kQzFrameDisc);
  } else if (k->drawnAngle != k->value) {
    Qz__DrawMark(k, info, k->drawnAngle, kQzFrameFlat);
  }
  Qz__DrawMark(k, info, k->value, kQzFrameDiscSunken);
  k->drawnAngle = k->value;
  Qz_UnlockDrawInfo(self);
  return 0;
}

void Qz__Fire(Qz_KnobObject* k) { Qz_DoNotify(&k->header, kValueSet, uint32_t(k->value)); }

QzWord Qz__SetValue(Qz_KnobObject* k, int32_t v) {
  const int32_t clamped = qz::sliders::clampValue(v, k->minimum, k->maximum);
  const int32_t old = k->valueSet ? k->value : clamped;
  k->valueSet = true;
  k->value = clamped;
  if (clamped != old) Qz__Fire(k);
  Qz__Draw(k, false);
  return uint32_t(clamped);
}

// The pointer's angle is taken as it is, not clamped to the limits.
void Qz__FollowPointer(Qz_KnobObject* k, int16_t x, int16_t y) {
  const int32_t a = qz::sliders::angleFromPointer(x - k->geometry.centreX, y - k->geometry.centreY);
  if (k->valueSet && a == k->value) return;
  k->valueSet = true;
  k->value = a;
  Qz__Draw(k, false);
  if (k->notifyWhileDragging) Qz__Fire(k);
}

QzWord Qz__Input(Qz_KnobObject* k, const Qz_InputEvent* e) {
  if (!e) return 2;
  Qz_Object* self = &k->header;
  if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) {
    if (!Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) || Qz_DoMethod(self, kRootDisableCount)) return 2;
    k->pressed = 1;
    k->valueAtPress = k->value;
    Qz__FollowPointer(k, e->mouseX, e->mouseY);
  } else if (e->cls == IDCMP_MOUSEMOVE && k->pressed) {
    Qz__FollowPointer(k, e->mouseX, e->mouseY);
  } else if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTUP && k->pressed) {
    k->pressed = 0;
    if (!k->notifyWhileDragging && k->value != k->valueAtPress) Qz__Fire(k);
  }
  return 2;
}

QzWord Qz__Measure(Qz_Object* self) {
  Qz_LayoutBox* b = &Qz_RootInstance(self)->box;
  b->width = b->height = b->minWidth = b->minHeight = b->maxWidth = b->maxHeight = kKnobSide;
  return 0;
}

QzWord Qz__Place(Qz_KnobObject* k, const QzWord* args) {
  Qz_Object* self = &k->header;
  const QzWord r = qz::kit::inherited(self, kRootPlace, args);
  Qz_LayoutBox* b = &Qz_RootInstance(self)->box;
  k->geometry = qz::sliders::placeKnob(b->left, b->top, b->width, b->height, kKnobSide, kKnobSide);
  b->width = b->height = int16_t(k->geometry.side);
  k->drawnAngle = -1;
  return r;
}

QzWord Qz__Step(Qz_KnobObject* k, int32_t by) {
  const int64_t v = int64_t(k->value) + by;
  return Qz__SetValue(k, int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
}

QzWord Qz__KnobDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_KnobObject* k = Qz__Self(object);
  switch (id) {
    case kValueSetMinimum: k->minimum = int32_t(args[0]); return args[0];
    case kValueGetMinimum: return uint32_t(k->minimum);
    case kValueSetMaximum: k->maximum = int32_t(args[0]); return args[0];
    case kValueGetMaximum: return uint32_t(k->maximum);
    case kValueSet: return Qz__SetValue(k, int32_t(args[0]));
    case kValueGet: return uint32_t(k->value);
    case kKnobStepUp: return Qz__Step(k, 1);
    case kKnobStepDown: return Qz__Step(k, -1);
    case kRootDraw: return Qz__Draw(k, true);
    case kRootMeasure: return Qz__Measure(object);
    case kRootPlace: return Qz__Place(k, args);
    case kRootSelect:
      k->pressed = 1;
      k->valueAtPress = k->value;
      return 1;
    case kRootDeselect: k->pressed = 0; return 0;
    case kRootObjectAtPoint:  // answers the knob, the object under the pointer
      if (!Qz_IsCoordOverObject(object, int32_t(int16_t(args[0])), int32_t(int16_t(args[1])))) return 0;
      k->pressed = 1;
      k->valueAtPress = k->value;
      return reinterpret_cast<QzWord>(Qz_GetTopMostObject(object));
    case kRootObjectAtPoint2: return 0;
    case kRootHandleIDCMP: return Qz__Input(k, reinterpret_cast<const Qz_InputEvent*>(args[0]));
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::Attribute kKnobAttributes[] = {
    {.setter = kNotifyWhileDragging, .minimum = 0, .maximum = 255, .initial = 1,
     .field = qz::kit::field(&Qz_KnobObject::notifyWhileDragging)},
};

const qz::kit::ClassDecl kKnob = {
    .name = "Knob", .superName = "Root", .classId = kKnobClassId,
    .instance = qz::kit::instanceOf<Qz_KnobObject>(), .handler = Qz__KnobDispatch,
    .attributes = kKnobAttributes, .notice = "Round dial for an angle"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitKnobClass(Qz_GlobalData*) { return qz::kit::addClass(kKnob); }
QZ_EXPORT void Qz_CleanupKnobClass(void) { qz::kit::removeClass(kKnob); }
QZ_EXTERN_C_END
