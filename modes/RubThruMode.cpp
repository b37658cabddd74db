// RubThruMode: shows the layer's secondary image where it lies and the data
// below elsewhere, so painting rubs through to the picture. It answers the
// render method and hands every other id to its RootMode instance; rub-paint
// and burn-through are built on it.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubThruMode = {
    .name = "RubThruMode", .superName = "RootMode", .classId = kQzRubModeClassId,
    .handler = qz::modes::renderHandler<qz::modes::renderRubThru>, .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubThruModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubThruMode); }
QZ_EXPORT void Qz_CleanupRubThruModeClass(void) { qz::kit::removeClass(kRubThruMode); }
QZ_EXTERN_C_END
