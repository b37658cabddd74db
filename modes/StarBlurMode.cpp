// StarBlurMode: eight arms through each pixel, the cross's four and four
// more an eighth of a turn from them (length 1..255, 10 at first; angle 0;
// percentage 1..100, 60), averaged exactly. Its settings are its own, not
// kept in object text.
#include "modes/blur_kernels.h"
#include "modes/direction.h"
#include "modes/mode_kit.h"
#include "modes/mode_settings.h"

namespace {

struct Qz_StarBlurModeObject {
  Qz_Object header;
  int16_t length = 0, angle = 0, percent = 0;
};

using Self = Qz_StarBlurModeObject;

// Length and angle setters answer 0; the percentage setter the value stored.
const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzDirectionalSetLength, .getter = kQzDirectionalGetLength, .minimum = 1, .maximum = 255,
     .initial = 10, .field = qz::kit::field(&Self::length), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
    {.setter = kQzDirectionalSetAngle, .getter = kQzDirectionalGetAngle, .initial = 0,
     .field = qz::kit::field(&Self::angle), .changed = qz::modes::ownSettingChanged, .answersZero = true},
    {.setter = kQzDirectionalSetPercent, .getter = kQzDirectionalGetPercent, .minimum = 1, .maximum = 100,
     .initial = 60, .field = qz::kit::field(&Self::percent), .changed = qz::modes::ownSettingChanged},
};

QzWord Qz__RenderStarBlur(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const Self* self = qz::kit::self<Self>(object);
  // Read once; the kit keeps them in range.
  const int32_t length = qz::modes::loadSetting(self->length), angle = qz::modes::loadSetting(self->angle);
  const int32_t percent = qz::modes::loadSetting(self->percent);
  const qz::modes::Direction d = qz::modes::directionFloor(angle);
  const qz::modes::Direction second = qz::modes::secondArm(angle, qz::modes::DirectionRounding::Floor);
  const std::vector<qz::modes::Tap> taps = qz::modes::starTaps(length, percent, d, second);
  return qz::modes::renderTaps(message, taps, qz::modes::TapMean::Divide, uint32_t(taps.size()));
}

QzWord Qz__StarBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderStarBlur(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kStarBlurMode = {
    .name = "StarBlurMode", .superName = "RootMode", .classId = kQzDirectionalBlurClassId,
    .instance = qz::kit::instanceOf<Self>(), .handler = Qz__StarBlurDispatch, .attributes = kAttributes};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitStarBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kStarBlurMode); }
QZ_EXPORT void Qz_CleanupStarBlurModeClass(void) { qz::kit::removeClass(kStarBlurMode); }
QZ_EXTERN_C_END
