// PreviewPlugin: an icon of the active image, following it as it changes.
#include "gadgets/qz_group.h"
#include "image/qz_image.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_notify.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kPreviewClassId = 0x3E8000B;
constexpr uint32_t kTitleText = 232;
// Its tab reads "Preview": under the mode panel's "Method" two tabs would
// look the same.
constexpr uint32_t kShortTitleText = kTitleText;
constexpr uint32_t kIconSetImage = 0x19000A;

struct Qz_PreviewPluginObject {
  Qz_Object header{};
  Qz_Object* icon = nullptr;
  QzWord follow = 0;  // the notification on the application image
};

Qz_PreviewPluginObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_PreviewPluginObject>(o); }

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_PreviewPluginObject* self = Qz__Self(object);
  // Without the icon class (not in every build) the panel shows an empty frame.
  const bool hasIcons = Qz_FindClassFromName("ImageIcon") != nullptr;
  Qz_Object** iconSlot = hasIcons ? &self->icon : nullptr;
  Qz_Object* content = Qz_CreateObjects(0, kBuildHGroup, kBuildSpaceV, kBuildVGroup, kGroupSetFrame, 2, kBuildObject,
                                        hasIcons ? "ImageIcon" : "Space", kBuildStoreLast, iconSlot, kBuildClose, kBuildClose,
                                        kBuildSpaceV, kBuildClose);
  return qz::plugins::makePanel({qz::plugins::catalogueText(kTitleText), qz::plugins::catalogueText(kShortTitleText),
                                 "Data/Images/Tabs/ModeOptions"},
                                content);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_PreviewPluginObject* self = Qz__Self(object);
  Qz_ImageBase* base = Qz_GetImageBase();
  if (!self->icon) return true;
  base->previewObject = self->icon;
  if (Qz_Image* app = base->applicationImage)
    self->follow = Qz_AddNotify(&app->object, kQzAppMakeActiveImage, kNotifyAnyValue, self->icon, 2, kIconSetImage,
                                kNotifySameWord);
  Qz_DoMethod(self->icon, kIconSetImage, base->activeImage);
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_PreviewPluginObject* self = Qz__Self(object);
  Qz_ImageBase* base = Qz_GetImageBase();
  if (self->follow && base->applicationImage) Qz_RemoveNotify(&base->applicationImage->object, self->follow);
  self->follow = 0;
  if (base->previewObject == self->icon) base->previewObject = nullptr;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kRootStoreChildren: return 1;
    case kQzPreviewGetIcon: return qz::toWord(Qz__Self(object)->icon);
    default: return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kPreviewPlugin = {
    .name = "PreviewPlugin", .superName = "RootPlugin", .classId = kPreviewClassId,
    .instance = qz::kit::instanceOf<Qz_PreviewPluginObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPreviewPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kPreviewPlugin); }
QZ_EXPORT void Qz_CleanupPreviewPluginClass(void) { qz::kit::removeClass(kPreviewPlugin); }
QZ_EXTERN_C_END
