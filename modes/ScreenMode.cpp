// ScreenMode: the inverse of multiplying the inverses: always lighter. It answers the render method
// and hands every other id to its RootMode instance.
#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Screen(int32_t c, int32_t k) {
  return 255 - ((255 - c) * (255 - k)) / 255;
}

const qz::kit::ClassDecl kScreenMode = {
    .name = "ScreenMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__Screen, &qz::modes::BlendKernels::screen>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitScreenModeClass(Qz_GlobalData*) { return qz::kit::addClass(kScreenMode); }
QZ_EXPORT void Qz_CleanupScreenModeClass(void) { qz::kit::removeClass(kScreenMode); }
QZ_EXTERN_C_END
