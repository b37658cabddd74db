// SwapSVMode: exchanges the saturation and value of what lies below (a grey
// pixel, unsaturated, becomes black). It answers the render method (grey
// images: not handled).
#include "image/hsv.h"
#include "modes/mode_kit.h"
#include "modes/qz_point_modes.h"

namespace {

QzWord Qz__RenderSwapSV(const Qz_ModeRenderMessage* message) {
  return qz::modes::renderRows(message, 0, [](const uint8_t* const src[3], uint8_t* const dst[3],
                                              int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      const qz::Hsv hsv = qz::rgbToHsv(src[0][i], src[1][i], src[2][i]);
      uint8_t out[3];
      qz::hsvToRgb({hsv.h, hsv.v, hsv.s}, out);
      dst[0][i] = out[0], dst[1][i] = out[1], dst[2][i] = out[2];
    }
  });
}

const qz::kit::ClassDecl kSwapSVMode = {
    .name = "SwapSVMode", .superName = "RootMode", .classId = kQzPointModeClassId,
    .handler = qz::modes::renderHandler<Qz__RenderSwapSV>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSwapSVModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSwapSVMode); }
QZ_EXPORT void Qz_CleanupSwapSVModeClass(void) { qz::kit::removeClass(kSwapSVMode); }
QZ_EXTERN_C_END
