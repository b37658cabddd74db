// DarkenMode: keeps the darker of each channel below and of the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kDarkenModeClassId = 0x801;

Qz_Class gDarkenModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Darken(int32_t c, int32_t k) {
  return std::min(c, k);
}

QzWord Qz__DarkenModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__Darken(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::darken));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewDarkenMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitDarkenModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gDarkenModeClass, {"DarkenMode", kDarkenModeClassId, "RootMode", Qz__NewDarkenMode,
                         qz::modes::disposeModeObject, Qz__DarkenModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupDarkenModeClass(void) { qz::modes::unregisterModeClass(gDarkenModeClass); }

QZ_EXTERN_C_END
