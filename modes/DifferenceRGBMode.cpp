// DifferenceRGBMode: the distance of each channel below from the paint colour's. It answers the render method
// and hands every other id to its RootMode instance.
#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__DifferenceRGB(int32_t c, int32_t k) {
  return c > k ? c - k : k - c;
}

const qz::kit::ClassDecl kDifferenceRGBMode = {
    .name = "DifferenceRGBMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__DifferenceRGB, &qz::modes::BlendKernels::differenceRGB>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDifferenceRGBModeClass(Qz_GlobalData*) { return qz::kit::addClass(kDifferenceRGBMode); }
QZ_EXPORT void Qz_CleanupDifferenceRGBModeClass(void) { qz::kit::removeClass(kDifferenceRGBMode); }
QZ_EXTERN_C_END
