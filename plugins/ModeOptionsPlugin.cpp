// ModeOptionsPlugin: the panel the current paint mode shows its options in.
// Its options group is the image base's mode-options group; the panels
// in it belong to the modes and outlive this panel.
#include "gadgets/qz_group.h"
#include "image/qz_image.h"
#include "objects/qz_class_kit.h"
#include "objects/qz_root.h"
#include "plugins/plugin_family.h"

namespace {

constexpr uint32_t kModeClassId = 0x3E80009;
constexpr uint32_t kTitleText = 49;
constexpr uint32_t kShortTitleText = 70;

struct Qz_ModeOptionsPluginObject {
  Qz_Object header{};
  Qz_Object* options = nullptr;
};

Qz_ModeOptionsPluginObject* Qz__Self(Qz_Object* o) { return qz::kit::self<Qz_ModeOptionsPluginObject>(o); }

Qz_Object* Qz__MakePanel(Qz_Object* object) {
  Qz_ModeOptionsPluginObject* self = Qz__Self(object);
  Qz_Object* content = Qz_CreateObjects(0, kBuildVGroup, kGroupSetFrame, 6, kGroupSetAlignment, 4,
                                        kGroupSetOptions, 1, kBuildClose);
  self->options = content;
  return qz::plugins::makePanel({qz::plugins::catalogueText(kTitleText), qz::plugins::catalogueText(kShortTitleText),
                                 "Data/Images/Tabs/ModeOptions"},
                                content);
}

bool Qz__SetUp(Qz_Object* object) {
  Qz_ImageBase* base = Qz_GetImageBase();
  base->modePanelGroup = Qz__Self(object)->options;
  return true;
}

void Qz__TearDown(Qz_Object* object) {
  Qz_ModeOptionsPluginObject* self = Qz__Self(object);
  qz::plugins::releaseMembers(self->options);
  Qz_ImageBase* base = Qz_GetImageBase();
  if (base->modePanelGroup == self->options) base->modePanelGroup = nullptr;
}

QzWord Qz__Dispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  if (id == kRootStoreChildren) return 1;
  if (id == kQzPreviewGetIcon) return 0;  // no preview icon here
  return qz::kit::inherited(object, id, args);
}

const qz::kit::ClassDecl kModeOptionsPlugin = {
    .name = "ModeOptionsPlugin", .superName = "RootPlugin", .classId = kModeClassId,
    .instance = qz::kit::instanceOf<Qz_ModeOptionsPluginObject>(), .handler = Qz__Dispatch,
    .makeSuper = Qz__MakePanel, .setUp = Qz__SetUp, .tearDown = Qz__TearDown};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitModeOptionsPluginClass(Qz_GlobalData*) { return qz::kit::addClass(kModeOptionsPlugin); }
QZ_EXPORT void Qz_CleanupModeOptionsPluginClass(void) { qz::kit::removeClass(kModeOptionsPlugin); }
QZ_EXTERN_C_END
