// TripleVisionMode: the triple vision effect (see vision.h).
#include "modes/vision.h"

namespace {

using Vision = qz::modes::vision::VisionClass<qz::modes::vision::Kind::Triple, 45>;
const qz::kit::ClassDecl kTripleVisionMode = Vision::decl("TripleVisionMode");

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTripleVisionModeClass(Qz_GlobalData*) { return qz::kit::addClass(kTripleVisionMode); }
QZ_EXPORT void Qz_CleanupTripleVisionModeClass(void) { qz::kit::removeClass(kTripleVisionMode); }
QZ_EXTERN_C_END
