// Scroller: a scroll bar, a track with a knob between two arrow buttons,
// holding a position within a total of which a visible part is shown. In
// slider mode the knob carries the number instead and pages by one.
#include <algorithm>
#include <cstdio>
#include <string>

#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_widgets.h"
#include "objects/draw/qz_draw.h"
#include "objects/object_services.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_draw_info.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"
#include "platform/windows.h"

namespace {

using qz::gadgets::clampScrollPosition;

struct ScrollerObject {
  Qz_Object header;
  Qz_Object* trackSpace = nullptr;
  Qz_Object* track = nullptr;
  Qz_Object* forward = nullptr;
  Qz_Object* back = nullptr;
  Qz_Object* backImage = nullptr;
  Qz_Object* forwardImage = nullptr;
  int32_t minimum = 0;
  int32_t total = 1;
  int32_t visible = 1;
  int32_t position = 0;
  int32_t previous = 0;
  bool hasPrevious = false;  // the first position set only records itself
  int32_t dragStartPosition = 0;
  int32_t knobWidth = 15, knobHeight = 15;
  int32_t knobOffset = 0;
  int16_t dragX = 0, dragY = 0;
  uint32_t orientation = 4;
  bool dragging = false;
  uint32_t repeatCount = 0;
  int16_t step = 1;
  uint32_t knobColour = 0;
  std::string format = "%ld";
  bool sliderMode = false;
};

ScrollerObject* asScroller(Qz_Object* o) { return reinterpret_cast<ScrollerObject*>(o); }
bool vertical(const ScrollerObject* s) { return s->orientation == kScrollerVertical; }
Qz_LayoutBox* boxOf(Qz_Object* o) { return o ? &Qz_RootInstance(o)->box : nullptr; }
Qz_DrawInfo* infoOf(Qz_Object* o) { return reinterpret_cast<Qz_DrawInfo*>(Qz_DoMethod(o, kRootGetDrawInfo)); }
int32_t frameAlong(const ScrollerObject* s, const Qz_DrawInfo* info) {
  return vertical(s) ? info->frameHeight : info->frameWidth;
}
int32_t trackLength(const ScrollerObject* s, const Qz_LayoutBox* b) { return vertical(s) ? b->height : b->width; }
int32_t& knobAlong(ScrollerObject* s) { return vertical(s) ? s->knobHeight : s->knobWidth; }

std::string formatted(const ScrollerObject* s, int32_t value) {
  char text[64];
  qz::widgets::formatNumber(s->format.c_str(), value, text, sizeof text);
  return text;
}

int32_t widestNumber(ScrollerObject* s, RastPort* rp) {
  const int64_t wide = std::max<int64_t>(std::abs(int64_t(s->minimum) * 10), std::abs(int64_t(s->total)));
  const std::string text = formatted(s, int32_t(std::min<int64_t>(wide, INT32_MAX)));
  return TextLength(rp, text.c_str(), int32_t(text.size()));
}

void drawSliderKnob(ScrollerObject* s, Qz_DrawInfo* info, const Qz_LayoutBox* t) {
  RastPort* rp = info->rastPort;
  Qz_DrawFrame(Qz_GetTopMostObject(&s->header), info, t->left, t->top, t->width, t->height, nullptr, 0, 2);
  s->knobWidth = widestNumber(s, rp);
  s->knobHeight = info->fontHeight + 2 * info->frameHeight;
  const int32_t knobLength = vertical(s) ? s->knobHeight : s->knobWidth;
  auto origin = [&](int32_t position, int32_t& x, int32_t& y) {
    const int32_t off = qz::gadgets::sliderKnobOffset(trackLength(s, t), frameAlong(s, info), knobLength,
                                                      s->minimum, s->total, position, vertical(s));
    x = t->left + info->frameWidth + (vertical(s) ? 0 : off);
    y = t->top + info->frameHeight + (vertical(s) ? off : 0);
  };
  int32_t x = 0, y = 0;
  origin(s->previous, x, y);
  SetAPen(rp, 0);
  RectFill(rp, x, y, x + s->knobWidth, y + s->knobHeight);
  origin(s->position, x, y);
  const std::string number = formatted(s, s->position);
  if (s->knobColour != 0 && info->directColours != 0) {
    SetAPen(rp, s->knobColour);
    RectFill(rp, x + 1, y + 1, x + s->knobWidth - 2, y + s->knobHeight - 2);
    Qz_DrawFrame(Qz_GetTopMostObject(&s->header), info, x, y, s->knobWidth, s->knobHeight, nullptr, 0, 1);
    SetABPenDrMd(rp, 1, 0, 0);
    Move(rp, x + (s->knobWidth - TextLength(rp, number.c_str(), int32_t(number.size()))) / 2, y);
    Text(rp, number.c_str(), int32_t(number.size()));
  } else {
    Qz_DrawFrame(Qz_GetTopMostObject(&s->header), info, x, y, s->knobWidth, s->knobHeight, number.c_str(), 0, 4);
  }
}

void drawScrollKnob(ScrollerObject* s, Qz_DrawInfo* info, const Qz_LayoutBox* t) {
  RastPort* rp = info->rastPort;
  const int32_t length = trackLength(s, t);
  const qz::gadgets::Knob k = qz::gadgets::scrollKnob(length, frameAlong(s, info), s->total, s->visible, s->position);
  knobAlong(s) = k.length;
  s->knobOffset = k.offset;
  const int32_t start = (vertical(s) ? t->top : t->left) + k.offset;
  const int32_t kx = vertical(s) ? t->left : start, ky = vertical(s) ? start : t->top;
  Qz_DrawFrame(Qz_GetTopMostObject(&s->header), info, kx, ky, std::min<int32_t>(s->knobWidth, t->width),
               std::min<int32_t>(s->knobHeight, t->height), nullptr, 0, s->dragging ? 5 : 4);
  // Clear the track on both sides of the knob.
  SetAPen(rp, 0);
  const int32_t first = vertical(s) ? t->top : t->left, last = first + length - 1;
  const int32_t side = vertical(s) ? t->left : t->top, across = vertical(s) ? t->width : t->height;
  auto fill = [&](int32_t a0, int32_t a1) {
    if (a1 < a0) return;
    if (vertical(s)) RectFill(rp, side, a0, side + across - 1, a1);
    else RectFill(rp, a0, side, a1, side + across - 1);
  };
  if (s->position != 0) fill(first + 1, std::max(start - 1, first));
  if (s->position + s->visible < s->total) fill(std::min(start + k.length, last), last);
}

void drawKnob(ScrollerObject* s) {
  Qz_LayoutBox* t = boxOf(s->track);
  if (t == nullptr || t->width <= 0 || t->height <= 0) return;
  Qz_DrawInfo* info = Qz_LockDrawInfo(&s->header);
  if (info == nullptr) return;
  if (s->sliderMode) drawSliderKnob(s, info, t);
  else drawScrollKnob(s, info, t);
  Qz_UnlockDrawInfo(&s->header);
}

void notifyPosition(ScrollerObject* s) {
  Qz_DoNotify(&s->header, s->sliderMode ? kSliderSetPosition : kScrollerSetPosition, uint32_t(s->position));
}

QzWord setPosition(ScrollerObject* s, int32_t wanted) {
  const int32_t p = clampScrollPosition(wanted, s->minimum, s->total, s->visible);
  if (!s->hasPrevious) {
    s->hasPrevious = true;
    s->position = s->previous = p;
    return 0;
  }
  s->previous = s->position;
  if (p == s->position) return 0;
  s->position = p;
  drawKnob(s);
  notifyPosition(s);
  return 0;
}

// After the total or the visible part changed: the position is held in range.
void reclamp(ScrollerObject* s) {
  const int32_t p = std::max(clampScrollPosition(s->position, s->minimum, s->total, s->visible), 0);
  if (p != s->position) {
    s->previous = s->position;
    s->position = p;
    notifyPosition(s);
  }
  drawKnob(s);
}

QzWord setTotal(ScrollerObject* s, int32_t total) {
  s->total = total;
  if (s->visible > total) s->visible = total;
  reclamp(s);
  return uint32_t(s->total);
}

QzWord setVisible(ScrollerObject* s, int32_t visible) {
  s->visible = visible;
  if (s->total < visible) s->total = visible;
  reclamp(s);
  return uint32_t(s->visible);
}

void setOrientation(ScrollerObject* s, uint32_t orientation) {
  s->orientation = orientation;
  const bool v = vertical(s);
  Qz_DoMethod(s->header.super, kGroupSetMode, v ? 1 : 2);
  Qz_DoMethod(s->track, kGroupSetMode, v ? 2 : 1);
  Qz_DoMethod(s->backImage, kVectorImageSetKind, v ? kVectorImageUpArrow : kVectorImageLeftArrow);
  Qz_DoMethod(s->forwardImage, kVectorImageSetKind, v ? kVectorImageDownArrow : kVectorImageRightArrow);
  for (Qz_Object* image : {s->backImage, s->forwardImage}) {
    Qz_DoMethod(image, v ? kFixHeight : kFixWidth, 10);
    Qz_DoMethod(image, v ? kFixWidth : kFixHeight, 11);
  }
  Qz_DoMethod(s->trackSpace, v ? kSpaceSetMinWidth : kSpaceSetMinHeight, 15);
}

void updateKnobGeometry(ScrollerObject* s, Qz_DrawInfo* info, const Qz_LayoutBox* t) {
  if (s->sliderMode) {
    s->knobOffset = qz::gadgets::sliderKnobOffset(trackLength(s, t), frameAlong(s, info), knobAlong(s), s->minimum,
                                                  s->total, s->position, vertical(s));
    return;
  }
  const qz::gadgets::Knob k =
      qz::gadgets::scrollKnob(trackLength(s, t), frameAlong(s, info), s->total, s->visible, s->position);
  knobAlong(s) = k.length;
  s->knobOffset = k.offset;
}

void startDrag(ScrollerObject* s) {
  if (s->dragging) return;
  s->dragging = true;
  drawKnob(s);
  if (Qz_DrawInfo* info = infoOf(&s->header); info != nullptr && info->window != nullptr) {
    s->dragX = Qz_WindowMouseX(info->window);
    s->dragY = Qz_WindowMouseY(info->window);
  }
  s->dragStartPosition = s->position;
}

void endDrag(ScrollerObject* s) {
  if (!s->dragging) return;
  s->dragging = false;
  drawKnob(s);
}

QzWord toGroup(ScrollerObject* s, const QzWord* args) { return Qz_DoMethodA(s->header.super, kRootHandleIDCMP, args); }

bool over(Qz_Object* o, const Qz_InputEvent* e) { return o && Qz_IsCoordOverObject(o, e->mouseX, e->mouseY) != 0; }

QzWord handleInput(ScrollerObject* s, const QzWord* args) {
  const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  Qz_LayoutBox* t = boxOf(s->track);
  Qz_DrawInfo* info = infoOf(&s->header);
  if (e == nullptr || t == nullptr || info == nullptr) return 2;
  switch (e->cls) {
    case IDCMP_MOUSEBUTTONS:
      if (e->code == SELECTDOWN) {
        s->repeatCount = 0;
        if (!over(s->track, e)) {
          toGroup(s, args);
          return 2;
        }
        // The knob where it stands now, whether or not it could be drawn there yet.
        updateKnobGeometry(s, info, t);
        const int32_t page = s->sliderMode ? 1 : s->visible;
        const int32_t d = vertical(s) ? e->mouseY - t->top - info->frameHeight : e->mouseX - t->left - info->frameWidth;
        if (d < s->knobOffset) setPosition(s, s->position - page);
        else if (d <= s->knobOffset + knobAlong(s)) startDrag(s), s->dragX = e->mouseX, s->dragY = e->mouseY;
        else setPosition(s, s->position + page);
      } else if (e->code == SELECTUP) {
        if (s->dragging) endDrag(s);
        else toGroup(s, args);
      }
      return 2;
    case IDCMP_MOUSEMOVE: {
      if (!s->dragging) {
        toGroup(s, args);
        return 2;
      }
      const int32_t moved = vertical(s) ? e->mouseY - s->dragY : e->mouseX - s->dragX;
      const int32_t p = qz::gadgets::dragScrollPosition(s->dragStartPosition, moved, trackLength(s, t),
                                                        frameAlong(s, info), knobAlong(s), s->minimum, s->total,
                                                        s->visible);
      s->previous = s->position;
      setPosition(s, p);
      return 2;
    }
    case IDCMP_INTUITICKS:
      if ((e->qualifier & 0x4000) == 0) return 2;
      if (++s->repeatCount < 5) return 2;
      if (over(s->forward, e) && Qz_DoMethod(s->forward, kButtonGetSelected) != 0) setPosition(s, s->position + s->step);
      if (over(s->back, e) && Qz_DoMethod(s->back, kButtonGetSelected) != 0) setPosition(s, s->position - s->step);
      return 2;
    default: return 2;
  }
}

QzWord measureSlider(ScrollerObject* s) {
  Qz_DrawInfo* info = Qz_LockDrawInfoForInspection(&s->header);
  if (info != nullptr) {
    s->knobWidth = widestNumber(s, info->rastPort);
    s->knobHeight = info->fontHeight + 2 * info->frameHeight;
    Qz_DoMethod(s->trackSpace, kSpaceSetMinWidth, s->knobWidth + 2 * info->frameWidth);
    Qz_DoMethod(s->trackSpace, kSpaceSetMinHeight, s->knobHeight + 2 * info->frameHeight);
    for (Qz_Object* image : {s->backImage, s->forwardImage}) Qz_DoMethod(image, kFixHeight, s->knobHeight);
    Qz_UnlockDrawInfoForInspection(&s->header);
  }
  return Qz_DoMethod(s->header.super, kRootMeasure);
}

// A Space stops at 1280 pixels; the track, and so the bar, runs the whole
// length along its axis that the window gives it, the arrows at its far end.
QzWord measure(ScrollerObject* s, const QzWord* args) {
  const QzWord r = s->sliderMode ? measureSlider(s) : Qz_DoMethodA(s->header.super, kRootMeasure, args);
  for (Qz_Object* o : {s->trackSpace, s->track, &s->header})
    qz::gadgets::stretchWithoutLimit(o, !vertical(s), vertical(s));
  return r;
}

QzWord scrollerDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ScrollerObject* s = asScroller(object);
  switch (id) {
    case kScrollerForward: return setPosition(s, s->position + s->step);
    case kScrollerBack: return setPosition(s, s->position - s->step);
    case kScrollerSetPosition:
    case kSliderSetPosition: return setPosition(s, int32_t(args[0]));
    case kScrollerGetPosition:
    case kSliderGetPosition: return uint32_t(s->position);
    case kScrollerSetTotal: return setTotal(s, int32_t(args[0]));
    case kScrollerGetTotal: return uint32_t(s->total);
    case kScrollerSetVisible: return setVisible(s, int32_t(args[0]));
    case kScrollerGetVisible: return uint32_t(s->visible);
    case kScrollerSetMinimum:
    case kSliderSetMinimum:
      s->minimum = int32_t(args[0]);
      drawKnob(s);
      return 0;
    case kSliderSetTotal:
      s->sliderMode = true;
      s->visible = 0;
      return setTotal(s, int32_t(args[0]));
    case kSliderSetFormat:
      s->format = args[0] != 0 ? reinterpret_cast<const char*>(args[0]) : "%ld";
      return 0;
    case kScrollerSetStep: s->step = int16_t(args[0]); return uint32_t(int32_t(s->step));
    case kScrollerGetStep: return uint32_t(int32_t(s->step));
    case kGroupSetMode: setOrientation(s, uint32_t(args[0])); return 0;
    case kRootDeriveColours: s->knobColour = uint32_t(args[0]); return 0;
    case kButtonSilent: return 0;
    case kRootSelect: startDrag(s); return 0;
    case kRootDeselect: endDrag(s); return 0;
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2:
      if (Qz_IsCoordOverObject(object, int32_t(args[0]), int32_t(args[1])) == 0) return 0;
      if (id == kRootObjectAtPoint) startDrag(s);
      else endDrag(s);
      return 0;
    case kRootDraw: {
      const QzWord r = Qz_DoMethodA(object->super, id, args);
      drawKnob(s);
      return r;
    }
    case kRootMeasure: return measure(s, args);
    case kRootHandleIDCMP: return handleInput(s, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* arrowButton(Qz_Object** image, uint32_t kind) {
  *image = Qz_CreateObject("VectorImage", kVectorImageSetKind, kind, kFixWidth, 11, kFixHeight, 11);
  Qz_Object* button = Qz_CreateObject("Button");
  if (*image == nullptr || button == nullptr) {
    Qz_DisposeObject(*image);
    Qz_DisposeObject(button);
    *image = nullptr;
    return nullptr;
  }
  Qz_DoMethod(button, kGroupAddTail, *image);
  return button;
}

// Track, back arrow, forward arrow; each arrow's press steps the position.
bool scrollerSetUp(Qz_Object* object) {
  ScrollerObject* s = asScroller(object);
  s->trackSpace = Qz_CreateObject("Space", kSpaceSetMinWidth, 11, kSpaceSetMinHeight, 11);
  // One share of the spare room: a group's own two shares would push the
  // track past the bar's end and the arrows out of sight.
  s->track = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFrame, 6, kRootSetWeight, 100);
  s->back = arrowButton(&s->backImage, kVectorImageLeftArrow);
  s->forward = arrowButton(&s->forwardImage, kVectorImageRightArrow);
  if (s->trackSpace == nullptr || s->track == nullptr || s->back == nullptr || s->forward == nullptr) {
    for (Qz_Object* o : {s->trackSpace, s->track, s->back, s->forward}) Qz_DisposeObject(o);
    return false;
  }
  Qz_DoMethod(s->track, kGroupAddTail, s->trackSpace);
  Qz_DoMethod(object->super, kGroupAddTail, s->track);
  Qz_DoMethod(object->super, kGroupAddTail, s->back);
  Qz_DoMethod(object->super, kGroupAddTail, s->forward);
  Qz_AddNotify(s->forward, kButtonPressed, kNotifyAnyValue, object, 1, kScrollerForward);
  Qz_AddNotify(s->back, kButtonPressed, kNotifyAnyValue, object, 1, kScrollerBack);
  setOrientation(s, s->orientation);
  return true;
}

// A bar takes one share of spare room, so alone in a row it ends where the row does.
const TagItem kScrollerSuperTags[] = {{kGroupSetMode, 2}, {kRootSetWeight, 100}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kScrollerClass = {
    .name = "Scroller", .superName = "Group", .classId = kScrollerClassId,
    .instance = qz::kit::instanceOf<ScrollerObject>(), .handler = scrollerDispatch,
    .superTags = kScrollerSuperTags, .setUp = scrollerSetUp, .notice = "Scroll bar", .classValue = 2};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitScrollerClass(Qz_GlobalData*) { return qz::kit::addClass(kScrollerClass); }
QZ_EXPORT void Qz_CleanupScrollerClass(void) { qz::kit::removeClass(kScrollerClass); }
QZ_EXTERN_C_END
