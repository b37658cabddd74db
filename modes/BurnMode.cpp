// BurnMode: darkens what lies below by the inverse of the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Burn(int32_t c, int32_t k) {
  // Divided by 64, not 256: the burn is meant to be strong.
  return std::max(0, c - ((c * (255 - k)) >> 6));
}

const qz::kit::ClassDecl kBurnMode = {
    .name = "BurnMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__Burn, &qz::modes::BlendKernels::burn>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBurnModeClass(Qz_GlobalData*) { return qz::kit::addClass(kBurnMode); }
QZ_EXPORT void Qz_CleanupBurnModeClass(void) { qz::kit::removeClass(kBurnMode); }
QZ_EXTERN_C_END
