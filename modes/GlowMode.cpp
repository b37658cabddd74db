// GlowMode: the box blur with the squared difference between the blurred
// and the unblurred value added, so edges glow. Made on BlurMode, whose
// radii and panel it keeps.
#include <algorithm>

#include "modes/blur_kernels.h"
#include "modes/mode_kit.h"

namespace {

constexpr uint32_t kBlurSubclassId = 2051;

// b the blurred value, s the one below the layer.
inline uint8_t Qz__Glow(int32_t b, int32_t s) { return uint8_t(std::min(b + (((b - s) * (b - s)) >> 6), 255)); }

QzWord Qz__GlowDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id != kQzModeRender) return qz::kit::inherited(object, id, args);
  const QzWord answer = Qz_DoMethodA(object->super, id, args);
  if (!answer) return answer;  // nothing blurred: the output still shows what lies below
  qz::modes::forEachBlockRow(qz::modes::renderMessage(args),
                             [](const uint8_t* source, uint8_t* out, int32_t count, int) {
                               for (int32_t i = 0; i < count; ++i) out[i] = Qz__Glow(out[i], source[i]);
                             });
  return answer;
}

const qz::kit::ClassDecl kGlowMode = {
    .name = "GlowMode", .superName = "BlurMode", .classId = kBlurSubclassId, .handler = Qz__GlowDispatch};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitGlowModeClass(Qz_GlobalData*) { return qz::kit::addClass(kGlowMode); }
QZ_EXPORT void Qz_CleanupGlowModeClass(void) { qz::kit::removeClass(kGlowMode); }
QZ_EXTERN_C_END
