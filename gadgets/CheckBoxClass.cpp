// CheckBox: a labelled on/off box. Its face is a toggle button holding the
// mark and the label; each press of the button switches the state.
#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "objects/draw/qz_draw.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"

namespace {

struct CheckBoxObject {
  Qz_Object header;
  Qz_Object* button = nullptr;  // the superclass instance
  Qz_Object* label = nullptr;
  Qz_Object* mark = nullptr;
  bool applying = false;  // the button's own notification comes back here
};

CheckBoxObject* asCheckBox(Qz_Object* o) { return reinterpret_cast<CheckBoxObject*>(o); }

QzWord setState(CheckBoxObject* c, QzWord flag) {
  const bool on = flag != 0;
  if (c->applying) return on ? 1 : 0;
  c->applying = true;
  Qz_DoMethod(c->mark, kVectorImageSetKind, on ? kMarkCheckOn : kMarkCheckOff);
  Qz_DoMethod(c->button, kRootDraw);
  Qz_DoNotify(&c->header, kCheckBoxSetState, on ? 1u : 0u);
  Qz_DoMethod(c->button, kButtonSetSelected, on ? 1u : 0u);
  c->applying = false;
  return on ? 1 : 0;
}

QzWord checkBoxDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  CheckBoxObject* c = asCheckBox(object);
  switch (id) {
    case kCheckBoxSetState: return setState(c, args[0]);
    case kCheckBoxGetState: return Qz_DoMethod(c->button, kButtonGetSelected) != 0 ? 1 : 0;
    case kRootSetLabel: return Qz_DoMethodA(c->label, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

Qz_Object* makeButton(Qz_Object*) {
  return Qz_CreateObject("Button", kGroupSetMode, 2, kButtonImmediate, 1, kButtonToggle, 1);
}

// The row of boxed mark, gap and label, then a weighted space; pressing and
// releasing the button switches the state on and off. The marks draw a tick
// or nothing (menus show them bare), so the box round the mark is a sunken
// frame of its own: unchecked, the box is what shows there is a choice.
bool checkBoxSetUp(Qz_Object* object) {
  CheckBoxObject* c = asCheckBox(object);
  c->button = object->super;
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kRootSetWeight, 0);
  // The same frame while the button is pressed or under the pointer, then
  // over the button's highlight (0x80: not erased), which the tick is drawn for.
  constexpr uint32_t kOverHighlight = kQzFrameIndent | 0x80;
  Qz_Object* box = Qz_CreateObject("Group", kGroupSetFrame, kQzFrameIndent, kGroupSetSelectedFrame, kOverHighlight,
                                   kGroupSetHighlightedFrame, kOverHighlight, kRootSetWeight, 0);
  c->mark = Qz_CreateObject("VectorImage", kVectorImageSetKind, kMarkCheckOff, kFixWidth, 12, kFixHeight, 12);
  Qz_Object* gap = Qz_CreateObject("Space", kFixWidth, 2);
  c->label = Qz_CreateObject("Text", kRootSetWeight, 0);  // beside the box, not centred in the row
  Qz_Object* filler = Qz_CreateObject("Space");
  Qz_Object* parts[] = {row, box, c->mark, gap, c->label, filler};
  for (Qz_Object* p : parts) {
    if (p == nullptr) {
      for (Qz_Object* o : parts) Qz_DisposeObject(o);
      return false;
    }
  }
  Qz_DoMethod(box, kGroupAddTail, c->mark);
  for (Qz_Object* p : {box, gap, c->label}) Qz_DoMethod(row, kGroupAddTail, p);
  Qz_DoMethod(c->button, kGroupAddTail, row);
  Qz_DoMethod(c->button, kGroupAddTail, filler);
  Qz_AddNotify(c->button, kRootSelect, kNotifyAnyValue, object, 2, kCheckBoxSetState, 1);
  Qz_AddNotify(c->button, kRootDeselect, kNotifyAnyValue, object, 2, kCheckBoxSetState, 0);
  return true;
}

const qz::kit::ClassDecl kCheckBoxClass = {
    .name = "CheckBox", .superName = "Group", .classId = kCheckBoxClassId,
    .instance = qz::kit::instanceOf<CheckBoxObject>(), .handler = checkBoxDispatch,
    .makeSuper = makeButton, .setUp = checkBoxSetUp, .notice = "Check box"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCheckBoxClass(Qz_GlobalData*) { return qz::kit::addClass(kCheckBoxClass); }
QZ_EXPORT void Qz_CleanupCheckBoxClass(void) { qz::kit::removeClass(kCheckBoxClass); }
QZ_EXTERN_C_END
