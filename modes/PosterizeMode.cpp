// PosterizeMode: clears the low bits of each channel and fills what is left
// up to the top of its band, on colour and grey images. It answers the render
// method and its shift setter and getter; its panel holds one slider.
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"

namespace {

struct Qz_PosterizeModeObject {
  Qz_Object header;
  int16_t shift = 5;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzPosterizeSetShift, .getter = kQzPosterizeGetShift, .minimum = 1, .maximum = 7,
     .initial = 5, .field = qz::kit::field(&Qz_PosterizeModeObject::shift),
     .changed = qz::modes::ownSettingChanged, .answersZero = true}};

constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(114, kQzPosterizeSetShift, 1, 7, 5)};
constexpr qz::modes::PanelSpec kPanel{"Posterize", kPanelRows};

// The fill has one bit more than the bits cleared, so the top band reaches 255.
inline int32_t Qz__Posterize(int32_t c, int32_t n) {
  const int32_t v = (c >> n) << n;
  return v == 0 ? 0 : v | ((2 << n) - 1);
}

QzWord Qz__RenderPosterize(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const int32_t n = qz::modes::loadSetting(qz::kit::self<Qz_PosterizeModeObject>(object)->shift);
  const auto tables = qz::modes::tonal::sameForEachChannel([n](int32_t c) { return Qz__Posterize(c, n); });
  return qz::modes::tonal::renderThroughTables(message, tables, true, 1);
}

QzWord Qz__PosterizeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderPosterize(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kPosterizeMode = {
    .name = "PosterizeMode", .superName = "RootMode", .classId = kQzPointModeClassId,
    .instance = qz::kit::instanceOf<Qz_PosterizeModeObject>(), .handler = Qz__PosterizeModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPosterizeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kPosterizeMode); }
QZ_EXPORT void Qz_CleanupPosterizeModeClass(void) { qz::kit::removeClass(kPosterizeMode); }
QZ_EXTERN_C_END
