// SubtractColourMode: subtracts the paint colour from what lies below, stopping at black. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__SubtractColour(int32_t c, int32_t k) {
  return std::max(0, c - k);
}

const qz::kit::ClassDecl kSubtractColourMode = {
    .name = "SubtractColourMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__SubtractColour, &qz::modes::BlendKernels::subtractColour>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSubtractColourModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSubtractColourMode); }
QZ_EXPORT void Qz_CleanupSubtractColourModeClass(void) { qz::kit::removeClass(kSubtractColourMode); }
QZ_EXTERN_C_END
