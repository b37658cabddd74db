// SolarizeMode: inverts each channel at or above a threshold and keeps the
// rest, on colour and grey images. It answers the render method and its
// threshold setter and getter; its panel holds one slider.
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"

namespace {

struct Qz_SolarizeModeObject {
  Qz_Object header;
  int16_t threshold = 127;
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzSolarizeSetThreshold, .getter = kQzSolarizeGetThreshold, .minimum = 0,
     .maximum = 255, .initial = 127, .field = qz::kit::field(&Qz_SolarizeModeObject::threshold),
     .changed = qz::modes::ownSettingChanged, .answersZero = true}};

constexpr qz::modes::PanelRow kPanelRows[] = {qz::modes::slider(90, kQzSolarizeSetThreshold, 0, 255, 127)};
constexpr qz::modes::PanelSpec kPanel{"Solarize", kPanelRows};

inline int32_t Qz__Solarize(int32_t c, int32_t t) { return c >= t ? 255 - c : c; }

QzWord Qz__RenderSolarize(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const int32_t t = qz::modes::loadSetting(qz::kit::self<Qz_SolarizeModeObject>(object)->threshold);
  const auto tables = qz::modes::tonal::sameForEachChannel([t](int32_t c) { return Qz__Solarize(c, t); });
  return qz::modes::tonal::renderThroughTables(message, tables, true, 1);
}

QzWord Qz__SolarizeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderSolarize(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kSolarizeMode = {
    .name = "SolarizeMode", .superName = "RootMode", .classId = kQzSolarizeModeClassId,
    .instance = qz::kit::instanceOf<Qz_SolarizeModeObject>(), .handler = Qz__SolarizeModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitSolarizeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kSolarizeMode); }
QZ_EXPORT void Qz_CleanupSolarizeModeClass(void) { qz::kit::removeClass(kSolarizeMode); }
QZ_EXTERN_C_END
