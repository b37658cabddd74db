// MotionBlurMode: a one-sided trail: each pixel averaged with the samples
// along its angle (length 1..255, 4 at first; angle 45 at first), the pixel
// itself counted twice. Its settings are its own, not kept in object text.
#include "modes/blur_kernels.h"
#include "modes/direction.h"
#include "modes/mode_kit.h"
#include "modes/mode_settings.h"

namespace {

struct Qz_MotionBlurModeObject {
  Qz_Object header;
  int16_t length = 0, angle = 0;
};

using Self = Qz_MotionBlurModeObject;

// Length and angle setters answer 0.
const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzDirectionalSetLength, .getter = kQzDirectionalGetLength, .minimum = 1, .maximum = 255,
     .initial = 4, .field = qz::kit::field(&Self::length), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
    {.setter = kQzDirectionalSetAngle, .getter = kQzDirectionalGetAngle, .initial = 45,
     .field = qz::kit::field(&Self::angle), .changed = qz::modes::ownSettingChanged, .answersZero = true},

};

QzWord Qz__RenderMotionBlur(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const Self* self = qz::kit::self<Self>(object);
  // Read once; the kit keeps them in range.
  const int32_t length = qz::modes::loadSetting(self->length), angle = qz::modes::loadSetting(self->angle);
  const qz::modes::Direction d = qz::modes::directionFloor(angle);
  const std::vector<qz::modes::Tap> taps = qz::modes::motionTaps(length, d);
  return qz::modes::renderTaps(message, taps, qz::modes::TapMean::Divide, uint32_t(length + 2));
}

QzWord Qz__MotionBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderMotionBlur(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kMotionBlurMode = {
    .name = "MotionBlurMode", .superName = "RootMode", .classId = kQzDirectionalBlurClassId,
    .instance = qz::kit::instanceOf<Self>(), .handler = Qz__MotionBlurDispatch, .attributes = kAttributes};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMotionBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kMotionBlurMode); }
QZ_EXPORT void Qz_CleanupMotionBlurModeClass(void) { qz::kit::removeClass(kMotionBlurMode); }
QZ_EXTERN_C_END
