// Slider: a track with a knob that shows its value. A press before or
// beyond the knob steps the value by one, a press on the knob drags it.
// The first value given is taken silently; each later change fires
// kValueSet, while dragging or (with notify-while-dragging off) once at the
// release.
#include <algorithm>
#include <cstring>
#include <string>

#include "gadgets/qz_input_event.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/slider_maths.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

struct Qz_SliderObject {
  Qz_Object header;
  int32_t minimum = 0, maximum = 0, value = 0, valueAtPress = 0;
  bool valueSet = false;  // the first value is taken without firing
  int32_t knobWidth = 8, knobHeight = 8;
  int16_t pressX = 0, pressY = 0;
  std::string format = "%ld";
  uint32_t orientation = 0;
  uint32_t kind = 0;
  uint8_t pressed = 0;
  uint32_t notifyWhileDragging = 1;
  bool quadratic = false;  // no method sets it; kept for the vertical geometry
};

Qz_SliderObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_SliderObject>(o); }
Qz_LayoutBox* Qz__Box(Qz_Object* o) { return &Qz_RootInstance(o)->box; }
bool Qz__Vertical(const Qz_SliderObject* s) { return s->orientation == kSliderVertical; }

struct Qz__Frame {
  int32_t bx = 2, by = 2;
};

Qz__Frame Qz__FrameOf(Qz_DrawInfo* info) {
  Qz__Frame f;
  if (info) {
    f.bx = info->frameWidth;
    f.by = info->frameHeight;
  }
  return f;
}

// The track's length and the knob's top-left corner for the current value.
struct Qz__Knob {
  int32_t track = 0, x = 0, y = 0;
};

Qz__Knob Qz__KnobAt(Qz_SliderObject* s, const Qz__Frame& f) {
  const Qz_LayoutBox* b = Qz__Box(&s->header);
  Qz__Knob k;
  if (Qz__Vertical(s)) {
    k.track = b->height - 2 * f.by - s->knobHeight;
    k.x = b->left + f.bx;
    int32_t along = qz::sliders::knobOffset(k.track, s->value, s->minimum, s->maximum, true);
    if (s->quadratic && s->maximum > s->minimum) {
      const int64_t d = int64_t(s->maximum) - s->value;
      along = int32_t(int64_t(k.track) * d * d / 1000 / (int64_t(s->maximum) - s->minimum));
    }
    k.y = b->top + f.by + along;
  } else {
    k.track = b->width - 2 * f.bx - s->knobWidth;
    k.x = b->left + f.bx + qz::sliders::knobOffset(k.track, s->value, s->minimum, s->maximum, false);
    k.y = b->top + f.by;
  }
  return k;
}

std::string Qz__ValueText(const Qz_SliderObject* s, int32_t v) {
  char text[128];
  qz::widgets::formatNumber(s->format.c_str(), v, text, sizeof text);
  return text;
}

QzWord Qz__Draw(Qz_SliderObject* s) {
  Qz_Object* self = &s->header;
  const Qz_LayoutBox* b = Qz__Box(self);
  if (b->width <= 0 || b->height <= 0) return 0;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (!info) return 0;
  RastPort* rp = info->rastPort;
  const Qz__Frame f = Qz__FrameOf(info);
  // The whole inside is cleared, so the knob's old place goes with it.
  SetAPen(rp, 0);
  RectFill(rp, b->left, b->top, b->left + b->width - 1, b->top + b->height - 1);
  Qz_DrawFrame(self, info, b->left, b->top, b->width, b->height, nullptr, 0, kQzFrameIndent);
  const Qz__Knob k = Qz__KnobAt(s, f);
  const std::string text = Qz__ValueText(s, s->value);
  Qz_DrawFrame(self, info, k.x, k.y, s->knobWidth, s->knobHeight, text.c_str(), 0, kQzFrameButton);
  Qz_UnlockDrawInfo(self);
  if (s->kind == 1) s->kind = 2;
  return 0;
}

