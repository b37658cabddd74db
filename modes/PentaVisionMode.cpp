// PentaVisionMode: the penta vision effect (see vision.h).
#include "modes/vision.h"

namespace {

using Vision = qz::modes::vision::VisionClass<qz::modes::vision::Kind::Penta, 45>;
const qz::kit::ClassDecl kPentaVisionMode = Vision::decl("PentaVisionMode");

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPentaVisionModeClass(Qz_GlobalData*) { return qz::kit::addClass(kPentaVisionMode); }
QZ_EXPORT void Qz_CleanupPentaVisionModeClass(void) { qz::kit::removeClass(kPentaVisionMode); }
QZ_EXTERN_C_END
