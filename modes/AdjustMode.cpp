// AdjustMode: per-channel offsets, brightness, contrast and gamma folded into
// three lookup tables, with a hue turn and a saturation change before them.
// It answers the render method, its eight setters and getters and the reset
// (every setting back to its initial value, which the sliders then show).
#include <cmath>

#include "modes/mode_panel.h"
#include "modes/mode_settings.h"
#include "modes/point_tonal.h"
#include "modes/qz_point_modes.h"

namespace {

constexpr int16_t kNeutralContrast = 127, kNeutralGamma = 100;

// Everything the tables are made from.
struct Qz__TableKey {
  int32_t offsets[3] = {0, 0, 0};  // channel offset plus brightness
  int32_t contrast = kNeutralContrast, gamma = kNeutralGamma;
  bool operator==(const Qz__TableKey&) const = default;
};

struct Qz_AdjustModeObject {
  Qz_Object header;
  int16_t red = 0, green = 0, blue = 0, hue = 0, saturation = 0, brightness = 0;
  int16_t contrast = kNeutralContrast, gamma = kNeutralGamma;
  // Built once per change of the settings; strips keep the one they took.
  qz::modes::SharedTable<Qz__TableKey, qz::modes::tonal::ChannelTables> tables;
};

template <int16_t Qz_AdjustModeObject::*Member>
constexpr qz::kit::Attribute Qz__Setting(uint32_t setter, uint32_t getter, int64_t minimum,
                                         int64_t maximum, int64_t initial) {
  return {.setter = setter, .getter = getter, .minimum = minimum, .maximum = maximum, .initial = initial,
          .field = qz::kit::field(Member), .changed = qz::modes::ownSettingChanged};
}

// Gamma starts at 1 %: at 0 the exponent 100 / gamma has no value and would black the picture out.
const qz::kit::Attribute kAttributes[] = {
    Qz__Setting<&Qz_AdjustModeObject::hue>(kQzAdjustSetHue, kQzAdjustGetHue, -359, 359, 0),
    Qz__Setting<&Qz_AdjustModeObject::saturation>(kQzAdjustSetSaturation, kQzAdjustGetSaturation, -255, 255, 0),
    Qz__Setting<&Qz_AdjustModeObject::brightness>(kQzAdjustSetBrightness, kQzAdjustGetBrightness, -255, 255, 0),
    Qz__Setting<&Qz_AdjustModeObject::contrast>(kQzAdjustSetContrast, kQzAdjustGetContrast, 0, 255,
                                                kNeutralContrast),
    Qz__Setting<&Qz_AdjustModeObject::gamma>(kQzAdjustSetGamma, kQzAdjustGetGamma, 1, 400, kNeutralGamma),
    Qz__Setting<&Qz_AdjustModeObject::red>(kQzAdjustSetRedOffset, kQzAdjustGetRedOffset, -255, 255, 0),
    Qz__Setting<&Qz_AdjustModeObject::green>(kQzAdjustSetGreenOffset, kQzAdjustGetGreenOffset, -255, 255, 0),
    Qz__Setting<&Qz_AdjustModeObject::blue>(kQzAdjustSetBlueOffset, kQzAdjustGetBlueOffset, -255, 255, 0),
};

// The tone settings, then the three channel offsets each in its channel's
// colour, then the reset.
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::column({}, 1),
    qz::modes::slider(333, kQzAdjustSetHue, -359, 359, 0),
    qz::modes::slider(334, kQzAdjustSetSaturation, -255, 255, 0),
    qz::modes::slider(81, kQzAdjustSetBrightness, -255, 255, 0),
    qz::modes::slider(82, kQzAdjustSetContrast, 0, 255, kNeutralContrast),
    qz::modes::slider(83, kQzAdjustSetGamma, 1, 400, kNeutralGamma, "%ld%%"),
    qz::modes::end(),
    qz::modes::column({}, 1),
    qz::modes::slider(84, kQzAdjustSetRedOffset, -255, 255, 0, "%ld", 0x3200F0),
    qz::modes::slider(85, kQzAdjustSetGreenOffset, -255, 255, 0, "%ld", 0x14FF46),
    qz::modes::slider(86, kQzAdjustSetBlueOffset, -255, 255, 0, "%ld", 0xF0823C),
    qz::modes::end(),
    qz::modes::button(158, kQzAdjustReset)};
constexpr qz::modes::PanelSpec kPanel{"Adjust", kPanelRows};

qz::modes::tonal::ChannelTables Qz__BuildTables(const Qz__TableKey& key) {
  qz::modes::tonal::ChannelTables t;
  const double exponent = 1.0 / (key.gamma * 0.01);
  for (int c = 0; c < 3; ++c)
    for (int32_t i = 0; i < 256; ++i) {
      int32_t v = i;
      if (key.gamma != kNeutralGamma) v = int32_t(255.0 * std::pow(i / 255.0, exponent));  // truncated
      if (key.contrast != kNeutralContrast) v = (v - 127) * key.contrast / 127 + 127;
      t.lut[size_t(c)][size_t(i)] = uint8_t(std::clamp(v + key.offsets[c], 0, 255));
    }
  return t;
}

QzWord Qz__RenderAdjust(Qz_AdjustModeObject* self, const Qz_ModeRenderMessage* message) {
  using qz::modes::loadSetting;
  const int32_t brightness = loadSetting(self->brightness);
  Qz__TableKey key;
  key.offsets[0] = loadSetting(self->red) + brightness;
  key.offsets[1] = loadSetting(self->green) + brightness;
  key.offsets[2] = loadSetting(self->blue) + brightness;
  key.contrast = loadSetting(self->contrast);
  key.gamma = std::max<int32_t>(1, loadSetting(self->gamma));
  const int32_t hue = loadSetting(self->hue), saturation = loadSetting(self->saturation);
  const auto tables = self->tables.get(key, [&] { return Qz__BuildTables(key); });
  if (!tables) {
    qz::modes::copySourceToOutput(message);
    return 1;
  }
  const Qz_ImageLock* lock = message ? message->block : nullptr;
  if (!lock || !lock->image || lock->image->depth != 24 || (hue == 0 && saturation == 0))
    return qz::modes::tonal::renderThroughTables(message, *tables, true, 1);
  return qz::modes::renderRows(message, 1, [&](const uint8_t* const src[3], uint8_t* const dst[3],
                                               int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      uint8_t out[3];
      qz::modes::tonal::shiftHueSaturation(src[0][i], src[1][i], src[2][i], hue, saturation, out);
      for (int c = 0; c < 3; ++c) dst[c][i] = tables->lut[size_t(c)][out[c]];
    }
  });
}

QzWord Qz__Reset(Qz_Object* object) {
  for (const qz::kit::Attribute& a : kAttributes) Qz_DoMethod(object, a.setter, uint32_t(int32_t(a.initial)));
  return 0;
}

QzWord Qz__AdjustModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kQzModeRender:
      return Qz__RenderAdjust(qz::kit::self<Qz_AdjustModeObject>(object), qz::modes::renderMessage(args));
    case kQzAdjustReset: return Qz__Reset(object);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kAdjustMode = {
    .name = "AdjustMode", .superName = "RootMode", .classId = kQzPointModeClassId,
    .instance = qz::kit::instanceOf<Qz_AdjustModeObject>(), .handler = Qz__AdjustModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitAdjustModeClass(Qz_GlobalData*) { return qz::kit::addClass(kAdjustMode); }
QZ_EXPORT void Qz_CleanupAdjustModeClass(void) { qz::kit::removeClass(kAdjustMode); }
QZ_EXTERN_C_END