QzWord Qz__Measure(Qz_SliderObject* s) {
  Qz_Object* self = &s->header;
  Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(self);
  if (!info) return 0;
  const Qz__Frame f = Qz__FrameOf(info);
  const int64_t low = int64_t(s->minimum) * 10, high = s->maximum;
  const int32_t wider = int32_t(std::min<int64_t>(INT32_MAX, std::max(low < 0 ? -low : low, high < 0 ? -high : high)));
  if (RastPort* rp = info->rastPort) {
    const std::string text = Qz__ValueText(s, wider);
    s->knobWidth = TextLength(rp, text.c_str(), int32_t(text.size())) + 2 * f.bx;
    s->knobHeight = (rp->TxHeight ? rp->TxHeight : info->fontHeight) + 2 * f.by;
  } else {
    s->knobWidth = 8;
    s->knobHeight = info->fontHeight + 2 * f.by;
  }
  Qz_UnlockDrawInfoForInspection(self);
  Qz_LayoutBox* b = Qz__Box(self);
  const auto clamp16 = [](int64_t v) { return int16_t(std::clamp<int64_t>(v, 0, 0x7FFF)); };
  const int64_t range = std::max<int64_t>(0, int64_t(s->maximum) - s->minimum);
  if (Qz__Vertical(s)) {
    b->minHeight = clamp16(2 * f.by + s->knobHeight + 1);
    b->height = s->quadratic ? 300 : clamp16(b->minHeight + range);
    b->maxHeight = kGadgetMaxSize;
    b->width = b->minWidth = b->maxWidth = clamp16(2 * f.bx + s->knobWidth);
  } else {
    b->minWidth = clamp16(2 * f.bx + s->knobWidth + 1);
    b->width = clamp16(b->minWidth + range);
    b->maxWidth = kGadgetMaxSize;
    b->height = b->minHeight = b->maxHeight = clamp16(2 * f.by + s->knobHeight);
  }
  return 0;
}

void Qz__Fire(Qz_SliderObject* s) { Qz_DoNotify(&s->header, kValueSet, uint32_t(s->value)); }

QzWord Qz__SetValue(Qz_SliderObject* s, int32_t v) {
  const int32_t clamped = qz::sliders::clampValue(v, s->minimum, s->maximum);
  const int32_t old = s->valueSet ? s->value : clamped;
  s->valueSet = true;
  s->value = clamped;
  if (clamped != old) Qz__Fire(s);
  Qz__Draw(s);
  return uint32_t(clamped);
}

// The value follows the pointer from where it was pressed.
void Qz__Drag(Qz_SliderObject* s, int16_t x, int16_t y) {
  Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(&s->header);
  const Qz__Frame f = Qz__FrameOf(info);
  if (info) Qz_UnlockDrawInfoForInspection(&s->header);
  const Qz__Knob k = Qz__KnobAt(s, f);
  const int32_t delta = Qz__Vertical(s) ? -(y - s->pressY) : x - s->pressX;
  const int32_t v = qz::sliders::dragValue(s->valueAtPress, delta, k.track, s->minimum, s->maximum);
  if (v == s->value) return;
  s->value = v;
  s->valueSet = true;
  Qz__Draw(s);
  if (s->notifyWhileDragging) Qz__Fire(s);
}

QzWord Qz__Press(Qz_SliderObject* s, int16_t x, int16_t y) {
  s->pressX = x;
  s->pressY = y;
  s->valueAtPress = s->value;
  s->pressed = 1;
  return 1;
}

QzWord Qz__Release(Qz_SliderObject* s) {
  if (!s->pressed) return 0;
  s->pressed = 0;
  Qz__Draw(s);
  if (!s->notifyWhileDragging && s->value != s->valueAtPress) Qz__Fire(s);
  return 0;
}

