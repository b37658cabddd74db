// TransformAction: rotates and/or scales the image after taking a full undo
// copy, which its undo restores.
#include "actions/action_internal.h"
#include "image/qz_rotation.h"
#include "image/qz_scaling.h"

namespace {

using namespace qz::actions;

struct TransformData {
  Qz_Object header;
  int32_t angle = 0;  // whole degrees
  uint32_t flags = 0;
  uint32_t scaleWidth = 0;
  uint32_t scaleHeight = 0;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kTransformActionSetFlags, .getter = kTransformActionGetFlags,
     .field = qz::kit::field(&TransformData::flags), .setterName = "Qz_SetTransformActionFlags",
     .getterName = "Qz_GetTransformActionFlags", .answersZero = true},
    {.setter = kTransformActionSetWidth, .getter = kTransformActionGetWidth,
     .field = qz::kit::field(&TransformData::scaleWidth), .setterName = "Qz_SetTransformActionWidth",
     .getterName = "Qz_GetTransformActionWidth", .answersZero = true},
    {.setter = kTransformActionSetHeight, .getter = kTransformActionGetHeight,
     .field = qz::kit::field(&TransformData::scaleHeight),
     .setterName = "Qz_SetTransformActionHeight", .getterName = "Qz_GetTransformActionHeight", .answersZero = true},
};

QzWord Qz__Apply(Qz_Object* self, TransformData* t) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_DoMethod(self->super, kActionGetImage));
  if (!image) return 0;
  Qz_DoMethod(self->super, kActionTakeUndoCopy);
  int32_t ok = 1;
  if (t->angle != 0) {
    ok = Qz__RotateImage(image, t->angle * 100, t->flags);
    if (ok) Qz_DoMethod(&image->object, kQzImageRerender);
  }
  if (ok && t->scaleWidth != 0)
    ok = Qz__ScaleImage(image, int32_t(t->scaleWidth), int32_t(t->scaleHeight),
                        t->flags & ~kQzScaleUndoable);
  return ok ? 1 : 0;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* t = reinterpret_cast<TransformData*>(object);
  switch (id) {
    case kActionSetAngle: t->angle = int32_t(args[0]); return 1;
    case kActionApply: case kActionApplyQuiet: case kActionRedo: return Qz__Apply(object, t);
    case kActionUndo: return Qz_DoMethod(object->super, kActionRestoreUndoCopy);
    case kActionGetName: return qz::toWord(Qz__ActionText(t->angle != 0 ? 240 : 179));
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/Shear", 0x401};

const qz::kit::ClassDecl kTransformAction = actionClass(
    {.name = "TransformAction", .classId = kTransformActionClassId,
     .instance = qz::kit::instanceOf<TransformData>(), .handler = Qz__Dispatch,
     .attributes = kAttributes}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTransformActionClass(Qz_GlobalData*) { return qz::kit::addClass(kTransformAction); }
QZ_EXPORT void Qz_CleanupTransformActionClass(void) { qz::kit::removeClass(kTransformAction); }
QZ_EXTERN_C_END
