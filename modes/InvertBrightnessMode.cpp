// InvertBrightnessMode: inverts the brightness of what lies below and keeps
// its hue: the complement pixel turned half way round the hue circle. It
// answers the render method (grey images: not handled).
#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"

namespace {

QzWord Qz__RenderInvertBrightness(const Qz_ModeRenderMessage* message) {
  return qz::modes::renderRows(message, 0, [](const uint8_t* const src[3], uint8_t* const dst[3],
                                              int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      uint8_t out[3];
      qz::modes::tonal::shiftHueSaturation(255 - src[0][i], 255 - src[1][i], 255 - src[2][i], 180, 0, out);
      dst[0][i] = out[0], dst[1][i] = out[1], dst[2][i] = out[2];
    }
  });
}

const qz::kit::ClassDecl kInvertBrightnessMode = {
    .name = "InvertBrightnessMode", .superName = "RootMode", .classId = kQzPointModeClassId,
    .handler = qz::modes::renderHandler<Qz__RenderInvertBrightness>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitInvertBrightnessModeClass(Qz_GlobalData*) {
  return qz::kit::addClass(kInvertBrightnessMode);
}
QZ_EXPORT void Qz_CleanupInvertBrightnessModeClass(void) { qz::kit::removeClass(kInvertBrightnessMode); }
QZ_EXTERN_C_END
