// OverlayMode: screen over light, multiply over dark, weighted by what lies below. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kOverlayModeClassId = 0x801;

Qz_Class gOverlayModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Overlay(int32_t c, int32_t k) {
  const int32_t screen = 255 - ((255 - c) * (255 - k)) / 255, multiply = (k * c) / 255;
  return (screen * (255 - c) + multiply * c) / 255;
}

QzWord Qz__OverlayModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__Overlay(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::overlay));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewOverlayMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitOverlayModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gOverlayModeClass, {"OverlayMode", kOverlayModeClassId, "RootMode", Qz__NewOverlayMode,
                         qz::modes::disposeModeObject, Qz__OverlayModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupOverlayModeClass(void) { qz::modes::unregisterModeClass(gOverlayModeClass); }

QZ_EXTERN_C_END
