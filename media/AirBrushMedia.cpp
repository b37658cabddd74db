// AirBrushMedia: the default media. It adds nothing to the brush engine but
// being a subclass, which makes its dabs spray; every method goes to its
// RootMedia instance.
#include "media/qz_media.h"
#include "objects/qz_class_record.h"

namespace {

const Qz_Method kNoMethods[] = {{0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

Qz_Class gAirBrushMediaClass;

QzWord Qz__AirBrushMediaDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  return Qz_DoMethodA(object->super, id, args);
}

Qz_Object* Qz__NewAirBrushMedia(Qz_Class* objectClass, const QzWord*) {
  return Qz_AllocObjectOver(objectClass, "RootMedia", nullptr);
}

void Qz__DisposeAirBrushMedia(Qz_Object* object) {
  Qz_DisposeObject(object->super);
  Qz_FreeObjectMem(object);
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitAirBrushMediaClass(Qz_GlobalData*) {
  const Qz_ClassSpec spec = {"AirBrushMedia", "AirBrushMedia", kAirBrushMediaClassId, "RootMedia",
                             Qz__NewAirBrushMedia, Qz__DisposeAirBrushMedia, Qz__AirBrushMediaDispatch,
                             kNoMethods, sizeof(Qz_Object), 0};
  return Qz_RegisterClassRecord(&gAirBrushMediaClass, &spec);
}

QZ_EXPORT void Qz_CleanupAirBrushMediaClass(void) { Qz_UnregisterClassRecord(&gAirBrushMediaClass); }

QZ_EXTERN_C_END
