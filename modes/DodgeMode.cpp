// DodgeMode: lightens what lies below by the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kDodgeModeClassId = 0x801;

Qz_Class gDodgeModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Dodge(int32_t c, int32_t k) {
  // Divided by 64, not 256: the dodge is meant to be strong.
  return std::min(255, c + ((c * k) >> 6));
}

QzWord Qz__DodgeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__Dodge(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::dodge));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewDodgeMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitDodgeModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gDodgeModeClass, {"DodgeMode", kDodgeModeClassId, "RootMode", Qz__NewDodgeMode,
                         qz::modes::disposeModeObject, Qz__DodgeModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupDodgeModeClass(void) { qz::modes::unregisterModeClass(gDodgeModeClass); }

QZ_EXTERN_C_END
