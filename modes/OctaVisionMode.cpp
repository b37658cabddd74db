// OctaVisionMode: the octa vision effect (see vision.h).
#include "modes/vision.h"

namespace {

using Vision = qz::modes::vision::VisionClass<qz::modes::vision::Kind::Octa, 45>;
const qz::kit::ClassDecl kOctaVisionMode = Vision::decl("OctaVisionMode");

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitOctaVisionModeClass(Qz_GlobalData*) { return qz::kit::addClass(kOctaVisionMode); }
QZ_EXPORT void Qz_CleanupOctaVisionModeClass(void) { qz::kit::removeClass(kOctaVisionMode); }
QZ_EXTERN_C_END
