// BumpMapMode: the data below shaded by the relief of the layer's secondary
// picture (the data below itself when it has none), plus the paint colour
// when asked; the button action lights its buttons with it. It answers the
// render method and its four setters (amount, radius, light angle, colour;
// each answers 0); every other id goes to its RootMode instance, whose flags
// 5 widen the picture pass's change notices to the layer's full width. The
// settings are not stored as object text, as files have always had it.
#include "modes/qz_bump_map_mode.h"
#include "modes/texture_relief.h"

namespace {

struct Qz_BumpMapModeObject {
  Qz_Object header;
  int16_t amount = 100;  // percent of the relief, -200..200
  int16_t radius = 1;    // steps along the light, 1..128
  int16_t angle = 135;   // degrees
  int16_t addColour = 0;
};

qz::kit::Attribute Qz__Setting(uint32_t setter, int64_t minimum, int64_t maximum, int64_t initial,
                               int16_t Qz_BumpMapModeObject::*member) {
  return {.setter = setter, .minimum = minimum, .maximum = maximum, .initial = initial,
          .field = qz::kit::field(member), .changed = qz::modes::ownSettingChanged, .answersZero = true};
}

const qz::kit::Attribute kSettings[] = {
    Qz__Setting(kQzBumpMapSetAmount, -200, 200, 100, &Qz_BumpMapModeObject::amount),
    Qz__Setting(kQzBumpMapSetRadius, 1, 128, 1, &Qz_BumpMapModeObject::radius),
    Qz__Setting(kQzBumpMapSetAngle, 0, 0, 135, &Qz_BumpMapModeObject::angle),  // any angle
    Qz__Setting(kQzBumpMapSetColour, 0, 1, 0, &Qz_BumpMapModeObject::addColour),
};

constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::angle(91, kQzBumpMapSetAngle, 135),
    // Whole steps: a half-step format would show one step as "1.5".
    qz::modes::slider(89, kQzBumpMapSetRadius, 1, 128, 1, "%ld"),
    qz::modes::slider(88, kQzBumpMapSetAmount, -200, 200, 100, "%ld"),
    qz::modes::space(8)};
constexpr qz::modes::PanelSpec kPanel{"BumpMap", kPanelRows};

QzWord Qz__BumpMapDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) {
    const auto* self = qz::kit::self<Qz_BumpMapModeObject>(object);
    using qz::modes::loadSetting;
    return qz::modes::renderBumpMap(
        qz::modes::renderMessage(args),
        qz::modes::reliefSnapshot(loadSetting(self->amount), loadSetting(self->radius), loadSetting(self->angle)),
        loadSetting(self->addColour) != 0);
  }
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kBumpMapMode = {
    .name = "BumpMapMode", .superName = "RootMode", .classId = kQzBumpMapModeClassId,
    .instance = qz::kit::instanceOf<Qz_BumpMapModeObject>(), .handler = Qz__BumpMapDispatch,
    .attributes = kSettings, .superTags = qz::modes::kReliefModeTags, .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBumpMapModeClass(Qz_GlobalData*) { return qz::kit::addClass(kBumpMapMode); }
QZ_EXPORT void Qz_CleanupBumpMapModeClass(void) { qz::kit::removeClass(kBumpMapMode); }
QZ_EXTERN_C_END
