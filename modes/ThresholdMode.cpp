// ThresholdMode: a pixel whose channel sum lies below three times the level
// becomes the low value, any other the high value. It answers the render
// method (grey images: not handled) and its three setters and getters.
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/qz_point_modes.h"
#include "modes/mode_kit.h"

namespace {

struct Qz_ThresholdModeObject {
  Qz_Object header;
  int16_t level = 127, low = 0, high = 255;
};

template <int16_t Qz_ThresholdModeObject::*Member>
constexpr qz::kit::Attribute Qz__Setting(uint32_t setter, uint32_t getter, int64_t maximum, int64_t initial) {
  return {.setter = setter, .getter = getter, .minimum = 0, .maximum = maximum, .initial = initial,
          .field = qz::kit::field(Member), .changed = qz::modes::ownSettingChanged, .answersZero = true};
}

// The level reaches 256, so that even white can take the low value.
const qz::kit::Attribute kAttributes[] = {
    Qz__Setting<&Qz_ThresholdModeObject::level>(kQzThresholdSetLevel, kQzThresholdGetLevel, 256, 127),
    Qz__Setting<&Qz_ThresholdModeObject::low>(kQzThresholdSetLow, kQzThresholdGetLow, 255, 0),
    Qz__Setting<&Qz_ThresholdModeObject::high>(kQzThresholdSetHigh, kQzThresholdGetHigh, 255, 255)};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(90, kQzThresholdSetLevel, 0, 256, 127), qz::modes::slider(155, kQzThresholdSetLow, 0, 255, 0),
    qz::modes::slider(157, kQzThresholdSetHigh, 0, 255, 255)};
constexpr qz::modes::PanelSpec kPanel{"Threshold", kPanelRows};

QzWord Qz__RenderThreshold(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const auto* self = qz::kit::self<Qz_ThresholdModeObject>(object);
  const int32_t limit = 3 * qz::modes::loadSetting(self->level);
  const auto low = uint8_t(qz::modes::loadSetting(self->low));
  const auto high = uint8_t(qz::modes::loadSetting(self->high));
  return qz::modes::renderRows(message, 0, [&](const uint8_t* const src[3], uint8_t* const dst[3],
                                               int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      const uint8_t v = src[0][i] + src[1][i] + src[2][i] < limit ? low : high;
      dst[0][i] = dst[1][i] = dst[2][i] = v;
    }
  });
}

QzWord Qz__ThresholdModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderThreshold(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kThresholdMode = {
    .name = "ThresholdMode", .superName = "RootMode", .classId = kQzBlendModeClassId,
    .instance = qz::kit::instanceOf<Qz_ThresholdModeObject>(), .handler = Qz__ThresholdModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitThresholdModeClass(Qz_GlobalData*) { return qz::kit::addClass(kThresholdMode); }
QZ_EXPORT void Qz_CleanupThresholdModeClass(void) { qz::kit::removeClass(kThresholdMode); }
QZ_EXTERN_C_END
