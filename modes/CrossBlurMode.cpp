// CrossBlurMode: four arms at right angles through each pixel, sampled
// with a step that grows as the percentage falls (length 1..255, 10 at
// first; angle 45; percentage 1..100, 60). PlusBlur is made on it. Its
// settings are its own, not kept in object text.
#include "modes/blur_kernels.h"
#include "modes/direction.h"
#include "modes/mode_kit.h"
#include "modes/mode_settings.h"

namespace {

struct Qz_CrossBlurModeObject {
  Qz_Object header;
  int16_t length = 0, angle = 0, percent = 0;
};

using Self = Qz_CrossBlurModeObject;

// Length and angle setters answer 0; the percentage setter the value stored.
const qz::kit::Attribute kAttributes[] = {
    {.setter = kQzDirectionalSetLength, .getter = kQzDirectionalGetLength, .minimum = 1, .maximum = 255,
     .initial = 10, .field = qz::kit::field(&Self::length), .changed = qz::modes::ownSettingChanged,
     .answersZero = true},
    {.setter = kQzDirectionalSetAngle, .getter = kQzDirectionalGetAngle, .initial = 45,
     .field = qz::kit::field(&Self::angle), .changed = qz::modes::ownSettingChanged, .answersZero = true},
    {.setter = kQzDirectionalSetPercent, .getter = kQzDirectionalGetPercent, .minimum = 1, .maximum = 100,
     .initial = 60, .field = qz::kit::field(&Self::percent), .changed = qz::modes::ownSettingChanged},
};

QzWord Qz__RenderCrossBlur(Qz_Object* object, const Qz_ModeRenderMessage* message) {
  const Self* self = qz::kit::self<Self>(object);
  // Read once; the kit keeps them in range.
  const int32_t length = qz::modes::loadSetting(self->length), angle = qz::modes::loadSetting(self->angle);
  const int32_t percent = qz::modes::loadSetting(self->percent);
  const std::vector<qz::modes::Tap> taps = qz::modes::crossTaps(length, percent, qz::modes::directionFloor(angle));
  // The 15-bit reciprocal of the count: a flat area comes out one lower.
  return qz::modes::renderTaps(message, taps, qz::modes::TapMean::Reciprocal15, uint32_t(taps.size()));
}

QzWord Qz__CrossBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kQzModeRender) return Qz__RenderCrossBlur(object, qz::modes::renderMessage(args));
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kCrossBlurMode = {
    .name = "CrossBlurMode", .superName = "RootMode", .classId = kQzDirectionalBlurClassId,
    .instance = qz::kit::instanceOf<Self>(), .handler = Qz__CrossBlurDispatch, .attributes = kAttributes};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCrossBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kCrossBlurMode); }
QZ_EXPORT void Qz_CleanupCrossBlurModeClass(void) { qz::kit::removeClass(kCrossBlurMode); }
QZ_EXTERN_C_END
