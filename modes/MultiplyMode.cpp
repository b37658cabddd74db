// MultiplyMode: multiplies what lies below by the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_classes.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kMultiplyModeClassId = 0x801;

Qz_Class gMultiplyModeClass;

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Multiply(int32_t c, int32_t k) {
  // x * 257 >> 16 after + 1: exact division by 255 for products of two bytes.
  return ((c * k + 1) * 257) >> 16;
}

QzWord Qz__MultiplyModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return qz::modes::renderPerChannel(qz::modes::renderMessage(args),
                                         [](int32_t c, int32_t k) { return Qz__Multiply(c, k); },
                                         qz::modes::channelKernel(&qz::modes::BlendKernels::multiply));
    default: return Qz_DoMethodA(object->super, id, args);
  }
}

Qz_Object* Qz__NewMultiplyMode(Qz_Class* objectClass, const QzWord* /*args*/) {
  return qz::modes::newModeObject(objectClass, "RootMode");
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord Qz_InitMultiplyModeClass(Qz_GlobalData* /*globalData*/) {
  return qz::modes::registerModeClass(
      gMultiplyModeClass, {"MultiplyMode", kMultiplyModeClassId, "RootMode", Qz__NewMultiplyMode,
                         qz::modes::disposeModeObject, Qz__MultiplyModeDispatch, sizeof(Qz_Object)});
}

QZ_EXPORT void Qz_CleanupMultiplyModeClass(void) { qz::modes::unregisterModeClass(gMultiplyModeClass); }

QZ_EXTERN_C_END
