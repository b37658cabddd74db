// QuadVisionMode: the quad vision effect (see vision.h).
#include "modes/vision.h"

namespace {

using Vision = qz::modes::vision::VisionClass<qz::modes::vision::Kind::Quad, 45>;
const qz::kit::ClassDecl kQuadVisionMode = Vision::decl("QuadVisionMode");

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitQuadVisionModeClass(Qz_GlobalData*) { return qz::kit::addClass(kQuadVisionMode); }
QZ_EXPORT void Qz_CleanupQuadVisionModeClass(void) { qz::kit::removeClass(kQuadVisionMode); }
QZ_EXTERN_C_END
