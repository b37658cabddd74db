// HardLightMode: screen and multiply weighted by the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kHardLightModeClassId = 0x801;

Qz_Class gHardLightModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__HardLight(int32_t c, int32_t k) {
  const int32_t screen = 255 - ((255 - c) * (255 - k)) / 255, multiply = (k * c) / 255;
  return (screen * k + multiply * (255 - k)) / 255;
}

QzWord Qz__HardLightModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__HardLight(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::hardLight));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewHardLightMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitHardLightModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gHardLightModeClass, {"HardLightMode", kHardLightModeClassId, "RootMode", Qz__NewHardLightMode,
                         qz::modes::disposeModeObject, Qz__HardLightModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupHardLightModeClass(void) { qz::modes::unregisterModeClass(gHardLightModeClass); }

QZ_EXTERN_C_END
