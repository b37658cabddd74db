// NegativeMode: each channel of what lies below becomes its complement. It
// answers the render method (grey images: not handled) and hands every other
// id to its RootMode instance.
#include "modes/mode_kit.h"

namespace {

QzWord Qz__RenderNegative(const Qz_ModeRenderMessage* message) {
  return qz::modes::renderRows(message, 0, [](const uint8_t* const src[3], uint8_t* const dst[3],
                                              int32_t count) {
    for (int c = 0; c < 3; ++c)
      for (int32_t i = 0; i < count; ++i) dst[c][i] = uint8_t(255 - src[c][i]);
  });
}

const qz::kit::ClassDecl kNegativeMode = {
    .name = "NegativeMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::renderHandler<Qz__RenderNegative>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitNegativeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kNegativeMode); }
QZ_EXPORT void Qz_CleanupNegativeModeClass(void) { qz::kit::removeClass(kNegativeMode); }
QZ_EXTERN_C_END
