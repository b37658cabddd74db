// ScreenMode: the inverse of multiplying the inverses: always lighter. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kScreenModeClassId = 0x801;

Qz_Class gScreenModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Screen(int32_t c, int32_t k) {
  return 255 - ((255 - c) * (255 - k)) / 255;
}

QzWord Qz__ScreenModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__Screen(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::screen));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewScreenMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitScreenModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gScreenModeClass, {"ScreenMode", kScreenModeClassId, "RootMode", Qz__NewScreenMode,
                         qz::modes::disposeModeObject, Qz__ScreenModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupScreenModeClass(void) { qz::modes::unregisterModeClass(gScreenModeClass); }

QZ_EXTERN_C_END
