// TintMode: the paint colour at the brightness (largest channel) of what
// lies below, the same brightness for all three channels.
#include <algorithm>

#include "modes/mode_kit.h"

namespace {

QzWord Qz__RenderTint(const Qz_ModeRenderMessage* message) {
  const uint8_t* k = qz::modes::paintColour(message ? message->block : nullptr);
  const int32_t colour[3] = {k[0], k[1], k[2]};
  return qz::modes::renderRows(message, 0, [&](const uint8_t* const src[3],
                                               uint8_t* const dst[3], int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      const int32_t v = std::max({src[0][i], src[1][i], src[2][i]});
      // + 1, * 257, >> 16: exact division by 255 for a product of two bytes.
      for (int c = 0; c < 3; ++c) dst[c][i] = uint8_t(((colour[c] * v + 1) * 257) >> 16);
    }
  });
}

const qz::kit::ClassDecl kTintMode = {
    .name = "TintMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::renderHandler<Qz__RenderTint>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTintModeClass(Qz_GlobalData*) { return qz::kit::addClass(kTintMode); }
QZ_EXPORT void Qz_CleanupTintModeClass(void) { qz::kit::removeClass(kTintMode); }
QZ_EXTERN_C_END
