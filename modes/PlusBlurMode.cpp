// PlusBlurMode: the cross blur fixed at angle 0, an upright plus. Its
// length (1..255, 15 at first) and percentage (1..100, 60) have ids of
// their own and are passed on to its CrossBlurMode instance. Not kept in
// object text.
#include <atomic>

#include "modes/blur_directional.h"
#include "modes/mode_kit.h"
#include "modes/mode_settings.h"

namespace {

constexpr uint32_t kSetLength = 2066, kGetLength = 2076;
// The cross blur's length ids name the percentage here.
constexpr uint32_t kSetPercent = kQzDirectionalSetLength, kGetPercent = kQzDirectionalGetLength;
constexpr int32_t kDefaultLength = 15, kDefaultPercent = 60;

// Replaces the cross blur's panel; no angle.
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::slider(89, kSetLength, 1, 255, kDefaultLength, "%ld.5"),
    qz::modes::slider(97, kSetPercent, 1, 100, kDefaultPercent, "%ld%%")};
constexpr qz::modes::PanelSpec kPanel{"CrossBlur", kPanelRows};

struct Qz_PlusBlurModeObject {
  Qz_Object header;
  int16_t length = 0, percent = 0;
};

using Self = Qz_PlusBlurModeObject;

// Passed on to the cross blur, which limits it to its range; kept here as
// the cross kept it, and answered as the cross answers.
QzWord Qz__Forward(Qz_Object* object, uint32_t id, int16_t Self::*field, uint32_t crossSetter, uint32_t crossGetter,
                   QzWord value) {
  const QzWord answer = Qz_DoMethod(object->super, crossSetter, value);
  const QzWord kept = Qz_DoMethod(object->super, crossGetter);
  std::atomic_ref<int16_t>(qz::kit::self<Self>(object)->*field).store(int16_t(uint32_t(kept)), std::memory_order_relaxed);
  qz::modes::showInPanel(object, id, kept);
  return answer;
}

QzWord Qz__PlusBlurDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Self* self = qz::kit::self<Self>(object);
  switch (id) {
    case kSetLength: return Qz__Forward(object, id, &Self::length, kQzDirectionalSetLength, kQzDirectionalGetLength, args[0]);
    case kSetPercent: return Qz__Forward(object, id, &Self::percent, kQzDirectionalSetPercent, kQzDirectionalGetPercent,
                                                  args[0]);
    case kGetLength: return QzWord(uint32_t(int32_t(qz::modes::loadSetting(self->length))));
    case kGetPercent: return QzWord(uint32_t(int32_t(qz::modes::loadSetting(self->percent))));
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__SetUpPlusBlur(Qz_Object* object) {
  Qz_DoMethod(object->super, kQzDirectionalSetAngle, 0u);
  Qz_DoMethod(object, kSetLength, uint32_t(kDefaultLength));
  Qz_DoMethod(object, kSetPercent, uint32_t(kDefaultPercent));
  qz::modes::buildPanel(object, kPanel);
  return true;
}

const qz::kit::ClassDecl kPlusBlurMode = {
    .name = "PlusBlurMode", .superName = "CrossBlurMode", .classId = kQzDirectionalBlurClassId,
    .instance = qz::kit::instanceOf<Self>(), .handler = Qz__PlusBlurDispatch, .setUp = Qz__SetUpPlusBlur};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPlusBlurModeClass(Qz_GlobalData*) { return qz::kit::addClass(kPlusBlurMode); }
QZ_EXPORT void Qz_CleanupPlusBlurModeClass(void) { qz::kit::removeClass(kPlusBlurMode); }
QZ_EXTERN_C_END
