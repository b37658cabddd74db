// RubLightenMode: keeps the lighter of the data below and the picture, channel by channel, where the layer's secondary picture lies (the data below
// itself when the layer has none). It answers the render method and hands
// every other id to its RootMode instance.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubLightenMode = {
    .name = "RubLightenMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::Lighten>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubLightenModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubLightenMode); }
QZ_EXPORT void Qz_CleanupRubLightenModeClass(void) { qz::kit::removeClass(kRubLightenMode); }
QZ_EXTERN_C_END
