// DoubleVisionMode: the double vision effect (see vision.h).
#include "modes/vision.h"

namespace {

using Vision = qz::modes::vision::VisionClass<qz::modes::vision::Kind::Double, 90>;
const qz::kit::ClassDecl kDoubleVisionMode = Vision::decl("DoubleVisionMode");

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitDoubleVisionModeClass(Qz_GlobalData*) { return qz::kit::addClass(kDoubleVisionMode); }
QZ_EXPORT void Qz_CleanupDoubleVisionModeClass(void) { qz::kit::removeClass(kDoubleVisionMode); }
QZ_EXTERN_C_END
