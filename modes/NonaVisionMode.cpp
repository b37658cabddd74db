// NonaVisionMode: the nona vision effect (see vision.h).
#include "modes/vision.h"

namespace {

using Vision = qz::modes::vision::VisionClass<qz::modes::vision::Kind::Nona, 45>;
const qz::kit::ClassDecl kNonaVisionMode = Vision::decl("NonaVisionMode");

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitNonaVisionModeClass(Qz_GlobalData*) { return qz::kit::addClass(kNonaVisionMode); }
QZ_EXPORT void Qz_CleanupNonaVisionModeClass(void) { qz::kit::removeClass(kNonaVisionMode); }
QZ_EXTERN_C_END
