// MediaSettingsAction: a change of the brush media's name, size or strength.
// It records the settings in force before it, which its undo puts back (the
// replay sends that undo on its way back to the restore point).
#include <cstring>

#include "actions/action_internal.h"
#include "image/image_text.h"

namespace {

using namespace qz::actions;

struct Settings {
  char name[kQzNameLength] = {};
  uint32_t size = kMediaSettingUnset;
  uint32_t strength = kMediaSettingUnset;
};

struct MediaSettingsData {
  Qz_Object header;
  Qz_Image* image = nullptr;
  Settings settings;
  Settings previous;
  bool recorded = false;
};

const Qz_Method kMethods[] = {
    {kMediaSettingsSetName, "Qz_SetImageMediaName", kQzMethodSetter, kMediaSettingsGetName, "%s",
     0, nullptr, 0, 0},
    {kMediaSettingsGetName, "Qz_GetImageMediaName", kQzMethodStoredGetter, kMediaSettingsSetName,
     nullptr, 0, "%s", 0, 0},
    {0, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0}};

// Strength and size of the brush, 16 bits each; unset until recorded.
const qz::kit::Attribute kAttributes[] = {
    {.setter = kMediaSetPressure, .getter = kMediaGetPressure, .maximum = 0xFFFF,
     .initial = kMediaSettingUnset, .field = qz::kit::field(&MediaSettingsData::settings, &Settings::strength),
     .setterName = "Qz_SetMediaPressure", .getterName = "Qz_GetMediaPressure", .answersZero = true},
    {.setter = kMediaSetSize, .getter = kMediaGetSize, .maximum = 0xFFFF,
     .initial = kMediaSettingUnset, .field = qz::kit::field(&MediaSettingsData::settings, &Settings::size),
     .setterName = "Qz_SetMediaSize", .getterName = "Qz_GetMediaSize", .answersZero = true},
};

Settings Qz__Current(Qz_Image* image) {
  Settings s;
  qz::copyName(s.name, sizeof s.name, image->mediaName);
  s.strength = uint32_t(Qz_DoMethod(image->media, kMediaGetPressure)) & 0xFFFF;
  s.size = uint32_t(Qz_DoMethod(image->media, kMediaGetSize)) & 0xFFFF;
  return s;
}

void Qz__PutInForce(Qz_Image* image, const Settings& s) {
  if (!image) return;
  image->mediaChangeCount.fetch_add(1);
  if (s.name[0] && std::strcmp(s.name, image->mediaName) != 0)
    Qz_DoMethod(&image->object, kQzImageChooseMedia, s.name);
  if (s.size != kMediaSettingUnset) Qz_DoMethod(image->media, kMediaSetSize, s.size);
  if (s.strength != kMediaSettingUnset) Qz_DoMethod(image->media, kMediaSetPressure, s.strength);
  image->mediaChangeCount.fetch_sub(1);
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  auto* m = reinterpret_cast<MediaSettingsData*>(object);
  switch (id) {
    case kActionSetImage:
      m->image = reinterpret_cast<Qz_Image*>(args[0]);
      if (m->image && !m->recorded) {
        m->previous = Qz__Current(m->image);
        m->recorded = true;
      }
      break;
    case kMediaSettingsSetName:
      qz::copyName(m->settings.name, sizeof m->settings.name, reinterpret_cast<const char*>(args[0]));
      return 0;
    case kMediaSettingsGetName: return qz::toWord(m->settings.name);
    case kActionApply: case kActionApplyQuiet: Qz__PutInForce(m->image, m->settings); return 1;
    case kActionRedo:
      if (m->image) m->previous = Qz__Current(m->image);
      Qz__PutInForce(m->image, m->settings);
      return 1;
    case kActionUndo: Qz__PutInForce(m->image, m->previous); return 1;
    case kActionGetName: return qz::toWord(Qz__ActionText(129));
    default: break;
  }
  return qz::kit::inherited(object, id, args);
}

const ActionTraits kTraits = {"Data/Images/ToolBar/MediaSettings", 0x201};

const qz::kit::ClassDecl kMediaSettingsAction = actionClass(
    {.name = "MediaSettingsAction", .classId = kMediaSettingsActionClassId,
     .instance = qz::kit::instanceOf<MediaSettingsData>(), .handler = Qz__Dispatch,
     .attributes = kAttributes, .methods = kMethods}, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitMediaSettingsActionClass(Qz_GlobalData*) { return qz::kit::addClass(kMediaSettingsAction); }
QZ_EXPORT void Qz_CleanupMediaSettingsActionClass(void) { qz::kit::removeClass(kMediaSettingsAction); }
QZ_EXTERN_C_END
