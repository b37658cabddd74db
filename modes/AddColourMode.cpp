// AddColourMode: adds the paint colour to what lies below, saturating at white. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kAddColourModeClassId = 0x801;

Qz_Class gAddColourModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__AddColour(int32_t c, int32_t k) {
  return std::min(255, c + k);
}

QzWord Qz__AddColourModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__AddColour(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::addColour));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewAddColourMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitAddColourModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gAddColourModeClass, {"AddColourMode", kAddColourModeClassId, "RootMode", Qz__NewAddColourMode,
                         qz::modes::disposeModeObject, Qz__AddColourModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupAddColourModeClass(void) { qz::modes::unregisterModeClass(gAddColourModeClass); }

QZ_EXTERN_C_END
