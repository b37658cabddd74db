// DarkenMode: keeps the darker of each channel below and of the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Darken(int32_t c, int32_t k) {
  return std::min(c, k);
}

const qz::kit::ClassDecl kDarkenMode = {
    .name = "DarkenMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__Darken, &qz::modes::BlendKernels::darken>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDarkenModeClass(Qz_GlobalData*) { return qz::kit::addClass(kDarkenMode); }
QZ_EXPORT void Qz_CleanupDarkenModeClass(void) { qz::kit::removeClass(kDarkenMode); }
QZ_EXTERN_C_END
