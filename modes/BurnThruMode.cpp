// BurnThruMode: the paint colour burnt in where the layer is partly painted,
// the secondary image where it is fully painted. Built on a RubThruMode
// instance, which renders first and answers every id but the render method.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const qz::kit::ClassDecl kBurnThruMode = {
    .name = "BurnThruMode", .superName = "RubThruMode", .classId = kQzBurnThruModeClassId,
    .handler = qz::modes::rubPaintHandler<qz::modes::RubColourRework::Burn>,
    .superTags = qz::modes::kRubFlagTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBurnThruModeClass(Qz_GlobalData*) { return qz::kit::addClass(kBurnThruMode); }
QZ_EXPORT void Qz_CleanupBurnThruModeClass(void) { qz::kit::removeClass(kBurnThruMode); }
QZ_EXTERN_C_END
