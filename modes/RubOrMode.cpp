// RubOrMode: ORs the picture's bits into the data below where the layer's secondary picture lies (the data below
// itself when the layer has none). It answers the render method and hands
// every other id to its RootMode instance.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubOrMode = {
    .name = "RubOrMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::Or>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubOrModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubOrMode); }
QZ_EXPORT void Qz_CleanupRubOrModeClass(void) { qz::kit::removeClass(kRubOrMode); }
QZ_EXTERN_C_END
