// RubMultiplyMode: multiplies the data below by the picture where the layer's secondary picture lies (the data below
// itself when the layer has none). It answers the render method and hands
// every other id to its RootMode instance.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubMultiplyMode = {
    .name = "RubMultiplyMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::Multiply>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubMultiplyModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubMultiplyMode); }
QZ_EXPORT void Qz_CleanupRubMultiplyModeClass(void) { qz::kit::removeClass(kRubMultiplyMode); }
QZ_EXTERN_C_END
