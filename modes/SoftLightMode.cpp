// SoftLightMode: screen and multiply weighted the other way round from overlay. It answers the render method
// and hands every other id to its RootMode instance.
#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__SoftLight(int32_t c, int32_t k) {
  const int32_t screen = 255 - ((255 - c) * (255 - k)) / 255, multiply = (k * c) / 255;
  return (screen * c + multiply * (255 - c)) / 255;
}

const qz::kit::ClassDecl kSoftLightMode = {
    .name = "SoftLightMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__SoftLight, &qz::modes::BlendKernels::softLight>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSoftLightModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSoftLightMode); }
QZ_EXPORT void Qz_CleanupSoftLightModeClass(void) { qz::kit::removeClass(kSoftLightMode); }
QZ_EXTERN_C_END
