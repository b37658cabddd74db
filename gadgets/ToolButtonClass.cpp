// ToolButton: a tool-bar button with several states; its members are the
// faces of the states (face 0 shows while it is off) and each click moves
// it on to the next state.
#include "gadgets/qz_group.h"
#include "gadgets/qz_input_event.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_linked_list.h"
#include "objects/qz_notify.h"
#include "platform/windows.h"

namespace {

struct ToolButtonObject {
  Qz_Object header;
  uint32_t state;  // 0 off, else the face shown
  uint32_t highlighted;
  Qz_Object* faces;  // page-mode group inside the button's own group
  QzWord spare;
};

// A method id's high half is the id of the class that owns it.
constexpr uint32_t kClassIdBits = 0xFFFF0000u;

ToolButtonObject* asTool(Qz_Object* o) { return reinterpret_cast<ToolButtonObject*>(o); }
QzWord outermost(Qz_Object* o) { return reinterpret_cast<QzWord>(Qz_GetTopMostObject(o)); }
uint32_t faceCount(ToolButtonObject* t) { return uint32_t(Qz_DoMethod(t->faces, kGroupCount)); }

QzWord setState(ToolButtonObject* t, QzWord value) {
  Qz_Object* self = &t->header;
  uint32_t state = uint32_t(value);
  if (state >= faceCount(t)) state = 1;
  t->state = state;
  Qz_DoMethod(t->faces, kGroupShowPage, state);
  Qz_DoMethod(t->faces, kRootSelect);
  Qz_DoMethod(self->super, kRootDraw);
  Qz_DoNotify(self, kRootSelect, 1);
  Qz_DoNotify(self, kToolButtonSetState, state);
  return state;
}

QzWord selectTool(ToolButtonObject* t) {
  Qz_Object* self = &t->header;
  if (t->state == 0) {
    setState(t, 1);
    Qz_DoMethod(self->super, kRootSelect);
    Qz_DoMethod(self->super, kRootDraw);
  }
  return outermost(self);
}

QzWord deselectTool(ToolButtonObject* t) {
  Qz_Object* self = &t->header;
  if (t->state != 0) {
    t->state = 0;
    Qz_DoMethod(t->faces, kGroupShowPage, 0);
    Qz_DoMethod(t->faces, kRootDeselect);
    Qz_DoMethod(self->super, kRootDeselect);
    Qz_DoMethod(self->super, kRootDraw);
    Qz_DoNotify(self, kRootDeselect, 0);
    Qz_DoNotify(self, kToolButtonSetState, 0);
  }
  return outermost(self);
}

void light(ToolButtonObject* t, bool on) {
  if ((t->highlighted != 0) == on) return;
  t->highlighted = on ? 1 : 0;
  Qz_DoMethod(t->header.super, on ? kGroupHighlight : kGroupUnhighlight);
}

QzWord handleInput(ToolButtonObject* t, const QzWord* args) {
  Qz_Object* self = &t->header;
  const auto* e = reinterpret_cast<const Qz_InputEvent*>(args[0]);
  if (e == nullptr) return 2;
  const bool over = Qz_IsCoordOverObject(self, e->mouseX, e->mouseY) != 0;
  switch (e->cls) {
    case IDCMP_MOUSEBUTTONS:
      if (e->code == SELECTDOWN && over && Qz_DoMethod(self, kRootDisableCount) == 0) {
        if (t->state == 0) selectTool(t);
        else setState(t, t->state + 1);  // past the last face: back to 1
      }
      return 2;
    case IDCMP_MOUSEMOVE: light(t, over); return 2;
    case IDCMP_INACTIVEWINDOW:
    case IDCMP_MOUSELEFT: light(t, false); return 2;
    default: return 2;
  }
}

QzWord toolDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  ToolButtonObject* t = asTool(object);
  switch (id) {
    case kGroupAddTail: {
      const QzWord r = Qz_DoMethodA(t->faces, id, args);
      Qz_DoMethod(t->faces, kGroupShowPage, t->state);
      return r;
    }
    case kToolButtonSetState: return setState(t, args[0]);
    case kToolButtonGetState: return t->state;
    case kRootSelect: return selectTool(t);
    case kRootDeselect: return deselectTool(t);
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2:
      if (Qz_IsCoordOverObject(object, int32_t(args[0]), int32_t(args[1])) == 0) return 0;
      return id == kRootObjectAtPoint ? selectTool(t) : deselectTool(t);
    case kRootHandleIDCMP: return handleInput(t, args);
    default:
      // Member-list methods reach the faces.
      if ((id & kClassIdBits) == kLinkedListClassId) return Qz_DoMethodA(t->faces, id, args);
      return qz::kit::inherited(object, id, args);
  }
}

// The faces go in a page-mode group inside the button's own group.
bool toolSetUp(Qz_Object* object) {
  ToolButtonObject* t = asTool(object);
  t->faces = Qz_CreateObject("Group", kGroupSetMode, 4);
  if (t->faces == nullptr) return false;
  Qz_DoMethod(object->super, kGroupAddTail, t->faces);  // disposed with it
  return true;
}

const TagItem kToolButtonSuperTags[] = {{kGroupSetMode, 1},
                                        {kGroupSetFrame, 7},
                                        {kGroupSetSelectedFrame, 5},
                                        {kGroupSetHighlightedFrame, 4},
                                        {TAG_DONE, 0}};

const qz::kit::ClassDecl kToolButtonClass = {
    .name = "ToolButton", .superName = "Group", .classId = kToolButtonClassId,
    .instance = qz::kit::instanceOf<ToolButtonObject>(), .handler = toolDispatch,
    .superTags = kToolButtonSuperTags, .setUp = toolSetUp, .notice = "Tool-bar button with several states"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitToolButtonClass(Qz_GlobalData*) { return qz::kit::addClass(kToolButtonClass); }
QZ_EXPORT void Qz_CleanupToolButtonClass(void) { qz::kit::removeClass(kToolButtonClass); }
QZ_EXTERN_C_END