QzWord Qz__Input(Qz_SliderObject* s, const Qz_InputEvent* e) {
  if (!e) return 2;
  Qz_Object* self = &s->header;
  if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTDOWN) {
    if (!Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) || Qz_DoMethod(self, kRootDisableCount)) return 2;
    Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(self);
    const Qz__Frame f = Qz__FrameOf(info);
    if (info) Qz_UnlockDrawInfoForInspection(self);
    const Qz_LayoutBox* b = Qz__Box(self);
    const Qz__Knob k = Qz__KnobAt(s, f);
    if (Qz__Vertical(s)) {
      // Up the track is towards the maximum.
      if (e->mouseY < b->top + f.by) return 2;
      if (e->mouseY < k.y) Qz__SetValue(s, s->value + 1);
      else if (e->mouseY >= k.y + s->knobHeight) Qz__SetValue(s, s->value - 1);
      else Qz__Press(s, e->mouseX, e->mouseY);
    } else {
      if (e->mouseX < b->left + f.bx) return 2;
      if (e->mouseX < k.x) Qz__SetValue(s, s->value - 1);
      else if (e->mouseX >= k.x + s->knobWidth) Qz__SetValue(s, s->value + 1);
      else Qz__Press(s, e->mouseX, e->mouseY);
    }
  } else if (e->cls == IDCMP_MOUSEBUTTONS && e->code == SELECTUP) {
    Qz__Release(s);
  } else if (e->cls == IDCMP_MOUSEMOVE && s->pressed) {
    Qz__Drag(s, e->mouseX, e->mouseY);
  }
  return 2;
}

QzWord Qz__SetLimit(Qz_SliderObject* s, int32_t* limit, int32_t v) {
  *limit = v;
  if (s->valueSet) s->value = qz::sliders::clampValue(s->value, s->minimum, s->maximum);
  return uint32_t(v);
}

QzWord Qz__SliderDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_SliderObject* s = Qz__Self(object);
  switch (id) {
    case kValueSetMinimum: return Qz__SetLimit(s, &s->minimum, int32_t(args[0]));
    case kValueGetMinimum: return uint32_t(s->minimum);
    case kValueSetMaximum: return Qz__SetLimit(s, &s->maximum, int32_t(args[0]));
    case kValueGetMaximum: return uint32_t(s->maximum);
    case kValueSet: return Qz__SetValue(s, int32_t(args[0]));
    case kValueGet: return uint32_t(s->value);
    case kSliderStepUp: return Qz__SetValue(s, s->value == INT32_MAX ? s->value : s->value + 1);
    case kSliderStepDown: return Qz__SetValue(s, s->value == INT32_MIN ? s->value : s->value - 1);
    case kValueSetFormat:
      s->format = args[0] ? reinterpret_cast<const char*>(args[0]) : "%ld";
      return 0;
    case kRootDraw: return Qz__Draw(s);
    case kRootMeasure: return Qz__Measure(s);
    case kRootPlace:
      if (s->kind == 2) s->kind = 1;
      return qz::kit::inherited(object, id, args);
    case kRootSelect: return Qz__Press(s, 0, 0);
    case kRootDeselect: return Qz__Release(s);
    // Answers the slider itself: whoever asked keeps it as the object under
    // the pointer and later releases it.
    case kRootObjectAtPoint:
      if (!Qz_IsCoordOverObject(object, int32_t(int16_t(args[0])), int32_t(int16_t(args[1])))) return 0;
      Qz__Press(s, int16_t(args[0]), int16_t(args[1]));
      return reinterpret_cast<QzWord>(Qz_GetTopMostObject(object));
    case kRootObjectAtPoint2: return 0;
    case kRootHandleIDCMP: return Qz__Input(s, reinterpret_cast<const Qz_InputEvent*>(args[0]));
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::Attribute kSliderAttributes[] = {
    {.setter = kSliderSetKind, .minimum = 0, .maximum = 255, .field = qz::kit::field(&Qz_SliderObject::kind)},
    {.setter = kSliderSetOrientation, .minimum = 0, .maximum = 255,
     .field = qz::kit::field(&Qz_SliderObject::orientation)},
    {.setter = kNotifyWhileDragging, .minimum = 0, .maximum = 255, .initial = 1,
     .field = qz::kit::field(&Qz_SliderObject::notifyWhileDragging)},
};

const qz::kit::ClassDecl kSlider = {
    .name = "Slider", .superName = "Root", .classId = kSliderClassId,
    .instance = qz::kit::instanceOf<Qz_SliderObject>(), .handler = Qz__SliderDispatch,
    .attributes = kSliderAttributes, .notice = "Track with a knob showing its value"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSliderClass(Qz_GlobalData*) { return qz::kit::addClass(kSlider); }
QZ_EXPORT void Qz_CleanupSliderClass(void) { qz::kit::removeClass(kSlider); }
QZ_EXTERN_C_END
