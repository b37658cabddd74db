// MultiplyMode: multiplies what lies below by the paint colour. It answers the render method
// and hands every other id to its RootMode instance.
#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__Multiply(int32_t c, int32_t k) {
  // x * 257 >> 16 after + 1: exact division by 255 for products of two bytes.
  return ((c * k + 1) * 257) >> 16;
}

const qz::kit::ClassDecl kMultiplyMode = {
    .name = "MultiplyMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__Multiply, &qz::modes::BlendKernels::multiply>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMultiplyModeClass(Qz_GlobalData*) { return qz::kit::addClass(kMultiplyMode); }
QZ_EXPORT void Qz_CleanupMultiplyModeClass(void) { qz::kit::removeClass(kMultiplyMode); }
QZ_EXTERN_C_END
