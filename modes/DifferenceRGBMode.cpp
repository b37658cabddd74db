// DifferenceRGBMode: the distance of each channel below from the paint colour's. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kDifferenceRGBModeClassId = 0x801;

Qz_Class gDifferenceRGBModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__DifferenceRGB(int32_t c, int32_t k) {
  return c > k ? c - k : k - c;
}

QzWord Qz__DifferenceRGBModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__DifferenceRGB(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::differenceRGB));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewDifferenceRGBMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitDifferenceRGBModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gDifferenceRGBModeClass, {"DifferenceRGBMode", kDifferenceRGBModeClassId, "RootMode", Qz__NewDifferenceRGBMode,
                         qz::modes::disposeModeObject, Qz__DifferenceRGBModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupDifferenceRGBModeClass(void) { qz::modes::unregisterModeClass(gDifferenceRGBModeClass); }

QZ_EXTERN_C_END
