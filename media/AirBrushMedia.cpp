// AirBrushMedia: the default media. It adds nothing to the brush engine but
// being a subclass, which makes its dabs spray; every method goes to its
// RootMedia instance.
#include "media/qz_root_media.h"
#include "objects/qz_class_kit.h"

namespace {

const qz::kit::ClassDecl kAirBrushMedia = {
    .name = "AirBrushMedia", .superName = "RootMedia", .classId = kAirBrushMediaClassId};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitAirBrushMediaClass(Qz_GlobalData*) { return qz::kit::addClass(kAirBrushMedia); }
QZ_EXPORT void Qz_CleanupAirBrushMediaClass(void) { qz::kit::removeClass(kAirBrushMedia); }
QZ_EXTERN_C_END
