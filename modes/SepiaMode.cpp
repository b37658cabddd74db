// SepiaMode: a ColouriseMode whose target is a fixed sepia brown; every id,
// render included, goes to that instance.
#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kSepiaModeClassId = 0x814;
constexpr uint32_t kSetTargetRed = 0x81E;
constexpr uint32_t kSetTargetGreen = 0x832;
constexpr uint32_t kSetTargetBlue = 0x846;

Qz_Class gSepiaModeClass;

QzWord Qz__SepiaModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  return Qz_DoMethodA(object->super, id, args);
}

Qz_Object* Qz__NewSepiaMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  const TagItem sepia[] = {
      {kSetTargetRed, 138}, {kSetTargetGreen, 107}, {kSetTargetBlue, 75}, {TAG_DONE, 0}};
  return qz::modes::newModeObject(objectClass, "ColouriseMode", sepia);
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitSepiaModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gSepiaModeClass, {"SepiaMode", kSepiaModeClassId, "ColouriseMode", Qz__NewSepiaMode,
                        qz::modes::disposeModeObject, Qz__SepiaModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupSepiaModeClass(void) { qz::modes::unregisterModeClass(gSepiaModeClass); }

QZ_EXTERN_C_END
