// Button: a push button whose face is its group's members. It reports a
// press with the notification 0x30028 and can be a toggle, an immediate
// button, a spring-loaded typed button or a tool-bar button that lights up
// under the pointer.
//
// When a press fires: a plain button fires once, on a release over it; a
// release elsewhere, or the window going inactive mid-press, fires nothing.
// A button pressed by its shortcut fires at once and stays pressed in until
// it is deselected; that later deselect is quiet, so one key press is one
// press. The group's 0x100F0 notification follows every deselect.
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "platform/windows.h"

namespace {

struct ButtonObject {
  Qz_Object header;
  uint32_t shortcut;
  uint8_t highlighted;
  uint8_t selected;
  uint8_t pressedInside;
  uint8_t silent;
  uint8_t toggle;
  uint8_t immediate;
  uint8_t buttonType;
  uint8_t releasedFrame;
  uint8_t toolStyle;
  uint8_t quietDeselect;  // selected by the shortcut: its deselect does not fire again
};

ButtonObject* asButton(Qz_Object* o) { return reinterpret_cast<ButtonObject*>(o); }
QzWord outermost(Qz_Object* o) { return reinterpret_cast<QzWord>(Qz_GetTopMostObject(o)); }
bool typed(const ButtonObject* b) { return b->buttonType == 9 || b->buttonType == 14 || b->buttonType == 16; }
bool disabled(Qz_Object* o) { return Qz_DoMethod(o, kRootDisableCount) != 0; }
void redraw(Qz_Object* o) { Qz_DoMethod(o->super, kRootDraw); }

QzWord selectButton(ButtonObject* b) {
  Qz_Object* self = &b->header;
  if (b->selected || disabled(self)) return outermost(self);
  b->selected = 1;
  if (typed(b)) {
    Qz_DoMethod(self->super, kGroupSetFrame, b->buttonType);  // the pressed look of its type
  } else {
    // A toggle shows its state too: its selected frame while it is on.
    Qz_DoMethod(self->super, kRootSelect);
  }
  redraw(self);
  if (b->silent || b->immediate) Qz_DoNotify(self, kButtonPressed, 1);
  Qz_DoNotify(self, kRootSelect, 1);
  return outermost(self);
}

QzWord deselectButton(ButtonObject* b) {
  Qz_Object* self = &b->header;
  if (!b->selected) return outermost(self);
  b->selected = 0;
  if (typed(b)) Qz_DoMethod(self->super, kGroupSetFrame, b->releasedFrame);
  const bool quiet = b->silent || (b->pressedInside && !b->immediate) || b->quietDeselect;
  b->quietDeselect = 0;
  if (!quiet) Qz_DoNotify(self, kButtonPressed, 0);
  Qz_DoNotify(self, kRootDeselect, 0);
  if (!typed(b)) Qz_DoMethod(self->super, kRootDeselect);
  redraw(self);
  return outermost(self);
}

// Deselects without firing the press, whatever the flags say.
void cancel(ButtonObject* b) {
  const uint8_t silent = b->silent;
  b->silent = 1;
  deselectButton(b);
  b->silent = silent;
}

void flip(ButtonObject* b) {
  if (b->selected) {
    deselectButton(b);
  } else if (b->toggle && !b->silent && !b->immediate) {
    // A toggle fires as it is switched on.
    selectButton(b);
    if (b->selected) Qz_DoNotify(&b->header, kButtonPressed, 1);
  } else {
    selectButton(b);
  }
}

QzWord handleInput(ButtonObject* b, const QzWord* args) {
  Qz_Object* self = &b->header;
  const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  if (e == nullptr) return 2;
  const bool over = Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) != 0;
  switch (e->cls) {
    case IDCMP_VANILLAKEY:
      if (b->shortcut == 0 || e->code != b->shortcut || disabled(self)) return 2;
      if (b->toggle && b->selected) {
        deselectButton(b);
        return 1;
      }
      if (!b->selected) {
        const uint8_t silent = b->silent;
        b->silent = 1;
        selectButton(b);
        b->silent = silent;
        if (b->toggle && b->selected) return 1;  // a toggle stays on, and its deselect is a press
        b->quietDeselect = b->selected;
      }
      return 1;
    case IDCMP_MOUSELEFT:
      if (b->highlighted) {
        b->highlighted = 0;
        Qz_DoMethod(self->super, kGroupUnhighlight);
      }
      return 2;
    case IDCMP_INACTIVEWINDOW:
      b->pressedInside = 0;
      if (b->selected && !b->toggle && !b->immediate) cancel(b);
      if (b->highlighted) {
        b->highlighted = 0;
        Qz_DoMethod(self->super, kGroupUnhighlight);
      }
      return 2;
    case IDCMP_MOUSEBUTTONS:
      if (e->code == SELECTDOWN) {
        if (!over || disabled(self)) return 2;
        if (b->immediate && b->silent) {
          flip(b);
        } else if (b->immediate || b->toggle) {
          b->pressedInside = 1;  // it changes at the release
        } else {
          selectButton(b);
          b->pressedInside = 1;
        }
      } else if (e->code == SELECTUP) {
        if (b->immediate && !b->silent && b->pressedInside) {
          b->pressedInside = 0;
          flip(b);
        } else if (b->toggle && !b->immediate) {
          const bool pressed = b->pressedInside != 0;
          b->pressedInside = 0;
          if (pressed && over) flip(b);
        } else if (b->selected && !b->immediate && !typed(b)) {
          if (over) {
            b->pressedInside = 0;
            deselectButton(b);  // fires: released over the button
          } else {
            cancel(b);
          }
        }
        b->pressedInside = 0;
      }
      return 2;
    case IDCMP_MOUSEMOVE:
      if (!b->pressedInside) {
        if (b->toolStyle && over != (b->highlighted != 0)) {
          b->highlighted = over ? 1 : 0;
          Qz_DoMethod(self->super, over ? kGroupHighlight : kGroupUnhighlight);
        }
      } else if (!typed(b) && !b->toggle && !b->immediate) {
        if (!over && b->selected) deselectButton(b);  // pressed inside: quiet
        else if (over && !b->selected) selectButton(b);
      }
      return 2;
    default: return 2;
  }
}

