// SoftLightMode: screen and multiply weighted the other way round from overlay. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kSoftLightModeClassId = 0x801;

Qz_Class gSoftLightModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__SoftLight(int32_t c, int32_t k) {
  const int32_t screen = 255 - ((255 - c) * (255 - k)) / 255, multiply = (k * c) / 255;
  return (screen * c + multiply * (255 - c)) / 255;
}

QzWord Qz__SoftLightModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__SoftLight(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::softLight));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewSoftLightMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitSoftLightModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gSoftLightModeClass, {"SoftLightMode", kSoftLightModeClassId, "RootMode", Qz__NewSoftLightMode,
                         qz::modes::disposeModeObject, Qz__SoftLightModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupSoftLightModeClass(void) { qz::modes::unregisterModeClass(gSoftLightModeClass); }

QZ_EXTERN_C_END
