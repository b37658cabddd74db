// TransformAction: rotates and/or scales the image after taking a full undo
// copy, which its undo restores.
#include "actions/action_internal.h"
#include "image/qz_scaling.h"

QZ_EXTERN_C_BEGIN
QZ_EXPORT int32_t Qz__RotateImage(Qz_Image* image, int32_t hundredthsOfDegree, uint32_t flags)
    __attribute__((weak));
QZ_EXTERN_C_END

namespace {

using namespace qz::actions;

struct TransformData {
  Qz_Object header;
  int32_t angle;  // whole degrees
  uint32_t flags;
  uint32_t scaleWidth;
  uint32_t scaleHeight;
};

const Qz_Method kMethods[] = {
    {kTransformActionSetFlags, "Qz_SetTransformActionFlags", kQzMethodSetter,
     kTransformActionGetFlags, "%ld", 0, nullptr, 0, 0},
    {kTransformActionGetFlags, "Qz_GetTransformActionFlags", kQzMethodStoredGetter,
     kTransformActionSetFlags, nullptr, 0, "%ld", 0, 0},
    {kTransformActionSetWidth, "Qz_SetTransformActionWidth", kQzMethodSetter,
     kTransformActionGetWidth, "%ld", 0, nullptr, 0, 0},
    {kTransformActionGetWidth, "Qz_GetTransformActionWidth", kQzMethodStoredGetter,
     kTransformActionSetWidth, nullptr, 0, "%ld", 0, 0},
    {kTransformActionSetHeight, "Qz_SetTransformActionHeight", kQzMethodSetter,
     kTransformActionGetHeight, "%ld", 0, nullptr, 0, 0},
    {kTransformActionGetHeight, "Qz_GetTransformActionHeight", kQzMethodStoredGetter,
     kTransformActionSetHeight, nullptr, 0, "%ld", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

Qz_Class gClass;

QzWord Qz__Apply(Qz_Object* self, TransformData* t) {
  auto* image = reinterpret_cast<Qz_Image*>(Qz_DoMethod(self->super, kActionGetImage));
  if (!image) return 0;
  Qz_DoMethod(self->super, kActionTakeUndoCopy);
  int32_t ok = 1;
  if (t->angle != 0 && &Qz__RotateImage != nullptr) {
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
    case kTransformActionSetFlags: t->flags = uint32_t(args[0]); return 0;
    case kTransformActionGetFlags: return t->flags;
    case kTransformActionSetWidth: t->scaleWidth = uint32_t(args[0]); return 0;
    case kTransformActionGetWidth: return t->scaleWidth;
    case kTransformActionSetHeight: t->scaleHeight = uint32_t(args[0]); return 0;
    case kTransformActionGetHeight: return t->scaleHeight;
    case kActionApply: case kActionApplyQuiet: case kActionRedo: return Qz__Apply(object, t);
    case kActionUndo: return Qz_DoMethod(object->super, kActionRestoreUndoCopy);
    case kActionGetName: return qz::toWord(Qz__ActionText(t->angle != 0 ? 240 : 179));
    default: break;
  }
  return toRoot(object, id, args);
}

const ActionClassSpec kSpec = {"TransformAction", kTransformActionClassId, sizeof(TransformData),
                               "Data/Images/ToolBar/Shear", 0x401, kMethods, Qz__Dispatch,
                               nullptr, nullptr};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTransformActionClass(Qz_GlobalData*) {
  return registerActionClass(gClass, kSpec);
}
QZ_EXPORT void Qz_CleanupTransformActionClass(void) { removeActionClass(gClass); }
QZ_EXTERN_C_END
