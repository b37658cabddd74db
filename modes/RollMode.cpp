// RollMode: clone with wrap-around, made with offsets (20, 20); its
// CloneMode instance answers every id.
#include "modes/qz_clone_mode.h"
#include "objects/qz_class_kit.h"

namespace {

const TagItem kRollSuperTags[] = {
    {kQzCloneSetX, 20}, {kQzCloneSetY, 20}, {kQzCloneSetWrap, 1}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kRollMode = {.name = "RollMode", .superName = "CloneMode", .classId = kQzRollModeClassId,
                                      .superTags = kRollSuperTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRollModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRollMode); }
QZ_EXPORT void Qz_CleanupRollModeClass(void) { qz::kit::removeClass(kRollMode); }
QZ_EXTERN_C_END
