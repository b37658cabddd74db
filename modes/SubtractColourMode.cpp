// SubtractColourMode: subtracts the paint colour from what lies below, stopping at black. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kSubtractColourModeClassId = 0x801;

Qz_Class gSubtractColourModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__SubtractColour(int32_t c, int32_t k) {
  return std::max(0, c - k);
}

QzWord Qz__SubtractColourModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__SubtractColour(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::subtractColour));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewSubtractColourMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitSubtractColourModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gSubtractColourModeClass, {"SubtractColourMode", kSubtractColourModeClassId, "RootMode", Qz__NewSubtractColourMode,
                         qz::modes::disposeModeObject, Qz__SubtractColourModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupSubtractColourModeClass(void) { qz::modes::unregisterModeClass(gSubtractColourModeClass); }

QZ_EXTERN_C_END
