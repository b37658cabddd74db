// SepiaMode: a ColouriseMode whose target is a fixed sepia brown; every id,
// render included, goes to that instance.
#include "modes/mode_kit.h"
#include "modes/qz_colourise_mode.h"

namespace {

const TagItem kSepiaTarget[] = {{kQzColouriseSetTargetRed, 138},
                                {kQzColouriseSetTargetGreen, 107},
                                {kQzColouriseSetTargetBlue, 75},
                                {TAG_DONE, 0}};

const qz::kit::ClassDecl kSepiaMode = {
    .name = "SepiaMode", .superName = "ColouriseMode", .classId = kQzColouriseModeClassId,
    .superTags = kSepiaTarget};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSepiaModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSepiaMode); }
QZ_EXPORT void Qz_CleanupSepiaModeClass(void) { qz::kit::removeClass(kSepiaMode); }
QZ_EXTERN_C_END
