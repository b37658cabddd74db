// BurnMode: darkens what lies below by the inverse of the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kBurnModeClassId = 0x801;

Qz_Class gBurnModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Burn(int32_t c, int32_t k) {
  // Divided by 64, not 256: the burn is meant to be strong.
  return std::max(0, c - ((c * (255 - k)) >> 6));
}

QzWord Qz__BurnModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__Burn(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::burn));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewBurnMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitBurnModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gBurnModeClass, {"BurnMode", kBurnModeClassId, "RootMode", Qz__NewBurnMode,
                         qz::modes::disposeModeObject, Qz__BurnModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupBurnModeClass(void) { qz::modes::unregisterModeClass(gBurnModeClass); }

QZ_EXTERN_C_END
