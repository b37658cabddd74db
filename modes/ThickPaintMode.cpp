// ThickPaintMode: thick paint: the relief of the layer's own transparency plane shading the paint colour, or the secondary image when the layer has one. It answers the render method and its three settings
// (amount, length, light angle; setters answer 0), which its panel edits;
// every other id goes to its RootMode instance, whose flags 5 widen the
// change notices of the picture's pass to the layer's full width. The
// settings are not stored as object text, as files have always had it.
#include "modes/texture_relief.h"

namespace {

using qz::modes::TextureModeObject;

QzWord Qz__ThickPaintDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender)
    return qz::modes::renderThickPaint(qz::modes::renderMessage(args),
                                 qz::modes::reliefSnapshot(qz::kit::self<TextureModeObject>(object)));
  return qz::kit::inherited(object, id, args);
}

constexpr qz::modes::PanelSpec kPanel{"ThickPaint", qz::modes::kTexturePanelRows};

const qz::kit::ClassDecl kThickPaintMode = {
    .name = "ThickPaintMode", .superName = "RootMode", .classId = kQzTextureModeClassId,
    .instance = qz::kit::instanceOf<TextureModeObject>(), .handler = Qz__ThickPaintDispatch,
    .attributes = qz::modes::kTextureSettings, .superTags = qz::modes::kReliefModeTags,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitThickPaintModeClass(Qz_GlobalData*) { return qz::kit::addClass(kThickPaintMode); }
QZ_EXPORT void Qz_CleanupThickPaintModeClass(void) { qz::kit::removeClass(kThickPaintMode); }
QZ_EXTERN_C_END
