// ChannelThresholdMode: each of red, green and blue becomes its own high
// value from its threshold up and its own low value below it.
#include <cstddef>

#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kChannelThresholdModeClassId = 0x801;

struct Qz_ChannelThresholdModeObject {
  Qz_Object header;
  int16_t level[3] = {127, 127, 127}, low[3] = {0, 0, 0}, high[3] = {255, 255, 255};
};

// Setters: thresholds 2059, 2079, 2099; lows 2119, 2139, 2159; highs 2179,
// 2199, 2219 (red, green, blue); each getter 10 above its setter.
constexpr uint32_t Qz__Setter(int kind, int channel) { return 2059 + 60 * kind + 20 * channel; }

template <int Kind, int C>
qz::kit::Attribute Qz__Setting() {
  constexpr int64_t kMaximum[] = {256, 255, 255}, kInitial[] = {127, 0, 255};
  const uint32_t offset = Kind == 0   ? offsetof(Qz_ChannelThresholdModeObject, level)
                          : Kind == 1 ? offsetof(Qz_ChannelThresholdModeObject, low)
                                      : offsetof(Qz_ChannelThresholdModeObject, high);
  return {.setter = Qz__Setter(Kind, C), .getter = Qz__Setter(Kind, C) + 10, .minimum = 0,
          .maximum = kMaximum[Kind], .initial = kInitial[Kind],
          .field = qz::kit::Field{uint32_t(offset + sizeof(int16_t) * C), qz::kit::FieldKind::Int16},
          .changed = qz::modes::ownSettingChanged};
}

// A threshold of 256 gives every value the low one.
const qz::kit::Attribute kAttributes[] = {
    Qz__Setting<0, 0>(), Qz__Setting<0, 1>(), Qz__Setting<0, 2>(), Qz__Setting<1, 0>(), Qz__Setting<1, 1>(),
    Qz__Setting<1, 2>(), Qz__Setting<2, 0>(), Qz__Setting<2, 1>(), Qz__Setting<2, 2>()};

#define QZ_CHANNEL_ROW(label, c)                                                                            \
  qz::modes::row(label), qz::modes::slider(90, Qz__Setter(0, c), 0, 256, 127),                             \
      qz::modes::slider(155, Qz__Setter(1, c), 0, 255, 0), qz::modes::slider(157, Qz__Setter(2, c), 0, 255, 255), \
      qz::modes::end()
constexpr qz::modes::PanelRow kPanelRows[] = {QZ_CHANNEL_ROW(84, 0), QZ_CHANNEL_ROW(85, 1), QZ_CHANNEL_ROW(86, 2)};
#undef QZ_CHANNEL_ROW
constexpr qz::modes::PanelSpec kPanel{"ChannelThreshold", kPanelRows};

QzWord Qz__RenderChannelThreshold(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const auto* self = qz::kit::self<Qz_ChannelThresholdModeObject>(object);
  int32_t level[3];
  uint8_t low[3], high[3];
  for (int c = 0; c < 3; ++c) {
    level[c] = qz::modes::loadSetting(self->level[c]);
    low[c] = uint8_t(qz::modes::loadSetting(self->low[c]));
    high[c] = uint8_t(qz::modes::loadSetting(self->high[c]));
  }
  return qz::modes::renderRows(message, 0, [&](const uint8_t* const src[3], uint8_t* const dst[3], int32_t count) {
    for (int c = 0; c < 3; ++c)
      for (int32_t i = 0; i < count; ++i) dst[c][i] = src[c][i] >= level[c] ? high[c] : low[c];
  });
}

QzWord Qz__ChannelThresholdModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderChannelThreshold(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kChannelThresholdMode = {
    .name = "ChannelThresholdMode", .superName = "RootMode", .classId = kChannelThresholdModeClassId,
    .instance = qz::kit::instanceOf<Qz_ChannelThresholdModeObject>(), .handler = Qz__ChannelThresholdModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitChannelThresholdModeClass(Qz_GlobalData*) { return qz::kit::addClass(kChannelThresholdMode); }
QZ_EXPORT void Qz_CleanupChannelThresholdModeClass(void) { qz::kit::removeClass(kChannelThresholdMode); }
QZ_EXTERN_C_END
