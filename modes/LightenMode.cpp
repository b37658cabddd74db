// LightenMode: keeps the lighter of each channel below and of the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kLightenModeClassId = 0x801;

Qz_Class gLightenModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Lighten(int32_t c, int32_t k) {
  return std::max(c, k);
}

QzWord Qz__LightenModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__Lighten(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::lighten));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewLightenMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitLightenModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gLightenModeClass, {"LightenMode", kLightenModeClassId, "RootMode", Qz__NewLightenMode,
                         qz::modes::disposeModeObject, Qz__LightenModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupLightenModeClass(void) { qz::modes::unregisterModeClass(gLightenModeClass); }

QZ_EXTERN_C_END
