// RubXOrMode: XORs the picture's bits into the data below where the layer's secondary picture lies (the data below
// itself when the layer has none). It answers the render method and hands
// every other id to its RootMode instance.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubXOrMode = {
    .name = "RubXOrMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::XOr>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubXOrModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubXOrMode); }
QZ_EXPORT void Qz_CleanupRubXOrModeClass(void) { qz::kit::removeClass(kRubXOrMode); }
QZ_EXTERN_C_END
