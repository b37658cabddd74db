// MinMode: each sample becomes the smallest of its rectangle, whose width and
// height are set apart (it shares its handler and panel with MaxMode).
#include "modes/mode_kit.h"
#include "modes/rank_filters.h"

namespace {

const qz::kit::ClassDecl kMinMode = {
    .name = "MinMode", .superName = "RootMode", .classId = qz::modes::rank::kExtremeModeClassId,
    .instance = qz::kit::instanceOf<qz::modes::rank::ExtremeModeObject>(),
    .handler = qz::modes::rank::extremeModeDispatch<false>,
    .setUp = qz::modes::panelSetUp<qz::modes::rank::kExtremePanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMinModeClass(Qz_GlobalData*) { return qz::kit::addClass(kMinMode); }
QZ_EXPORT void Qz_CleanupMinModeClass(void) { qz::kit::removeClass(kMinMode); }
QZ_EXTERN_C_END
