// RandomizeMode: each pixel takes the colour of a pixel picked at random
// within its X and Y ranges, the window pushed by the biases (percent of
// the range). Picks come from the row's own generator, so they stay put.
#include "modes/channel_modes.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kRandomizeModeClassId = 0x816;
constexpr uint32_t kSetRangeX = 2080, kGetRangeX = 2090, kSetRangeY = 2100, kGetRangeY = 2110;
constexpr uint32_t kSetBiasX = 2120, kGetBiasX = 2130, kSetBiasY = 2140, kGetBiasY = 2150;

struct Qz_RandomizeModeObject {
  Qz_Object header;
  int32_t rangeX = 12, rangeY = 12, biasX = 0, biasY = 0;
};

template <int32_t Qz_RandomizeModeObject::*Member>
constexpr qz::kit::Attribute Qz__Setting(uint32_t setter, uint32_t getter, int64_t minimum, int64_t maximum,
                                         int64_t initial) {
  return {.setter = setter, .getter = getter, .minimum = minimum, .maximum = maximum, .initial = initial,
          .field = qz::kit::field(Member), .changed = qz::modes::ownSettingChanged};
}

// A range of 0 would divide by zero.
const qz::kit::Attribute kAttributes[] = {
    Qz__Setting<&Qz_RandomizeModeObject::rangeX>(kSetRangeX, kGetRangeX, 1, 1000, 12),
    Qz__Setting<&Qz_RandomizeModeObject::rangeY>(kSetRangeY, kGetRangeY, 1, 1000, 12),
    Qz__Setting<&Qz_RandomizeModeObject::biasX>(kSetBiasX, kGetBiasX, -400, 400, 0),
    Qz__Setting<&Qz_RandomizeModeObject::biasY>(kSetBiasY, kGetBiasY, -400, 400, 0)};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(95, kSetRangeX, 1, 1000, 12), qz::modes::slider(96, kSetRangeY, 1, 1000, 12),
    qz::modes::slider(99, kSetBiasX, -400, 400, 0, "%ld%%"), qz::modes::slider(100, kSetBiasY, -400, 400, 0, "%ld%%")};
constexpr qz::modes::PanelSpec kPanel{"Randomize", kPanelRows};

QzWord Qz__RenderRandomize(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const auto* self = qz::kit::self<Qz_RandomizeModeObject>(object);
  const int32_t rx = qz::modes::loadSetting(self->rangeX), ry = qz::modes::loadSetting(self->rangeY);
  const int32_t px = qz::modes::loadSetting(self->biasX), py = qz::modes::loadSetting(self->biasY);
  const qz::modes::channel::Scatter s{rx, px * rx / 100 + rx / 2, ry, py * ry / 100 + ry / 2};
  const qz::modes::channel::Scatter all[3] = {s, s, s};
  return qz::modes::channel::renderScatter(message, all);
}

QzWord Qz__RandomizeModeDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderRandomize(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kRandomizeMode = {
    .name = "RandomizeMode", .superName = "RootMode", .classId = kRandomizeModeClassId,
    .instance = qz::kit::instanceOf<Qz_RandomizeModeObject>(), .handler = Qz__RandomizeModeDispatch,
    .attributes = kAttributes, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRandomizeModeClass(Qz_GlobalData*) { return qz::kit::addClass(kRandomizeMode); }
QZ_EXPORT void Qz_CleanupRandomizeModeClass(void) { qz::kit::removeClass(kRandomizeMode); }
QZ_EXTERN_C_END
