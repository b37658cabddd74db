// RubAddMode: adds the picture to the data below, limited to 255, where the layer's secondary picture lies (the data below
// itself when the layer has none). It answers the render method and hands
// every other id to its RootMode instance.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubAddMode = {
    .name = "RubAddMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::Add>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubAddModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubAddMode); }
QZ_EXPORT void Qz_CleanupRubAddModeClass(void) { qz::kit::removeClass(kRubAddMode); }
QZ_EXTERN_C_END