QzWord setFrame(ButtonObject* b, QzWord value) {
  Qz_Object* self = &b->header;
  QzWord frame = value;
  if (value == 6) {
    Qz_DoMethod(self->super, kGroupSetSelectedFrame, 8);
  } else if (value == 19) {
    frame = 7;
    Qz_DoMethod(self->super, kGroupSetSelectedFrame, 5);
    Qz_DoMethod(self->super, kGroupSetHighlightedFrame, 4);
    b->toolStyle = 1;
  }
  return Qz_DoMethod(self->super, kGroupSetFrame, frame);
}

QzWord buttonDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ButtonObject* b = asButton(object);
  switch (id) {
    case kButtonToggle:
      b->toggle = args[0] != 0;
      Qz_DoMethod(object->super, kGroupSetFrame, 6);
      Qz_DoMethod(object->super, kGroupSetSelectedFrame, 8);
      return 0;
    case kButtonImmediate:
      b->immediate = args[0] != 0;
      b->silent = 1;
      return 0;
    case kButtonType:
      b->buttonType = uint8_t(args[0]);
      if (b->buttonType == 9) b->releasedFrame = 10;
      else if (b->buttonType == 14) b->releasedFrame = 15;
      else if (b->buttonType == 16) b->releasedFrame = 17;
      Qz_DoMethod(object->super, kGroupSetFrame, b->releasedFrame);
      Qz_DoMethod(object->super, kGroupSetSelectedFrame, b->releasedFrame);
      return 0;
    case kButtonSetSelected: return args[0] != 0 ? selectButton(b) : deselectButton(b);
    case kButtonGetSelected: return b->selected;
    case kButtonSilent: b->silent = uint8_t(args[0]); return 0;
    case kGroupSetFrame: return setFrame(b, args[0]);
    case kButtonSetKey: b->shortcut = uint32_t(args[0]); return 0;
    case kButtonGetKey: return b->shortcut;
    case kRootSelect: return selectButton(b);
    case kRootDeselect: return deselectButton(b);
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2:
      if (Qz_IsCoordOverObject(object, int32_t(args[0]), int32_t(args[1])) == 0) return 0;
      return id == kRootObjectAtPoint ? selectButton(b) : deselectButton(b);
    case kGroupDragOver:
      if (typed(b) && !b->selected && Qz_IsCoordOverObject(object, int32_t(args[1]), int32_t(args[2])) != 0) {
        selectButton(b);
      }
      return Qz_DoMethodA(object->super, id, args);
    case kRootHandleIDCMP: return handleInput(b, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

const TagItem kButtonSuperTags[] = {
    {kGroupSetFrame, 4}, {kGroupSetSelectedFrame, 5}, {kRootSetWeight, 200}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kButtonClass = {
    .name = "Button", .superName = "Group", .classId = kButtonClassId,
    .instance = qz::kit::instanceOf<ButtonObject>(), .handler = buttonDispatch,
    .superTags = kButtonSuperTags, .notice = "Push button"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitButtonClass(Qz_GlobalData*) { return qz::kit::addClass(kButtonClass); }
QZ_EXPORT void Qz_CleanupButtonClass(void) { qz::kit::removeClass(kButtonClass); }
QZ_EXTERN_C_END
