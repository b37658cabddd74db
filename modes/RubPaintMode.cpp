// RubPaintMode: rub-through with the paint colour added through the layer's
// own bytes. Built on a RubThruMode instance, which renders first and
// answers every id but the render method.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kRubPaintMode = {
    .name = "RubPaintMode", .superName = "RubThruMode", .classId = kQzRubPaintModeClassId,
    .handler = qz::modes::rubPaintHandler<qz::modes::RubColourRework::Paint>,
    .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRubPaintModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRubPaintMode); }
QZ_EXPORT void Qz_CleanupRubPaintModeClass(void) { qz::kit::removeClass(kRubPaintMode); }
QZ_EXTERN_C_END
