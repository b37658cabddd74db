// ChannelRandomizeMode: as Randomize, but red, green and blue each pick
// their source pixel within ranges of their own, so the channels drift
// apart. Each channel draws the same numbers, so equal ranges pick alike.
#include <cstddef>

#include "modes/channel_modes.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kChannelRandomizeModeClassId = 0x816;

struct Qz_ChannelRandomizeModeObject {
  Qz_Object header;
  int32_t range[3][2] = {{100, 16}, {40, 1}, {1, 140}};  // per channel: X, Y
};

constexpr int64_t kDefaults[3][2] = {{100, 16}, {40, 1}, {1, 140}};

// Setters 2080, 2100 (red X, Y), 2120, 2140 (green), 2160, 2180 (blue);
// each getter 10 above its setter. A range of 0 would divide by zero.
constexpr uint32_t Qz__Setter(int channel, int axis) { return 2080 + 40 * channel + 20 * axis; }

template <int C, int A>
constexpr qz::kit::Attribute Qz__Range() {
  return {.setter = Qz__Setter(C, A), .getter = Qz__Setter(C, A) + 10, .minimum = 1, .maximum = 1000,
          .initial = kDefaults[C][A],
          .field = qz::kit::Field{uint32_t(offsetof(Qz_ChannelRandomizeModeObject, range) + sizeof(int32_t) * (2 * C + A)),
                                  qz::kit::FieldKind::Int32},
          .changed = qz::modes::ownSettingChanged};
}

const qz::kit::Attribute kAttributes[] = {Qz__Range<0, 0>(), Qz__Range<0, 1>(), Qz__Range<1, 0>(),
                                          Qz__Range<1, 1>(), Qz__Range<2, 0>(), Qz__Range<2, 1>()};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::row(84), qz::modes::slider(95, Qz__Setter(0, 0), 1, 1000, 100),
    qz::modes::slider(96, Qz__Setter(0, 1), 1, 1000, 16), qz::modes::end(),
    qz::modes::row(85), qz::modes::slider(95, Qz__Setter(1, 0), 1, 1000, 40),
    qz::modes::slider(96, Qz__Setter(1, 1), 1, 1000, 1), qz::modes::end(),
    qz::modes::row(86), qz::modes::slider(95, Qz__Setter(2, 0), 1, 1000, 1),
    qz::modes::slider(96, Qz__Setter(2, 1), 1, 1000, 140), qz::modes::end()};
constexpr qz::modes::PanelSpec kPanel{"ChannelRandomize", kPanelRows};

QzWord Qz__RenderChannelRandomize(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const auto* self = qz::kit::self<Qz_ChannelRandomizeModeObject>(object);
  qz::modes::channel::Scatter scatter[3];
  for (int c = 0; c < 3; ++c) {
    const int32_t rx = qz::modes::loadSetting(self->range[c][0]), ry = qz::modes::loadSetting(self->range[c][1]);
    scatter[c] = {rx, rx / 2, ry, ry / 2};
  }
  return qz::modes::channel::renderScatter(message, scatter);
}

QzWord Qz__ChannelRandomizeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderChannelRandomize(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kChannelRandomizeMode = {
    .name = "ChannelRandomizeMode", .superName = "RootMode", .classId = kChannelRandomizeModeClassId,
    .instance = qz::kit::instanceOf<Qz_ChannelRandomizeModeObject>(), .handler = Qz__ChannelRandomizeModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitChannelRandomizeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kChannelRandomizeMode); }
QZ_EXPORT void Qz_CleanupChannelRandomizeModeClass(void) { qz::kit::removeClass(kChannelRandomizeMode); }
QZ_EXTERN_C_END
