// RubBrightnessMode: scales the data below by the picture's brightness (the mean of its channels) where the layer's secondary picture lies (the data below
// itself when the layer has none). It answers the render method and hands
// every other id to its RootMode instance.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubBrightnessMode = {
    .name = "RubBrightnessMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::rubCombineHandler<qz::modes::RubOp::Brightness>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubBrightnessModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubBrightnessMode); }
QZ_EXPORT void Qz_CleanupRubBrightnessModeClass(void) { qz::kit::removeClass(kRubBrightnessMode); }
QZ_EXTERN_C_END
