// RubDifferenceMode: shows the difference between the data below and the picture where the layer's secondary picture lies (the data below
// itself when the layer has none). It answers the render method and hands
// every other id to its RootMode instance.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubDifferenceMode = {
    .name = "RubDifferenceMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::Difference>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubDifferenceModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubDifferenceMode); }
QZ_EXPORT void Qz_CleanupRubDifferenceModeClass(void) { qz::kit::removeClass(kRubDifferenceMode); }
QZ_EXTERN_C_END
