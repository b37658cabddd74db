// LightenMode: keeps the lighter of each channel below and of the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Lighten(int32_t c, int32_t k) {
  return std::max(c, k);
}

const qz::kit::ClassDecl kLightenMode = {
    .name = "LightenMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__Lighten, &qz::modes::BlendKernels::lighten>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitLightenModeClass(Qz_GlobalData*) { return qz::kit::addClass(kLightenMode); }
QZ_EXPORT void Qz_CleanupLightenModeClass(void) { qz::kit::removeClass(kLightenMode); }
QZ_EXTERN_C_END
