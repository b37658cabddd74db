// HSVBlurMode: the box blur of brightness only: each pixel keeps the hue
// and saturation it has below the layer and takes the blur's value (the
// largest blurred channel). An 8-bit document keeps the plain blur. Made
// on BlurMode, whose radii and panel it keeps.
#include <algorithm>

#include "image/hsv.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kBlurSubclassId = 2051;

QzWord Qz__HSVBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id != kQzModeRender) return qz::kit::inherited(object, id, args);
  const QzWord answer = Qz_DoMethodA(object->super, id, args);
  const Qz_ModeRenderMessage* message = qz::modes::renderMessage(args);
  const Qz_ImageLock* block = message ? message->block : nullptr;
  if (!answer || !block || !block->image || block->image->depth != 24) return answer;
  for (int32_t y = block->y0; y <= block->y1; ++y) {
    const int32_t row = y - block->y0;
    uint8_t* const out[3] = {message->r[row], message->g[row], message->b[row]};
    for (int32_t x = block->x0; x <= block->x1; ++x) {
      const int32_t i = x - block->x0;
      qz::Hsv hsv = qz::rgbToHsv(block->r[y][x], block->g[y][x], block->b[y][x]);
      hsv.v = std::max({out[0][i], out[1][i], out[2][i]});
      uint8_t rgb[3];
      qz::hsvToRgb(hsv, rgb);
      for (int c = 0; c < 3; ++c) out[c][i] = rgb[c];
    }
  }
  return answer;
}

const qz::kit::ClassDecl kHSVBlurMode = {
    .name = "HSVBlurMode", .superName = "BlurMode", .classId = kBlurSubclassId,
    .handler = Qz__HSVBlurDispatch};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitHSVBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kHSVBlurMode); }
QZ_EXPORT void Qz_CleanupHSVBlurModeClass(void) { qz::kit::removeClass(kHSVBlurMode); }
QZ_EXTERN_C_END
