// DodgeMode: lightens what lies below by the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Dodge(int32_t c, int32_t k) {
  // Divided by 64, not 256: the dodge is meant to be strong.
  return std::min(255, c + ((c * k) >> 6));
}

const qz::kit::ClassDecl kDodgeMode = {
    .name = "DodgeMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__Dodge, &qz::modes::BlendKernels::dodge>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDodgeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kDodgeMode); }
QZ_EXPORT void Qz_CleanupDodgeModeClass(void) { qz::kit::removeClass(kDodgeMode); }
QZ_EXTERN_C_END
