// AddColourMode: adds the paint colour to what lies below, saturating at white. It answers the render method
// and hands every other id to its RootMode instance.
#include <algorithm>

#include "modes/mode_kit.h"

namespace {

// c: the channel below, k: the paint colour's channel (both 0..255).
inline int32_t Qz__AddColour(int32_t c, int32_t k) {
  return std::min(255, c + k);
}

const qz::kit::ClassDecl kAddColourMode = {
    .name = "AddColourMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .handler = qz::modes::perChannelHandler<Qz__AddColour, &qz::modes::BlendKernels::addColour>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitAddColourModeClass(Qz_GlobalData*) { return qz::kit::addClass(kAddColourMode); }
QZ_EXPORT void Qz_CleanupAddColourModeClass(void) { qz::kit::removeClass(kAddColourMode); }
QZ_EXTERN_C_END
