// FireBlurMode: the box blur, each blurred value scaled by the paint
// colour and raised to the fourth power, so bright areas flare in the
// paint's hue. Made on BlurMode, whose radii and panel it keeps.
#include <algorithm>

#include "modes/blur_kernels.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kBlurSubclassId = 2051;

// b the blurred value, k the paint colour's channel.
inline uint8_t Qz__Fire(int32_t b, int32_t k) {
  const int32_t t = (b * k) >> 7, u = (t * t) >> 8;
  return uint8_t(std::min((u * u) >> 8, 255));
}

QzWord Qz__FireBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id != kQzModeRender) return qz::kit::inherited(object, id, args);
  const QzWord answer = Qz_DoMethodA(object->super, id, args);
  const Qz_ModeRenderMessage* message = qz::modes::renderMessage(args);
  if (!answer) return answer;  // nothing blurred: the output still shows what lies below
  const uint8_t* paint = qz::modes::paintColour(message->block);
  qz::modes::forEachBlockRow(message, [&](const uint8_t*, uint8_t* out, int32_t count, int channel) {
    // An 8-bit document takes the paint colour's green.
    const int32_t k = paint[channel == 3 ? 1 : channel];
    for (int32_t i = 0; i < count; ++i) out[i] = Qz__Fire(out[i], k);
  });
  return answer;
}

const qz::kit::ClassDecl kFireBlurMode = {
    .name = "FireBlurMode", .superName = "BlurMode", .classId = kBlurSubclassId,
    .handler = Qz__FireBlurDispatch};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitFireBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kFireBlurMode); }
QZ_EXPORT void Qz_CleanupFireBlurModeClass(void) { qz::kit::removeClass(kFireBlurMode); }
QZ_EXTERN_C_END
