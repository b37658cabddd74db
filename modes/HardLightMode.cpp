// HardLightMode: screen and multiply weighted by the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__HardLight(int32_t c, int32_t k) {
  const int32_t screen = 255 - ((255 - c) * (255 - k)) / 255, multiply = (k * c) / 255;
  return (screen * k + multiply * (255 - k)) / 255;
}

const qz::kit::ClassDecl kHardLightMode = {
    .name = "HardLightMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__HardLight, &qz::modes::BlendKernels::hardLight>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitHardLightModeClass(Qz_GlobalData*) { return qz::kit::addClass(kHardLightMode); }
QZ_EXPORT void Qz_CleanupHardLightModeClass(void) { qz::kit::removeClass(kHardLightMode); }
QZ_EXTERN_C_END
