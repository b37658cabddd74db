// MaxMode: each sample becomes the largest of its rectangle, whose width and
// height are set apart (it shares its handler and panel with MinMode).
#include "modes/mode_kit.h"
#include "modes/rank_filters.h"

namespace {

const qz::kit::ClassDecl kMaxMode = {
    .name = "MaxMode", .superName = "RootMode", .classId = qz::modes::rank::kExtremeModeClassId,
    .instance = qz::kit::instanceOf<qz::modes::rank::ExtremeModeObject>(),
    .handler = qz::modes::rank::extremeModeDispatch<true>,
    .setUp = qz::modes::panelSetUp<qz::modes::rank::kExtremePanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMaxModeClass(Qz_GlobalData*) { return qz::kit::addClass(kMaxMode); }
QZ_EXPORT void Qz_CleanupMaxModeClass(void) { qz::kit::removeClass(kMaxMode); }
QZ_EXTERN_C_END
