// RubSubtractMode: subtracts the picture from the data below, limited at 0, where the layer's secondary picture lies (the data below
// itself when the layer has none). It answers the render method and hands
// every other id to its RootMode instance.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubSubtractMode = {
    .name = "RubSubtractMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::Subtract>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubSubtractModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubSubtractMode); }
QZ_EXPORT void Qz_CleanupRubSubtractModeClass(void) { qz::kit::removeClass(kRubSubtractMode); }
QZ_EXTERN_C_END
