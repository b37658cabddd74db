// PaintTextureMode: the paint colour shaded by the relief of the layer's secondary picture (the data below when it has none). It answers the render method and its three settings
// (amount, length, light angle; setters answer 0), which its panel edits;
// every other id goes to its RootMode instance, whose flags 5 widen the
// change notices of the picture's pass to the layer's full width. The
// settings are not stored as object text, as files have always had it.
#include "modes/texture_relief.h"

namespace {

using qz::modes::TextureModeObject;

QzWord Qz__PaintTextureDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return qz::modes::renderPaintTexture(qz::modes::renderMessage(args),
                                 qz::modes::reliefSnapshot(qz::kit::self<TextureModeObject>(object)));
  return qz::kit::inherited(object, id, args);
}

constexpr qz::modes::PanelSpec kPanel{"PaintTexture", qz::modes::kTexturePanelRows};

const qz::kit::ClassDecl kPaintTextureMode = {
    .name = "PaintTextureMode", .superName = "RootMode", .classId = kQzTextureModeClassId,
    .instance = qz::kit::instanceOf<TextureModeObject>(), .handler = Qz__PaintTextureDispatch,
    .attributes = qz::modes::kTextureSettings, .superTags = qz::modes::kReliefModeTags,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPaintTextureModeClass(Qz_GlobalData*) { return qz::kit::addClass(kPaintTextureMode); }
QZ_EXPORT void Qz_CleanupPaintTextureModeClass(void) { qz::kit::removeClass(kPaintTextureMode); }
QZ_EXTERN_C_END
