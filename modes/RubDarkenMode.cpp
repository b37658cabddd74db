// RubDarkenMode: keeps the darker of the data below and the picture, channel by channel, where the layer's secondary picture lies (the data below
// itself when the layer has none). It answers the render method and hands
// every other id to its RootMode instance.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubDarkenMode = {
    .name = "RubDarkenMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::Darken>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubDarkenModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubDarkenMode); }
QZ_EXPORT void Qz_CleanupRubDarkenModeClass(void) { qz::kit::removeClass(kRubDarkenMode); }
QZ_EXTERN_C_END
