// OverlayMode: screen over light, multiply over dark, weighted by what lies below. It answers the render method
// and hands every other id to its RootMode instance.
#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Overlay(int32_t c, int32_t k) {
  const int32_t screen = 255 - ((255 - c) * (255 - k)) / 255, multiply = (k * c) / 255;
  return (screen * (255 - c) + multiply * c) / 255;
}

const qz::kit::ClassDecl kOverlayMode = {
    .name = "OverlayMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__Overlay, &qz::modes::BlendKernels::overlay>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitOverlayModeClass(Qz_GlobalData*) { return qz::kit::addClass(kOverlayMode); }
QZ_EXPORT void Qz_CleanupOverlayModeClass(void) { qz::kit::removeClass(kOverlayMode); }
QZ_EXTERN_C_END
