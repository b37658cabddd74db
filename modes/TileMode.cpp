// TileMode: tiled rub that always tiles the data below its layer, even when
// the layer has a secondary image. Built on a RubTiledMode instance with its
// use-image flag set, which answers every id.
#include "modes/qz_rub_modes.h"
#include "modes/rub_combine.h"

namespace {

const TagItem kTileSuperTags[] = {{kQzRubTiledSetUseImage, 1}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kTileMode = {.name = "TileMode", .superName = "RubTiledMode", .classId = kQzRubModeClassId,
                                      .superTags = kTileSuperTags};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitTileModeClass(Qz_GlobalData*) { return qz::kit::addClass(kTileMode); }
QZ_EXPORT void Qz_CleanupTileModeClass(void) { qz::kit::removeClass(kTileMode); }
QZ_EXTERN_C_END
