// Angle: a knob with arrow buttons and a number field, all showing one
// angle of 0 to 359 degrees. Turning the knob, typing a number or an arrow
// sets it (the arrows stop at 0 and 359); each change fires kAngleSet.
#include "gadgets/arrow_button.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"

namespace {

struct Qz_AngleObject {
  Qz_Object header;
  Qz_Object* knob = nullptr;
  Qz_Object* field = nullptr;
  Qz_Object* down = nullptr;
  Qz_Object* up = nullptr;
  int16_t angle = 0;
};

Qz_AngleObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_AngleObject>(o); }

QzWord Qz__SetAngle(Qz_AngleObject* a, QzWord value) {
  const auto angle = int16_t(value);
  if (angle != a->angle) {
    a->angle = angle;
    Qz_DoNotify(&a->header, kAngleSet, uint32_t(int32_t(angle)));
    Qz_DoMethod(a->knob, kValueSet, uint32_t(int32_t(angle)));
    Qz_DoMethod(a->field, kStringEditSetNumber, uint32_t(int32_t(angle)));
  }
  return uint32_t(int32_t(a->angle));
}

QzWord Qz__AngleDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_AngleObject* a = Qz__Self(object);
  switch (id) {
    case kAngleSet: return Qz__SetAngle(a, args[0]);
    case kAngleGet: return uint32_t(int32_t(a->angle));
    case kNotifyWhileDragging: return Qz_DoMethodA(a->knob, id, args);
    default: return qz::kit::inherited(object, id, args);
  }
}

// Knob over the arrows and field at their own heights: a tall panel gives
// the room to its other rows, not stretched arrow buttons.
Qz_Object* Qz__MakeRow(Qz_Object*) { return Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetFixedHeight, 1); }

bool Qz__SetUp(Qz_Object* object) {
  Qz_AngleObject* a = Qz__Self(object);
  a->knob = Qz_CreateObject("Knob", kValueSetMinimum, 0, kValueSetMaximum, 359);
  a->field = Qz_CreateObject("StringEdit", kStringEditSetNumeric, 1, kStringEditSetMaxLength, 4);
  a->down = qz::widgets::arrowButton(kVectorImageLeftArrow);
  a->up = qz::widgets::arrowButton(kVectorImageRightArrow);
  Qz_Object* column = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetFixedHeight, 1);
  Qz_Object* row = Qz_CreateObject("Group", kGroupSetMode, 2, kGroupSetFixedHeight, 1);
  if (!a->knob || !a->field || !a->down || !a->up || !column || !row) {
    for (Qz_Object* o : {a->knob, a->field, a->down, a->up, column, row}) Qz_DisposeObject(o);
    return false;
  }
  Qz_DoMethod(a->field, kStringEditSetNumber, 0);
  Qz_DoMethod(row, kGroupAddTail, a->down);
  Qz_DoMethod(row, kGroupAddTail, a->field);
  Qz_DoMethod(row, kGroupAddTail, a->up);
  Qz_DoMethod(column, kGroupAddTail, a->knob);
  Qz_DoMethod(column, kGroupAddTail, row);
  Qz_DoMethod(object->super, kGroupAddTail, column);
  Qz_AddNotify(a->knob, kValueSet, kNotifyAnyValue, object, 2, kAngleSet, kNotifySameWord);
  Qz_AddNotify(a->field, kStringEditSetNumber, kNotifyAnyValue, object, 2, kAngleSet, kNotifySameWord);
  Qz_AddNotify(a->up, kButtonPressed, kNotifyAnyValue, a->knob, 1, kKnobStepUp);
  Qz_AddNotify(a->down, kButtonPressed, kNotifyAnyValue, a->knob, 1, kKnobStepDown);
  return true;
}

const qz::kit::ClassDecl kAngle = {
    .name = "Angle", .superName = "Group", .classId = kAngleClassId,
    .instance = qz::kit::instanceOf<Qz_AngleObject>(), .handler = Qz__AngleDispatch,
    .makeSuper = Qz__MakeRow, .setUp = Qz__SetUp, .notice = "Knob, arrows and a number for an angle"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitAngleClass(Qz_GlobalData*) { return qz::kit::addClass(kAngle); }
QZ_EXPORT void Qz_CleanupAngleClass(void) { qz::kit::removeClass(kAngle); }
QZ_EXTERN_C_END
